// TFileDrop lets the user drop files from the desktop onto a form and hands
// the dropped names to the form's handler in one call. Drops anywhere on the
// target window count, also over its child controls (a text edit would
// otherwise take a dropped file as text); other drags pass through.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <functional>

class QDropEvent;
class QMimeData;
class QWidget;

namespace quaverly {

class MessageBoxes;

class TFileDrop : public QObject {
    Q_OBJECT

public:
    // Count of names, drop point in the target's client coordinates, and the
    // full paths in the order the drag carries them.
    using FileDropHandler = std::function<void(int count, QPoint point, const QStringList& names)>;

    // Attaches to the owner form; errors from the handler go to the boxes.
    TFileDrop(QWidget* owner, MessageBoxes& boxes);
    ~TFileDrop() override;

    // Whether the target accepts dropped files (true at first).
    bool Accept() const { return m_accept; }
    void SetAccept(bool accept);

    // The window that receives drops; none means the owner form. When it is
    // destroyed, Control becomes none and Accept false.
    QWidget* Control() const { return m_control; }
    void SetControl(QWidget* control);

    FileDropHandler OnFileDrop;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Target() const;
    void Attach();
    void Detach();
    bool IsOnTarget(QObject* receiver) const;
    void DeliverDrop(QWidget* receiver, QDropEvent* event);

    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_control;
    QPointer<QWidget> m_attached;
    MessageBoxes& m_boxes;
    bool m_accept = true;
};

// The local file paths a drag carries, each whole.
QStringList DroppedFileNames(const QMimeData& data);

}  // namespace quaverly
