// Start-up of the window program against a bare Qt window, in the same run.
// Run without arguments, the program launches by turns (a) itself with
// "--bare": a QApplication with an empty QMainWindow that ends once the window
// has first been painted, and (b) quaverly with QUAVERLY_EXIT_AFTER_SHOW=1,
// which ends the same way. Each launch is timed from the outside, from the
// spawn to the end of the process, and the medians and their ratio are
// printed. The platform is the caller's: QT_QPA_PLATFORM=offscreen, or a
// display such as the one xvfb-run gives.
//
//   quaverly_startup_bench [--runs N] [--program PATH]
//
// quaverly keeps its window placement in the settings store when it closes:
// its runs get a temporary XDG_CONFIG_HOME so that the user's is not touched.
#include <QApplication>
#include <QMainWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int DefaultRuns = 15;
constexpr int WarmUpRuns = 2;

// The bare window: ends once its first paint has completed.
class BareWindow : public QMainWindow {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        QMainWindow::paintEvent(event);
        if (!m_painted) {
            m_painted = true;
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
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

// Spawns the program with the extra environment entries and waits for it;
// returns the wall time in milliseconds, or a negative value on failure.
double TimedRun(const std::string& program, const std::vector<std::string>& arguments,
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

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
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

    std::vector<double> bare;
    std::vector<double> quaverly;
    for (int run = -WarmUpRuns; run < runs; ++run) {
        const double bareMs = TimedRun(self, {"--bare"}, bareEnvironment);
        const double quaverlyMs = TimedRun(program, {}, quaverlyEnvironment);
        if (bareMs < 0 || quaverlyMs < 0) {
            std::fprintf(stderr, "a run failed (bare %.1f ms, quaverly %.1f ms)\n", bareMs, quaverlyMs);
            return 1;
        }
        if (run >= 0) {
            bare.push_back(bareMs);
            quaverly.push_back(quaverlyMs);
        }
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform: %s, %d runs each, alternately, after %d warm-up runs\n",
                platform != nullptr ? platform : "(default)", runs, WarmUpRuns);
    std::printf("bare QMainWindow: median %7.1f ms (min %.1f, max %.1f)\n", Median(bare),
                *std::min_element(bare.begin(), bare.end()), *std::max_element(bare.begin(), bare.end()));
    std::printf("quaverly:         median %7.1f ms (min %.1f, max %.1f)\n", Median(quaverly),
                *std::min_element(quaverly.begin(), quaverly.end()),
                *std::max_element(quaverly.begin(), quaverly.end()));
    std::printf("ratio quaverly / bare: %.2f (goal: at most 1.50)\n", Median(quaverly) / Median(bare));
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
