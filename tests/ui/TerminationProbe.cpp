// termination_probe <close-ms> <marker-file>: a window watched by a
// TerminationWatch whose close takes close-ms (a slow or hanging save) and
// then writes marker-file. Prints "ready" once its event loop runs. Used by
// TerminationProcessTest to time signals against a save in progress.

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "ui/TerminationWatch.h"

namespace {

class SlowCloseWindow final : public QWidget {
public:
    SlowCloseWindow(int closeMs, std::string marker)
        : m_closeMs(closeMs), m_marker(std::move(marker)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_closeMs));
        std::ofstream(m_marker) << "saved\n";
        event->accept();
    }

private:
    int m_closeMs;
    std::string m_marker;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) return 2;
    mc::TerminationWatch watch;
    SlowCloseWindow window(std::stoi(argv[1]), argv[2]);
    QObject::connect(&watch, &mc::TerminationWatch::windowClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    watch.watch(window);
    QTimer::singleShot(0, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
