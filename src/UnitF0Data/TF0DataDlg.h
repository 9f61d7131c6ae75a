// The FFF0 data dialog "FFF0データ設定": edits whether the track carries an
// FF F0 event and its 41 data bytes as hexadecimal text, laid out as one
// byte (EditData1) followed by four lines of ten (EditData2 to EditData5).
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>
#include <string>

class QLineEdit;
class QLabel;

namespace Ui {
class TF0DataDlg;
}

namespace quaverly {

// FFF0DataHex split over the five lines: characters 1-2, 3-22, 23-42, 43-62
// and 63-82; a line gets fewer or none when the text is shorter, and
// characters beyond the 82nd are not shown.
std::array<QString, 5> SplitFFF0DataHex(const QString& hex);

// What keeps the five lines from being written as typed, or empty when they
// can be: digits that are not hexadecimal, an odd count of digits, a line
// longer than its bytes, or a line short of its bytes before a line that is
// not empty (the bytes after it would move).
QString FFF0DataProblem(const std::array<QString, 5>& lines);

class TF0DataDlg : public QDialog {
    Q_OBJECT

public:
    explicit TF0DataDlg(QWidget* parent = nullptr);
    ~TF0DataDlg() override;

    // Overwrites every control from the store's state.
    void LoadFrom(bool dataSet, const std::string& dataHex);
    // The five lines concatenated as typed: no trimming, case change or check.
    void StoreInto(bool& dataSet, std::string& dataHex) const;

    // Enables the five data lines while CheckBoxSet is ticked. They keep their
    // text while disabled.
    void CheckBoxSetClick();

private:
    std::array<QLineEdit*, 5> DataLines() const;
    // Says what is wrong under the lines, and lets OK through only without a fault.
    void CheckLines();
    QLabel* m_problem = nullptr;

    std::unique_ptr<Ui::TF0DataDlg> ui;
};

}  // namespace quaverly
