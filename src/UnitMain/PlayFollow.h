// PlayFollow: the playing note followed in the roll and the pages. While a
// play runs, a timer on the user-interface thread asks the player for its
// current time about 30 times a second (the player reads the synthesizer's
// position; nothing is called back from the audio) and moves the roll's
// playhead and the marks of the playing notes in the pages. The marks are
// laid over the diagnostics' underlines of the same page.
#pragma once

#include <QList>
#include <QObject>
#include <QTextEdit>
#include <array>

#include "UnitMld/MldLayout.h"
#include "UnitMld/SequenceList.h"

class QTimer;

namespace quaverly {

class DiagnosticsView;
class DocumentController;
class MidiPlayer;
class TPianoRoll;
class VoicePages;

class PlayFollow : public QObject {
    Q_OBJECT

public:
    PlayFollow(MidiPlayer& player, TPianoRoll& roll, const VoicePages& pages, const DiagnosticsView& diagnostics,
               const DocumentController& document, QObject* parent);

    // A play begins: from the melody's start of the roll's time, no note marked yet.
    void Start();
    // The player's time 0 is this time of the roll (a loop section's start).
    void SetOffset(int rollTime) { m_offset = rollTime; }
    // The voices the running play sounds (its voice switches, or the solo voice).
    void SetSoundingVoices(const std::array<bool, VoiceCount>& voices) { m_soundingVoices = voices; }
    // The play has ended: no playhead, no marks.
    void End();
    // One step: the playhead and the note sounding in each page, from the player's current time.
    void Step();

    // The page's marks, the diagnostics' underlines first, into its control.
    void ApplyPageHighlights(int voice);
    // The background marks of the playing note in a page.
    const QList<QTextEdit::ExtraSelection>& PlayHighlights(int voice) const
    {
        return m_playHighlights[static_cast<size_t>(voice - 1)];
    }

private:
    MidiPlayer& m_player;
    TPianoRoll& m_roll;
    const VoicePages& m_pages;
    const DiagnosticsView& m_diagnostics;
    const DocumentController& m_document;
    QTimer* m_timer = nullptr;
    int m_offset = 0;  // the roll time of the player's time 0
    std::array<QList<QTextEdit::ExtraSelection>, VoiceCount> m_playHighlights;
    std::array<SourceSpan, VoiceCount> m_playingSpans{};
    std::array<bool, VoiceCount> m_soundingVoices{true, true, true, true};
};

}  // namespace quaverly
