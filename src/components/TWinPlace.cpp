#include "TWinPlace.h"

#include <QByteArray>
#include <QEvent>
#include <QWidget>

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
    // restoreGeometry leaves a hidden form hidden, refuses bytes it cannot
    // read and moves a window that would be off every screen back onto one.
    m_owner->restoreGeometry(m_store.Value(ValueName()).toByteArray());
}

void TWinPlace::SavePlacement()
{
    if (!m_owner) {
        return;
    }
    m_store.SetValue(ValueName(), m_owner->saveGeometry());
}

bool TWinPlace::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && event->type() == QEvent::Close) {
        SavePlacement();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quaverly
