#include "TFileDrop.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <exception>

#include "platform/MessageBoxes.h"
#include "platform/SjisText.h"

namespace quaverly {

QStringList DroppedFileNames(const QMimeData& data)
{
    QStringList names;
    if (!data.hasUrls()) {
        return names;
    }
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
            // Whole: a path cut short would name another file (Linux paths
            // reach 4,096 bytes).
            names.append(url.toLocalFile());
        }
    }
    return names;
}

TFileDrop::TFileDrop(QWidget* owner, MessageBoxes& boxes) : QObject(owner), m_owner(owner), m_boxes(boxes)
{
    setObjectName(QStringLiteral("FileDrop1"));
    // Drag events go to the control under the cursor, so they are watched
    // on their way through the application and taken when they are on the
    // target window.
    qApp->installEventFilter(this);
    Attach();
}

TFileDrop::~TFileDrop()
{
    qApp->removeEventFilter(this);
    Detach();
}

QWidget* TFileDrop::Target() const
{
    return m_control ? m_control.data() : m_owner.data();
}

void TFileDrop::Attach()
{
    m_attached = Target();
    if (m_attached) {
        m_attached->setAcceptDrops(m_accept);
    }
}

void TFileDrop::Detach()
{
    if (m_attached) {
        m_attached->setAcceptDrops(false);
    }
    m_attached = nullptr;
}

void TFileDrop::SetAccept(bool accept)
{
    m_accept = accept;
    if (m_attached) {
        m_attached->setAcceptDrops(accept);
    }
}

void TFileDrop::SetControl(QWidget* control)
{
    if (m_control == control) {
        return;
    }
    Detach();
    if (m_control) {
        disconnect(m_control, &QObject::destroyed, this, nullptr);
    }
    m_control = control;
    if (m_control) {
        connect(m_control, &QObject::destroyed, this, [this] {
            m_accept = false;
            m_control = nullptr;
            m_attached = nullptr;
        });
    }
    Attach();
}

bool TFileDrop::IsOnTarget(QObject* receiver) const
{
    if (!m_attached || !receiver->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(receiver);
    return widget == m_attached || m_attached->isAncestorOf(widget);
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event)
{
    QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    if (!IsOnTarget(watched) || drop->mimeData() == nullptr || DroppedFileNames(*drop->mimeData()).isEmpty()) {
        return false;
    }
    if (!m_accept) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        DeliverDrop(static_cast<QWidget*>(watched), drop);
    }
    return true;
}

void TFileDrop::DeliverDrop(QWidget* receiver, QDropEvent* event)
{
    if (!OnFileDrop) {
        return;
    }
    QStringList names = DroppedFileNames(*event->mimeData());
    QPoint point = receiver->mapTo(m_attached, event->position().toPoint());
    try {
        OnFileDrop(static_cast<int>(names.size()), point, names);
    } catch (const std::exception& error) {
        // The drop is finished all the same; the error goes to the standard
        // error display. Core errors carry Shift-JIS text.
        m_boxes.Error(FromSjis(error.what()));
    }
}

}  // namespace quaverly
