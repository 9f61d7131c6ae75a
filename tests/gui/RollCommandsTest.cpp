// The piano roll in the window and what goes with it, headless through the
// scripted player: clicking a note selects its characters, the cursor marks
// its note, play from the cursor starts at the note's time, the follow marks
// the sounding notes from the player's (fake) clock, solo leaves the voice
// switches alone, and the typed-note preview keeps quiet while playing.
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QComboBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "UnitRoll/TPianoRoll.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

using namespace quaverly;

namespace {

// Several lines a page; the rows below find their notes by text.
const QString Pages[VoiceCount] = {
    QStringLiteral("ド４レ４\nミ４ファ４\nソ２"),
    QStringLiteral("●４ラ▼４\n\nシ▼２ド全"),
    QStringLiteral("ミ▲８ミ▲８レ▲４\nド▲２"),
    QStringLiteral("ド▼２\nソ▼▼２"),
};

QAction* Action(TFormMain& window, const QString& name)
{
    return window.findChild<QAction*>(name);
}

int TrackCount(const std::string& midi)
{
    return midi.size() < 12 ? -1 : (midi[10] << 8) | midi[11];
}

}  // namespace

class RollCommandsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> f;

    TPianoRoll* Roll() { return WindowAccess::PianoRoll(f->window); }
    QPlainTextEdit* Memo(int voice) { return f->window.Pages().Memo(voice); }
    void FillPages()
    {
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            Memo(voice)->setPlainText(Pages[voice - 1]);
        }
        WindowAccess::RefreshRollFromPages(f->window);
        WindowAccess::SetEditState(f->window, EditState::Current);
    }
    // Puts a page's cursor on the n-th occurrence (0-based) of a text.
    void PlaceCursor(int voice, const QString& text, int occurrence = 0, int shift = 0)
    {
        f->window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))
            ->setCurrentWidget(f->window.Pages().Page(voice));
        qsizetype at = -1;
        for (int i = 0; i <= occurrence; ++i) {
            at = Pages[voice - 1].indexOf(text, at + 1);
        }
        QVERIFY(at >= 0);
        QTextCursor cursor = Memo(voice)->textCursor();
        cursor.setPosition(static_cast<int>(at + shift));
        Memo(voice)->setTextCursor(cursor);
    }
    QString Highlighted(int voice)
    {
        const auto& marks = f->window.Follow().PlayHighlights(voice);
        return marks.isEmpty() ? QString() : marks.first().cursor.selectedText();
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { f = std::make_unique<WindowFixture>(); }
    void cleanup() { f.reset(); }

    // Every note of every page: a click on its rectangle opens its page with
    // exactly its characters selected, and the cursor there marks it again.
    void ClickSelectsTheNoteAndTheCursorMarksIt()
    {
        f->window.resize(900, 700);
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
        FillPages();
        Roll()->SetPixelsPerTick(0.5);
        int checked = 0;
        for (int voice = 0; voice < VoiceCount; ++voice) {
            const auto& notes = Roll()->Model().Notes(voice);
            for (size_t i = 0; i < notes.size(); ++i) {
                Roll()->ScrollToPitch(notes[i].note);
                const RollRect rect = RollModel::DurationRect(notes[i], Roll()->Geometry());
                const QPoint point(static_cast<int>(rect.x + rect.width / 2), static_cast<int>(rect.y + rect.height / 2));
                QVERIFY2(Roll()->Canvas()->rect().contains(point), "the roll is large enough for the test melody");
                QTest::mouseClick(Roll()->Canvas(), Qt::LeftButton, {}, point);
                QPlainTextEdit* memo = Memo(voice + 1);
                QCOMPARE(f->window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentWidget(),
                         f->window.Pages().Page(voice + 1));
                const QTextCursor cursor = memo->textCursor();
                QCOMPARE(f->window.Pages().ByteOfPosition(voice + 1, cursor.selectionStart()),
                         notes[i].source.offset);
                QCOMPARE(f->window.Pages().ByteOfPosition(voice + 1, cursor.selectionEnd()),
                         notes[i].source.offset + notes[i].source.length);
                // The clicked note is the one outlined, not the next one.
                QCOMPARE(Roll()->CursorNote(), (RollNoteRef{voice, static_cast<int>(i)}));
                // The selection's end is the caret: just past the note; one back is on it.
                QTextCursor on = cursor;
                on.setPosition(cursor.selectionStart() + 1);
                memo->setTextCursor(on);
                QCOMPARE(Roll()->CursorNote(), (RollNoteRef{voice, static_cast<int>(i)}));
                ++checked;
            }
        }
        QCOMPARE(checked, 14);
        // The selected characters themselves, for one note on a later line.
        PlaceCursor(2, QStringLiteral("シ▼２"));
        const RollNote& si = Roll()->Model().Note(Roll()->CursorNote());
        QCOMPARE(si.time, 96);
        Roll()->ScrollToPitch(si.note);
        QTest::mouseClick(Roll()->Canvas(), Qt::LeftButton, {},
                          QPoint(static_cast<int>(RollModel::GateRect(si, Roll()->Geometry()).x + 2),
                                 static_cast<int>(RollModel::GateRect(si, Roll()->Geometry()).y + 4)));
        QCOMPARE(Memo(2)->textCursor().selectedText(), QStringLiteral("シ▼２"));
        // Off every note: nothing is marked.
        PlaceCursor(2, QStringLiteral("\n\n"), 0, 1);
        QCOMPARE(Roll()->CursorNote(), RollNoteRef{});
    }

    // The roll scrolls, across and up or down, to the note the cursor is on.
    void TheViewFollowsTheCursorsNote()
    {
        f->window.resize(900, 700);
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
        FillPages();
        Roll()->SetPixelsPerTick(4);
        const struct {
            int voice;
            QString text;
        } places[] = {{2, QStringLiteral("ド全")}, {4, QStringLiteral("ソ▼▼２")}, {3, QStringLiteral("ド▲２")},
                      {1, QStringLiteral("ド４")}};
        for (const auto& place : places) {
            // Far from the note: the top of the pitches and the end of the time.
            Roll()->ScrollToPitch(place.voice == 3 ? 0 : RollNoteCount - 1);
            QScrollBar* across = qobject_cast<QAbstractScrollArea*>(Roll()->Canvas()->parentWidget())->horizontalScrollBar();
            across->setValue(place.voice == 1 ? across->maximum() : across->minimum());
            PlaceCursor(place.voice, place.text, 0, 1);
            QVERIFY(Roll()->CursorNote().IsSet());
            const RollRect mark = RollModel::DurationRect(Roll()->Model().Note(Roll()->CursorNote()), Roll()->Geometry());
            const QRect canvas = Roll()->Canvas()->rect();
            QVERIFY2(mark.y >= 0 && mark.y + mark.height <= canvas.height(), qPrintable(place.text));
            QVERIFY2(mark.x >= TPianoRoll::KeyboardWidth && mark.x < canvas.width(), qPrintable(place.text));
        }
    }

    // On the rest after a note (「ド4|●4」) the roll stood still though the
    // cursor moved on along the page.
    void TheViewFollowsTheCursorOntoARest()
    {
        f->window.resize(900, 700);
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
        const QString page = QStringLiteral("レ４").repeated(40) + QStringLiteral("ド４●４") + QStringLiteral("ミ４").repeated(40);
        Memo(1)->setPlainText(page);
        WindowAccess::RefreshRollFromPages(f->window);
        Roll()->SetPixelsPerTick(2);
        QScrollBar* across = qobject_cast<QAbstractScrollArea*>(Roll()->Canvas()->parentWidget())->horizontalScrollBar();
        across->setValue(across->maximum());
        QTextCursor cursor = Memo(1)->textCursor();
        cursor.setPosition(static_cast<int>(page.indexOf(QStringLiteral("●"))));
        Memo(1)->setTextCursor(cursor);
        QCOMPARE(Roll()->CursorNote(), RollNoteRef{});  // a rest is no note to outline
        const double doEnd = 41 * 48 * Roll()->Geometry().pixelsPerTick;
        QVERIFY2(doEnd >= across->value() && doEnd <= across->value() + across->pageStep(),
                 qPrintable(QStringLiteral("%1 not in %2+%3").arg(doEnd).arg(across->value()).arg(across->pageStep())));
    }

    // The outlined note of the page shown used to hide under another voice's
    // note at the same pitch and time.
    void TheOutlinedNoteIsDrawnAboveOtherVoices()
    {
        f->window.resize(900, 700);
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
        Memo(1)->setPlainText(QStringLiteral("ド全"));
        Memo(2)->setPlainText(QStringLiteral("ド全"));
        WindowAccess::RefreshRollFromPages(f->window);
        f->window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentWidget(f->window.Pages().Page(2));
        QTextCursor cursor = Memo(2)->textCursor();
        cursor.setPosition(1);  // on 「全」, the note's length
        Memo(2)->setTextCursor(cursor);
        QCOMPARE(Roll()->CursorNote(), (RollNoteRef{1, 0}));
        const RollRect gate = RollModel::GateRect(Roll()->Model().Note(Roll()->CursorNote()), Roll()->Geometry());
        const QImage image = Roll()->Canvas()->grab().toImage();
        const QColor seen = image.pixelColor(static_cast<int>(gate.x + gate.width / 2), static_cast<int>(gate.y + gate.height / 2));
        QCOMPARE(seen.rgb(), TPianoRoll::VoiceColor(1).rgb());
    }

    // At the window's first size the roll shows two octaves and more of rows.
    void TheFirstSizeShowsTwoOctaves()
    {
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
        FillPages();
        QVERIFY2(Roll()->Canvas()->height() >= 25 * Roll()->Geometry().rowHeight,
                 qPrintable(QString::number(Roll()->Canvas()->height())));
    }

    // The zoom keys work from a page too, keypad keys included, and never type there.
    void ZoomKeysWorkAnywhereAndNeverType()
    {
        f->window.show();
        f->window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f->window));
        FillPages();
        Memo(1)->setFocus();
        const QString text = Memo(1)->toPlainText();
        const double first = Roll()->PixelsPerTick();
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int direction;  // 1 in, -1 out, 0 back to the first scale
        } keys[] = {
            {Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, 1},
            {Qt::Key_Equal, Qt::ControlModifier, 1},
            {Qt::Key_0, Qt::ControlModifier, 0},
            {Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier, -1},
            {Qt::Key_Minus, Qt::ControlModifier, -1},
            {Qt::Key_0, Qt::ControlModifier | Qt::KeypadModifier, 0},
        };
        for (const auto& press : keys) {
            const double before = Roll()->PixelsPerTick();
            QTest::keyClick(Memo(1), press.key, press.modifiers);
            if (press.direction > 0) {
                QVERIFY(Roll()->PixelsPerTick() > before);
            } else if (press.direction < 0) {
                QVERIFY(Roll()->PixelsPerTick() < before);
            } else {
                QCOMPARE(Roll()->PixelsPerTick(), first);
            }
            QCOMPARE(Memo(1)->toPlainText(), text);
        }
    }

    void PlayFromTheCursorStartsAtTheNotesTime_data()
    {
        QTest::addColumn<int>("voice");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("time");
        QTest::newRow("first note") << 1 << QStringLiteral("ド４") << 0 << 0;
        QTest::newRow("on a note of the second line") << 1 << QStringLiteral("ファ４") << 1 << 144;
        QTest::newRow("just after a note") << 1 << QStringLiteral("ファ４") << 3 << 144;
        QTest::newRow("after a rest, page 2") << 2 << QStringLiteral("ラ▼４") << 0 << 48;
        QTest::newRow("after an empty line, page 2") << 2 << QStringLiteral("ド全") << 0 << 192;
        QTest::newRow("page 3, the second of the same notes") << 3 << QStringLiteral("ミ▲８") << 4 << 24;
        QTest::newRow("page 4, last line") << 4 << QStringLiteral("ソ▼▼２") << 0 << 96;
    }
    void PlayFromTheCursorStartsAtTheNotesTime()
    {
        QFETCH(int, voice);
        QFETCH(QString, text);
        QFETCH(int, shift);
        QFETCH(int, time);
        FillPages();
        PlaceCursor(voice, text, 0, shift);
        f->window.findChild<QAction*>(QStringLiteral("mnRepeatPlay"))->setChecked(true);
        Action(f->window, QStringLiteral("mnPlayFromCursor"))->trigger();
        QCOMPARE(f->player.calls.last(), QStringLiteral("PlayFrom %1").arg(time));
        // Repeat plays again from the same place; play from the start is unchanged.
        f->player.Finish();
        QCOMPARE(f->player.calls.last(), QStringLiteral("PlayFrom %1").arg(time));
        Action(f->window, QStringLiteral("mnPlay"))->trigger();  // stops
        f->player.Finish();
        f->player.calls.clear();
        Action(f->window, QStringLiteral("mnPlay"))->trigger();
        QCOMPARE(f->player.calls.last(), QStringLiteral("Play"));
    }

    // The follow, driven by the scripted player's clock: at each time the
    // sounding note of each page is marked, the playhead is there, and when
    // the play ends every mark goes.
    void FollowMarksTheSoundingNotes()
    {
        FillPages();
        Memo(1)->setFocus();
        const QTextCursor before = Memo(1)->textCursor();
        Action(f->window, QStringLiteral("mnPlay"))->trigger();
        struct Step {
            int time;
            QString marks[VoiceCount];
        };
        const Step steps[] = {
            {0, {"ド４", "", "ミ▲８", "ド▼２"}},
            {30, {"ド４", "", "ミ▲８", "ド▼２"}},
            {50, {"レ４", "ラ▼４", "レ▲４", "ド▼２"}},
            {100, {"ミ４", "シ▼２", "ド▲２", "ソ▼▼２"}},
            {200, {"ソ２", "ド全", "", ""}},
            {300, {"", "ド全", "", ""}},
            {10, {"ド４", "", "ミ▲８", "ド▼２"}},
        };
        for (const Step& step : steps) {
            f->player.currentTime = step.time;
            WindowAccess::FollowPlay(f->window);
            QCOMPARE(Roll()->Playhead(), step.time);
            for (int voice = 1; voice <= VoiceCount; ++voice) {
                QCOMPARE(Highlighted(voice), step.marks[voice - 1]);
            }
        }
        // The user's cursor and selection stay where they were.
        QCOMPARE(Memo(1)->textCursor().position(), before.position());
        QCOMPARE(Memo(1)->extraSelections().size(), 1);
        f->player.Finish();
        QCOMPARE(Roll()->Playhead(), -1);
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            QCOMPARE(Highlighted(voice), QString());
            QCOMPARE(Memo(voice)->extraSelections().size(), 0);
        }
    }

    void SoloMutesTheOthersForThePlayOnly()
    {
        FillPages();
        f->window.Pages().PlayItem(3)->trigger();  // voice 3 switched off by the user
        const QString caption3 = f->window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->tabText(2);
        f->window.findChild<QAction*>(QStringLiteral("mnSolo2"))->trigger();
        QCOMPARE(Roll()->Solo(), 1);
        Action(f->window, QStringLiteral("mnPlay"))->trigger();
        QCOMPARE(TrackCount(f->player.midiBytes), 3);  // conductor, set-up, voice 2
        // Only the voice that sounds has its playing note marked.
        f->player.currentTime = 50;
        WindowAccess::FollowPlay(f->window);
        QCOMPARE(Highlighted(1), QString());
        QCOMPARE(Highlighted(2), QStringLiteral("ラ▼４"));
        QCOMPARE(Highlighted(3), QString());
        QCOMPARE(Highlighted(4), QString());
        f->player.Finish();
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            QCOMPARE(f->window.Pages().PlayItem(voice)->isChecked(), voice != 3);
        }
        QCOMPARE(f->window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->tabText(2), caption3);
        // The MIDI export writes the switches, not the solo.
        f->fileDialogs.saveAnswers.append(f->PathOf("out.mid"));
        Action(f->window, QStringLiteral("mnPutMidi"))->trigger();
        QCOMPARE(TrackCount(FileBytes(f->PathOf("out.mid"))), 5);
        // The legend names tones as the tone boxes do.
        f->window.Pages().Tone(1)->setEditText(QStringLiteral("25 - ギター"));
        WindowAccess::RefreshRollFromPages(f->window);
        QCOMPARE(f->window.findChild<QToolButton*>(QStringLiteral("RollSolo1"))->text(), QStringLiteral("■ 第1音 ギター"));
        QCOMPARE(f->window.findChild<QToolButton*>(QStringLiteral("RollSolo2"))->text(), QStringLiteral("■ 第2音 ピアノ"));
        // From the legend: its toggle and the menu are one choice.
        QTest::mouseClick(f->window.findChild<QWidget*>(QStringLiteral("RollSolo4")), Qt::LeftButton);
        QCOMPARE(WindowAccess::SoloVoice(f->window), 4);
        QVERIFY(Action(f->window, QStringLiteral("mnSolo4"))->isChecked());
        QTest::mouseClick(f->window.findChild<QWidget*>(QStringLiteral("RollSolo4")), Qt::LeftButton);
        QCOMPARE(WindowAccess::SoloVoice(f->window), 0);
        QVERIFY(Action(f->window, QStringLiteral("mnSolo0"))->isChecked());
    }

    void TypedNotesSoundUnlessPlayingOrOff()
    {
        f->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->window));
        f->window.Pages().Volume(2)->setText(QStringLiteral("63"));
        f->window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))
            ->setCurrentWidget(f->window.Pages().Page(2));
        Memo(2)->setFocus();
        QTest::keyClicks(Memo(2), QStringLiteral("c"));  // mapped to ド
        QTRY_COMPARE(f->player.previews, QStringList{QStringLiteral("1 0 72 100 200")});
        // While a melody plays: nothing.
        FillPages();
        Action(f->window, QStringLiteral("mnPlay"))->trigger();
        QTest::keyClicks(Memo(2), QStringLiteral("d"));
        QTest::qWait(20);
        QCOMPARE(f->player.previews.size(), 1);
        f->player.Finish();
        // Turned off in the menu, and kept so.
        Action(f->window, QStringLiteral("mnPreview"))->trigger();
        QCOMPARE(f->settings.Value(QStringLiteral("PianoRoll/Preview")).toBool(), false);
        QTest::keyClicks(Memo(2), QStringLiteral("e"));
        QTest::qWait(20);
        QCOMPARE(f->player.previews.size(), 1);
    }
};

QTEST_MAIN(RollCommandsTest)
#include "RollCommandsTest.moc"
