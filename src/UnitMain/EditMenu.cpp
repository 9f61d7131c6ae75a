#include "EditMenu.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextDocument>

#include "TFindReplaceDlg.h"

namespace quaverly {

namespace {

QAction* MakeItem(QWidget* window, const QString& name, const QString& caption, QKeySequence::StandardKey key,
                  QList<QKeySequence> more)
{
    auto* action = new QAction(caption, window);
    action->setObjectName(name);
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    for (const QKeySequence& extra : more) {
        if (!keys.contains(extra)) {
            keys.append(extra);
        }
    }
    action->setShortcuts(keys);
    // The fields take their own keys while they have the focus; the window's
    // keys reach the page from anywhere else (a tab, the roll, the list).
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    return action;
}

}  // namespace

EditMenu::EditMenu(QWidget* window, QMenu* menu, std::function<QPlainTextEdit*()> currentPage)
    : QObject(window), m_window(window), m_currentPage(std::move(currentPage))
{
    m_undo = MakeItem(window, QStringLiteral("mnUndo"), QStringLiteral("元に戻す(&U)"), QKeySequence::Undo,
                      {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    m_redo = MakeItem(window, QStringLiteral("mnRedo"), QStringLiteral("やり直し(&R)"), QKeySequence::Redo,
                      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    m_cut = MakeItem(window, QStringLiteral("mnCut"), QStringLiteral("切り取り(&X)"), QKeySequence::Cut,
                     {QKeySequence(Qt::CTRL | Qt::Key_X)});
    m_copy = MakeItem(window, QStringLiteral("mnCopy"), QStringLiteral("コピー(&O)"), QKeySequence::Copy,
                      {QKeySequence(Qt::CTRL | Qt::Key_C)});
    m_paste = MakeItem(window, QStringLiteral("mnPaste"), QStringLiteral("貼り付け(&V)"), QKeySequence::Paste,
                       {QKeySequence(Qt::CTRL | Qt::Key_V)});
    m_findReplace = MakeItem(window, QStringLiteral("mnFindReplace"), QStringLiteral("検索と置換(&H)..."),
                             QKeySequence::Find, {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::CTRL | Qt::Key_H)});
    m_dialog = new TFindReplaceDlg(window, m_currentPage);

    QAction* first = menu->actions().value(0);
    menu->insertActions(first, {m_undo, m_redo});
    menu->insertSeparator(first);
    menu->insertActions(first, {m_cut, m_copy, m_paste});
    menu->insertSeparator(first);
    menu->insertAction(first, m_findReplace);
    menu->insertSeparator(first);

    connect(m_undo, &QAction::triggered, this, [this] {
        if (QLineEdit* line = FocusedLine()) {
            line->undo();
        } else if (QPlainTextEdit* page = Page()) {
            page->undo();
        }
    });
    connect(m_redo, &QAction::triggered, this, [this] {
        if (QLineEdit* line = FocusedLine()) {
            line->redo();
        } else if (QPlainTextEdit* page = Page()) {
            page->redo();
        }
    });
    connect(m_cut, &QAction::triggered, this, [this] {
        if (QLineEdit* line = FocusedLine()) {
            line->cut();
        } else if (QPlainTextEdit* page = Page()) {
            page->cut();
        }
    });
    connect(m_copy, &QAction::triggered, this, [this] {
        if (QLineEdit* line = FocusedLine()) {
            line->copy();
        } else if (QPlainTextEdit* page = Page()) {
            page->copy();
        }
    });
    connect(m_paste, &QAction::triggered, this, [this] {
        if (QLineEdit* line = FocusedLine()) {
            line->paste();
        } else if (QPlainTextEdit* page = Page()) {
            page->paste();
            page->setFocus(Qt::ShortcutFocusReason);
        }
    });
    connect(m_findReplace, &QAction::triggered, m_dialog, &TFindReplaceDlg::Open);
    // The menu's items are checked as it opens: the focus is settled then.
    connect(menu, &QMenu::aboutToShow, this, &EditMenu::UpdateItems);
    UpdateItems();
}

QLineEdit* EditMenu::FocusedLine() const
{
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return line != nullptr && m_window->isAncestorOf(line) ? line : nullptr;
}

QPlainTextEdit* EditMenu::Page() const
{
    return m_currentPage();
}

void EditMenu::Watch(QPlainTextEdit* page)
{
    if (page == m_watched) {
        return;
    }
    if (m_watched != nullptr) {
        disconnect(m_watched, nullptr, this, nullptr);
    }
    m_watched = page;
    if (page != nullptr) {
        connect(page, &QPlainTextEdit::undoAvailable, this, &EditMenu::UpdateItems);
        connect(page, &QPlainTextEdit::redoAvailable, this, &EditMenu::UpdateItems);
        connect(page, &QPlainTextEdit::copyAvailable, this, &EditMenu::UpdateItems);
    }
}

void EditMenu::UpdateItems()
{
    if (QLineEdit* line = FocusedLine()) {
        const bool editable = !line->isReadOnly();
        m_undo->setEnabled(editable && line->isUndoAvailable());
        m_redo->setEnabled(editable && line->isRedoAvailable());
        m_cut->setEnabled(editable && line->hasSelectedText());
        m_copy->setEnabled(line->hasSelectedText());
        m_paste->setEnabled(editable);
        m_findReplace->setEnabled(Page() != nullptr);
        return;
    }
    QPlainTextEdit* page = Page();
    Watch(page);
    const bool editable = page != nullptr && !page->isReadOnly();
    const bool selected = page != nullptr && page->textCursor().hasSelection();
    m_undo->setEnabled(editable && page->document()->isUndoAvailable());
    m_redo->setEnabled(editable && page->document()->isRedoAvailable());
    m_cut->setEnabled(editable && selected);
    m_copy->setEnabled(selected);
    m_paste->setEnabled(editable);
    m_findReplace->setEnabled(page != nullptr);
}

}  // namespace quaverly
