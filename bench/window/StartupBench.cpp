// Start-up of the window program against a bare Qt window, in the same run.
// Run without arguments, the program launches by turns (a) itself with
// "--bare": a QApplication with an empty QMainWindow, and (b) quaverly with
// QUAVERLY_EXIT_AFTER_SHOW=1. At its window's first paint each prints the
// steady clock's time in milliseconds and ends. Two figures per launch: to
// the first paint (the printed time less the time of the spawn) and to the
// end of the process; their medians and the ratios are printed. The platform
// is the caller's: QT_QPA_PLATFORM=offscreen, or a display such as the one
// xvfb-run gives.
//
//   quaverly_startup_bench [--runs N] [--program PATH]
//
// quaverly keeps its window placement in the settings store when it closes:
// its runs get a temporary XDG_CONFIG_HOME so that the user's is not touched.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMainWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int DefaultRuns = 15;
constexpr int WarmUpRuns = 2;

double SteadyMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The bare window: prints the time of its first paint and ends once that
// paint has completed.
class BareWindow : public QMainWindow {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        QMainWindow::paintEvent(event);
        if (!m_painted) {
            m_painted = true;
            std::printf("%.3f\n", SteadyMs());
            std::fflush(stdout);
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
    }

private:
    bool m_painted = false;
};

int RunBareWindow(int argc, char* argv[])
{
    QApplication application(argc, argv);
    BareWindow window;
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}

struct Timing {
    double firstPaintMs = -1;
    double exitMs = -1;
};

// Spawns the program with the extra environment entries, reads the time of
// its first paint from its output and waits for its end. A failed run has
// negative times.
Timing TimedRun(const std::string& program, const std::vector<std::string>& arguments,
                const std::vector<std::string>& extraEnvironment)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : extraEnvironment) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        envp.push_back(*entry);
    }
    envp.push_back(nullptr);

    int output[2];
    if (pipe(output) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);

    const double start = SteadyMs();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    std::string text;
    char buffer[256];
    ssize_t count = 0;
    while (spawned == 0 && (count = read(output[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(count));
    }
    close(output[0]);
    if (spawned != 0) {
        return {};
    }
    int status = 0;
    const bool ended = waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const double end = SteadyMs();
    if (!ended || text.empty()) {
        return {};
    }
    return {std::strtod(text.c_str(), nullptr) - start, end - start};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void Report(const char* name, const std::vector<double>& paint, const std::vector<double>& exit)
{
    std::printf("%-17s %6.1f ms (%5.1f-%5.1f)    %6.1f ms (%5.1f-%5.1f)\n", name, Median(paint),
                *std::min_element(paint.begin(), paint.end()), *std::max_element(paint.begin(), paint.end()),
                Median(exit), *std::min_element(exit.begin(), exit.end()), *std::max_element(exit.begin(), exit.end()));
}

int RunComparison(const std::string& self, const std::string& program, int runs)
{
    QTemporaryDir configHome;
    if (!configHome.isValid()) {
        std::fprintf(stderr, "no temporary folder for the settings\n");
        return 1;
    }
    std::vector<std::string> bareEnvironment;
    std::vector<std::string> quaverlyEnvironment{"QUAVERLY_EXIT_AFTER_SHOW=1",
                                                 "XDG_CONFIG_HOME=" + configHome.path().toStdString()};
    // Without a runtime folder Qt warns at every start (xvfb-run sets none).
    QTemporaryDir runtimeFolder;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeFolder.isValid()) {
        const std::string entry = "XDG_RUNTIME_DIR=" + runtimeFolder.path().toStdString();
        bareEnvironment.push_back(entry);
        quaverlyEnvironment.push_back(entry);
    }

    std::vector<double> barePaint, bareExit, quaverlyPaint, quaverlyExit;
    for (int run = -WarmUpRuns; run < runs; ++run) {
        const Timing bare = TimedRun(self, {"--bare"}, bareEnvironment);
        const Timing quaverly = TimedRun(program, {}, quaverlyEnvironment);
        if (bare.exitMs < 0 || quaverly.exitMs < 0) {
            std::fprintf(stderr, "a run failed (bare %.1f ms, quaverly %.1f ms)\n", bare.exitMs, quaverly.exitMs);
            return 1;
        }
        if (run >= 0) {
            barePaint.push_back(bare.firstPaintMs);
            bareExit.push_back(bare.exitMs);
            quaverlyPaint.push_back(quaverly.firstPaintMs);
            quaverlyExit.push_back(quaverly.exitMs);
        }
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform: %s, %d runs each, alternately, after %d warm-up runs (medians, min-max)\n",
                platform != nullptr ? platform : "(default)", runs, WarmUpRuns);
    std::printf("                  to first paint              to process end\n");
    Report("bare QMainWindow", barePaint, bareExit);
    Report("quaverly", quaverlyPaint, quaverlyExit);
    std::printf("ratio quaverly / bare: first paint %.2f (goal: at most 1.50), process end %.2f\n",
                Median(quaverlyPaint) / Median(barePaint), Median(quaverlyExit) / Median(bareExit));
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    std::string program = QUAVERLY_PROGRAM;
    int runs = DefaultRuns;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--bare") {
            return RunBareWindow(argc, argv);
        }
        if (argument == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--program" && i + 1 < argc) {
            program = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] [--program PATH]\n", argv[0]);
            return 2;
        }
    }
    // The bare runs launch this very program.
    return RunComparison(std::filesystem::read_symlink("/proc/self/exe").string(), program, runs);
}
