#include "serial/SerialComm.h"

#include "serial/DeviceName.h"
#include "serial/LineSettings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <iostream>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

namespace mc {

namespace {

int systemErrorCode(const std::exception& error) {
    if (const auto* system = dynamic_cast<const std::system_error*>(&error)) {
        return system->code().value();
    }
    return 0;
}

}  // namespace

TComm::TComm(IUiPoster& Poster, LineStatusFactory LineStatus)
    : m_poster(Poster),
      m_lineStatusFactory(std::move(LineStatus)),
      m_log([](const std::string& line) { std::cerr << line << std::endl; }) {}

TComm::~TComm() {
    ClosePort();
}

std::string TComm::devicePath() const {
    return commDevicePath(m_commName, m_portMap);
}

void TComm::setPortMap(std::map<std::string, std::string> PortMap) {
    m_portMap = std::move(PortMap);
}

void TComm::claimDevice(int fd, const std::string& path) {
    struct stat info {};
    if (::fstat(fd, &info) < 0) throw ECommsError(comms_message::NotCommHandle, errno, path);
    if (!S_ISCHR(info.st_mode)) throw ECommsError(comms_message::NotCommHandle, ENOTTY, path);
    struct termios settings {};
    if (::tcgetattr(fd, &settings) < 0) {
        throw ECommsError(comms_message::NotCommHandle, errno, path);
    }
    // The lock keeps out cooperating programs, root included; TIOCEXCL keeps
    // out everyone else without privilege. Only set TIOCEXCL once the lock is
    // ours: the flag belongs to the device, not to this descriptor.
    // A lock held elsewhere is reported as EBUSY, as TIOCEXCL reports it.
    if (::flock(fd, LOCK_EX | LOCK_NB) < 0) {
        const int error = errno;
        throw ECommsError(comms_message::OpenFailed, error == EWOULDBLOCK ? EBUSY : error, path);
    }
    ::ioctl(fd, TIOCEXCL);
}

UniqueFd TComm::openClaimed(const std::string& path) {
    UniqueFd port(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!port) throw ECommsError(comms_message::OpenFailed, errno, path);
    claimDevice(port.get(), path);
    return port;
}

void TComm::OpenPort() {
    const std::string path = devicePath();
    if (isOpen()) throw ECommsError(comms_message::AlreadyOpen, 0, path);
    try {
        startPort(openClaimed(path), path);
    } catch (const ECommsError& error) {
        log(failureLine(error));
        throw;
    }
    m_openedPath = path;
    m_openedTarget = resolvedPath(path);
}

void TComm::startPort(UniqueFd port, const std::string& path) {
    // Sizing the driver's queues has no Linux counterpart.
    PortHandle = std::move(port);
    const int fd = PortHandle.get();
    saveLineSettings(fd, m_savedSettings);

    ::tcflush(fd, TCIOFLUSH);
    OutputIdle.store(true);
    ApplyTimeouts();
    ApplyLineSettings();

    CloseEvent.reset(createCloseEvent());
    if (!CloseEvent) {
        const int error = errno;
        releasePort();
        throw ECommsError(comms_message::NoEvent, error, path);
    }
    m_hangupReported.store(false);
    m_generation.fetch_add(1);

    ICommNotify& notify = *this;
    try {
        Reader = std::make_unique<TReadThread>(
            fd, CloseEvent.get(), notify, m_lineStatusFactory ? m_lineStatusFactory(fd) : nullptr,
            m_timeouts.ReadIntervalTimeout);
    } catch (const std::exception& error) {
        Reader.reset();
        releasePort();
        throw ECommsError(comms_message::NoReadThread, systemErrorCode(error), path);
    }

    try {
        auto writer = std::make_unique<TWriteThread>(fd, CloseEvent.get(), notify, OutputIdle);
        std::lock_guard lock(m_writerMutex);
        Writer = std::move(writer);
    } catch (const std::exception& error) {
        signalCloseEvent(CloseEvent.get());
        Reader.reset();
        releasePort();
        throw ECommsError(comms_message::NoWriteThread, systemErrorCode(error), path);
    }
}

void TComm::ClosePort() {
    m_watch.reset();  // joins the watch thread
    m_awaitingDevice = false;
    m_openedPath.clear();
    m_openedTarget.clear();
    closeDevice();
}

void TComm::closeDevice() {
    if (!PortHandle) return;
    const int fd = PortHandle.get();
    signalCloseEvent(CloseEvent.get());

    std::unique_ptr<TWriteThread> writer;
    {
        std::lock_guard lock(m_writerMutex);
        writer = std::move(Writer);  // from here WriteData hands nothing over
    }

    ::tcflush(fd, TCIFLUSH);
    Reader.reset();  // joins: every wait of the thread watches CloseEvent

    ::tcflush(fd, TCOFLUSH);
    OutputIdle.store(true);
    writer.reset();

    releasePort();
}

void TComm::releasePort() {
    const int fd = PortHandle.get();
    // Unsent output and an XOFF from the device would make close() wait.
    ::tcflush(fd, TCOFLUSH);
    releaseOutputFlowControl(fd);
    restoreLineSettings(fd, m_savedSettings);
    m_savedSettings = SavedLineSettings{};
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    PortHandle.reset();
    CloseEvent.reset();
    m_actualBaudRate = 0;
}

bool TComm::WriteData(const std::uint8_t* Bytes, std::uint16_t Count) {
    if (Count == 0) return false;
    std::lock_guard lock(m_writerMutex);
    return Writer && Writer->WriteRequest(Bytes, Count);
}

std::optional<std::chrono::steady_clock::time_point> TComm::lastBlockWritten() const {
    std::lock_guard lock(m_writerMutex);
    if (!Writer || !OutputIdle.load()) return std::nullopt;
    return Writer->lastWritten();
}

void TComm::ApplyLineSettings() {
    if (!PortHandle) return;
    // A setting the driver rejects is not reported; the port keeps running.
    LineConfig applied = m_line;
    applied.BaudRate = lineBaudRate();
    mc::ApplyLineSettings(PortHandle.get(), applied);
    std::uint32_t actual = 0;
    m_actualBaudRate = readLineSpeed(PortHandle.get(), actual) ? actual : 0;
}

void TComm::ApplyTimeouts() {
    if (Reader) Reader->setReadInterval(m_timeouts.ReadIntervalTimeout);
}

template <typename Fn>
void TComm::postToUi(Fn fn) {
    m_poster.post([alive = std::weak_ptr<TComm*>(m_alive), fn = std::move(fn)]() mutable {
        if (const std::shared_ptr<TComm*> self = alive.lock()) fn(**self);
    });
}

bool TComm::NotifyData(const std::uint8_t* Bytes, std::uint16_t Count) {
    try {
        std::vector<std::uint8_t> buffer(std::size_t{Count} + 1, 0);
        std::copy(Bytes, Bytes + Count, buffer.begin());
        postToUi([buffer = std::move(buffer), Count](TComm& self) mutable {
            const std::vector<std::uint8_t> received = std::move(buffer);  // freed on return
            if (TReceiveDataEvent handler = self.OnReceiveData) {
                handler(self, received.data(), Count);
            }
        });
    } catch (const std::bad_alloc&) {
        NotifyHangup();
        return false;
    }
    return true;
}

void TComm::NotifyError(std::uint32_t ErrorFlags) {
    postToUi([ErrorFlags](TComm& self) {
        if (TReceiveErrorEvent handler = self.OnReceiveError) handler(self, ErrorFlags);
    });
}

void TComm::NotifyHangup() {
    if (m_hangupReported.exchange(true)) return;
    postToUi([generation = m_generation.load()](TComm& self) {
        self.hangupSeen(generation);
        if (TNotifyEvent handler = self.OnRequestHangup) handler(self);
    });
}

void TComm::postTryReconnect() {
    postToUi([](TComm& self) { self.tryReconnect(); });
}

void TComm::NotifyModem(std::uint32_t ModemEvent) {
    postToUi([ModemEvent](TComm& self) {
        if (TModemStateChangeEvent handler = self.OnModemStateChange) handler(self, ModemEvent);
    });
}

void TComm::NotifyEmpty() {
    postToUi([](TComm& self) {
        if (TSendDataEmptyEvent handler = self.OnSendDataEmpty) handler(self);
    });
}

}  // namespace mc
