#pragma once

// TComm, the serial port component: opens a serial device by name, applies
// the line settings held in its properties, and runs a read thread and a
// write thread of its own. Errors of OpenPort are ECommsError (CommsError.h).

#include "protocol/BytePort.h"
#include "serial/CommNotify.h"
#include "serial/CommsError.h"
#include "serial/FolderWatch.h"
#include "serial/LineEvents.h"
#include "serial/LineSpeed.h"
#include "serial/PortSignals.h"
#include "serial/ReadThread.h"
#include "serial/SerialTypes.h"
#include "serial/UiPoster.h"
#include "serial/WriteThread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace mc {

// Threads: OpenPort, ClosePort, the setters and the destructor belong to the
// user-interface thread; WriteData may be called from any thread (the sender
// thread), concurrently with them. Handlers run on the user-interface thread,
// through the IUiPoster given at construction, in the order the port threads
// posted them. A handler may close the port; it must not destroy the TComm.
//
// Notifications still queued in the poster when the TComm is destroyed are
// skipped (their buffers are freed all the same).
//
// Unplugging: after a hang-up the component waits for a device to appear at
// the path it opened (a symbolic link such as /dev/serial/by-id/... is
// followed anew each time): a FolderWatch watches the folder of the path and
// the folder of its target, without waking while nothing changes. Once the
// old device is really gone (its descriptor reports a hang-up) and a
// character device is at the path, the port is opened again there with the
// current settings, and OnReconnect runs. While the device is away WriteData
// returns false and isOpen() stays true ("formally open") until ClosePort,
// which also ends the wait. Every open failure, hang-up and reconnect is
// written as one line to the log sink (standard error unless replaced).
class TComm final : public IBytePort, private ICommNotify {
public:
    // Buffer holds BufferLength received bytes followed by one zero byte that
    // BufferLength does not count; it is freed when the handler returns.
    using TReceiveDataEvent =
        std::function<void(TComm& Sender, const std::uint8_t* Buffer, std::uint16_t BufferLength)>;
    // EventMask: CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK (SerialTypes.h).
    using TReceiveErrorEvent = std::function<void(TComm& Sender, std::uint32_t EventMask)>;
    // ModemEvent: 8 carrier detect changed, 4 ring, 12 both.
    using TModemStateChangeEvent = std::function<void(TComm& Sender, std::uint32_t ModemEvent)>;
    using TNotifyEvent = std::function<void(TComm& Sender)>;
    using TSendDataEmptyEvent = std::function<void(TComm& Sender)>;

    // Poster must outlive the TComm. lineStatus makes the line-event reader of
    // each opened port (tests substitute a fake).
    explicit TComm(IUiPoster& Poster, LineStatusFactory LineStatus = makeIoctlLineStatus);
    // Closes the port when it is still open.
    ~TComm() override;

    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    // Opens the device named by CommName (see commDevicePath()), claims it,
    // applies time-outs and line settings, and starts both threads. Throws
    // ECommsError; a failure leaves the component closed, except for "This
    // serial port already opened", which leaves the open port untouched.
    void OpenPort();
    // Stops both threads (data not yet written is dropped), gives the device
    // its previous settings back, releases it and closes it. Does nothing
    // when closed.
    void ClosePort();
    // Hands a copy of Count bytes to the write thread. False when nothing was
    // handed over: Count 0, port closed, or the write thread has ended.
    // Any thread.
    bool WriteData(const std::uint8_t* Bytes, std::uint16_t Count) override;
    // When the newest block WriteData handed over was written; nothing while
    // one is still queued or being written, or the port is closed.
    std::optional<std::chrono::steady_clock::time_point> lastBlockWritten() const override;

    // Open from OpenPort to ClosePort, also while the device is away.
    bool isOpen() const { return static_cast<bool>(PortHandle) || m_awaitingDevice; }
    // True from a reported hang-up until the port is open again on a device
    // (reconnect) or closed. When only a port thread failed and the device
    // is still there, the port keeps working and this stays true.
    bool awaitingDevice() const { return m_awaitingDevice; }
    // The path the open port was opened with (kept while the device is
    // away); empty while closed.
    const std::string& openedPath() const { return m_openedPath; }
    // The speed the driver reports after the line settings were last applied
    // to the open port (drivers may round it); 0 while no device is open.
    std::uint32_t actualBaudRate() const { return m_actualBaudRate; }
    // The speed put on the line for BaudRate: a value that reads as 0 or
    // below (as a signed 32-bit number) would hang a real UART up, so
    // DefaultBaudRate is used instead.
    static constexpr std::uint32_t DefaultBaudRate = 9600;
    std::uint32_t lineBaudRate() const;
    // Empty, or the note for a BaudRate that is replaced by DefaultBaudRate
    // ("波特率 0 无效，已使用 9600").
    std::string speedNote() const;

    // Where the one-line reports go; called on the user-interface thread.
    // An empty sink drops them. Default: standard error.
    using TLogSink = std::function<void(const std::string& Line)>;
    void setLogSink(TLogSink Sink) { m_log = std::move(Sink); }
    // True while no handed-over data waits to be written. Any thread.
    bool outputIdle() const { return OutputIdle.load(); }

    // The device path that OpenPort opens for the current CommName and map.
    std::string devicePath() const;
    // Devices for "COMn" names ("Serial Port Map" of the configuration).
    // Used at the next OpenPort.
    void setPortMap(std::map<std::string, std::string> PortMap);
    const std::map<std::string, std::string>& portMap() const { return m_portMap; }

    // Properties. Setters do nothing when the value is unchanged; otherwise
    // they store it and, while the port is open, apply the line settings (or
    // the time-outs) again at once. CommName and Parity are only stored.
    const std::string& CommName() const { return m_commName; }
    void setCommName(std::string Value);
    std::uint32_t BaudRate() const { return m_line.BaudRate; }
    void setBaudRate(std::uint32_t Value);
    bool ParityCheck() const { return m_line.ParityCheck; }
    void setParityCheck(bool Value);
    bool Outx_CtsFlow() const { return m_line.Outx_CtsFlow; }
    void setOutx_CtsFlow(bool Value);
    bool Outx_DsrFlow() const { return m_line.Outx_DsrFlow; }
    void setOutx_DsrFlow(bool Value);
    TDtrControl DtrControl() const { return m_line.DtrControl; }
    void setDtrControl(TDtrControl Value);
    bool DsrSensitivity() const { return m_line.DsrSensitivity; }
    void setDsrSensitivity(bool Value);
    bool TxContinueOnXoff() const { return m_line.TxContinueOnXoff; }
    void setTxContinueOnXoff(bool Value);
    bool Outx_XonXoffFlow() const { return m_line.Outx_XonXoffFlow; }
    void setOutx_XonXoffFlow(bool Value);
    bool Inx_XonXoffFlow() const { return m_line.Inx_XonXoffFlow; }
    void setInx_XonXoffFlow(bool Value);
    bool ReplaceWhenParityError() const { return m_line.ReplaceWhenParityError; }
    void setReplaceWhenParityError(bool Value);
    bool IgnoreNullChar() const { return m_line.IgnoreNullChar; }
    void setIgnoreNullChar(bool Value);
    TRtsControl RtsControl() const { return m_line.RtsControl; }
    void setRtsControl(TRtsControl Value);
    std::uint16_t XonLimit() const { return m_line.XonLimit; }
    void setXonLimit(std::uint16_t Value);
    std::uint16_t XoffLimit() const { return m_line.XoffLimit; }
    void setXoffLimit(std::uint16_t Value);
    TByteSize ByteSize() const { return m_line.ByteSize; }
    void setByteSize(TByteSize Value);
    TParity Parity() const { return m_line.Parity; }
    void setParity(TParity Value);
    TStopBits StopBits() const { return m_line.StopBits; }
    void setStopBits(TStopBits Value);
    std::uint8_t XonChar() const { return m_line.XonChar; }
    void setXonChar(std::uint8_t Value);
    std::uint8_t XoffChar() const { return m_line.XoffChar; }
    void setXoffChar(std::uint8_t Value);
    std::uint8_t ReplacedChar() const { return m_line.ReplacedChar; }
    void setReplacedChar(std::uint8_t Value);
    std::uint32_t ReadIntervalTimeout() const { return m_timeouts.ReadIntervalTimeout; }
    void setReadIntervalTimeout(std::uint32_t Value);
    std::uint32_t ReadTotalTimeoutMultiplier() const {
        return m_timeouts.ReadTotalTimeoutMultiplier;
    }
    void setReadTotalTimeoutMultiplier(std::uint32_t Value);
    std::uint32_t ReadTotalTimeoutConstant() const { return m_timeouts.ReadTotalTimeoutConstant; }
    void setReadTotalTimeoutConstant(std::uint32_t Value);
    std::uint32_t WriteTotalTimeoutMultiplier() const {
        return m_timeouts.WriteTotalTimeoutMultiplier;
    }
    void setWriteTotalTimeoutMultiplier(std::uint32_t Value);
    std::uint32_t WriteTotalTimeoutConstant() const { return m_timeouts.WriteTotalTimeoutConstant; }
    void setWriteTotalTimeoutConstant(std::uint32_t Value);

    // Handlers, run on the user-interface thread; an empty one is skipped.
    TReceiveDataEvent OnReceiveData;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;
    TNotifyEvent OnRequestHangup;
    TSendDataEmptyEvent OnSendDataEmpty;
    // The port was opened again after its device had gone away (see above).
    TNotifyEvent OnReconnect;

private:
    // ICommNotify, called by the port threads: each posts one task.
    bool NotifyData(const std::uint8_t* Bytes, std::uint16_t Count) override;
    void NotifyError(std::uint32_t ErrorFlags) override;
    void NotifyHangup() override;
    void NotifyModem(std::uint32_t ModemEvent) override;
    void NotifyEmpty() override;

    // Posts fn(*this) to the UI thread; skipped if this TComm is gone by then.
    template <typename Fn>
    void postToUi(Fn fn);
    template <typename T>
    void setLineProperty(T LineConfig::*Field, T Value);
    void setTimeoutProperty(std::uint32_t CommTimeouts::*Field, std::uint32_t Value);
    void ApplyLineSettings();
    void ApplyTimeouts();
    // Claims the freshly opened device and checks it; throws ECommsError.
    void claimDevice(int fd, const std::string& path);
    // Opens and claims the device at path; throws ECommsError.
    UniqueFd openClaimed(const std::string& path);
    // Sets up a claimed device and starts both threads; throws ECommsError
    // (the component is then left without a device).
    void startPort(UniqueFd port, const std::string& path);
    // Stops both threads and releases the device, if there is one.
    void closeDevice();
    // Undoes OpenPort's changes to the device and closes it (threads stopped).
    void releasePort();
    // SerialReconnect.cpp; UI thread.
    void hangupSeen(unsigned generation);
    void startDeviceWatch();
    void tryReconnect();
    // Posts tryReconnect(); any thread.
    void postTryReconnect();
    void log(const std::string& line) const;
    std::string failureLine(const ECommsError& error) const;

    IUiPoster& m_poster;
    LineStatusFactory m_lineStatusFactory;
    // Posted tasks hold a weak reference; it expires with the TComm.
    std::shared_ptr<TComm*> m_alive = std::make_shared<TComm*>(this);

    // Property values; UI thread.
    std::string m_commName = "COM1";
    LineConfig m_line;
    CommTimeouts m_timeouts;
    std::map<std::string, std::string> m_portMap;

    // Port state; written by the UI thread only (Writer under m_writerMutex).
    std::unique_ptr<TReadThread> Reader;
    mutable std::mutex m_writerMutex;      // serialises WriteData against Open/ClosePort
    std::unique_ptr<TWriteThread> Writer;  // guarded by m_writerMutex
    UniqueFd PortHandle;                   // open exactly while the component is open
    UniqueFd CloseEvent;
    std::atomic<bool> OutputIdle{true};         // set by WriteData, the write thread, ClosePort
    std::atomic<bool> m_hangupReported{false};  // one NotifyHangup per opening
    SavedLineSettings m_savedSettings;          // the device's settings before OpenPort
    std::atomic<unsigned> m_generation{0};      // counts openings of a device

    // Reconnection; UI thread.
    std::string m_openedPath;
    std::string m_openedTarget;  // m_openedPath with every link resolved, at OpenPort
    bool m_awaitingDevice = false;
    std::unique_ptr<FolderWatch> m_watch;  // while awaiting a device
    std::uint32_t m_actualBaudRate = 0;
    TLogSink m_log;
};

}  // namespace mc
