// The text commands of the Edit menu: 元に戻す, やり直し, 切り取り, コピー,
// 貼り付け and 検索と置換, with the keys desktop programs use for them. They
// act on the one-line field that has the focus (the title, a volume, the
// tempo or a tone box), else on the page shown; each item is enabled while
// its command can do something there.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;

namespace quaverly {

class TFindReplaceDlg;

class EditMenu : public QObject {
    Q_OBJECT

public:
    // currentPage gives the page shown (nullptr on the sequence page); the
    // window calls UpdateItems when another page is shown. The items are
    // put at the top of menu, each group followed by a separator.
    EditMenu(QWidget* window, QMenu* menu, std::function<QPlainTextEdit*()> currentPage);

    QAction* Undo() const { return m_undo; }
    QAction* Redo() const { return m_redo; }
    QAction* Cut() const { return m_cut; }
    QAction* Copy() const { return m_copy; }
    QAction* Paste() const { return m_paste; }
    QAction* FindReplace() const { return m_findReplace; }
    TFindReplaceDlg* FindReplaceDialog() const { return m_dialog; }
    // The page shown, or nullptr on a page of no voice.
    QPlainTextEdit* CurrentPage() const { return m_currentPage(); }

public slots:
    // Another page is shown, or the menu opens: the items follow what the
    // focused field or the page can do.
    void UpdateItems();

private:
    // The field the commands act on: the focused one-line field, else the page.
    QLineEdit* FocusedLine() const;
    QPlainTextEdit* Page() const;
    void Watch(QPlainTextEdit* page);

    QWidget* m_window;
    std::function<QPlainTextEdit*()> m_currentPage;
    QPointer<QPlainTextEdit> m_watched;
    QAction* m_undo;
    QAction* m_redo;
    QAction* m_cut;
    QAction* m_copy;
    QAction* m_paste;
    QAction* m_findReplace;
    TFindReplaceDlg* m_dialog;
};

}  // namespace quaverly
