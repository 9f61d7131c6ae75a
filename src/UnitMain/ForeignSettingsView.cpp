// The greyed boxes above and on the pages while a melody of another maker is
// shown: the file's own first tempo, and for each of the first four channels
// that play notes its program and volume, so that what is greyed is what
// the file holds rather than a new document's defaults.
#include <QComboBox>
#include <QLineEdit>

#include "TFormMain.h"
#include "UnitMld/NotationTables.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

namespace {

// Quarter notes a minute before a file's first tempo event.
constexpr int DefaultMfiTempo = 120;
// A channel's volume before its first volume event, as General MIDI has it.
constexpr int DefaultChannelVolume = 100;

int FirstControl(const MfiMelody& melody, int lane, MfiControlKind kind, int fallback)
{
    for (const MfiControl& control : melody.controls) {
        if (control.lane == lane && control.kind == kind) {
            return control.value;
        }
    }
    return fallback;
}

}  // namespace

void TFormMain::ShowForeignSettings()
{
    const MfiMelody& melody = *m_document.Foreign();
    m_ui->ComboBoxTempo->setEditText(
        QString::number(melody.tempos.empty() ? DefaultMfiTempo : static_cast<int>(melody.tempos.front().tempo)));
    const std::array<int, MfiLaneCount> notes = melody.NotesPerLane();
    int voice = 1;
    for (int lane = 0; lane < MfiLaneCount && voice <= VoiceCount; ++lane) {
        if (notes[static_cast<size_t>(lane)] == 0) {
            continue;
        }
        const int program = FirstControl(melody, lane, MfiControlKind::Program, 0) + 1;
        m_pages->Tone(voice)->setEditText(QString::number(program) + QStringLiteral(" - ") + FromSjis(ToneName(program)));
        m_pages->Tone(voice)->setToolTip(QStringLiteral("チャンネル %1 の音色").arg(lane + 1));
        m_pages->Volume(voice)->setText(
            QString::number(FirstControl(melody, lane, MfiControlKind::Volume, DefaultChannelVolume)));
        m_pages->Volume(voice)->setToolTip(QStringLiteral("チャンネル %1 の音量（0～127）").arg(lane + 1));
        ++voice;
    }
    for (; voice <= VoiceCount; ++voice) {
        m_pages->Tone(voice)->setEditText(QString());
        m_pages->Volume(voice)->setText(QString());
    }
}

}  // namespace quaverly
