#pragma once

// Applying the component's line settings to an open terminal.

#include "serial/SerialTypes.h"

#include <cstdint>

struct termios;

namespace mc {

// Turns the settings in `tio` (read from the port) into the component's:
// raw in both directions so that no byte is ever translated, CREAD|CLOCAL,
// data bits, parity and stop bits from `config`, IXON from
// Outx_XonXoffFlow, IXOFF from Inx_XonXoffFlow, CRTSCTS from Outx_CtsFlow
// (or RtsHandshake), VSTART/VSTOP from XonChar/XoffChar, VMIN 1 and VTIME 0,
// INPCK off and IGNBRK on: line errors are counted by the read thread, never
// inserted into the data. The speed is not touched (see LineSpeed.h).
void makeLineTermios(struct termios& tio, const LineConfig& config);

// True when every flag and character that makeLineTermios() sets holds the
// value it would set (the speed is not compared).
bool termiosMatches(const struct termios& actual, const LineConfig& config);

// Applies `config` to the terminal fd: the termios settings, then the speed
// (termios2, last), then DTR and RTS. Reads the settings back and returns
// true only when all of them took effect. Modem-line ioctls that the device
// does not support (a pseudo-terminal) are skipped without failing.
bool ApplyLineSettings(int fd, const LineConfig& config);

// Clears IXON, so that output held back by an XOFF is released and closing
// the port never waits behind it. Errors are ignored (the port is closing).
void releaseOutputFlowControl(int fd);

}  // namespace mc
