#include "TSetupDlg.h"

#include <QKeyEvent>

#include "UnitMidi/MidiWriter.h"
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
    m_tempoEffect = new QLabel(this);
    m_tempoEffect->setObjectName(QStringLiteral("LabelTempoEffect"));
    m_tempoEffect->setWordWrap(false);
    ui->pageLayout->insertWidget(1, m_tempoEffect);
    ui->EditTempo->setToolTip(QStringLiteral(
        "MIDIファイルと再生の速さの調整（％）。100 で楽譜どおり、95 で約5％速く、大きいほど遅くなります。"
        "1 以上の整数はそのまま使い、それ以外（文字、0 以下）は 100 として扱います。"));
    connect(ui->EditTempo, &QLineEdit::textChanged, this, &TSetupDlg::ShowTempoEffect);
    connect(ui->OKBtn, &QPushButton::clicked, this, &TSetupDlg::OKBtnClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TSetupDlg::CancelBtnClick);
    FormCreate();
    ShowTempoEffect();
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

void TSetupDlg::ShowTempoEffect()
{
    const QString text = ui->EditTempo->text();
    const std::optional<int32_t> adjustment = TypedTempoAdjustment(ToSjis(text));
    // Lines broken between phrases, never inside a word: the label does not
    // wrap, and a long typed text is shortened.
    const QString shown = text.size() > 8 ? text.left(7) + QStringLiteral("…") : text;
    m_tempoEffect->setText(
        adjustment ? QStringLiteral("%1 ％ で書き込みます\n（100 で楽譜どおりの速さ）。").arg(*adjustment)
                   : QStringLiteral("「%1」は 1 以上の整数ではないため、\n100 ％ として扱います。").arg(shown));
}

void TSetupDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // What the user came to change: typing replaces it, Enter confirms it.
    ui->EditTempo->setFocus(Qt::OtherFocusReason);
    ui->EditTempo->selectAll();
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
