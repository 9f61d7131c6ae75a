// Typing into the main window while it holds the maximal melody (four voices
// of 33,000 sixty-fourth notes, a line of sixteen notes at a time and every
// 32nd a rest, as genmax.py writes it), read in through 他形式読み込み.
//
// Echo: a key typed into the middle of page 1 (a note letter, which the page
// turns into its kana, and Backspace by turns) until the page's text has
// changed and its viewport has painted. The keys come at uneven gaps (60 to 260 ms), so that some arrive
// while the live check of an earlier key is under way or its result is being
// shown; a key is timed from the moment it was due, so time spent by the
// window's thread on anything else when it should have taken the key counts.
//
// Update: one character typed into page 1, then the whole live check on the
// window's thread (the input gathered, the check, the roll's layout, the
// diagnostics, meter and roll shown and painted): the CPU time of one update;
// and the same after a pause as while typing, the window's thread and the
// worker's share apart.
//
//   QT_QPA_PLATFORM=offscreen build-rel/bench/quaverly_typing_bench [keys] [tml file | --lines]
//
// The melody is written by the program itself unless a .tml file is given;
// read in, each page is one line of some 100,000 characters. --lines puts
// the pages in as written instead, a line of sixteen notes at a time.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include "UnitMain/LiveAnalysis.h"
#include "UnitMld/MelodyText.h"
#include "platform/SjisText.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

namespace {

using namespace quaverly;

constexpr int NotesPerVoice = 33000;

// The maximal melody as genmax.py writes it (CP932, CR LF).
std::string MaximalMelodyText()
{
    static const char* const kana[] = {"ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ"};
    QString text = QStringLiteral("$T\r\nmax\r\n$t\r\n125\r\n$C\r\n\r\n$D\r\n\r\n");
    for (int voice = 0; voice < VoiceCount; ++voice) {
        text += QStringLiteral("$%1\r\n-1 - ピアノ\r\n-63\r\n").arg(voice + 1);
        for (int i = 0; i < NotesPerVoice; ++i) {
            if (i % 32 == 31) {
                text += QStringLiteral("●６４");
            } else {
                const int pitch = (voice * 5 + i * 3) % 14;
                text += QString::fromUtf8(kana[pitch % 7]) + (pitch >= 7 ? QStringLiteral("▲") : QString()) +
                        QStringLiteral("６４");
            }
            if (i % 16 == 15) {
                text += QStringLiteral("\r\n");
            }
        }
        text += QStringLiteral("\r\n");
    }
    return Sjis(text);
}

double CpuMilliseconds(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double ThreadCpuMilliseconds()
{
    return CpuMilliseconds(CLOCK_THREAD_CPUTIME_ID);
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Runs the event loop until the time given on the elapsed timer (or later,
// when something holds the thread).
void RunUntil(const QElapsedTimer& clock, qint64 due)
{
    const qint64 left = due - clock.elapsed();
    if (left > 0) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QApplication::processEvents();
}

struct Figures {
    double median = 0;
    double p90 = 0;
    double worst = 0;
};

Figures Summary(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty()) {
        return {};
    }
    return {values[values.size() / 2], values[values.size() * 9 / 10], values.back()};
}

// An edit that keeps the melody's length: a note typed, then taken back.
void TypeOrTakeBack(QPlainTextEdit* memo, int k)
{
    QTextCursor at = memo->textCursor();
    if (k % 2 == 0) {
        at.insertText(QStringLiteral("ド"));
    } else {
        at.deletePreviousChar();
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int keys = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    WindowFixture fixture;
    TFormMain& window = fixture.window;
    window.resize(1280, 900);
    window.show();
    QApplication::processEvents();
    const QString argument = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (argument == QStringLiteral("--lines")) {
        // The pages as typed, a line of sixteen notes at a time, before any
        // analysis has made each of them one line.
        EditorTexts texts;
        MelodyFileInfo info;
        ReadMelodyText(MaximalMelodyText(), texts, info);
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            WindowAccess::VoiceMemo(window, voice)->setPlainText(FromSjis(texts.scores[static_cast<size_t>(voice - 1)]).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        }
    } else {
        // Through 他形式読み込み, as a person reads a melody text in.
        fixture.fileDialogs.openAnswers = {argument.isEmpty() ? fixture.WriteFile("max.tml", MaximalMelodyText()) : argument};
        window.mnImportClick();
    }
    QPlainTextEdit* memo = WindowAccess::VoiceMemo(window, 1);
    if (memo->document()->characterCount() < NotesPerVoice) {
        std::fprintf(stderr, "the melody was not read\n");
        return 1;
    }
    memo->setFocus();
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(memo->document()->characterCount() / 2);
    memo->setTextCursor(cursor);
    // The load's own work (the first check, the roll, the page layout) ends first.
    QElapsedTimer clock;
    clock.start();
    RunUntil(clock, 1000);
    while (WindowAccess::Live(window).Pending()) {
        RunUntil(clock, clock.elapsed() + 50);
    }

    PaintCounter counter;
    memo->viewport()->installEventFilter(&counter);
    static const int gaps[] = {60, 170, 110, 260, 140, 200, 90, 160, 230, 120};
    // A note letter, then Backspace, by turns: the melody keeps its length
    // (it ends 999 ticks before the longest time a melody file holds, and
    // each typed note is a quarter of 48 ticks).
    static const Qt::Key letters[] = {Qt::Key_C, Qt::Key_Backspace, Qt::Key_D, Qt::Key_Backspace, Qt::Key_E,
                                      Qt::Key_Backspace, Qt::Key_G, Qt::Key_Backspace, Qt::Key_A, Qt::Key_Backspace};
    std::vector<double> echoes;
    std::vector<double> handling;  // the key event itself: the page's edit and its change notices
    std::vector<double> waits;     // from the key's due time until the thread took it
    std::vector<double> echoCpu;   // the window thread's CPU from the key to the paint
    // Under callgrind (--collect-atstart=no) only the typing is counted.
    CALLGRIND_TOGGLE_COLLECT;
    const double cpuBefore = CpuMilliseconds();
    const qint64 typingStart = clock.elapsed();
    qint64 due = clock.elapsed();
    for (int k = 0; k < keys; ++k) {
        due += gaps[k % std::size(gaps)];
        RunUntil(clock, due);
        const int characters = memo->document()->characterCount();
        const int paints = counter.paints;
        const qint64 keyStart = clock.elapsed();
        const double keyCpu = ThreadCpuMilliseconds();
        QTest::keyClick(memo, letters[k % std::size(letters)]);
        handling.push_back(static_cast<double>(clock.elapsed() - keyStart));
        waits.push_back(static_cast<double>(keyStart - due));
        // Waits without spinning: the repaint is a posted event.
        while ((memo->document()->characterCount() == characters || counter.paints == paints) &&
               clock.elapsed() - due < 5000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        echoes.push_back(static_cast<double>(clock.elapsed() - due));
        echoCpu.push_back(ThreadCpuMilliseconds() - keyCpu);
    }
    // The last key's check, so that every key's work is in the CPU time.
    while (WindowAccess::Live(window).Pending()) {
        RunUntil(clock, clock.elapsed() + 50);
    }
    const double typingCpu = CpuMilliseconds() - cpuBefore;
    CALLGRIND_TOGGLE_COLLECT;
    const double typingWall = static_cast<double>(clock.elapsed() - typingStart);

    // The whole update on this thread: input, check, roll layout, views, repaint.
    std::vector<double> updates;
    for (int k = 0; k < 16; ++k) {
        TypeOrTakeBack(memo, k);
        QApplication::processEvents();
        const double start = ThreadCpuMilliseconds();
        WindowAccess::Live(window).RunNow();
        QApplication::processEvents();
        updates.push_back(ThreadCpuMilliseconds() - start);
    }
    // After a pause, as when typing: the window's thread and the worker apart.
    std::vector<double> windowShares;
    std::vector<double> workerShares;
    for (int k = 0; k < 16; ++k) {
        TypeOrTakeBack(memo, k);
        QApplication::processEvents();
        const double thread = ThreadCpuMilliseconds();
        const double process = CpuMilliseconds();
        while (WindowAccess::Live(window).Pending()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        QApplication::processEvents();
        const double threadUsed = ThreadCpuMilliseconds() - thread;
        windowShares.push_back(threadUsed);
        workerShares.push_back(CpuMilliseconds() - process - threadUsed);
    }

    const Figures echo = Summary(echoes);
    const Figures update = Summary(updates);
    std::printf("echo of a key, %d keys: median %.1f ms, 90%% %.1f ms, worst %.1f ms\n", keys, echo.median, echo.p90,
                echo.worst);
    const Figures echoThread = Summary(echoCpu);
    std::printf("  the window thread's CPU from the key to the paint: median %.1f ms, worst %.1f ms\n", echoThread.median,
                echoThread.worst);
    const Figures handled = Summary(handling);
    const Figures waited = Summary(waits);
    std::printf("  of which waiting for the thread: median %.1f ms, worst %.1f ms; the key event itself: median %.1f ms, worst %.1f ms\n",
                waited.median, waited.worst, handled.median, handled.worst);
    std::printf("typing: %.1f ms CPU for %d keys over %.0f ms (all threads, with their checks)\n", typingCpu, keys,
                typingWall);
    std::printf("one live update, all of it on the window's thread: median %.1f ms CPU, worst %.1f ms\n", update.median,
                update.worst);
    const Figures windowShare = Summary(windowShares);
    const Figures workerShare = Summary(workerShares);
    std::printf("one live update after a pause: window's thread median %.1f ms CPU (worst %.1f), worker median %.1f ms CPU\n",
                windowShare.median, windowShare.worst, workerShare.median);
    return 0;
}
