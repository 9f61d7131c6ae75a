// 検索と置換: a window beside the main window that finds a text in the page
// shown and replaces it, one at a time or all at once (one undo step).
// Searching wraps round the page's end, as desktop editors do.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quaverly {

class TFindReplaceDlg : public QDialog {
    Q_OBJECT

public:
    TFindReplaceDlg(QWidget* parent, std::function<QPlainTextEdit*()> currentPage);

    // The find field gets the selection of the page, if it is on one line.
    void Open();

    QLineEdit* FindText() const { return m_find; }
    QLineEdit* ReplaceText() const { return m_replace; }

    // The commands of its buttons. FindNext: true when found (then selected).
    bool FindNext();
    // Replaces the selection when it is the text found, then finds the next.
    void ReplaceOne();
    // Every occurrence in the page; returns how many.
    int ReplaceAll();

private:
    void Say(const QString& text);

    std::function<QPlainTextEdit*()> m_currentPage;
    QLineEdit* m_find;
    QLineEdit* m_replace;
    QCheckBox* m_matchCase;
    QLabel* m_result;
};

}  // namespace quaverly
