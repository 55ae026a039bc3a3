#pragma once

// Pseudo-terminal helpers of the simulator: the pty pair, the `comN` link that
// makes it a serial port, and the line settings read back through the master
// (on Linux tcgetattr on the master gives the slave's settings, which is how
// the radio learns what the server set).

#include <termios.h>

#include <filesystem>
#include <optional>
#include <string>

namespace sim {

struct LineSettings {
    unsigned baud = 0;  // 0 for a speed outside the standard table
    int dataBits = 8;
    char parity = 'N';  // N, O, E, M (mark) or S (space)
    int stopBits = 1;
    bool raw = false;  // no ICANON, ECHO, ISIG, OPOST, ICRNL
    bool clocal = false;
    bool cread = false;
    bool crtscts = false;
    bool ixon = false;
    bool ixoff = false;
    termios attributes{};

    // The K2's line: 4800 baud, 8 bits, no parity, 1 or 2 stop bits.
    bool matchesRadio() const;
    // "4800 8N1"
    std::string describe() const;
    bool sameLine(const LineSettings& other) const;
};

std::optional<LineSettings> readLineSettings(int fd);

// Both ends of one pseudo-terminal, close-on-exec; the master is
// non-blocking and the slave starts raw at 4800 8N1.
class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    ~PseudoTerminal() { close(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool open(std::string& error);
    void close();
    int master() const { return m_master; }
    int slave() const { return m_slave; }
    const std::string& slaveName() const { return m_slaveName; }

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slaveName;
};

enum class LinkResult { Ok, NotALink, Failed };

// Points `link` at `target`, replacing a link already there. An entry that is
// not a link is left alone (NotALink).
LinkResult createLink(const std::filesystem::path& link, const std::filesystem::path& target,
                      std::string& error);
// Removes `link` only while it still points at `target`.
bool removeLink(const std::filesystem::path& link, const std::filesystem::path& target);

}  // namespace sim
