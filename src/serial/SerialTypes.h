#pragma once

// Value types of the serial port component: the enumerations of its
// properties, and the two groups of properties that are applied to an open
// port together (line settings and time-outs).

#include <cstdint>

namespace mc {

// DTR line: on, off, or input handshake. Linux has no DTR/DSR handshake, so
// DtrHandshake holds the line on like DtrEnable.
enum class TDtrControl { DtrDisable, DtrEnable, DtrHandshake };

// RTS line: on, off, input handshake (CRTSCTS), or on only while sending.
// RtsTransmissionAvailable has no termios counterpart and holds the line on.
enum class TRtsControl { RtsDisable, RtsEnable, RtsHandshake, RtsTransmissionAvailable };

// Data bits: _5, _6, _7, _8 give 5 to 8 (enumeration position + 5).
enum class TByteSize { _5, _6, _7, _8 };

// Parity: None, Odd, Even, Mark, Space (codes 0 to 4).
enum class TParity { None, Odd, Even, Mark, Space };

// Stop bits: one, one and a half, two (codes 0 to 2). Linux knows one and two;
// one and a half becomes two.
enum class TStopBits { _1, _1_5, _2 };

// The properties applied together as the port's line settings. The defaults
// are the component's: 9600 bit/s, 8N1, DTR and RTS on, no hardware
// handshake, XON/XOFF in both directions.
//
// XonLimit, XoffLimit, TxContinueOnXoff, DsrSensitivity, Outx_DsrFlow,
// ReplaceWhenParityError, ReplacedChar, IgnoreNullChar and ParityCheck have
// no Linux counterpart: they are kept and ignored (line errors are counted,
// never inserted into the data or used to alter it).
struct LineConfig {
    std::uint32_t BaudRate = 9600;
    bool ParityCheck = false;
    bool Outx_CtsFlow = false;
    bool Outx_DsrFlow = false;
    TDtrControl DtrControl = TDtrControl::DtrEnable;
    bool DsrSensitivity = false;
    bool TxContinueOnXoff = true;
    bool Outx_XonXoffFlow = true;
    bool Inx_XonXoffFlow = true;
    bool ReplaceWhenParityError = false;
    bool IgnoreNullChar = false;
    TRtsControl RtsControl = TRtsControl::RtsEnable;
    std::uint16_t XonLimit = 500;
    std::uint16_t XoffLimit = 500;
    TByteSize ByteSize = TByteSize::_8;
    TParity Parity = TParity::None;
    TStopBits StopBits = TStopBits::_1;
    std::uint8_t XonChar = 0x11;
    std::uint8_t XoffChar = 0x13;
    std::uint8_t ReplacedChar = 0x00;
};

// The five time-out properties, in milliseconds. Only ReadIntervalTimeout
// has an effect on Linux: the read thread hands over a block when more than
// this many milliseconds pass after a byte (0 or 0xFFFFFFFF: at once, after
// every read). The total time-outs are kept and ignored; writes never time out.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 100;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// Line error flags handed to OnReceiveError (the values the device world
// knows from the Windows communications API).
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;
inline constexpr std::uint32_t CE_FRAME = 0x0008;
inline constexpr std::uint32_t CE_BREAK = 0x0010;

// Modem event bits handed to OnModemStateChange.
inline constexpr std::uint32_t ModemRing = 4;     // ring indicator
inline constexpr std::uint32_t ModemCarrier = 8;  // carrier detect (DCD) changed

}  // namespace mc
