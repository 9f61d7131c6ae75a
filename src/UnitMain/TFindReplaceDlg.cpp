#include "TFindReplaceDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace quaverly {

TFindReplaceDlg::TFindReplaceDlg(QWidget* parent, std::function<QPlainTextEdit*()> currentPage)
    : QDialog(parent), m_currentPage(std::move(currentPage))
{
    setObjectName(QStringLiteral("FindReplaceDlg"));
    setWindowTitle(QStringLiteral("検索と置換"));
    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("EditFind"));
    m_replace = new QLineEdit(this);
    m_replace->setObjectName(QStringLiteral("EditReplace"));
    m_matchCase = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("LabelFindResult"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("検索する文字列(&N):"), m_find);
    form->addRow(QStringLiteral("置換後の文字列(&P):"), m_replace);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* next = buttons->addButton(QStringLiteral("次を検索(&F)"), QDialogButtonBox::ActionRole);
    QPushButton* one = buttons->addButton(QStringLiteral("置換して次に(&R)"), QDialogButtonBox::ActionRole);
    QPushButton* all = buttons->addButton(QStringLiteral("すべて置換(&A)"), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(one, &QPushButton::clicked, this, &TFindReplaceDlg::ReplaceOne);
    connect(all, &QPushButton::clicked, this, [this] { ReplaceAll(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(m_matchCase);
    left->addWidget(m_result);
    left->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buttons);
}

void TFindReplaceDlg::Open()
{
    if (QPlainTextEdit* page = m_currentPage()) {
        const QString selected = page->textCursor().selectedText();
        if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) {
            m_find->setText(selected);
        }
    }
    m_result->clear();
    show();
    raise();
    activateWindow();
    m_find->setFocus(Qt::OtherFocusReason);
    m_find->selectAll();
}

bool TFindReplaceDlg::FindNext()
{
    QPlainTextEdit* page = m_currentPage();
    if (page == nullptr || m_find->text().isEmpty()) {
        Say(page == nullptr ? QStringLiteral("音のページを開いてください。") : QString());
        return false;
    }
    const QTextDocument::FindFlags flags =
        m_matchCase->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    QTextCursor found = page->document()->find(m_find->text(), page->textCursor(), flags);
    if (found.isNull()) {
        // Round the end, once.
        found = page->document()->find(m_find->text(), 0, flags);
    }
    if (found.isNull()) {
        Say(QStringLiteral("「%1」は見つかりません。").arg(m_find->text()));
        return false;
    }
    page->setTextCursor(found);
    page->ensureCursorVisible();
    m_result->clear();
    return true;
}

void TFindReplaceDlg::ReplaceOne()
{
    QPlainTextEdit* page = m_currentPage();
    if (page == nullptr || page->isReadOnly() || m_find->text().isEmpty()) {
        FindNext();
        return;
    }
    QTextCursor cursor = page->textCursor();
    const Qt::CaseSensitivity sensitivity = m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (cursor.hasSelection() && cursor.selectedText().compare(m_find->text(), sensitivity) == 0) {
        cursor.insertText(m_replace->text());
        page->setTextCursor(cursor);
    }
    FindNext();
}

int TFindReplaceDlg::ReplaceAll()
{
    QPlainTextEdit* page = m_currentPage();
    if (page == nullptr || page->isReadOnly() || m_find->text().isEmpty()) {
        return 0;
    }
    const QTextDocument::FindFlags flags =
        m_matchCase->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    int count = 0;
    QTextCursor edit(page->document());
    edit.beginEditBlock();
    QTextCursor found = page->document()->find(m_find->text(), 0, flags);
    while (!found.isNull()) {
        found.insertText(m_replace->text());
        ++count;
        found = page->document()->find(m_find->text(), found, flags);
    }
    edit.endEditBlock();
    Say(count == 0 ? QStringLiteral("「%1」は見つかりません。").arg(m_find->text())
                   : QStringLiteral("%1 か所を置換しました。").arg(count));
    return count;
}

void TFindReplaceDlg::Say(const QString& text)
{
    m_result->setText(text);
}

}  // namespace quaverly
