#include "TSetupDlg.h"

#include <QKeyEvent>

#include "base/Errors.h"
#include "platform/FormLook.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/SjisText.h"
#include "ui_TSetupDlg.h"

namespace quaverly {

TSetupDlg::TSetupDlg(SettingsStore& store, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TSetupDlg>()), m_store(store), m_boxes(boxes)
{
    ui->setupUi(this);
    ApplyWindowFont(this);
    // About five digits wide, whatever the font.
    ui->EditTempo->setFixedWidth(ui->EditTempo->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 8);
    connect(ui->OKBtn, &QPushButton::clicked, this, &TSetupDlg::OKBtnClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TSetupDlg::CancelBtnClick);
    FormCreate();
}

TSetupDlg::~TSetupDlg() = default;

QString TSetupDlg::EditTempoText() const
{
    return ui->EditTempo->text();
}

void TSetupDlg::LoadSettings()
{
    ui->EditTempo->setText(m_store.Value(QLatin1String(EditTempoKey), QLatin1String(EditTempoDefault)).toString());
}

bool TSetupDlg::SaveSettings()
{
    try {
        m_store.SetValue(QLatin1String(EditTempoKey), ui->EditTempo->text());
        return true;
    } catch (const QuaverlyError& error) {
        m_boxes.Error(FromSjis(error.what()));
        return false;
    }
}

void TSetupDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelBtnClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TSetupDlg::FormCreate()
{
    LoadSettings();
}

void TSetupDlg::OKBtnClick()
{
    // An unsaved setting still holds for this run: the field keeps the text
    // and the dialog closes as after any OK, once the user has been told.
    SaveSettings();
    accept();
}

void TSetupDlg::CancelBtnClick()
{
    LoadSettings();
    reject();
}

}  // namespace quaverly
