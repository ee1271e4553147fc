#pragma once

// PortStatusField: the permanent field at the right end of the control
// window's status bar (describePortStatus). It learns the queue's length from
// the command queue's count listener and from the sender's hand-over
// listener, which run on other threads: they store the figures in atomics and
// post one refresh to the user-interface thread while none is pending, so a
// burst of frames costs one repaint and an idle program does nothing.

#include <QLabel>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "control/PortStatus.h"
#include "protocol/MatrixComm.h"
#include "serial/UiPoster.h"

namespace mc {

class PortStatusField final : public QLabel {
    Q_OBJECT
public:
    // poster must outlive every listener handed out (the window's queue and
    // sender are dropped before the poster).
    explicit PortStatusField(IUiPoster& poster, QWidget* parent = nullptr);
    ~PortStatusField() override;

    // UI thread.
    void setPort(const std::string& devicePath, std::uint32_t baudRate, PortState state);
    void setPortState(PortState state);
    // A new queue: no frame waiting, none refused.
    void resetQueue();
    const PortStatus& status() const { return m_status; }

    // For CommandQueue::setCountListener and
    // TMatrixCommDataThread::setHandOverListener; called on any thread.
    std::function<void(std::size_t)> countListener();
    TMatrixCommDataThread::HandOverListener handOverListener();

private:
    struct Feed;
    // Takes the figures from the feed and shows them.
    void refresh();
    void display(const PortStatus& status);

    IUiPoster& m_poster;
    std::shared_ptr<Feed> m_feed;
    PortStatus m_status;
};

}  // namespace mc
