// Big inputs to the readers: a 100 MB file of random bytes opened as a melody,
// a 10 MB score page, a ringtone book of a thousand songs. Each must finish
// within seconds and use no more than a few times its input's size in memory.
// Every case runs in a child process, so that its peak resident size
// (getrusage of the child) is its own and a runaway case cannot take the
// test program down with it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "InKtlSrc/RingtoneBook.h"
#include "base/Errors.h"
#include "UnitMidi/MidiFileReader.h"
#include "UnitMld/MelodyStore.h"
#include "base/FileIO.h"
#include "UnitMld/MelodyToScore.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/ScoreParser.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

// Time and memory allowed. The sanitizers slow the code and keep freed memory
// in quarantine (up to 256 MB), so their build gets more of both.
constexpr double SecondsAllowed = Sanitized ? 60.0 : 10.0;
constexpr long SlackKbAllowed = Sanitized ? 400 * 1024 : 32 * 1024;
// A file is held once as read, plus what growing the buffer costs.
constexpr double FileFactorAllowed = 4.0;
// A score page costs more: the page itself, a SequenceList entry of 12 bytes
// for every event, and the canonical text, about as long as the page. The
// scan reads a page as typed, without a full-width copy. A page of notes
// written as usual takes 3.6 times its size; half-width text 1.6, random
// bytes 2.5, small raw-data blocks 3.9. The densest pages make an event from
// every four bytes ("ド（", "ド４"), three times their size in entries alone:
// 4.2-5.0; notes without lengths between raw blocks, whose canonical text
// outgrows the page and is copied once to grow, 6.4.
constexpr double PageFactorAllowed = 7.0;

struct ChildUsage {
    bool finished = false;  // exited normally with status 0
    double seconds = 0;     // processor time
    long peakKb = 0;        // peak resident size, above the empty child's
};

// The child's peak resident size in KB; its processor time (user and system,
// not the wall clock, which a busy machine stretches) goes to seconds.
long ChildPeakKb(const std::function<void()>& work, bool& finished, double& seconds)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            work();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "the child threw: %s\n", error.what());
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return usage.ru_maxrss;
}

ChildUsage RunInChild(const std::function<void()>& work)
{
    bool idleFinished = false;
    double idleSeconds = 0;
    const long idleKb = ChildPeakKb([] {}, idleFinished, idleSeconds);
    ChildUsage result;
    const long peakKb = ChildPeakKb(work, result.finished, result.seconds);
    result.peakKb = std::max(0L, peakKb - idleKb);
    return result;
}

void ExpectWithinBounds(const ChildUsage& usage, size_t inputBytes, double factorAllowed)
{
    EXPECT_TRUE(usage.finished);
    EXPECT_LT(usage.seconds, SecondsAllowed);
    const long allowedKb = static_cast<long>(factorAllowed * static_cast<double>(inputBytes) / 1024) + SlackKbAllowed;
    EXPECT_LT(usage.peakKb, allowedKb) << "input " << inputBytes / 1024 << " KB";
    std::printf("[   INFO   ] %zu KB input: %.2f s processor time, peak %ld KB above an empty process\n",
                inputBytes / 1024, usage.seconds, usage.peakKb);
}

class TemporaryFolder {
public:
    TemporaryFolder() : m_path(fs::temp_directory_path() / ("quaverly-big-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_path);
    }
    ~TemporaryFolder() { fs::remove_all(m_path); }
    fs::path operator/(const std::string& name) const { return m_path / name; }

private:
    fs::path m_path;
};

// Random bytes written in chunks, so the test program itself never holds them.
void WriteRandomFile(const fs::path& path, size_t size, std::string_view head)
{
    std::ofstream file(path, std::ios::binary);
    file.write(head.data(), static_cast<std::streamsize>(head.size()));
    std::mt19937_64 random(20240101);
    std::string chunk(1 << 20, '\0');
    for (size_t written = head.size(); written < size; written += chunk.size()) {
        for (size_t i = 0; i + 8 <= chunk.size(); i += 8) {
            const uint64_t value = random();
            std::memcpy(chunk.data() + i, &value, 8);
        }
        file.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), size - written)));
    }
}

// A refusal with its message (a melody longer than the time column holds) is
// a fine answer too; what counts is that it comes soon and stays small.
void OpenAndLoad(const fs::path& path)
{
    MelodyStore store;
    store.OpenMelodyFile(path.string());
    MelodyFileInfo info;
    try {
        LoadMelodyIntoEditor(store, info);
    } catch (const QuaverlyError&) {
    }
}

constexpr size_t HundredMegabytes = 100u << 20;

TEST(BigInputTest, HundredMegabytesOfRandomBytesOpenAsMelody)
{
    TemporaryFolder folder;
    const fs::path path = folder / "random.mld";
    WriteRandomFile(path, HundredMegabytes, "");
    ExpectWithinBounds(RunInChild([&] { OpenAndLoad(path); }), HundredMegabytes, FileFactorAllowed);
}

// The same bytes behind a melody header whose lengths claim everything, so
// that the event walk, the listing and the way back to score text see it all.
TEST(BigInputTest, HundredMegabytesOfRandomEventsLoadIntoEditor)
{
    TemporaryFolder folder;
    const fs::path path = folder / "random-events.mld";
    const std::string head("melo\xFF\xFF\xFF\xFF\x00\x03\x01\x01\x01trac\xFF\xFF\xFF\xFF", 21);
    WriteRandomFile(path, HundredMegabytes, head);
    ExpectWithinBounds(RunInChild([&] { OpenAndLoad(path); }), HundredMegabytes, FileFactorAllowed);
}

// A file over its reader's cap is refused before it is read: 300 MB files,
// sparse so that making them costs nothing, once took the program to 514 MB.
TEST(BigInputTest, FilesOverTheirCapAreRefusedUnread)
{
    TemporaryFolder folder;
    const fs::path melody = folder / "huge.mld";
    const fs::path midi = folder / "huge.mid";
    std::ofstream(melody, std::ios::binary) << "melo";
    std::ofstream(midi, std::ios::binary) << "MThd";
    fs::resize_file(melody, 300u << 20);
    fs::resize_file(midi, 300u << 20);
    const auto refused = [](const std::function<void()>& read) {
        try {
            read();
        } catch (const FileError& error) {
            if (error.ErrorNumber() == EFBIG) {
                return;
            }
        }
        ::_exit(4);
    };
    ExpectWithinBounds(RunInChild([&] {
                           refused([&] { MelodyStore().OpenMelodyFile(melody.string()); });
                           refused([&] { ReadWholeFile(midi.string(), MaxMidiFileSize); });
                       }),
                       0, FileFactorAllowed);
    // The browser lists the title of any size of file from its header alone.
    ExpectWithinBounds(RunInChild([&] { ReadMelodyTitle(melody.string()); }), 0, FileFactorAllowed);
}

constexpr size_t TenMegabytes = 10u << 20;

std::string RepeatTo(std::string_view unit, size_t size)
{
    std::string text;
    text.reserve(size + unit.size());
    while (text.size() < size) {
        text.append(unit);
    }
    return text;
}

// Mended memory blow-up: note events that all have delta 0 never reach the
// time limit, and ten megabytes of them once took over 600 MB to list, show
// and spell as score text. The listing now refuses beyond 1,500,000 events,
// at most that many lines of 32 bytes (with the doubling of the list's growth).
TEST(BigInputTest, MemoryBlowUpOfZeroDeltaEventsIsRefused)
{
    TemporaryFolder folder;
    const fs::path path = folder / "zero-deltas.mld";
    {
        std::string image("melo\xFF\xFF\xFF\xFF\x00\x03\x01\x01\x01trac\xFF\xFF\xFF\xFF", 21);
        image += RepeatTo(std::string_view("\x00\x1B\x2E", 3), TenMegabytes);
        std::ofstream(path, std::ios::binary) << image;
    }
    constexpr double ListingKb = 1'500'000.0 * 32 * 2 / 1024;
    ExpectWithinBounds(RunInChild([&] {
                           MelodyStore store;
                           store.OpenMelodyFile(path.string());
                           MelodyFileInfo info;
                           info.copyright = "kept";
                           try {
                               LoadMelodyIntoEditor(store, info);
                           } catch (const MelodyLimitError&) {
                               if (store.Sequence().empty() && info.copyright == "kept") {
                                   return;
                               }
                           }
                           ::_exit(4);  // listed, or changed something on the refusal
                       }),
                       TenMegabytes, FileFactorAllowed + ListingKb * 1024 / static_cast<double>(TenMegabytes));
}

void ParsePage(const std::string& text, bool extendedNotation)
{
    SequenceList list;
    ParseScore(text, 0, list, extendedNotation);
}

TEST(BigInputTest, TenMegabyteScorePagesParse)
{
    struct Page {
        const char* name;
        std::string unit;  // Shift-JIS, repeated to 10 MB
        bool extendedNotation;
    };
    const Page pages[] = {
        // ド４▲レ８．＊●２ド（100）ミ［10］, line break
        {"notes",
         "\x83h\x82S\x81\xA3\x83\x8C\x82W\x81"
         "D\x81\x96\x81\x9C\x82Q\x83h\x81i100\x81j\x83~\x81m10\x81n\r\n",
         false},
        // ド（ : every group left open, its closing bracket never comes
        {"open length groups", "\x83h\x81i", false},
        // ミ［1 : gate groups with digits and no closing bracket
        {"open gate groups", "\x83~\x81m1", false},
        // ／ then notes: one raw-data block that never closes
        {"open raw-data block", "\x83h\x81^\x83\x8C", true},
        // half-width text the width mapping must turn to full width
        {"half-width", "do re mi 4 8. * (100) [10] R ", false},
        // ／ＡＢ／ : nothing but small raw-data blocks, each an entry with its text
        {"raw-data blocks", "\x81^\x82`\x82" "a\x81^", true},
        // ド４レ８ : full-width notes only, read as typed
        {"full-width notes", "\x83h\x82S\x83\x8C\x82W", false},
    };
    for (const Page& page : pages) {
        SCOPED_TRACE(page.name);
        ExpectWithinBounds(RunInChild([&] { ParsePage(RepeatTo(page.unit, TenMegabytes), page.extendedNotation); }),
                           TenMegabytes, PageFactorAllowed);
    }
}

TEST(BigInputTest, TenMegabytesOfRandomBytesParse)
{
    ExpectWithinBounds(RunInChild([] {
                           std::mt19937 random(7);
                           std::string text(TenMegabytes, '\0');
                           for (char& c : text) {
                               c = static_cast<char>(random());
                           }
                           ParsePage(text, true);
                       }),
                       TenMegabytes, PageFactorAllowed);
}

// A page of pieces that are each not taken as written (a diagnostic every few
// bytes, 666,664 of them in 10 MB) once kept every diagnostic: 17 times the
// page. Each page now keeps its first thousand and counts the rest; the
// command-line tool prints them as they come and keeps none.
constexpr double DiagnosticPageFactorAllowed = 4.0;
constexpr long DiagnosticPageSlackKb = Sanitized ? SlackKbAllowed : 16 * 1024;

std::string DiagnosticPage()
{
    // ド６４レ▲６４．ミ▼（３）＊ファ＃３２Ｔソ（６［２］）●６４
    return RepeatTo(Utf8ToSjis("ド６４レ▲６４．ミ▼（３）＊ファ＃３２Ｔソ（６［２］）●６４"), TenMegabytes);
}

void ExpectWithinPageBound(const ChildUsage& usage, size_t pageBytes)
{
    EXPECT_TRUE(usage.finished);
    EXPECT_LT(usage.seconds, SecondsAllowed);
    const long allowedKb =
        static_cast<long>(DiagnosticPageFactorAllowed * static_cast<double>(pageBytes) / 1024) + DiagnosticPageSlackKb;
    EXPECT_LT(usage.peakKb, allowedKb);
    std::printf("[   INFO   ] %zu KB page: %.2f s processor time, peak %ld KB above an empty process (%.1fx)\n",
                pageBytes / 1024, usage.seconds, usage.peakKb,
                static_cast<double>(usage.peakKb) * 1024 / static_cast<double>(pageBytes));
}

TEST(BigInputTest, TenMegabytePageOfDiagnosticsKeepsABoundedNumber)
{
    const std::string page = DiagnosticPage();
    ExpectWithinPageBound(RunInChild([&] {
                              SequenceList list;
                              DiagnosticSink diagnostics;
                              ParseScore(page, 0, list, false, &diagnostics);
                              if (diagnostics.Items().size() != DiagnosticSink::KeptPerPage ||
                                  diagnostics.Count(0) < 600'000) {
                                  ::_exit(4);
                              }
                          }),
                          page.size());
    ExpectWithinPageBound(RunInChild([&] {
                              MelodyStore store;
                              EditorTexts texts;
                              texts.tempo = "120";
                              texts.tones = {"1", "1", "1", "1"};
                              texts.volumes = {"63", "63", "63", "63"};
                              texts.scores[0] = page;
                              DiagnosticSink diagnostics;
                              try {
                                  AnalyseScore(store, texts, MelodyFileInfo{}, false, ViewRows::Skip, &diagnostics);
                              } catch (const MelodyLimitError&) {
                                  // too long for the melody file: refused, after the parse
                              }
                          }),
                          page.size());
}

// The same page through the command-line tool, as a melody text file:
// "parse" and "build", with and without --quiet. (The build is refused as
// too long for the melody file, after the page is read.)
TEST(BigInputTest, TenMegabytePageOfDiagnosticsThroughTheTool)
{
    TemporaryFolder folder;
    const std::string page = DiagnosticPage();
    const fs::path pageFile = folder / "page.txt";
    const fs::path melodyText = folder / "page.tml";
    std::ofstream(pageFile, std::ios::binary) << page;
    std::ofstream(melodyText, std::ios::binary) << "$T\r\nbig\r\n$t\r\n120\r\n$C\r\n\r\n$D\r\n\r\n$1\r\n-1\r\n-63\r\n" << page
                                                << "\r\n$2\r\n-1\r\n-63\r\n\r\n$3\r\n-1\r\n-63\r\n\r\n$4\r\n-1\r\n-63\r\n\r\n";
    const std::string runs[] = {
        "parse '" + pageFile.string() + "'",
        "parse --quiet '" + pageFile.string() + "'",
        "build '" + melodyText.string() + "' -o '" + (folder / "page.mld").string() + "'",
        "build --quiet '" + melodyText.string() + "' -o '" + (folder / "page.mld").string() + "'",
    };
    for (const std::string& run : runs) {
        SCOPED_TRACE(run);
        const std::string command = std::string("'") + QUAVERLY_CLI + "' " + run + " >/dev/null 2>&1";
        ChildUsage usage = RunInChild([&] {
            // The shell's peak includes the tool it waited for; any exit
            // status will do (a melody too long for the file is refused).
            ::execl("/bin/sh", "sh", "-c", (command + "; exit 0").c_str(), static_cast<char*>(nullptr));
            ::_exit(5);
        });
        ExpectWithinPageBound(usage, page.size());
    }
}

std::string RingtoneBookOfSongs(size_t count)
{
    std::string book(19, '\0');
    const std::string melody = RepeatTo("\x83h\x82S\x83\x8C\x82W", 1000);  // ド４レ８, about 1 KB
    for (size_t song = 0; song < count; ++song) {
        book.append(3, '\0');
        const std::string fields[8] = {"song " + std::to_string(song), "x", "artist", "", "", melody, "", ""};
        for (const std::string& field : fields) {
            if (field.size() >= 255) {
                book.push_back('\xFF');
                book.push_back(static_cast<char>(field.size() & 0xFF));
                book.push_back(static_cast<char>(field.size() >> 8));
            } else {
                book.push_back(static_cast<char>(field.size()));
            }
            book.append(field);
        }
        book.append("\x01\x80");
    }
    return book;
}

TEST(BigInputTest, ThousandSongRingtoneBookReads)
{
    const std::string book = RingtoneBookOfSongs(1000);
    ExpectWithinBounds(RunInChild([&] {
                           if (ReadRingtoneBook(book).size() != 1000) {
                               ::_exit(4);
                           }
                       }),
                       book.size(), FileFactorAllowed);
}

}  // namespace
}  // namespace quaverly
