#include "PlayFollow.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <optional>

#include "DiagnosticsView.h"
#include "UnitPlay/MidiPlayer.h"
#include "UnitRoll/TPianoRoll.h"
#include "VoicePages.h"
#include "document/DocumentController.h"

namespace quaverly {

namespace {

// The playhead and the pages' playing marks follow the play some thirty times a second.
constexpr int FollowIntervalMs = 33;

QColor PlayingColor()
{
    return QColor(255, 226, 120);
}

}  // namespace

PlayFollow::PlayFollow(MidiPlayer& player, TPianoRoll& roll, const VoicePages& pages,
                       const DiagnosticsView& diagnostics, const DocumentController& document, QObject* parent)
    : QObject(parent),
      m_player(player),
      m_roll(roll),
      m_pages(pages),
      m_diagnostics(diagnostics),
      m_document(document),
      m_timer(new QTimer(this))
{
    m_timer->setInterval(FollowIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &PlayFollow::Step);
    connect(&m_diagnostics, &DiagnosticsView::UnderlinesChanged, this,
            [this](int voice) { ApplyPageHighlights(voice + 1); });
}

void PlayFollow::Start()
{
    m_offset = 0;
    m_playingSpans.fill(SourceSpan{});
    m_timer->start();
    Step();
}

void PlayFollow::End()
{
    m_timer->stop();
    m_roll.SetPlayhead(-1);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        m_playingSpans[static_cast<size_t>(voice - 1)] = {};
        if (!m_playHighlights[static_cast<size_t>(voice - 1)].isEmpty()) {
            m_playHighlights[static_cast<size_t>(voice - 1)].clear();
            ApplyPageHighlights(voice);
        }
    }
}

void PlayFollow::Step()
{
    const int playerTime = m_player.CurrentTime();
    if (playerTime < 0) {
        return;  // between plays, or the play has ended and its notice is on the way
    }
    const int time = playerTime + m_offset;
    m_roll.SetPlayhead(time);
    if (m_document.Foreign() != nullptr) {
        return;  // its notes have no characters in the pages to mark
    }
    const RollModel& model = m_roll.Model();
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        SourceSpan span;
        // A voice muted for this play (switched off, or not the solo voice) marks nothing.
        const bool sounds = m_soundingVoices[static_cast<size_t>(voice - 1)];
        if (std::optional<size_t> note = sounds ? model.NoteAt(voice - 1, time) : std::nullopt) {
            span = model.Notes(voice - 1)[*note].source;
        }
        // Marks go in the page that holds the note's characters.
        const int page = span.IsSet() && span.page < VoiceCount ? span.page + 1 : voice;
        SourceSpan& shown = m_playingSpans[static_cast<size_t>(voice - 1)];
        if (span == shown) {
            continue;
        }
        shown = span;
        QList<QTextEdit::ExtraSelection>& marks = m_playHighlights[static_cast<size_t>(page - 1)];
        marks.clear();
        if (span.IsSet()) {
            QTextEdit::ExtraSelection mark;
            mark.format.setBackground(PlayingColor());
            mark.cursor = QTextCursor(m_pages.Memo(page)->document());
            mark.cursor.setPosition(m_pages.PositionOfByte(page, span.offset));
            mark.cursor.setPosition(m_pages.PositionOfByte(page, span.offset + span.length), QTextCursor::KeepAnchor);
            marks.append(mark);
        }
        ApplyPageHighlights(page);
    }
}

void PlayFollow::ApplyPageHighlights(int voice)
{
    // The diagnostics' underlines first, the playing note's mark over them.
    QList<QTextEdit::ExtraSelection> marks = m_diagnostics.Underlines(voice - 1);
    marks += m_playHighlights[static_cast<size_t>(voice - 1)];
    m_pages.Memo(voice)->setExtraSelections(marks);
}

}  // namespace quaverly
