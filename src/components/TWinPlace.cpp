#include "TWinPlace.h"

#include <QByteArray>
#include <QDataStream>
#include <QEvent>
#include <QRect>
#include <QWidget>

#include "base/Errors.h"
#include "platform/SettingsStore.h"

namespace quaverly {

namespace {

// "TFormMain" names the component "FormMain": a form class carries a "T"
// before its component name.
QString ComponentName(const QString& name)
{
    if (name.size() > 1 && name.front() == QLatin1Char('T') && name.at(1).isUpper()) {
        return name.mid(1);
    }
    return name;
}

QString OwnerComponentName(const QWidget& owner)
{
    if (!owner.objectName().isEmpty()) {
        return ComponentName(owner.objectName());
    }
    QString className = QString::fromLatin1(owner.metaObject()->className());
    return ComponentName(className.mid(className.lastIndexOf(QLatin1Char(':')) + 1));
}

// Whether the bytes are a whole placement record as QWidget::saveGeometry
// writes it: magic number, version, frame and normal rectangles, screen,
// maximised and full-screen flags, then (version 2 on) the screen width and
// (version 3 on) the geometry. restoreGeometry checks only the magic number
// and the version and applies whatever the rest reads as, so a damaged or
// cut-off value would shrink the window to a pixel in the screen's corner.
bool IsWholePlacement(const QByteArray& bytes)
{
    constexpr quint32 Magic = 0x1D9D0CB;
    constexpr quint16 NewestMajorVersion = 3;
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 magic = 0;
    quint16 major = 0;
    quint16 minor = 0;
    QRect frame;
    QRect normal;
    qint32 screen = 0;
    quint8 maximized = 0;
    quint8 fullScreen = 0;
    stream >> magic >> major >> minor >> frame >> normal >> screen >> maximized >> fullScreen;
    if (major > 1) {
        qint32 screenWidth = 0;
        stream >> screenWidth;
    }
    if (major > 2) {
        QRect geometry;
        stream >> geometry;
    }
    return stream.status() == QDataStream::Ok && magic == Magic && major <= NewestMajorVersion && normal.isValid() &&
           frame.isValid();
}

}  // namespace

TWinPlace::TWinPlace(QWidget* owner, SettingsStore& store, const QString& name)
    : QObject(owner), m_owner(owner), m_store(store)
{
    setObjectName(name);
    if (m_owner) {
        m_owner->installEventFilter(this);
    }
}

TWinPlace::~TWinPlace()
{
    SavePlacement();
}

QString TWinPlace::ValueName() const
{
    return m_owner ? OwnerComponentName(*m_owner) + objectName() : objectName();
}

void TWinPlace::RestorePlacement()
{
    if (!m_owner || !m_store.Contains(ValueName())) {
        return;
    }
    // restoreGeometry leaves a hidden form hidden and moves a window that
    // would be off every screen back onto one.
    QByteArray placement = m_store.Value(ValueName()).toByteArray();
    if (IsWholePlacement(placement)) {
        m_owner->restoreGeometry(placement);
    }
}

void TWinPlace::SavePlacement()
{
    if (!m_owner) {
        return;
    }
    // A placement that cannot be saved is not worth a message: the window
    // opens where it last could be saved, and the store keeps its old file.
    try {
        m_store.SetValue(ValueName(), m_owner->saveGeometry());
    } catch (const QuaverlyError&) {
    }
}

bool TWinPlace::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && event->type() == QEvent::Close) {
        SavePlacement();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quaverly
