#pragma once

// The termios side of SerialPort: how line settings become terminal flags,
// and whether a line read back is the line that was asked for. Kept apart
// from the port so that the flag arithmetic can be checked without a device
// (a pseudo-terminal, for one, always runs 8 bits without parity).

#include <termios.h>

#include "platform/serial_port.h"

namespace platform {

// Makes `tio` a raw line with `settings`: no echo, no translation, no flow
// control, reads that never wait. Other flags (modem control among them)
// stay as they are. Returns false and leaves `tio` untouched when termios
// cannot express the speed, character size or parity code.
bool makeRawLine(termios& tio, const SerialSettings& settings);

// Whether `got` has the speeds, character size, parity and stop bits of
// `asked`.
bool lineMatches(const termios& asked, const termios& got);

}  // namespace platform
