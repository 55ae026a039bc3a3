#include "platform/serial_line.h"

#include <array>
#include <cstdint>
#include <optional>

namespace platform {
namespace {

struct SpeedEntry {
    std::uint32_t baud;
    speed_t code;
};

// Every speed termios can name. A speed outside this table cannot be set on
// the line, so open() refuses it rather than run at some other rate.
constexpr std::array kSpeeds{
    SpeedEntry{50, B50},           SpeedEntry{75, B75},           SpeedEntry{110, B110},
    SpeedEntry{134, B134},         SpeedEntry{150, B150},         SpeedEntry{200, B200},
    SpeedEntry{300, B300},         SpeedEntry{600, B600},         SpeedEntry{1200, B1200},
    SpeedEntry{1800, B1800},       SpeedEntry{2400, B2400},       SpeedEntry{4800, B4800},
    SpeedEntry{9600, B9600},       SpeedEntry{19200, B19200},     SpeedEntry{38400, B38400},
    SpeedEntry{57600, B57600},     SpeedEntry{115200, B115200},   SpeedEntry{230400, B230400},
    SpeedEntry{460800, B460800},   SpeedEntry{500000, B500000},   SpeedEntry{576000, B576000},
    SpeedEntry{921600, B921600},   SpeedEntry{1000000, B1000000}, SpeedEntry{1152000, B1152000},
    SpeedEntry{1500000, B1500000}, SpeedEntry{2000000, B2000000}, SpeedEntry{2500000, B2500000},
    SpeedEntry{3000000, B3000000}, SpeedEntry{3500000, B3500000}, SpeedEntry{4000000, B4000000},
};

std::optional<speed_t> speedCode(std::uint32_t baud) {
    for (const auto& entry : kSpeeds) {
        if (entry.baud == baud) {
            return entry.code;
        }
    }
    return std::nullopt;
}

std::optional<tcflag_t> sizeFlag(int dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return std::nullopt;
    }
}

constexpr tcflag_t kParityMask = PARENB | PARODD | CMSPAR;

// Parity codes as the radio link numbers them: none, odd, even, mark, space.
std::optional<tcflag_t> parityFlags(int parity) {
    switch (parity) {
        case 0:
            return tcflag_t{0};
        case 1:
            return tcflag_t{PARENB | PARODD};
        case 2:
            return tcflag_t{PARENB};
        case 3:
            return tcflag_t{PARENB | CMSPAR | PARODD};
        case 4:
            return tcflag_t{PARENB | CMSPAR};
        default:
            return std::nullopt;
    }
}

}  // namespace

bool makeRawLine(termios& tio, const SerialSettings& settings) {
    const auto speed = speedCode(settings.baudRate);
    const auto size = sizeFlag(settings.dataBits);
    const auto parity = parityFlags(settings.parity);
    if (!speed || !size || !parity) {
        return false;
    }
    termios line = tio;
    ::cfmakeraw(&line);
    line.c_cflag &= ~(CSIZE | kParityMask | CSTOPB | CRTSCTS);
    line.c_cflag |= *size | *parity | CLOCAL | CREAD;
    if (settings.stopBits == 2) {
        line.c_cflag |= CSTOPB;
    }
    line.c_iflag &= ~(IXON | IXOFF | IXANY);
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    if (::cfsetispeed(&line, *speed) != 0 || ::cfsetospeed(&line, *speed) != 0) {
        return false;
    }
    tio = line;
    return true;
}

bool lineMatches(const termios& asked, const termios& got) {
    constexpr tcflag_t kChecked = CSIZE | kParityMask | CSTOPB;
    return ::cfgetispeed(&got) == ::cfgetispeed(&asked) &&
           ::cfgetospeed(&got) == ::cfgetospeed(&asked) &&
           (got.c_cflag & kChecked) == (asked.c_cflag & kChecked);
}

}  // namespace platform
