// MatrixSession: construction, the build and its life cycle, the port and the
// queue figures, the grid, locks and the layer (names: MatrixSessionNames.cpp). Steps and their
// change events, and the device going away and coming back, are in MatrixSessionSteps.cpp; status
// files, modes and the configuration dialog's operations are in MatrixSessionFiles.cpp.

#include "control/MatrixSession.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <utility>

#include "config/Settings.h"
#include "control/PortOpenDetail.h"
#include "control/SwitchingLayer.h"
#include "serial/CommsError.h"
#include "text/Text.h"

namespace mc {

namespace {

std::string clampNote(const CrosspointState& state) {
    return formatText(
        translated("MatrixSession",
                   "注意：矩阵型号的端口数超出 1～256 的范围，现按 %1 路输入、%2 路输出使用"),
        {std::to_string(state.MatrixInputNum()), std::to_string(state.MatrixOutputNum())});
}

// Answers without asking, for a session without a window.
class SilentPrompts final : public ISessionPrompts {
public:
    bool ignorePortError(const std::string& text, const std::string& detail) override {
        std::fprintf(stderr, "matrix-control: %s: %s\n", text.c_str(), detail.c_str());
        return true;
    }
    void showError(const std::string& text) override {
        std::fprintf(stderr, "matrix-control: %s\n", text.c_str());
    }
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "matrix-control: %s\n", text.c_str());
    }
    std::optional<std::string> askModeName() override { return std::nullopt; }
};

}  // namespace

// The queue's figures reach the user-interface thread from the sender and
// from whoever appends: stored in atomics, one refresh posted while none is
// pending, so a burst of frames costs one report and an idle program nothing.
struct MatrixSession::QueueFeed {
    std::atomic<std::size_t> queued{0};
    std::atomic<std::size_t> refused{0};
    std::atomic<bool> refreshPosted{false};
    MatrixSession* session = nullptr;  // UI thread only: null once the session is gone

    void requestRefresh(IUiPoster& poster, const std::shared_ptr<QueueFeed>& self) {
        if (refreshPosted.exchange(true)) return;
        poster.post([self] {
            self->refreshPosted = false;
            if (self->session != nullptr) self->session->refreshQueueFigures();
        });
    }
};

MatrixSession::MatrixSession(AppPaths paths, IUiPoster& poster, SessionOptions options)
    : m_paths(std::move(paths)),
      m_poster(poster),
      m_silentPrompts(std::make_unique<SilentPrompts>()),
      m_prompts(m_silentPrompts.get()),
      m_options(options),
      m_feed(std::make_shared<QueueFeed>()),
      m_lineWriter(std::make_unique<LineWriter>([&poster, feed = m_feed](const std::string& error) {
          poster.post([feed, error] {
              if (feed->session != nullptr)
                  feed->session->portLog("cannot store the line: " + error);
          });
      })),
      Comm1(poster),
      m_journal(m_paths.configDir()) {
    m_feed->session = this;
    Comm1.OnRequestHangup = [this](TComm&) { portLost(); };
    Comm1.OnReconnect = [this](TComm&) { portReconnected(); };
    if (m_options.portLog) Comm1.setLogSink(m_options.portLog);
    // Whatever the switcher sends is discarded.
    Comm1.OnReceiveData = [](TComm&, const std::uint8_t*, std::uint16_t) {};
}

MatrixSession::~MatrixSession() {
    m_feed->session = nullptr;
    stopSender();
    Comm1.ClosePort();
}

void MatrixSession::attach(ISessionObserver& observer) {
    if (std::find(m_observers.begin(), m_observers.end(), &observer) == m_observers.end())
        m_observers.push_back(&observer);
}

void MatrixSession::detach(ISessionObserver& observer) {
    std::erase(m_observers, &observer);
}

void MatrixSession::setPrompts(ISessionPrompts* prompts) {
    m_prompts = prompts != nullptr ? prompts : m_silentPrompts.get();
}

// --- Life cycle -------------------------------------------------------------------

void MatrixSession::start() {
    if (m_closed || m_state) return;
    build();
}

void MatrixSession::rebuild() {
    if (m_closed) return;
    journalNameEdit();
    closePort();
    stopSender();
    build();
}

void MatrixSession::build() {
    m_settings = readStartupSettings(m_paths);
    Comm1.setCommName(m_settings.PortNum);
    Comm1.setBaudRate(static_cast<std::uint32_t>(m_settings.PortBandRate));
    Comm1.setPortMap(m_settings.SerialPortMap);
    m_caption = m_settings.windowCaption();

    // Before the build's step: the open may ask the operator.
    openPort();
    StepScope step(*this, std::string());

    CommandQueue = std::make_unique<mc::CommandQueue>();
    m_feed->queued = 0;
    m_feed->refused = 0;
    CommandQueue->setCountListener([feed = m_feed, &poster = m_poster](std::size_t count) {
        feed->queued = count;
        feed->requestRefresh(poster, feed);
    });
    // The session appends on the user-interface thread only.
    CommandQueue->setAppendListener([this](const TMatrixCommDataType& record) {
        if (m_step.depth > 0) m_step.entry.frames.push_back(record.Data);
        if (m_portStatus.state == PortState::Lost) rememberAway(record.Tag);
        const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::system_clock::now().time_since_epoch());
        m_line.frameQueued(record.Data, record.Tag.output, now.count());
    });
    m_awayOutputs.clear();
    m_awayLayer = false;
    startSender();

    m_state = std::make_unique<CrosspointState>(*CommandQueue, m_settings);
    // The line stays what it was across a rebuild for the same model (the
    // configuration dialog's Apply); otherwise it starts from the stored one.
    const std::string lineKey = std::to_string(m_state->ActiveAddress) + '\n' +
                                std::to_string(m_state->MatrixInputNum()) + '\n' +
                                std::to_string(m_state->MatrixOutputNum()) + '\n' +
                                (m_state->MatrixPattern ? "1" : "0");
    const bool lineKept = lineKey == m_lineKey;
    if (!lineKept) m_line.reset(m_state->MatrixOutputNum(), m_state->MatrixPattern);
    m_lineKey = lineKey;
    m_locks.reset(m_state->MatrixOutputNum());
    m_undo.clear();
    m_redo.clear();
    m_takeMode = m_settings.TakeMode;
    unstageAll();
    m_previousRows.assign(static_cast<std::size_t>(m_state->MatrixOutputNum()), {});
    m_note = m_settings.countsClamped ? clampNote(*m_state) : std::string();
    if (const std::string speed = Comm1.speedNote(); !speed.empty())
        m_note = m_note.empty() ? speed : m_note + "；" + speed;
    guarded({}, [this] {
        const PortNameLists names =
            readPortNameFile(m_paths, m_state->MatrixInputNum(), m_state->MatrixOutputNum(),
                             m_state->MatrixInputEditEnable, m_state->MatrixOutputEditEnable);
        if (names.inputs) {
            for (std::size_t k = 0; k < names.inputs->size(); ++k)
                m_state->setInputName(static_cast<std::int32_t>(k), (*names.inputs)[k]);
        }
        if (names.outputs) {
            for (std::size_t k = 0; k < names.outputs->size(); ++k)
                m_state->setOutputName(static_cast<std::int32_t>(k), (*names.outputs)[k]);
        }
    });
    m_state->queueStartupFrames();
    if (!lineKept) {
        m_lineWriter->flush();  // the file as last written
        restoreLine();
    }
    preselectLayer();

    m_paths.restoreCurrentDirectory();
    m_state->CurrentModeName.clear();
    refreshQueueFigures();
    m_step.change.rebuilt = true;
}

void MatrixSession::close() {
    if (m_closed) return;
    m_closed = true;
    if (m_state) {
        journalNameEdit();
        saveNames();
        if (SenderThread) SenderThread->stop();  // what still waits never leaves
        forgetWaitingFrames();
        writeLine();
        m_lineWriter->flush();
    }
    stopSender();
    closePort();
    m_paths.restoreCurrentDirectory();
}

bool MatrixSession::saveNames() {
    const CrosspointState& state = *m_state;
    PortNameLists names;
    if (state.MatrixInputEditEnable) names.inputs = state.InputNames();
    if (state.MatrixOutputEditEnable) names.outputs = state.OutputNames();
    return guarded({}, [&] { savePortNameFile(m_paths, names); }).done();
}

void MatrixSession::openPort() {
    try {
        Comm1.OpenPort();
    } catch (const ECommsError& error) {
        takePortFigures();
        setPortState(PortState::NotOpen);
        if (m_prompts->ignorePortError(error.what(),
                                       portOpenDetail(error.errorCode(), error.devicePath()))) {
            Comm1.ClosePort();
        }
    }
    takePortFigures();
    setPortState(Comm1.isOpen() ? PortState::Open : PortState::NotOpen);
}

void MatrixSession::takePortFigures() {
    m_portStatus.devicePath = Comm1.devicePath();
    // The speed the driver set when a device is open, else the one it will
    // be asked for.
    const std::uint32_t actual = Comm1.actualBaudRate();
    m_portStatus.baudRate = actual != 0 ? actual : Comm1.lineBaudRate();
}

void MatrixSession::closePort() {
    Comm1.ClosePort();
    setPortState(PortState::NotOpen);
}

void MatrixSession::startSender() {
    IBytePort& port = m_options.senderPort != nullptr ? *m_options.senderPort : Comm1;
    ISenderClock& clock =
        m_options.senderClock != nullptr ? *m_options.senderClock : steadySenderClock();
    SenderThread = std::make_unique<TMatrixCommDataThread>(*CommandQueue, port, clock);
    SenderThread->setHandOverListener(
        [feed = m_feed, &poster = m_poster](bool accepted, std::size_t remaining) {
            if (!accepted) ++feed->refused;
            feed->queued = remaining;
            feed->requestRefresh(poster, feed);
        });
    if (m_options.startSender) SenderThread->start();
}

void MatrixSession::stopSender() {
    if (m_step.heldQueue == CommandQueue.get()) m_step.heldQueue = nullptr;
    if (SenderThread) SenderThread->stop();
    SenderThread.reset();
    forgetWaitingFrames();
    m_state.reset();
    CommandQueue.reset();
}

bool MatrixSession::clientAsideWaiting() const {
    if (!CommandQueue) return false;
    const std::vector<FrameTag> waiting = CommandQueue->waitingTags();
    return std::any_of(waiting.begin(), waiting.end(), [](const FrameTag& tag) {
        return tag.kind == FrameTag::Kind::Layer && tag.replaceable;
    });
}

void MatrixSession::forgetWaitingFrames() {
    // Frames still waiting are dropped with the queue: the device may never
    // get them, so what the line says of their outputs is not known any more.
    if (!CommandQueue) return;
    for (const FrameTag& tag : CommandQueue->waitingTags()) {
        if (tag.kind == FrameTag::Kind::Layer) m_line.forgetDeviceLayer();
        if (tag.output >= 0 && tag.output < m_line.outputs()) m_line.forget(tag.output);
    }
}

void MatrixSession::setPortState(PortState state) {
    if (state == PortState::Open) m_feed->refused = 0;
    StepScope step(*this, std::string());
    m_portStatus.state = state;
}

void MatrixSession::refreshQueueFigures() {
    const std::size_t queued = m_feed->queued.load();
    const std::size_t refused = m_feed->refused.load();
    if (queued == m_portStatus.queued && refused == m_portStatus.refused) return;
    StepScope step(*this, std::string());
    m_portStatus.queued = queued;
    m_portStatus.refused = refused;
}

// The line is stored about a second after it changes (MatrixSessionLine.cpp).
void MatrixSession::later(std::chrono::milliseconds delay, std::function<void()> task) {
    m_poster.postLater(
        [feed = m_feed, task = std::move(task)] {
            if (feed->session != nullptr) task();
        },
        delay);
}

void MatrixSession::scheduleLineWrite() {
    if (m_lineWriteScheduled) return;
    m_lineWriteScheduled = true;
    m_poster.postLater(
        [feed = m_feed] {
            if (feed->session != nullptr && feed->session->m_lineWriteScheduled)
                feed->session->writeLine();
        },
        std::chrono::seconds(1));
}

void MatrixSession::setNote(std::string note) {
    if (note == m_note) return;
    StepScope step(*this, std::string());
    m_note = std::move(note);
}

// --- Grid ---------------------------------------------------------------------------

bool MatrixSession::heldByOther(std::int32_t output, const std::string& owner) const {
    return !m_locks.allows(output, owner);
}

Outcome MatrixSession::clickBox(std::int32_t output, std::int32_t cell, bool ticked) {
    if (auto refused = busy()) return *refused;
    if (output < 0 || output >= m_state->MatrixOutputNum() || cell < 0 ||
        cell > m_state->MatrixInputNum())
        return Outcome::refused(Refusal::OutOfRange);
    StepScope step(*this, kWindowOwner);
    if (m_takeMode) {
        stage(output, cell);
        return {};
    }
    if (heldByOther(output, kWindowOwner)) {
        setNote(formatText(translated("MatrixSession", "输出 %1 已被 %2 锁定，本次切换未执行"),
                           {std::to_string(output + 1), m_locks.owner(output)}));
        return Outcome::refused(Refusal::Locked, m_locks.owner(output));
    }
    m_step.entry.action = cell == m_state->MatrixInputNum() ? journal::kClose : journal::kRoute;
    m_state->clickCell(output, cell, ticked);
    return {};
}

Outcome MatrixSession::routeOutput(const std::string& owner, std::int32_t output,
                                   std::int32_t input, RouteLayer layer) {
    if (auto refused = refuseOutput(owner, output)) return *refused;
    if (input < -1 || input >= m_state->MatrixInputNum())
        return Outcome::refused(Refusal::OutOfRange);
    // A layer a client names (the web API's "layer") aside from the
    // operator's brings layer frames around the switch that no later request
    // can take the place of: one such route waits at a time. (The protocols'
    // levels, VideoSide and AudioSide, are served as they come: a panel's
    // salvo on a level must not lose routes.)
    const std::int32_t code = layerCodeOf(layer);
    const bool named =
        layer == RouteLayer::Video || layer == RouteLayer::Audio || layer == RouteLayer::Both;
    if (owner != kWindowOwner && named && code != m_layer.checked && !m_line.pattern() &&
        clientAsideWaiting())
        return Outcome::refused(Refusal::Waiting);
    StepScope step(*this, owner);
    m_step.entry.action = input == -1 ? journal::kClose : journal::kRoute;
    routeOn(output, input == -1 ? m_state->MatrixInputNum() : input, code, QueueMode::Replace);
    return {};
}

std::int32_t MatrixSession::layerCodeOf(RouteLayer layer) const {
    switch (layer) {
        case RouteLayer::Operator:
            break;
        case RouteLayer::VideoSide:
            return m_layer.checked == kLayerAudio ? kLayerVideo : 0;
        case RouteLayer::AudioSide:
            return m_layer.checked == kLayerAudio || m_layer.checked == kLayerVideoAndAudio
                       ? 0
                       : kLayerAudio;
        case RouteLayer::Video:
            return kLayerVideo;
        case RouteLayer::Audio:
            return kLayerAudio;
        case RouteLayer::Both:
            return kLayerVideoAndAudio;
    }
    return 0;
}

void MatrixSession::routeOn(std::int32_t o, std::int32_t k, std::int32_t code, QueueMode mode) {
    const bool aside = code != 0 && code != m_layer.checked && !m_line.pattern();
    if (aside) moveDeviceTo(code);
    m_state->routeOutput(o, k, aside ? QueueMode::Append : mode);
    if (aside) moveDeviceTo(m_layer.checked);
}

bool MatrixSession::queueCheckedLayer() {
    if (m_state->MatrixPattern || !m_layer.enabled || !isLayer(m_layer.checked)) return false;
    queueLayerFrame(m_layer.checked, *m_state, *CommandQueue);
    return true;
}

// --- Locks -------------------------------------------------------------------------------

Outcome MatrixSession::lockOutput(const std::string& owner, std::int32_t output,
                                  LockRequest request) {
    if (auto refused = busy()) return *refused;
    if (output < 0 || output >= m_state->MatrixOutputNum())
        return Outcome::refused(Refusal::OutOfRange);
    StepScope step(*this, owner);
    bool changed = false;
    if (!m_locks.request(output, owner, request, changed))
        return Outcome::refused(Refusal::Locked, m_locks.owner(output));
    if (!changed) return {};
    m_step.change.locks.push_back({output, m_locks.owner(output)});
    m_step.entry.action = request == LockRequest::Lock     ? journal::kLock
                          : request == LockRequest::Unlock ? journal::kUnlock
                                                           : journal::kForceUnlock;
    m_step.entry.port = output;
    m_step.entry.portName = m_state->OutputNames().at(static_cast<std::size_t>(output));
    return {};
}

// --- Layer ---------------------------------------------------------------------------------

Outcome MatrixSession::chooseLayer(std::int32_t layer, const std::string& owner) {
    if (auto refused = busy()) return *refused;
    if (layer < kLayerVideo || layer > kLayerVideoAndAudio)
        return Outcome::refused(Refusal::OutOfRange);
    if (!m_layer.enabled) return Outcome::refused(Refusal::Unavailable);
    if (layer == m_layer.checked) return {};
    StepScope step(*this, owner);
    m_layer.checked = layer;
    m_step.entry.action = journal::kLayer;
    m_step.entry.text = std::to_string(layer);
    return guarded(owner, [&] { switchingLayerClick(layer, m_paths, *m_state, *CommandQueue); });
}

void MatrixSession::preselectLayer() {
    const LayerStartup startup =
        startupLayerSelection(m_state->MatrixPattern, m_settings.VideoOrAudio, m_layer.checked);
    m_layer.enabled = startup.enabled;
    if (startup.check >= kLayerVideo && startup.check <= kLayerVideoAndAudio)
        m_layer.checked = startup.check;
    if (startup.runClick) {
        guarded({}, [&] { switchingLayerClick(startup.check, m_paths, *m_state, *CommandQueue); });
    }
}

}  // namespace mc
