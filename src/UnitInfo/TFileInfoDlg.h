// The file information dialog "ファイル情報": edits the MelodyFileInfo that
// the next score analysis writes into the header chunks "vers", "copy",
// "sorc" and "date". The version line is shown but cannot be edited.
// On a melody of another maker it shows what the file is, read-only: its
// version, copyright, protection and date in the same fields, and below them
// its title, tracks, length and channels.
#pragma once

#include <QDialog>
#include <memory>

#include "UnitMfi/MfiMelody.h"
#include "UnitMld/MelodyFileInfo.h"

class QPlainTextEdit;
class QLabel;

namespace Ui {
class TFileInfoDlg;
}

namespace quaverly {

// What keeps the fields from being written as typed, or empty when they can
// be: a date that is neither empty nor a real day written YYYYMMDD, or a
// copyright with characters Shift-JIS cannot hold.
QString FileInfoProblem(const QString& copyright, const QString& date);

class TFileInfoDlg : public QDialog {
    Q_OBJECT

public:
    explicit TFileInfoDlg(QWidget* parent = nullptr);
    ~TFileInfoDlg() override;

    // Overwrites every control from the info, so a cancelled edit leaves no trace.
    void LoadFrom(const MelodyFileInfo& info);
    // The texts as they stand, without trimming or validation; a field left
    // untouched keeps its original bytes.
    void StoreInto(MelodyFileInfo& info) const;
    // Shows a melody of another maker, every field read-only and OK alone;
    // the next LoadFrom makes the dialog editable again.
    void LoadForeign(const MfiMelody& melody);
    bool IsReadOnly() const { return m_readOnly; }

private:
    void SetReadOnly(bool readOnly);
    // Says what is wrong under the buttons, and lets OK through only without a fault.
    void CheckFields();
    QLabel* m_problem = nullptr;

    std::unique_ptr<Ui::TFileInfoDlg> ui;
    QPlainTextEdit* m_facts = nullptr;  // the facts of a melody of another maker
    QSize m_designedSize;
    bool m_readOnly = false;
};

}  // namespace quaverly
