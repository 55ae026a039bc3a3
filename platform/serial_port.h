#pragma once

// SerialPort: the radio's serial line on a POSIX termios device.
//
// The radio link owns one of these and serialises every call under its own
// port lock; the class has no lock of its own. Nothing here blocks for long:
// reads never wait, and a write gives up after its time-out with the count it
// managed. Nothing throws: every operation returns a SerialResult.
//
// Port numbers follow the radio link's "COM n" numbering. Port n is the
// device that the entry `comN` in the serial folder names (a link is
// followed), else /dev/ttyS{n-1}; port 0 means "no port" and is refused.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {

enum class SerialStatus {
    Ok,
    Refused,      // port 0, or a number that names no device
    Busy,         // another open holds the port
    OpenFailed,   // open(2) failed
    SetupFailed,  // a line setting is unsupported or did not read back
    NotOpen,
    TimedOut,  // a write could not finish within its time-out
    HangUp,    // the other end has gone (EOF or EIO on read)
    IoError,
};

std::string_view toString(SerialStatus status);

struct SerialResult {
    SerialStatus status = SerialStatus::Ok;
    std::size_t count = 0;  // bytes read, written or waiting
    int error = 0;          // errno, for the log; 0 when none applies

    bool ok() const { return status == SerialStatus::Ok; }
};

// Line settings. Parity and stop-bit codes are the radio link's historic
// numbering: parity 0 none, 1 odd, 2 even, 3 mark, 4 space; stop code 2
// means two stop bits and every other code one.
struct SerialSettings {
    std::uint32_t baudRate = 4800;
    int dataBits = 8;
    int parity = 0;
    int stopBits = 1;
};

// $RIGCONTROL_SERIAL_DIR, else "$XDG_CONFIG_HOME/N0CALL Software/serial"
// ($HOME/.config when XDG_CONFIG_HOME is unset).
std::filesystem::path defaultSerialDir();

// The device path for port n: `comN` in `dir` if that entry exists (a link
// gives its target, even when that is gone, so the open fails on it), else
// /dev/ttyS{n-1}. Nothing for n == 0.
std::optional<std::filesystem::path> resolveSerialPort(unsigned n,
                                                       const std::filesystem::path& dir);

class SerialPort {
  public:
    explicit SerialPort(std::filesystem::path serialDir = defaultSerialDir());
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Resolves, opens exclusively, puts the line in raw mode with `settings`
    // and reads the settings back. Any difference closes the port again and
    // gives SetupFailed. Opening an open port closes the old one first.
    SerialResult open(unsigned n, const SerialSettings& settings);
    bool isOpen() const { return m_fd >= 0; }
    const std::filesystem::path& devicePath() const { return m_device; }
    const std::filesystem::path& serialDir() const { return m_serialDir; }

    // Accepted for the radio link's sake; the kernel sizes its own queues.
    SerialResult setQueueSizes(std::size_t in, std::size_t out);
    SerialResult purgeInput();
    SerialResult bytesWaiting();
    // Bytes written but not yet sent by the driver (TIOCOUTQ). A UART driver
    // counts them; a pseudo-terminal always reports 0.
    SerialResult outputWaiting();
    // Never blocks: Ok with count 0 when nothing waits; HangUp when the
    // other end has gone.
    SerialResult read(void* buffer, std::size_t max);
    // Writes all of `size` bytes or returns TimedOut / IoError / HangUp with
    // the count written so far.
    SerialResult write(const void* bytes, std::size_t size,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    void close();
    // Trades the open device (and everything about it) with `other`; the
    // serial folders stay. A reopen opens the new device on a second port
    // and swaps it in only once it works.
    void swap(SerialPort& other) noexcept;

  private:
    std::filesystem::path m_serialDir;
    std::filesystem::path m_device;
    int m_fd = -1;
};

}  // namespace platform
