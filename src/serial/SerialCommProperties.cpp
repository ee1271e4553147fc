// TComm's property setters.

#include "serial/SerialComm.h"
#include "text/Text.h"

#include <cstdint>
#include <string>
#include <utility>

namespace mc {

template <typename T>
void TComm::setLineProperty(T LineConfig::*Field, T Value) {
    if (m_line.*Field == Value) return;
    m_line.*Field = Value;
    ApplyLineSettings();
}

void TComm::setTimeoutProperty(std::uint32_t CommTimeouts::*Field, std::uint32_t Value) {
    if (m_timeouts.*Field == Value) return;
    m_timeouts.*Field = Value;
    ApplyTimeouts();
}

void TComm::setCommName(std::string Value) {
    m_commName = std::move(Value);
}

// Stored only: used at the next application of the line settings.
void TComm::setParity(TParity Value) {
    m_line.Parity = Value;
}

std::uint32_t TComm::lineBaudRate() const {
    return static_cast<std::int32_t>(m_line.BaudRate) <= 0 ? DefaultBaudRate : m_line.BaudRate;
}

std::string TComm::speedNote() const {
    if (lineBaudRate() == m_line.BaudRate) return {};
    return formatText(translated("SerialComm", "波特率 %1 无效，已使用 %2"),
                      {std::to_string(static_cast<std::int32_t>(m_line.BaudRate)),
                       std::to_string(DefaultBaudRate)});
}

void TComm::setBaudRate(std::uint32_t Value) {
    setLineProperty(&LineConfig::BaudRate, Value);
}
void TComm::setParityCheck(bool Value) {
    setLineProperty(&LineConfig::ParityCheck, Value);
}
void TComm::setOutx_CtsFlow(bool Value) {
    setLineProperty(&LineConfig::Outx_CtsFlow, Value);
}
void TComm::setOutx_DsrFlow(bool Value) {
    setLineProperty(&LineConfig::Outx_DsrFlow, Value);
}
void TComm::setDtrControl(TDtrControl Value) {
    setLineProperty(&LineConfig::DtrControl, Value);
}
void TComm::setDsrSensitivity(bool Value) {
    setLineProperty(&LineConfig::DsrSensitivity, Value);
}
void TComm::setTxContinueOnXoff(bool Value) {
    setLineProperty(&LineConfig::TxContinueOnXoff, Value);
}
void TComm::setOutx_XonXoffFlow(bool Value) {
    setLineProperty(&LineConfig::Outx_XonXoffFlow, Value);
}
void TComm::setInx_XonXoffFlow(bool Value) {
    setLineProperty(&LineConfig::Inx_XonXoffFlow, Value);
}
void TComm::setReplaceWhenParityError(bool Value) {
    setLineProperty(&LineConfig::ReplaceWhenParityError, Value);
}
void TComm::setIgnoreNullChar(bool Value) {
    setLineProperty(&LineConfig::IgnoreNullChar, Value);
}
void TComm::setRtsControl(TRtsControl Value) {
    setLineProperty(&LineConfig::RtsControl, Value);
}
void TComm::setXonLimit(std::uint16_t Value) {
    setLineProperty(&LineConfig::XonLimit, Value);
}
void TComm::setXoffLimit(std::uint16_t Value) {
    setLineProperty(&LineConfig::XoffLimit, Value);
}
void TComm::setByteSize(TByteSize Value) {
    setLineProperty(&LineConfig::ByteSize, Value);
}
void TComm::setStopBits(TStopBits Value) {
    setLineProperty(&LineConfig::StopBits, Value);
}
void TComm::setXonChar(std::uint8_t Value) {
    setLineProperty(&LineConfig::XonChar, Value);
}
void TComm::setXoffChar(std::uint8_t Value) {
    setLineProperty(&LineConfig::XoffChar, Value);
}
void TComm::setReplacedChar(std::uint8_t Value) {
    setLineProperty(&LineConfig::ReplacedChar, Value);
}

void TComm::setReadIntervalTimeout(std::uint32_t Value) {
    setTimeoutProperty(&CommTimeouts::ReadIntervalTimeout, Value);
}
void TComm::setReadTotalTimeoutMultiplier(std::uint32_t Value) {
    setTimeoutProperty(&CommTimeouts::ReadTotalTimeoutMultiplier, Value);
}
void TComm::setReadTotalTimeoutConstant(std::uint32_t Value) {
    setTimeoutProperty(&CommTimeouts::ReadTotalTimeoutConstant, Value);
}
void TComm::setWriteTotalTimeoutMultiplier(std::uint32_t Value) {
    setTimeoutProperty(&CommTimeouts::WriteTotalTimeoutMultiplier, Value);
}
void TComm::setWriteTotalTimeoutConstant(std::uint32_t Value) {
    setTimeoutProperty(&CommTimeouts::WriteTotalTimeoutConstant, Value);
}

}  // namespace mc
