// Start-up of the control window, under the offscreen platform:
//  - process start to the first paint of the shown window for a 32 × 32 and a
//    256 × 256 model, each as a ratio to a program that shows an empty
//    QMainWindow (same executable, same libraries, measured in the same run);
//  - a 256 × 256 window whose MatrixLine.json holds a route for every output
//    on both tables, as a ratio to a 16 × 16 window without one;
//  - resident memory of the 256 × 256 window minus the 32 × 32 one;
//  - a page change on the 256 × 256 model (handler and repaint).
// Usage: startup_bench [runs]. The executable starts itself as the child
// programs ("--child empty|label|form <program folder>"). The ratios are to
// the empty window; the window with one Chinese label shows how much of the
// difference is the font with Chinese glyphs that any such window loads.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "config/IniFile.h"
#include "control/LineFile.h"
#include "ui/Dialogs.h"
#include "ui/QXRMainControl.h"
#include "ui/QtUiPoster.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Dialogs that never block: the bench must not wait for an operator.
class SilentDialogs final : public mc::IDialogs {
public:
    bool ignoreError(QWidget*, const QString&, const QString&) override { return true; }
    void showMessage(QWidget*, const QString&) override {}
    void showError(QWidget*, const QString&) override {}
    Answer ask(QWidget*, const QString&) override { return Answer::Cancel; }
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return std::nullopt;
    }
    int exec(QDialog&) override { return 0; }
};

// Reports the first paint of a window on stdout and ends the event loop.
class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

int runChild(const std::string& kind, const std::string& programDir) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "startup_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    FirstPaint watch;
    SilentDialogs dialogs;
    mc::QtUiPoster poster;
    mc::MatrixSession session(mc::AppPaths(programDir), poster);
    std::unique_ptr<QMainWindow> window;
    if (kind == "form") {
        window = std::make_unique<mc::TMatrixForm>(session, dialogs);
    } else {
        window = std::make_unique<QMainWindow>();
        window->resize(985, 560);
        // "label": the empty window with one line of Chinese text, which costs
        // what any window with such text pays once: the font with Chinese
        // glyphs found and loaded, the text shaped.
        if (kind == "label") window->setCentralWidget(new QLabel(QStringLiteral("输入通道")));
    }
    window->installEventFilter(&watch);
    window->show();
    QApplication::exec();
    std::printf("painted %ld\n", residentKiB());
    std::fflush(stdout);
    if (kind == "form") static_cast<mc::TMatrixForm&>(*window).FormClose();
    return 0;
}

struct ChildRun {
    double milliseconds = 0;
    long residentKiB = 0;
};

// Starts this executable as a child and times it until it reports its paint.
ChildRun timeChild(const std::string& self, const std::string& kind, const std::string& dir) {
    int out[2];
    if (::pipe(out) != 0) std::exit(2);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args{self, "--child", kind, dir};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, self.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::exit(2);
    }
    ::close(out[1]);
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    const Clock::time_point painted = Clock::now();
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);

    ChildRun run;
    run.milliseconds = std::chrono::duration<double, std::milli>(painted - start).count();
    if (line.rfind("painted ", 0) == 0)
        run.residentKiB = std::strtol(line.c_str() + 8, nullptr, 10);
    return run;
}

// A program folder whose model has `ports` inputs and outputs and whose COM1
// is a pseudo-terminal held open by the bench.
std::string makeProgramDir(const std::string& base, int ports, const std::string& device) {
    const std::string dir = base + "/m" + std::to_string(ports);
    const mc::AppPaths paths(dir);
    paths.ensureConfigDir();
    mc::iniWriteString(paths.mainConfigFile(), "Matrix Manage Message", "MatrixNowUse", "Bench");
    mc::iniWriteString(paths.mainConfigFile(), "Serial Port Map", "COM1", device);
    mc::IniFile models(paths.modelConfigFile());
    models.writeInteger("Bench", "MatrixInputNum", ports);
    models.writeInteger("Bench", "MatrixOutputNum", ports);
    models.commit();
    return dir;
}

// MatrixLine.json of the folder's model: every output routed on both tables.
void storeFullLine(const std::string& dir, int ports) {
    mc::StoredLine line{"Bench", 0x52, ports, ports, false, {}};
    for (const mc::LineLayer layer : {mc::LineLayer::Video, mc::LineLayer::Audio}) {
        auto& table = line.tables[layer];
        for (int o = 0; o < ports; ++o)
            table.push_back({mc::Carried::routed((o * 7 + (layer == mc::LineLayer::Audio)) % ports),
                             false, 1765000000000});
    }
    mc::writeStoredLine(mc::AppPaths(dir).configFile("MatrixLine.json"), line);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct PageTimes {
    double handler = 0;  // the click handler: state and widgets brought in line
    double painted = 0;  // the handler and the painting of what it changed
};

// Page changes on the 256 × 256 window in this process, right and left, down
// and up, 240 in all; medians.
PageTimes pageChangeMilliseconds(const std::string& dir) {
    int argc = 1;
    char name[] = "startup_bench";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentDialogs dialogs;
    mc::QtUiPoster poster;
    mc::MatrixSession session(mc::AppPaths(dir), poster);
    mc::TMatrixForm window(session, dialogs);
    window.show();
    QCoreApplication::processEvents();
    std::vector<double> handler, painted;
    for (int round = 0; round < 8; ++round) {
        for (int step = 0; step < 30; ++step) {
            QElapsedTimer timer;
            timer.start();
            const bool forward = (step / 15) % 2 == 0;
            if (round % 2 == 0) {
                forward ? window.RightBitBtnClick() : window.LeftBitBtnClick();
            } else {
                forward ? window.DownBitBtnClick() : window.UpBitBtnClick();
            }
            handler.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            // What the change made dirty is painted by the event loop, as in the
            // running program (a forced repaint of the whole window would also
            // paint the menus, tool bar and every unchanged box).
            QCoreApplication::processEvents();
            painted.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
    }
    window.FormClose();
    return {median(handler), median(painted)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return runChild(argv[2], argv[3]);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return 2;
    const std::string device = ::ptsname(master);
    const int slave = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);

    char pattern[] = "/tmp/mc-startup-bench-XXXXXX";
    const std::string base = ::mkdtemp(pattern);
    const std::string dir32 = makeProgramDir(base, 32, device);
    const std::string dir256 = makeProgramDir(base, 256, device);
    const std::string dir16 = makeProgramDir(base, 16, device);
    const std::string dirLine = makeProgramDir(base + "/line", 256, device);
    storeFullLine(dirLine, 256);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

    std::vector<double> empty, label, form32, form256, form16, formLine;
    std::vector<double> rss32, rss256;
    timeChild(self, "empty", base);  // warm the caches once
    for (int run = 0; run < runs; ++run) {
        empty.push_back(timeChild(self, "empty", base).milliseconds);
        label.push_back(timeChild(self, "label", base).milliseconds);
        const ChildRun small = timeChild(self, "form", dir32);
        const ChildRun large = timeChild(self, "form", dir256);
        form32.push_back(small.milliseconds);
        form256.push_back(large.milliseconds);
        form16.push_back(timeChild(self, "form", dir16).milliseconds);
        formLine.push_back(timeChild(self, "form", dirLine).milliseconds);
        rss32.push_back(static_cast<double>(small.residentKiB));
        rss256.push_back(static_cast<double>(large.residentKiB));
    }

    const double emptyMs = median(empty);
    std::printf("start-up to first paint, median of %d runs (offscreen)\n", runs);
    std::printf("  empty QMainWindow   %7.1f ms\n", emptyMs);
    std::printf("  ... with one Chinese label %7.1f ms   ratio %.2f\n", median(label),
                median(label) / emptyMs);
    std::printf("  32 x 32 window      %7.1f ms   ratio %.2f (target <= 1.3)\n", median(form32),
                median(form32) / emptyMs);
    std::printf("  256 x 256 window    %7.1f ms   ratio %.2f (target <= 1.5)\n", median(form256),
                median(form256) / emptyMs);
    std::printf("  16 x 16 window      %7.1f ms\n", median(form16));
    std::printf(
        "  256 x 256 window with a full MatrixLine.json %7.1f ms   ratio to 16 x 16 %.2f "
        "(target <= 1.5)%s\n",
        median(formLine), median(formLine) / median(form16),
        std::filesystem::exists(mc::AppPaths(dirLine).configFile("MatrixLine.json.bad"))
            ? "  -- NOT READ: the stored line did not match the model"
            : "");
    std::printf("resident memory 256 x 256 minus 32 x 32: %.2f MiB (target <= 10 MiB)\n",
                (median(rss256) - median(rss32)) / 1024.0);
    const PageTimes page = pageChangeMilliseconds(dir256);
    std::printf(
        "page change on 256 x 256, median: handler %.3f ms, with painting what changed %.3f ms "
        "(target < 5 ms)\n",
        page.handler, page.painted);

    std::error_code ignored;
    std::filesystem::remove_all(base, ignored);
    if (slave >= 0) ::close(slave);
    ::close(master);
    return 0;
}
