// TWinPlace keeps a form's position, size and maximised state in the
// settings store between runs. The value is named after the owner form's
// component name followed by this component's own name: for the main window
// "FormMain" and "WinPlace1", giving "FormMainWinPlace1".
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace quaverly {

class SettingsStore;

class TWinPlace : public QObject {
    Q_OBJECT

public:
    // Watches the owner form for its closing; the owner must outlive nothing
    // here, but the store must outlive the component.
    TWinPlace(QWidget* owner, SettingsStore& store, const QString& name = QStringLiteral("WinPlace1"));
    // Saves the placement one last time while the owner still exists.
    ~TWinPlace() override;

    // The store's value name: the owner's component name (its object name,
    // or its class name, without the "T" of the class) and the component's.
    QString ValueName() const;

    // Applies the stored placement, if there is one, without showing the
    // form: call it before the form is first shown. A missing or unreadable
    // value leaves the form at its designed place.
    void RestorePlacement();
    // Stores the form's placement. Store failures are not reported.
    void SavePlacement();

protected:
    // The placement is saved when the owner is asked to close.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_owner;
    SettingsStore& m_store;
};

}  // namespace quaverly
