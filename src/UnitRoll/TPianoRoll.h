// The piano roll: the four voices' notes over time, read-only (or every
// channel of a melody of another maker shown as it is). A legend row
// names each voice's tone and holds its solo toggle; below it the notes with
// a keyboard strip on the left, grid lines on beats and bars, the gate of a
// note solid and the rest of its duration faint. Ctrl+wheel and Ctrl++/Ctrl+-
// zoom the time axis; only what is visible is painted.
//
// It knows nothing of the window: it is given events, a cursor place and a
// playhead, and tells which note was clicked and which voice is solo.
#pragma once

#include <QWidget>
#include <array>

#include "UnitRoll/RollModel.h"

class QToolButton;

namespace quaverly {

class RollCanvas;

// A row's name on the roll's keyboard strip, in the notation's note names for
// own melodies and other makers' alike (「ド」, 「ド▲」, 「ラ▼▼」).
QString RollRowName(const RollModel& model, int note);

class TPianoRoll : public QWidget {
    Q_OBJECT

public:
    explicit TPianoRoll(QWidget* parent = nullptr);

    // What the pages compile to, or a loaded melody; tones are the voices'
    // 1-based programs, shown in the legend.
    void SetEvents(const SequenceList& list, const std::array<int, VoiceCount>& tones);
    // A melody of another maker as it is: every channel a lane in its own
    // colour, over the keys it uses; the legend names the channels.
    void SetForeignMelody(const MfiMelody& melody);
    // The same with the notes laid out before (RollModel::SetEvents), on
    // another thread: a long melody's layout takes some milliseconds.
    void SetModel(RollModel model, const std::array<int, VoiceCount>& tones);
    const RollModel& Model() const { return m_model; }

    // Marks the note whose characters hold a byte of a page (none: no mark)
    // and scrolls it into view, across and up or down.
    void SetCursorPlace(int page, int byteOffset);
    RollNoteRef CursorNote() const { return m_cursorNote; }

    // The playing time in ticks, -1 when nothing plays; the view scrolls along.
    void SetPlayhead(int tick);
    int Playhead() const { return m_playhead; }

    // The voice 0..3 that plays alone, -1 for none.
    void SetSolo(int voice);
    int Solo() const { return m_solo; }

    // Scrolls a pitch to the middle of the view's height.
    void ScrollToPitch(int note);

    void ZoomIn();
    void ZoomOut();
    // Back to the time axis's first scale.
    void ZoomReset();
    void SetPixelsPerTick(double pixelsPerTick);
    double PixelsPerTick() const { return Geometry().pixelsPerTick; }
    // The mapping the canvas paints with now.
    RollGeometry Geometry() const;
    // The painted area (tests click on it and paint it).
    QWidget* Canvas() const;

    // The height the roll asks for when its window is laid out.
    void SetPreferredHeight(int height) { m_preferredHeight = height; updateGeometry(); }
    QSize sizeHint() const override { return {600, m_preferredHeight}; }

    static QColor VoiceColor(int voice);
    // Sixteen colours apart from each other, the four voices' first.
    static QColor LaneColor(int lane);
    static constexpr int KeyboardWidth = 64;

signals:
    void NoteClicked(quaverly::SourceSpan source);
    void SoloChanged(int voice);

private:
    friend class RollCanvas;
    void UpdateLegend();
    void EnsureTickVisible(int tick, bool leadRoom);
    void EnsurePitchVisible(int note);
    // Where a pitch's row starts below the top of the rows.
    double RowTop(int note) const;

    RollModel m_model;
    RollGeometry m_geometry;
    std::array<int, VoiceCount> m_tones{1, 1, 1, 1};
    // A button each voice (its solo switch), or each channel of a melody of another maker.
    std::array<QToolButton*, MfiLaneCount> m_legend{};
    RollCanvas* m_canvas = nullptr;
    RollNoteRef m_cursorNote;
    int m_playhead = -1;
    int m_solo = -1;
    bool m_pitchPlaced = false;
    int m_preferredHeight = 220;
    int m_middlePitch = RollNoteCount / 2;
};

}  // namespace quaverly
