#include "TPianoRoll.h"

#include <QAbstractScrollArea>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "UnitMld/NotationTables.h"
#include "platform/SjisText.h"

namespace quaverly {

namespace {

constexpr double MinPixelsPerTick = 0.01;
constexpr double MaxPixelsPerTick = 16.0;
constexpr double ZoomStep = 1.25;
// The time axis as it first shows: a whole note in 96 pixels.
constexpr double DefaultPixelsPerTick = 0.5;
constexpr double RowHeight = 9;
// Past the last note, so that the end is not glued to the window's edge.
constexpr int EndMargin = RollBarTicks;

// Of a MIDI key: C# D# F# G# A# are the black keys (an own note n sounds as key n + 45).
bool IsBlackKey(int midiKey)
{
    const int step = midiKey % 12;
    return step == 1 || step == 3 || step == 6 || step == 8 || step == 10;
}



// The row that names its octave when not every row is named: do (own note
// 3, key 48) and C.
bool NamesOctave(int midiKey)
{
    return midiKey % 12 == 0;
}

}  // namespace

// A row's name on the keyboard strip, in the notation's names for every
// file: an own note's name, and for a MIDI key of another maker's melody the
// same name with as many octave marks as it lies octaves from the unmarked
// octave, also beyond the 64 notes an own melody can hold.
QString RollRowName(const RollModel& model, int note)
{
    if (!model.IsForeign()) {
        return FromSjis(NoteName(note));
    }
    // Own note n sounds as key n + 45; notes 27..38 carry no octave mark.
    constexpr int KeyOffset = 45;
    constexpr int UnmarkedFirst = 27;
    constexpr int UnmarkedKey = UnmarkedFirst + KeyOffset;  // the unmarked do, key 72
    const int step = ((note - UnmarkedKey) % 12 + 12) % 12;
    const QString base = FromSjis(NoteName(UnmarkedFirst + step));
    const int octave = (note - step - UnmarkedKey) / 12;
    const QString up = FromSjis(NoteName(UnmarkedFirst + 12)).mid(FromSjis(NoteName(UnmarkedFirst)).size());
    const QString down = FromSjis(NoteName(UnmarkedFirst - 12)).mid(FromSjis(NoteName(UnmarkedFirst)).size());
    return base + (octave >= 0 ? up : down).repeated(std::abs(octave));
}

class RollCanvas : public QAbstractScrollArea {
public:
    explicit RollCanvas(TPianoRoll* roll) : QAbstractScrollArea(roll), m_roll(roll)
    {
        setFocusPolicy(Qt::StrongFocus);
        viewport()->setAutoFillBackground(false);
        connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
        connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    }

    RollGeometry Geometry() const
    {
        RollGeometry geometry = m_roll->m_geometry;
        geometry.lowestNote = m_roll->m_model.LowestNote();
        geometry.noteCount = m_roll->m_model.NoteCount();
        geometry.left = TPianoRoll::KeyboardWidth;
        geometry.firstTick = horizontalScrollBar()->value() / geometry.pixelsPerTick;
        geometry.top = -verticalScrollBar()->value();
        return geometry;
    }

    void UpdateRanges()
    {
        const RollGeometry& geometry = m_roll->m_geometry;
        const double width = (m_roll->m_model.EndTime() + EndMargin) * geometry.pixelsPerTick;
        const int page = std::max(1, viewport()->width() - TPianoRoll::KeyboardWidth);
        horizontalScrollBar()->setPageStep(page);
        horizontalScrollBar()->setSingleStep(std::max(1, static_cast<int>(RollBeatTicks * geometry.pixelsPerTick)));
        horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(width)) - page));
        const int height = static_cast<int>(m_roll->m_model.NoteCount() * geometry.rowHeight);
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setSingleStep(static_cast<int>(geometry.rowHeight));
        verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
        viewport()->update();
    }

    // Keeps the tick at the same place on screen while the scale changes.
    void Rescale(double pixelsPerTick, double anchorX)
    {
        const RollGeometry before = Geometry();
        const double anchorTick = before.TickOfX(anchorX);
        m_roll->m_geometry.pixelsPerTick = std::clamp(pixelsPerTick, MinPixelsPerTick, MaxPixelsPerTick);
        UpdateRanges();
        const double x = anchorTick * m_roll->m_geometry.pixelsPerTick - (anchorX - TPianoRoll::KeyboardWidth);
        horizontalScrollBar()->setValue(static_cast<int>(std::lround(x)));
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QAbstractScrollArea::resizeEvent(event);
        UpdateRanges();
        // The middle of the melody's pitches stays in view as the roll is resized.
        m_roll->ScrollToPitch(m_roll->m_middlePitch);
    }

    void wheelEvent(QWheelEvent* event) override
    {
        if (event->modifiers() & Qt::ControlModifier) {
            const double steps = event->angleDelta().y() / 120.0;
            Rescale(m_roll->m_geometry.pixelsPerTick * std::pow(ZoomStep, steps), event->position().x());
            event->accept();
            return;
        }
        QAbstractScrollArea::wheelEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->modifiers() & Qt::ControlModifier) {
            if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal) {
                m_roll->ZoomIn();
                return;
            }
            if (event->key() == Qt::Key_Minus) {
                m_roll->ZoomOut();
                return;
            }
        }
        QAbstractScrollArea::keyPressEvent(event);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        const QPointF point = event->position();
        if (event->button() != Qt::LeftButton || point.x() < TPianoRoll::KeyboardWidth) {
            return;
        }
        const RollNoteRef hit = m_roll->m_model.HitTest(point.x(), point.y(), Geometry());
        if (hit.IsSet()) {
            emit m_roll->NoteClicked(m_roll->m_model.Note(hit).source);
        }
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(viewport());
        const RollGeometry geometry = Geometry();
        const int width = viewport()->width();
        const int height = viewport()->height();
        painter.fillRect(0, 0, width, height, QColor(250, 250, 250));
        PaintRows(painter, geometry, width);
        PaintLoop(painter, geometry, height);
        PaintGrid(painter, geometry, width, height);
        PaintNotes(painter, geometry, width, height);
        PaintKeyboard(painter, geometry, height);
    }

private:
    // The loop section of a melody of another maker: a tinted band between two lines.
    void PaintLoop(QPainter& painter, const RollGeometry& geometry, int height)
    {
        const std::optional<std::pair<int, int>> loop = m_roll->m_model.Loop();
        if (!loop) {
            return;
        }
        const double left = std::max<double>(TPianoRoll::KeyboardWidth, geometry.XOfTick(loop->first));
        const double right = geometry.XOfTick(loop->second);
        if (right > left) {
            painter.fillRect(QRectF(left, 0, right - left, height), QColor(255, 240, 200, 120));
        }
        painter.setPen(QColor(220, 140, 0));
        for (const double x : {geometry.XOfTick(loop->first), right}) {
            if (x >= TPianoRoll::KeyboardWidth) {
                painter.drawLine(QPointF(x, 0), QPointF(x, height));
            }
        }
    }

    void PaintRows(QPainter& painter, const RollGeometry& geometry, int width)
    {
        const RollModel& model = m_roll->m_model;
        for (int note = geometry.lowestNote; note < geometry.lowestNote + geometry.noteCount; ++note) {
            if (IsBlackKey(model.MidiKeyOf(note))) {
                painter.fillRect(QRectF(TPianoRoll::KeyboardWidth, geometry.YOfNote(note), width, geometry.rowHeight),
                                 QColor(236, 236, 240));
            }
        }
    }

    void PaintGrid(QPainter& painter, const RollGeometry& geometry, int width, int height)
    {
        const double firstTick = geometry.TickOfX(TPianoRoll::KeyboardWidth);
        const double lastTick = geometry.TickOfX(width);
        // Beat lines only where they stand apart; bars where they do.
        const double beatPixels = RollBeatTicks * geometry.pixelsPerTick;
        const int step = beatPixels >= 6 ? RollBeatTicks : RollBarTicks * std::max(1, static_cast<int>(std::ceil(8 / (beatPixels * 4))));
        const QColor beatColor(224, 224, 224);
        const QColor barColor(180, 180, 190);
        for (int tick = static_cast<int>(std::floor(firstTick / step)) * step; tick <= lastTick; tick += step) {
            if (tick < 0) {
                continue;
            }
            painter.setPen(tick % RollBarTicks == 0 ? barColor : beatColor);
            const double x = geometry.XOfTick(tick);
            painter.drawLine(QPointF(x, 0), QPointF(x, height));
        }
    }

    void PaintNotes(QPainter& painter, const RollGeometry& geometry, int width, int height)
    {
        const RollModel& model = m_roll->m_model;
        const double fromTick = geometry.TickOfX(TPianoRoll::KeyboardWidth);
        const double toTick = geometry.TickOfX(width);
        painter.setClipRect(TPianoRoll::KeyboardWidth, 0, width - TPianoRoll::KeyboardWidth, height);
        for (int voice = model.LaneCount() - 1; voice >= 0; --voice) {
            QColor solid = model.IsForeign() ? TPianoRoll::LaneColor(voice) : TPianoRoll::VoiceColor(voice);
            if (m_roll->m_solo >= 0 && m_roll->m_solo != voice) {
                solid.setAlpha(60);
            }
            QColor faint = solid;
            faint.setAlpha(solid.alpha() / 4);
            const auto [first, last] = model.VisibleRange(voice, fromTick, toTick);
            if (last - first > static_cast<size_t>(width) / 2) {
                PaintDense(painter, geometry, voice, first, last, width, height, faint, solid);
                continue;
            }
            // At a scale where many notes share a pixel column, one rectangle stands for them.
            m_lastColumn.assign(static_cast<size_t>(geometry.noteCount), -1);
            const auto& notes = model.Notes(voice);
            for (size_t i = first; i < last; ++i) {
                const RollNote& note = notes[i];
                const RollRect whole = RollModel::DurationRect(note, geometry);
                if (whole.y + whole.height < 0 || whole.y > height) {
                    continue;
                }
                const int column = static_cast<int>(whole.x);
                const auto row = static_cast<size_t>(note.note - geometry.lowestNote);
                if (whole.width < 1 && column == m_lastColumn[row]) {
                    continue;
                }
                m_lastColumn[row] = column;
                const RollRect gate = RollModel::GateRect(note, geometry);
                painter.fillRect(QRectF(whole.x, whole.y + 1, std::max(1.0, whole.width), whole.height - 1), faint);
                painter.fillRect(QRectF(gate.x, gate.y + 1, std::max(1.0, gate.width), gate.height - 1), solid);
            }
        }
        if (m_roll->m_cursorNote.IsSet()) {
            const RollNote& outlined = m_roll->m_model.Note(m_roll->m_cursorNote);
            const RollRect mark = RollModel::DurationRect(outlined, geometry);
            // Drawn again over the other voices: another voice's note at the
            // same pitch and time would hide it.
            const int lane = m_roll->m_cursorNote.voice;
            const QColor solid = model.IsForeign() ? TPianoRoll::LaneColor(lane) : TPianoRoll::VoiceColor(lane);
            QColor faint = solid;
            faint.setAlpha(solid.alpha() / 4);
            const RollRect gate = RollModel::GateRect(outlined, geometry);
            painter.fillRect(QRectF(mark.x, mark.y + 1, std::max(1.0, mark.width), mark.height - 1), Qt::white);
            painter.fillRect(QRectF(mark.x, mark.y + 1, std::max(1.0, mark.width), mark.height - 1), faint);
            painter.fillRect(QRectF(gate.x, gate.y + 1, std::max(1.0, gate.width), gate.height - 1), solid);
            painter.setPen(QPen(Qt::black, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(mark.x, mark.y, std::max(2.0, mark.width), mark.height));
        }
        if (m_roll->m_playhead >= 0) {
            const double x = geometry.XOfTick(m_roll->m_playhead);
            painter.setPen(QPen(QColor(220, 30, 30), 2));
            painter.drawLine(QPointF(x, 0), QPointF(x, height));
        }
        painter.setClipping(false);
    }

    // More notes than pixel columns: each row's columns are marked covered
    // (faint) or sounding (solid), then drawn as runs, so the cost follows the
    // view's size rather than the number of notes.
    void PaintDense(QPainter& painter, const RollGeometry& geometry, int voice, size_t first, size_t last, int width,
                    int height, const QColor& faint, const QColor& solid)
    {
        const auto& notes = m_roll->m_model.Notes(voice);
        const int columns = std::max(1, width);
        m_cover.assign(static_cast<size_t>(columns) * static_cast<size_t>(geometry.noteCount), 0);
        auto column = [&](double tick) { return std::clamp(static_cast<int>(geometry.XOfTick(tick)), 0, columns); };
        for (size_t i = first; i < last; ++i) {
            const RollNote& note = notes[i];
            const int x0 = column(note.time);
            const int xGate = std::max(column(note.time + note.gate), std::min(x0 + 1, columns));
            const int x1 = std::max(column(note.time + note.duration), xGate);
            uint8_t* row =
                m_cover.data() + static_cast<size_t>(note.note - geometry.lowestNote) * static_cast<size_t>(columns);
            for (int x = x0; x < x1; ++x) {
                row[x] = std::max<uint8_t>(row[x], x < xGate ? 2 : 1);
            }
        }
        for (int note = geometry.lowestNote; note < geometry.lowestNote + geometry.noteCount; ++note) {
            const double y = geometry.YOfNote(note);
            if (y + geometry.rowHeight < 0 || y > height) {
                continue;
            }
            const uint8_t* row =
                m_cover.data() + static_cast<size_t>(note - geometry.lowestNote) * static_cast<size_t>(columns);
            for (int x = 0; x < columns;) {
                const uint8_t kind = row[x];
                int end = x + 1;
                while (end < columns && row[end] == kind) {
                    ++end;
                }
                if (kind != 0) {
                    painter.fillRect(QRectF(x, y + 1, end - x, geometry.rowHeight - 1), kind == 2 ? solid : faint);
                }
                x = end;
            }
        }
    }

    void PaintKeyboard(QPainter& painter, const RollGeometry& geometry, int height)
    {
        const int keyboard = TPianoRoll::KeyboardWidth;
        painter.fillRect(0, 0, keyboard, height, Qt::white);
        const bool allNames = geometry.rowHeight >= painter.fontMetrics().height() - 2;
        QFont small = painter.font();
        small.setPixelSize(std::max(7, static_cast<int>(geometry.rowHeight)));
        painter.setFont(small);
        const RollModel& model = m_roll->m_model;
        for (int note = geometry.lowestNote; note < geometry.lowestNote + geometry.noteCount; ++note) {
            const QRectF row(0, geometry.YOfNote(note), keyboard, geometry.rowHeight);
            if (row.bottom() < 0 || row.top() > height) {
                continue;
            }
            const bool black = IsBlackKey(model.MidiKeyOf(note));
            if (black) {
                painter.fillRect(QRectF(0, row.top(), keyboard * 0.6, row.height()), QColor(40, 40, 40));
            }
            // Every row named when rows are tall enough, else the do of each octave.
            if (allNames || NamesOctave(model.MidiKeyOf(note))) {
                painter.setPen(black ? Qt::white : Qt::black);
                painter.drawText(row.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, RollRowName(model, note));
            }
        }
        painter.setPen(QColor(150, 150, 150));
        painter.drawLine(keyboard - 1, 0, keyboard - 1, height);
    }

    TPianoRoll* m_roll;
    std::vector<uint8_t> m_cover;   // PaintDense's marks, kept between paints
    std::vector<int> m_lastColumn;  // per row: the pixel column of the last note drawn
};

TPianoRoll::TPianoRoll(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PianoRoll"));
    m_geometry.rowHeight = RowHeight;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    // The legend scrolls across rather than widen the window: twelve or
    // sixteen channels of another maker's melody fit any window width.
    auto* legendArea = new QScrollArea(this);
    legendArea->setObjectName(QStringLiteral("RollLegend"));
    legendArea->setFrameShape(QFrame::NoFrame);
    legendArea->setWidgetResizable(true);
    legendArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    legendArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* legendHost = new QWidget(legendArea);
    auto* legend = new QHBoxLayout(legendHost);
    legend->setContentsMargins(4, 2, 4, 0);
    for (int voice = 0; voice < MfiLaneCount; ++voice) {
        auto* button = new QToolButton(legendHost);
        button->setObjectName(QStringLiteral("RollSolo%1").arg(voice + 1));
        button->setCheckable(true);
        button->setToolTip(QStringLiteral("この音だけを再生（ソロ）"));
        connect(button, &QToolButton::clicked, this, [this, voice](bool checked) {
            SetSolo(checked ? voice : -1);
            emit SoloChanged(m_solo);
        });
        m_legend[static_cast<size_t>(voice)] = button;
        legend->addWidget(button);
    }
    legend->addStretch();
    legendArea->setWidget(legendHost);
    // As tall as a row of buttons, and the scroll bar when one is needed.
    const int buttonsHeight = legendHost->sizeHint().height();
    legendArea->setFixedHeight(buttonsHeight);
    connect(legendArea->horizontalScrollBar(), &QScrollBar::rangeChanged, legendArea,
            [legendArea, buttonsHeight](int /*minimum*/, int maximum) {
                const int bar = legendArea->horizontalScrollBar()->sizeHint().height();
                legendArea->setFixedHeight(buttonsHeight + (maximum > 0 ? bar : 0));
            });
    layout->addWidget(legendArea);
    m_canvas = new RollCanvas(this);
    m_canvas->setObjectName(QStringLiteral("RollCanvas"));
    m_canvas->setMinimumHeight(80);
    layout->addWidget(m_canvas, 1);
    UpdateLegend();
}

QColor TPianoRoll::VoiceColor(int voice)
{
    static const QColor colors[VoiceCount] = {QColor(30, 100, 220), QColor(220, 90, 20), QColor(30, 150, 60),
                                              QColor(150, 50, 180)};
    return colors[std::clamp(voice, 0, VoiceCount - 1)];
}

QColor TPianoRoll::LaneColor(int lane)
{
    // The four voices' colours first, then twelve more chosen to stay apart
    // from them and from each other; lane 10 (the percussion lane) is grey.
    static const QColor colors[MfiLaneCount] = {
        VoiceColor(0),         VoiceColor(1),         VoiceColor(2),          VoiceColor(3),
        QColor(200, 30, 40),   QColor(0, 160, 170),   QColor(170, 130, 0),    QColor(230, 60, 150),
        QColor(120, 70, 30),   QColor(100, 100, 100), QColor(110, 180, 0),    QColor(20, 40, 130),
        QColor(240, 120, 90),  QColor(0, 100, 80),    QColor(170, 140, 230),  QColor(130, 0, 60)};
    return colors[std::clamp(lane, 0, MfiLaneCount - 1)];
}

void TPianoRoll::SetForeignMelody(const MfiMelody& melody)
{
    m_model.SetForeignMelody(melody);
    m_cursorNote = {};
    m_solo = -1;
    UpdateLegend();
    m_canvas->UpdateRanges();
    m_canvas->horizontalScrollBar()->setValue(0);
    // Its own rows: the middle of its keys comes into view, and again for the
    // next own melody.
    m_middlePitch = m_model.LowestNote() + m_model.NoteCount() / 2;
    ScrollToPitch(m_middlePitch);
    m_pitchPlaced = false;
}

void TPianoRoll::SetEvents(const SequenceList& list, const std::array<int, VoiceCount>& tones)
{
    RollModel model;
    model.SetEvents(list);
    SetModel(std::move(model), tones);
}

void TPianoRoll::SetModel(RollModel model, const std::array<int, VoiceCount>& tones)
{
    const bool wasForeign = m_model.IsForeign();
    m_model = std::move(model);
    m_tones = tones;
    m_cursorNote = {};
    UpdateLegend();
    m_canvas->UpdateRanges();
    if (wasForeign) {
        m_middlePitch = RollNoteCount / 2;
        ScrollToPitch(m_middlePitch);
    }
    // The first time there are notes, the middle of their pitches comes into view.
    if (!m_pitchPlaced && !m_model.Empty()) {
        int low = RollNoteCount;
        int high = -1;
        for (int voice = 0; voice < VoiceCount; ++voice) {
            for (const RollNote& note : m_model.Notes(voice)) {
                low = std::min(low, note.note);
                high = std::max(high, note.note);
            }
        }
        m_middlePitch = (low + high) / 2;
        ScrollToPitch(m_middlePitch);
        m_pitchPlaced = true;
    }
}

double TPianoRoll::RowTop(int note) const
{
    const int low = m_model.LowestNote();
    const int high = low + m_model.NoteCount() - 1;
    return (high - std::clamp(note, low, high)) * m_geometry.rowHeight;
}

void TPianoRoll::ScrollToPitch(int note)
{
    const double y = RowTop(note) + 0.5 * m_geometry.rowHeight;
    QScrollBar* bar = m_canvas->verticalScrollBar();
    bar->setValue(static_cast<int>(y - bar->pageStep() / 2.0));
}

void TPianoRoll::UpdateLegend()
{
    if (m_model.IsForeign()) {
        // A melody of another maker: its channels that have notes, each in its
        // colour; it plays whole, so they are no solo switches.
        for (int lane = 0; lane < MfiLaneCount; ++lane) {
            QToolButton* button = m_legend[static_cast<size_t>(lane)];
            button->setChecked(false);
            button->setCheckable(false);
            button->setEnabled(false);
            button->setText(QStringLiteral("■ ch%1").arg(lane + 1));
            button->setStyleSheet(QStringLiteral("QToolButton { color: %1; }").arg(LaneColor(lane).name()));
            button->setVisible(!m_model.Notes(lane).empty());
        }
        return;
    }
    for (int voice = 0; voice < MfiLaneCount; ++voice) {
        QToolButton* button = m_legend[static_cast<size_t>(voice)];
        if (voice >= VoiceCount) {
            button->setVisible(false);
            continue;
        }
        const QColor color = VoiceColor(voice);
        button->setVisible(true);
        button->setEnabled(true);
        button->setCheckable(true);
        button->setText(QStringLiteral("■ 第%1音 %2").arg(voice + 1).arg(FromSjis(ToneName(m_tones[static_cast<size_t>(voice)]))));
        button->setStyleSheet(QStringLiteral("QToolButton { color: %1; } QToolButton:checked { font-weight: bold; }")
                                  .arg(color.name()));
        button->setChecked(m_solo == voice);
    }
}

void TPianoRoll::SetCursorPlace(int page, int byteOffset)
{
    const RollNoteRef note = m_model.NoteAtOffset(page, byteOffset);
    // On a rest or between notes the view still follows the cursor: to the
    // end of the note it has last passed, which stays unmarked.
    const RollNoteRef passed = note.IsSet() ? RollNoteRef{} : m_model.NoteBeforeOffset(page, byteOffset);
    if (passed.IsSet()) {
        const RollNote& before = m_model.Note(passed);
        EnsureTickVisible(before.time + before.Extent(), false);
        EnsurePitchVisible(before.note);
    }
    if (note == m_cursorNote) {
        return;
    }
    m_cursorNote = note;
    if (note.IsSet()) {
        EnsureTickVisible(m_model.Note(note).time, false);
        EnsurePitchVisible(m_model.Note(note).note);
    }
    m_canvas->viewport()->update();
}

void TPianoRoll::SetPlayhead(int tick)
{
    if (tick == m_playhead) {
        return;
    }
    m_playhead = tick;
    if (tick >= 0) {
        EnsureTickVisible(tick, true);
    }
    m_canvas->viewport()->update();
}

void TPianoRoll::EnsureTickVisible(int tick, bool leadRoom)
{
    QScrollBar* bar = m_canvas->horizontalScrollBar();
    const double x = tick * m_geometry.pixelsPerTick;
    const int page = bar->pageStep();
    if (x >= bar->value() && x < bar->value() + page * (leadRoom ? 0.9 : 1.0)) {
        return;
    }
    // Following play, the playhead comes back in at a tenth of the width so it runs ahead.
    bar->setValue(static_cast<int>(x - (leadRoom ? page / 10 : page / 3)));
}

void TPianoRoll::EnsurePitchVisible(int note)
{
    QScrollBar* bar = m_canvas->verticalScrollBar();
    const double top = RowTop(note);
    if (top >= bar->value() && top + m_geometry.rowHeight <= bar->value() + bar->pageStep()) {
        return;
    }
    ScrollToPitch(note);
}

void TPianoRoll::SetSolo(int voice)
{
    m_solo = voice >= 0 && voice < VoiceCount ? voice : -1;
    UpdateLegend();
    m_canvas->viewport()->update();
}

void TPianoRoll::ZoomIn()
{
    m_canvas->Rescale(m_geometry.pixelsPerTick * ZoomStep, KeyboardWidth);
}

void TPianoRoll::ZoomReset()
{
    m_canvas->Rescale(DefaultPixelsPerTick, KeyboardWidth);
}

void TPianoRoll::ZoomOut()
{
    m_canvas->Rescale(m_geometry.pixelsPerTick / ZoomStep, KeyboardWidth);
}

void TPianoRoll::SetPixelsPerTick(double pixelsPerTick)
{
    m_canvas->Rescale(pixelsPerTick, KeyboardWidth);
}

RollGeometry TPianoRoll::Geometry() const
{
    return m_canvas->Geometry();
}

QWidget* TPianoRoll::Canvas() const
{
    return m_canvas->viewport();
}

}  // namespace quaverly
