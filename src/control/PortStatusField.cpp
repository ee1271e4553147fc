#include "control/PortStatusField.h"

#include <atomic>

namespace mc {

struct PortStatusField::Feed {
    std::atomic<std::size_t> queued{0};
    std::atomic<std::size_t> refused{0};
    std::atomic<bool> refreshPosted{false};
    // UI thread only: null once the field is gone.
    PortStatusField* field = nullptr;

    // Any thread: posts one refresh unless one is pending already.
    void requestRefresh(IUiPoster& poster, const std::shared_ptr<Feed>& self) {
        if (refreshPosted.exchange(true)) return;
        poster.post([self] {
            self->refreshPosted = false;
            if (self->field != nullptr) self->field->refresh();
        });
    }
};

PortStatusField::PortStatusField(IUiPoster& poster, QWidget* parent)
    : QLabel(parent), m_poster(poster), m_feed(std::make_shared<Feed>()) {
    m_feed->field = this;
    setObjectName(QStringLiteral("PortStatusField"));
    display(m_status);
}

PortStatusField::~PortStatusField() {
    m_feed->field = nullptr;
}

void PortStatusField::setPort(const std::string& devicePath, std::uint32_t baudRate,
                              PortState state) {
    m_status.devicePath = devicePath;
    m_status.baudRate = baudRate;
    setPortState(state);
}

void PortStatusField::setPortState(PortState state) {
    if (state == PortState::Open) m_feed->refused = 0;
    m_status.state = state;
    refresh();
}

void PortStatusField::resetQueue() {
    m_feed->queued = 0;
    m_feed->refused = 0;
    refresh();
}

std::function<void(std::size_t)> PortStatusField::countListener() {
    return [feed = m_feed, &poster = m_poster](std::size_t count) {
        feed->queued = count;
        feed->requestRefresh(poster, feed);
    };
}

TMatrixCommDataThread::HandOverListener PortStatusField::handOverListener() {
    return [feed = m_feed, &poster = m_poster](bool accepted, std::size_t remaining) {
        if (!accepted) ++feed->refused;
        feed->queued = remaining;
        feed->requestRefresh(poster, feed);
    };
}

void PortStatusField::refresh() {
    m_status.queued = m_feed->queued.load();
    m_status.refused = m_feed->refused.load();
    display(m_status);
}

void PortStatusField::display(const PortStatus& status) {
    const QString text = QString::fromStdString(describePortStatus(status));
    if (text != this->text()) setText(text);
}

}  // namespace mc
