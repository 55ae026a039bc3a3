#include "sim/pty.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace sim {
namespace {

struct SpeedEntry {
    speed_t code;
    unsigned baud;
};

constexpr std::array<SpeedEntry, 19> kSpeeds{{{B50, 50},
                                              {B75, 75},
                                              {B110, 110},
                                              {B134, 134},
                                              {B150, 150},
                                              {B200, 200},
                                              {B300, 300},
                                              {B600, 600},
                                              {B1200, 1200},
                                              {B1800, 1800},
                                              {B2400, 2400},
                                              {B4800, 4800},
                                              {B9600, 9600},
                                              {B19200, 19200},
                                              {B38400, 38400},
                                              {B57600, 57600},
                                              {B115200, 115200},
                                              {B230400, 230400},
                                              {B460800, 460800}}};

unsigned baudOf(speed_t code) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.code == code) {
            return entry.baud;
        }
    }
    return 0;
}

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

bool LineSettings::matchesRadio() const {
    return baud == 4800 && dataBits == 8 && parity == 'N';
}

std::string LineSettings::describe() const {
    return std::to_string(baud) + " " + std::to_string(dataBits) + parity +
           std::to_string(stopBits);
}

bool LineSettings::sameLine(const LineSettings& other) const {
    return baud == other.baud && dataBits == other.dataBits && parity == other.parity &&
           stopBits == other.stopBits && raw == other.raw && clocal == other.clocal &&
           cread == other.cread && crtscts == other.crtscts && ixon == other.ixon &&
           ixoff == other.ixoff;
}

std::optional<LineSettings> readLineSettings(int fd) {
    termios t{};
    if (fd < 0 || ::tcgetattr(fd, &t) != 0) {
        return std::nullopt;
    }
    LineSettings s;
    s.attributes = t;
    speed_t out = ::cfgetospeed(&t);
    speed_t in = ::cfgetispeed(&t);
    // An input speed of 0 means "same as output".
    s.baud = (in == out || in == B0) ? baudOf(out) : 0;
    switch (t.c_cflag & CSIZE) {
        case CS5:
            s.dataBits = 5;
            break;
        case CS6:
            s.dataBits = 6;
            break;
        case CS7:
            s.dataBits = 7;
            break;
        default:
            s.dataBits = 8;
            break;
    }
    if ((t.c_cflag & PARENB) == 0) {
        s.parity = 'N';
    } else if ((t.c_cflag & CMSPAR) != 0) {
        s.parity = (t.c_cflag & PARODD) != 0 ? 'M' : 'S';
    } else {
        s.parity = (t.c_cflag & PARODD) != 0 ? 'O' : 'E';
    }
    s.stopBits = (t.c_cflag & CSTOPB) != 0 ? 2 : 1;
    s.raw = (t.c_lflag & (ICANON | ECHO | ISIG)) == 0 && (t.c_oflag & OPOST) == 0 &&
            (t.c_iflag & ICRNL) == 0;
    s.clocal = (t.c_cflag & CLOCAL) != 0;
    s.cread = (t.c_cflag & CREAD) != 0;
    s.crtscts = (t.c_cflag & CRTSCTS) != 0;
    s.ixon = (t.c_iflag & IXON) != 0;
    s.ixoff = (t.c_iflag & IXOFF) != 0;
    return s;
}

bool PseudoTerminal::open(std::string& error) {
    close();
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        error = errnoText("openpty");
        return false;
    }
    m_master = master;
    m_slave = slave;
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);

    std::array<char, 128> name{};
    if (::ttyname_r(m_slave, name.data(), name.size()) != 0) {
        error = "ttyname_r failed";
        close();
        return false;
    }
    m_slaveName = name.data();

    // Raw at once, or the line discipline would echo our replies back to us
    // as commands before the server has set the line up.
    termios t{};
    if (::tcgetattr(m_slave, &t) != 0) {
        error = errnoText("tcgetattr");
        close();
        return false;
    }
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B4800);
    ::cfsetospeed(&t, B4800);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(m_slave, TCSANOW, &t) != 0) {
        error = errnoText("tcsetattr");
        close();
        return false;
    }
    return true;
}

void PseudoTerminal::close() {
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

LinkResult createLink(const std::filesystem::path& link, const std::filesystem::path& target,
                      std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::file_status status = fs::symlink_status(link, ec);
    if (fs::exists(status)) {
        if (!fs::is_symlink(status)) {
            error = link.string() + " exists and is not a link";
            return LinkResult::NotALink;
        }
        fs::remove(link, ec);
        if (ec) {
            error = "cannot remove the stale link " + link.string() + ": " + ec.message();
            return LinkResult::Failed;
        }
    }
    fs::create_symlink(target, link, ec);
    if (ec) {
        error = "cannot create " + link.string() + ": " + ec.message();
        return LinkResult::Failed;
    }
    return LinkResult::Ok;
}

bool removeLink(const std::filesystem::path& link, const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(link, ec))) {
        return false;
    }
    if (fs::read_symlink(link, ec) != target || ec) {
        return false;
    }
    return fs::remove(link, ec);
}

}  // namespace sim
