#pragma once

// The rules of Brakton's COM-port settings as the configuration sheet and the COM-port
// diagnostic dialog show and step them: port, speed, parity and stop-bit texts, one step of
// each value, the speed table, the "Port Cfg" log line, the device line beside a port, and
// what a page shows for a stored value it cannot offer.
//
// Pure functions (deviceLine looks at the file system), callable from any thread.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/settings_value.h"
#include "server/server_settings.h"

namespace brakton {

// One step of an up-down control. Its up arrow reports a negative delta.
enum class Step { Up, Down };
inline Step stepOfDelta(int delta) {
    return delta < 0 ? Step::Up : Step::Down;
}

inline constexpr int kMaxComPort = 18;

// --- The sheet's COM page ------------------------------------------------------------------

// 0 (no port) to 18, wrapping both ways.
int stepSheetPort(int port, Step step);
// " COM2 ", or " None " for 0.
std::string sheetPortText(int port);

// A line speed in bits per second, as "Speed" stores it.
using PortSpeed = std::uint16_t;

inline constexpr std::array<PortSpeed, 7> kSpeedTable = {300, 1200, 2400, 4800, 9600, 19200, 38400};
inline constexpr int kDefaultSpeedIndex = 3;  // 4800
// The table index of `speed`, nothing for a speed not in the table.
std::optional<int> speedIndexOf(PortSpeed speed);
// Wraps from the last entry to the first and back.
int stepSpeedIndex(int index, Step step);
// " %5d ": "  9600 ".
std::string speedText(PortSpeed speed);

// Parity as the serial layer numbers it; the pages offer these three.
inline constexpr int kParityNone = 0;
inline constexpr int kParityOdd = 1;
inline constexpr int kParityEven = 2;
inline constexpr int kMaxOfferedParity = kParityEven;
// None, Odd, Even, wrapping both ways.
int stepParity(int parity, Step step);
// "None", "Odd", "Even"; empty for a parity not offered.
std::string parityWord(int parity);
// " None ".
std::string parityText(int parity);

// 1 <-> 2.
int toggleStopBits(int stopBits);
// " 1 ".
std::string stopBitsText(int stopBits);

// " On " or " Off ".
std::string paOptionText(bool on);
// "On" or "Off": a flag's value in a notice.
std::string flagWord(bool on);

// "Port Cfg: COM2, 9600, None, 2", or "Port Cfg: None, 4800, None, 1" for port 0.
std::string portCfgLine(int port, PortSpeed speed, int parity, int stopBits);

// --- The diagnostic dialog -----------------------------------------------------------------

// Up: 18 and anything above wrap to 1. Down: 1 and 0 go to 18, anything above 18 to 18.
int stepDialogPort(int port, Step step);
// " COM%1d": " COM2".
std::string dialogPortText(int port);

// --- Both ----------------------------------------------------------------------------------

// "Device: <path>" for the device port `port` opens in `serialDir`, "Device: <path>
// (missing)" when nothing is there, "Device: none" for port 0.
std::string deviceLine(int port, const std::filesystem::path& serialDir);

// The defaults a page shows for a "Comm Port" value it cannot offer: the stored defaults.
inline constexpr int kDefaultComPort = settings::kCommPort.defaultValue;
inline constexpr PortSpeed kDefaultSpeed = settings::kSpeed.defaultValue;
inline constexpr int kDefaultParity = settings::kParity.defaultValue;
inline constexpr int kDefaultStopBits = settings::kStopBits.defaultValue;
static_assert(kSpeedTable[kDefaultSpeedIndex] == kDefaultSpeed);
static_assert(kDefaultParity == kParityNone);

// What a page shows for the stored "Comm Port" values: the value when it can offer it, else
// the default and a notice line per value ("Stored Parity 7 is not offered: None will be
// saved."). `usable` tells which values were shown as stored.
struct CommPortShown {
    int port = kDefaultComPort;
    PortSpeed speed = kDefaultSpeed;
    int parity = kDefaultParity;
    int stopBits = kDefaultStopBits;
    bool portStored = false;
    bool speedStored = false;
    bool parityStored = false;
    bool stopBitsStored = false;
    std::string notices;  // one line per value replaced, each ending in "\n"
};

// The sheet offers ports 0..18.
CommPortShown showCommPort(const SettingRead<std::uint8_t>& port,
                           const SettingRead<PortSpeed>& speed,
                           const SettingRead<std::uint8_t>& parity,
                           const SettingRead<std::uint8_t>& stopBits);

// Notice lines for a stored value shown as its default.
std::string notReadNotice(std::string_view name, std::string_view shownDefault);
std::string missingNotice(std::string_view name, std::string_view shownDefault);
std::string notOfferedNotice(std::string_view name, std::string_view stored,
                             std::string_view shownDefault);
// The notice for a value that could not be shown, by its read status (Missing or Bad).
std::string unreadNotice(SettingStatus status, std::string_view name,
                         std::string_view shownDefault);

}  // namespace brakton
