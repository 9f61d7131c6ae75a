// The piano roll's model: notes from events, their rectangles at a zoom and
// scroll, and the ways back from a point, a page's byte and a cursor place.
#include <QtTest>
#include <string>
#include <vector>

#include "UnitMld/ScoreParser.h"
#include "UnitRoll/RollModel.h"
#include "WindowFixture.h"

using namespace quaverly;

namespace {

struct Event {
    int time, voice, note, gate;
};

SequenceList ListOf(const std::vector<Event>& events)
{
    SequenceList list;
    for (const Event& e : events) {
        list.AddEvent(e.time, e.voice, e.note, e.gate);
    }
    return list;
}

// "time+duration/gate@note" for each note of a voice.
QStringList Described(const RollModel& model, int voice)
{
    QStringList notes;
    for (const RollNote& n : model.Notes(voice)) {
        notes.append(QStringLiteral("%1+%2/%3@%4").arg(n.time).arg(n.duration).arg(n.gate).arg(n.note));
    }
    return notes;
}

// Four pages of several lines each; every voice uses another octave.
const QString Pages[VoiceCount] = {
    QStringLiteral("ド４レ４\r\nミ４　ファ８．＊\r\n●４ソ４"),
    QStringLiteral("ラ▼２\r\n\r\nシ▼４ド４"),
    QStringLiteral("  ミ▲８ミ▲８\r\n●２レ▲全"),
    QStringLiteral("ソ▼▼４\r\nソ▼▼４ＴＴ　ラ▼▼８"),
};

SequenceList ParsedPages()
{
    SequenceList list;
    for (int voice = 0; voice < VoiceCount; ++voice) {
        ParseScore(Sjis(Pages[voice]), voice, list, false);
    }
    return list;
}

}  // namespace

class RollModelTest : public QObject {
    Q_OBJECT

private slots:
    void NotesFromEvents_data()
    {
        QTest::addColumn<std::vector<Event>>("events");
        QTest::addColumn<int>("voice");
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<int>("endTime");
        QTest::newRow("a note lasts to the next event, the last one to the end")
            << std::vector<Event>{{0, 0, 27, 46}, {48, 0, 29, 18}, {96, 0, -1, 0}} << 0
            << QStringList{"0+48/46@27", "48+48/18@29"} << 96;
        QTest::newRow("rests are gaps")
            << std::vector<Event>{{0, 1, 27, 46}, {48, 1, 17, 0}, {144, 1, 30, 40}, {192, 1, -1, 0}} << 1
            << QStringList{"0+48/46@27", "144+48/40@30"} << 192;
        QTest::newRow("a tie sounds a tick past its duration")
            << std::vector<Event>{{0, 2, 10, 49}, {48, 2, -1, 0}} << 2 << QStringList{"0+48/49@10"} << 49;
        QTest::newRow("voices are apart; other voices do not end a note")
            << std::vector<Event>{{0, 3, 5, 20}, {10, 0, 6, 5}, {30, 3, 63, 10}, {40, 0, -1, 0}, {50, 3, -1, 0}} << 3
            << QStringList{"0+30/20@5", "30+20/10@63"} << 50;
        QTest::newRow("a voice without an end: its last note lasts its gate")
            << std::vector<Event>{{0, 0, 0, 46}, {48, 0, 1, 30}} << 0 << QStringList{"0+48/46@0", "48+30/30@1"} << 78;
        QTest::newRow("the end is no note; pitches off the roll are left out")
            << std::vector<Event>{{0, 0, 64, 46}, {48, 0, 3, 10}, {60, 0, -1, 0}} << 0
            << QStringList{"48+12/10@3"} << 60;
        QTest::newRow("two events at one time: a chord, the first lasting nothing but sounding")
            << std::vector<Event>{{0, 0, 3, 10}, {0, 0, 4, 10}, {20, 0, -1, 0}} << 0
            << QStringList{"0+0/10@3", "0+20/10@4"} << 20;
        QTest::newRow("events out of time order are laid out in time")
            << std::vector<Event>{{0, 1, 5, 190}, {192, 1, 17, 0}, {2, 1, 7, 22}, {26, 1, -1, 0}} << 1
            << QStringList{"0+2/190@5", "2+24/22@7"} << 190;
    }
    void NotesFromEvents()
    {
        QFETCH(std::vector<Event>, events);
        QFETCH(int, voice);
        QFETCH(QStringList, notes);
        QFETCH(int, endTime);
        RollModel model;
        model.SetEvents(ListOf(events));
        QCOMPARE(Described(model, voice), notes);
        QCOMPARE(model.EndTime(), endTime);
    }

    void RectanglesFollowZoomAndScroll_data()
    {
        QTest::addColumn<double>("pixelsPerTick");
        QTest::addColumn<double>("firstTick");
        QTest::addColumn<double>("top");
        QTest::addColumn<QRectF>("whole");
        QTest::addColumn<QRectF>("gate");
        // The note: time 96, duration 48, gate 24, pitch 60, rows 10 high, the strip 64 wide.
        QTest::newRow("unscrolled") << 1.0 << 0.0 << 0.0 << QRectF(160, 30, 48, 10) << QRectF(160, 30, 24, 10);
        QTest::newRow("zoomed in") << 4.0 << 0.0 << 0.0 << QRectF(448, 30, 192, 10) << QRectF(448, 30, 96, 10);
        QTest::newRow("zoomed out and scrolled") << 0.25 << 32.0 << -20.0 << QRectF(80, 10, 12, 10)
                                                 << QRectF(80, 10, 6, 10);
    }
    void RectanglesFollowZoomAndScroll()
    {
        QFETCH(double, pixelsPerTick);
        QFETCH(double, firstTick);
        QFETCH(double, top);
        QFETCH(QRectF, whole);
        QFETCH(QRectF, gate);
        const RollNote note{96, 48, 24, 60, {}};
        const RollGeometry geometry{pixelsPerTick, 10, 64, firstTick, top};
        const RollRect w = RollModel::DurationRect(note, geometry);
        const RollRect g = RollModel::GateRect(note, geometry);
        QCOMPARE(QRectF(w.x, w.y, w.width, w.height), whole);
        QCOMPARE(QRectF(g.x, g.y, g.width, g.height), gate);
        // And back: the middle of the rectangle is the note.
        RollModel model;
        model.SetEvents(ListOf({{96, 2, 60, 24}, {144, 2, -1, 0}}));
        QCOMPARE(model.HitTest(whole.center().x(), whole.center().y(), geometry), (RollNoteRef{2, 0}));
        QCOMPARE(model.HitTest(whole.right() + 1, whole.center().y(), geometry), RollNoteRef{});
        QCOMPARE(model.HitTest(whole.center().x(), whole.bottom() + 1, geometry), RollNoteRef{});
    }

    void VisibleRangeAndSoundingNote()
    {
        RollModel model;
        model.SetEvents(ListOf({{0, 1, 1, 40}, {48, 1, 0, 0}, {96, 1, 2, 40}, {144, 1, 3, 40}, {192, 1, -1, 0}}));
        using Range = std::pair<size_t, size_t>;
        QCOMPARE(model.VisibleRange(1, 0, 1), (Range{0, 1}));
        QCOMPARE(model.VisibleRange(1, 47.5, 97), (Range{0, 2}));
        QCOMPARE(model.VisibleRange(1, 48, 96), (Range{1, 1}));  // only the rest
        QCOMPARE(model.VisibleRange(1, 100, 1000), (Range{1, 3}));
        QCOMPARE(model.VisibleRange(1, 192, 1000), (Range{3, 3}));
        QCOMPARE(model.NoteAt(1, 47), std::optional<size_t>(0));  // past the gate, inside the duration
        QCOMPARE(model.NoteAt(1, 60), std::optional<size_t>());
        QCOMPARE(model.NoteAt(1, 144), std::optional<size_t>(2));
        QCOMPARE(model.NoteAt(1, 192), std::optional<size_t>());
        QCOMPARE(model.NoteAt(0, 0), std::optional<size_t>());
    }

    // Notes of one voice that overlap, as typed: a negative rest steps back,
    // a length group of 0 makes a chord, a gate sounds past the next note.
    void OverlappingNotesOfOneVoice_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<int>("tick");
        QTest::addColumn<QStringList>("sounding");
        QTest::newRow("negative rest") << QStringLiteral("ド全●（－１９０）レ８ミ")
                                       << QStringList{"0+2/190@27", "2+24/22@29", "26+48/46@31"} << 100
                                       << QStringList{"0+2/190@27"};
        QTest::newRow("chord with a length of 0") << QStringLiteral("ド（０）［９６］ミ４")
                                                  << QStringList{"0+0/96@27", "0+48/46@31"} << 30
                                                  << QStringList{"0+0/96@27", "0+48/46@31"};
        QTest::newRow("gate longer than the note") << QStringLiteral("ド８［９６］レ４")
                                                   << QStringList{"0+24/96@27", "24+48/46@29"} << 60
                                                   << QStringList{"0+24/96@27", "24+48/46@29"};
    }
    void OverlappingNotesOfOneVoice()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, notes);
        QFETCH(int, tick);
        QFETCH(QStringList, sounding);
        SequenceList list;
        ParseScore(Sjis(page), 0, list, false);
        RollModel model;
        model.SetEvents(list);
        QCOMPARE(Described(model, 0), notes);
        QStringList heard;
        for (size_t i : model.SoundingAt(0, tick)) {
            const RollNote& n = model.Notes(0)[i];
            heard.append(QStringLiteral("%1+%2/%3@%4").arg(n.time).arg(n.duration).arg(n.gate).arg(n.note));
        }
        QCOMPARE(heard, sounding);
        // The first note is found where it sounds, on its row, though later notes started since.
        const RollGeometry geometry{1.0, 10, 64, 0, 0};
        const RollNote& first = model.Notes(0).front();
        const RollRect whole = RollModel::DurationRect(first, geometry);
        QCOMPARE(whole.width, static_cast<double>(std::max(first.duration, first.gate)));
        QCOMPARE(model.HitTest(geometry.XOfTick(tick), whole.y + 5, geometry), (RollNoteRef{0, 0}));
        const auto [from, to] = model.VisibleRange(0, tick, tick + 1);
        QVERIFY(from == 0 && to >= 1);
    }

    void CharacterStartsOfShiftJis_data()
    {
        QTest::addColumn<QByteArray>("sjis");
        QTest::addColumn<std::vector<int>>("starts");
        QTest::newRow("empty") << QByteArray() << std::vector<int>{0};
        QTest::newRow("ascii and a line break") << QByteArray("a\r\nb") << std::vector<int>{0, 1, 3, 4};
        QTest::newRow("double-byte and half-width kana")
            << QByteArray("\x83\x68\xB1\x81\x40") << std::vector<int>{0, 2, 3, 5};
        QTest::newRow("a lone CR and a lead byte at the end")
            << QByteArray("\r\x83") << std::vector<int>{0, 1, 2};
        QTest::newRow("a trail byte that is a CR is not a line break")
            << QByteArray("\x83\r\n") << std::vector<int>{0, 2, 3};
    }
    void CharacterStartsOfShiftJis()
    {
        QFETCH(QByteArray, sjis);
        QFETCH(std::vector<int>, starts);
        QCOMPARE(SjisCharStarts(std::string_view(sjis.constData(), static_cast<size_t>(sjis.size()))), starts);
    }

    // Every byte of every note's characters leads back to that note, in every
    // voice and on every line; bytes of no note (spaces, line breaks, rests) to none.
    void EveryByteOfEveryPageFindsItsNote()
    {
        const SequenceList list = ParsedPages();
        RollModel model;
        model.SetEvents(list);
        for (int page = 0; page < VoiceCount; ++page) {
            const std::string text = Sjis(Pages[page]);
            std::vector<RollNoteRef> expected(text.size());
            for (size_t i = 0; i < model.Notes(page).size(); ++i) {
                const SourceSpan source = model.Notes(page)[i].source;
                QCOMPARE(source.page, page);
                for (int b = source.offset; b < source.offset + source.length; ++b) {
                    expected[static_cast<size_t>(b)] = {page, static_cast<int>(i)};
                }
            }
            int named = 0;
            for (size_t b = 0; b < text.size(); ++b) {
                QCOMPARE(model.NoteAtOffset(page, static_cast<int>(b)), expected[b]);
                named += expected[b].IsSet() ? 1 : 0;
            }
            QVERIFY(named > 0);
            QCOMPARE(model.NoteAtOffset(page, static_cast<int>(text.size())), RollNoteRef{});
        }
        QCOMPARE(model.NoteAtOffset(-1, 0), RollNoteRef{});
        QCOMPARE(model.NoteAtOffset(VoiceCount, 0), RollNoteRef{});
        // Spot checks: the second line's first note of page 1, the last line of page 4.
        const std::string first = Sjis(Pages[0]);
        const RollNoteRef mi = model.NoteAtOffset(0, static_cast<int>(first.find(Sjis(QStringLiteral("ミ")))));
        QCOMPARE(model.Note(mi).time, 96);
        const std::string fourth = Sjis(Pages[3]);
        const RollNoteRef la = model.NoteAtOffset(3, static_cast<int>(fourth.find(Sjis(QStringLiteral("ラ")))));
        QCOMPARE(la, (RollNoteRef{3, 2}));
    }

    void StartTimeOfAPlace_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("before");  // the page's text before the place
        QTest::addColumn<int>("time");
        QTest::newRow("on a note") << 0 << QStringLiteral("ド４レ") << 48;
        QTest::newRow("just after a note") << 0 << QStringLiteral("ド４レ４") << 48;
        QTest::newRow("at the start of the next line") << 0 << QStringLiteral("ド４レ４\r\n") << 96;
        QTest::newRow("just after a note on the next line") << 0 << QStringLiteral("ド４レ４\r\nミ４") << 96;
        QTest::newRow("at the start") << 2 << QString() << 0;
        QTest::newRow("on a rest") << 2 << QStringLiteral("  ミ▲８ミ▲８\r\n") << 48;
        QTest::newRow("page 2 after its empty line") << 1 << QStringLiteral("ラ▼２\r\n\r\n") << 96;
        QTest::newRow("just after the last note") << 3 << Pages[3] << 96;
    }
    void StartTimeOfAPlace()
    {
        QFETCH(int, page);
        QFETCH(QString, before);
        QFETCH(int, time);
        const SequenceList list = ParsedPages();
        QCOMPARE(TimeAtPlace(list, page, static_cast<int>(Sjis(before).size())), std::optional<int>(time));
    }

    // A melody of another maker: a lane per channel, MIDI keys over the range
    // it uses, its ticks through the tempo map's timebases to the roll's 48
    // a quarter note (as the play position is counted).
    void ForeignMelodyLanesKeysAndTimes()
    {
        MfiMelody melody;
        melody.tempos = {{0, 120, 96}, {192, 120, 48}};
        melody.notes = {
            {0, 96, 0, 60, 100},   // one quarter at 96 a quarter
            {0, 1, 9, 90, 100},    // half a roll tick: still one
            {192, 48, 15, 40, 100} // after two quarters, one quarter at 48 a quarter
        };
        RollModel model;
        model.SetForeignMelody(melody);
        QVERIFY(model.IsForeign());
        QCOMPARE(model.LaneCount(), MfiLaneCount);
        QCOMPARE(Described(model, 0), QStringList{QStringLiteral("0+48/48@60")});
        QCOMPARE(Described(model, 9), QStringList{QStringLiteral("0+1/1@90")});
        QCOMPARE(Described(model, 15), QStringList{QStringLiteral("96+48/48@40")});
        QCOMPARE(model.EndTime(), 144);
        QCOMPARE(model.LowestNote(), 40);
        QCOMPARE(model.NoteCount(), 51);
        QCOMPARE(model.MidiKeyOf(60), 60);

        RollGeometry geometry;
        geometry.lowestNote = model.LowestNote();
        geometry.noteCount = model.NoteCount();
        QCOMPARE(geometry.YOfNote(90), 0.0);
        QCOMPARE(geometry.NoteOfY(0.5), 90);
        QCOMPARE(geometry.NoteOfY(50 * geometry.rowHeight + 1), 40);
        QCOMPARE(geometry.NoteOfY(51 * geometry.rowHeight + 1), -1);
        const RollNoteRef hit = model.HitTest(geometry.XOfTick(100), geometry.YOfNote(40) + 1, geometry);
        QCOMPARE(hit, (RollNoteRef{15, 0}));
        QCOMPARE(model.NoteAt(15, 120), std::optional<size_t>(0));

        // An own melody afterwards: four voices over notes 0..63 again.
        model.SetEvents(ListOf({{0, 0, 27, 48}}));
        QVERIFY(!model.IsForeign());
        QCOMPARE(model.LaneCount(), VoiceCount);
        QCOMPARE(model.LowestNote(), 0);
        QCOMPARE(model.NoteCount(), RollNoteCount);
        QCOMPARE(model.MidiKeyOf(27), 72);
    }

    void ForeignMelodyWithoutNotesHasRows()
    {
        RollModel model;
        model.SetForeignMelody(MfiMelody{});
        QVERIFY(model.Empty());
        QVERIFY(model.NoteCount() > 0);
        QCOMPARE(model.EndTime(), 0);
    }
};

QTEST_GUILESS_MAIN(RollModelTest)
#include "RollModelTest.moc"
