#include "ui/TerminationWatch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>

#include "ui/SignalWatch.h"

namespace mc {

namespace {

// How often, while ending, open boxes are closed and the window is tried.
constexpr int kStepMs = 20;
// Set on the UI thread when ending begins; read by QtDialogs.
std::atomic<bool> g_ending{false};

// Closes a box as its cancel button, or its only button, would.
void dismiss(QWidget& widget) {
    if (auto* box = qobject_cast<QMessageBox*>(&widget)) {
        QAbstractButton* button = box->escapeButton();
        if (button == nullptr && box->buttons().size() == 1) button = box->buttons().constFirst();
        if (button != nullptr) {
            button->click();
        } else {
            box->reject();
        }
    } else if (auto* dialog = qobject_cast<QDialog*>(&widget)) {
        dialog->reject();
    } else {
        widget.close();
    }
}

// Closes every open modal box, innermost first.
void dismissModalBoxes() {
    for (int guard = 0; guard < 64; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        dismiss(*modal);
        if (QApplication::activeModalWidget() == modal) modal->hide();
    }
}

}  // namespace

TerminationWatch::TerminationWatch(QObject* parent) : QObject(parent) {
    g_ending = false;
    m_signals = new SignalWatch(this);
    connect(m_signals, &SignalWatch::signalled, this, [this](int signal) {
        m_received = signal;
        beginEnding();
    });
    m_timer = new QTimer(this);
    m_timer->setInterval(kStepMs);
    connect(m_timer, &QTimer::timeout, this, [this] { step(); });
}

TerminationWatch::TerminationWatch(QWidget& window, QObject* parent) : TerminationWatch(parent) {
    watch(window);
}

TerminationWatch::~TerminationWatch() {
    g_ending = false;
}

void TerminationWatch::watch(QWidget& window) {
    m_window = &window;
    m_windowClosed = false;
    if (ending()) step();
}

void TerminationWatch::terminate() {
    SignalWatch::markFirst();
    beginEnding();
}

bool TerminationWatch::ending() {
    return g_ending.load();
}

void TerminationWatch::beginEnding() {
    if (!g_ending.exchange(true)) m_timer->start();
    step();
}

void TerminationWatch::step() {
    dismissModalBoxes();
    // A window closed inside a nested event loop would free what the handler
    // that opened the box still uses; it waits until that loop has returned.
    if (m_window == nullptr || m_windowClosed || QThread::currentThread()->loopLevel() > 1 ||
        QApplication::activeModalWidget() != nullptr)
        return;
    m_windowClosed = true;
    m_timer->stop();
    m_window->close();
    emit windowClosed();
}

}  // namespace mc
