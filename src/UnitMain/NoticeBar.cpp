#include "NoticeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace quaverly {

NoticeBar::NoticeBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("NoticeBar"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("#NoticeBar { background: #fff4c8; }"));
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("LabelNotice"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("NoticeClose"));
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("このお知らせを閉じる"));
    close->setAutoRaise(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 3, 3);
    layout->addWidget(m_text, 1);
    layout->addWidget(close, 0, Qt::AlignTop);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void NoticeBar::Show(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setText(shown.trimmed());
    show();
}

QString NoticeBar::Text() const
{
    return isHidden() ? QString() : m_text->text();
}

}  // namespace quaverly
