#include "server/comm_port_rules.h"

#include <cstdio>
#include <system_error>

#include "platform/serial_port.h"

namespace brakton {

namespace {

int wrap(int value, int low, int high) {
    if (value > high) {
        return low;
    }
    if (value < low) {
        return high;
    }
    return value;
}

std::string format(const char* pattern, long value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

int stepSheetPort(int port, Step step) {
    return wrap(port + (step == Step::Up ? 1 : -1), 0, kMaxComPort);
}

std::string sheetPortText(int port) {
    return port == 0 ? " None " : format(" COM%ld ", port);
}

std::optional<int> speedIndexOf(PortSpeed speed) {
    for (std::size_t i = 0; i < kSpeedTable.size(); ++i) {
        if (kSpeedTable[i] == speed) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

int stepSpeedIndex(int index, Step step) {
    return wrap(index + (step == Step::Up ? 1 : -1), 0, static_cast<int>(kSpeedTable.size()) - 1);
}

std::string speedText(PortSpeed speed) {
    return format(" %5ld ", static_cast<long>(speed));
}

int stepParity(int parity, Step step) {
    return wrap(parity + (step == Step::Up ? 1 : -1), 0, kMaxOfferedParity);
}

std::string parityWord(int parity) {
    switch (parity) {
        case kParityNone:
            return "None";
        case kParityOdd:
            return "Odd";
        case kParityEven:
            return "Even";
        default:
            return {};
    }
}

std::string parityText(int parity) {
    return " " + parityWord(parity) + " ";
}

int toggleStopBits(int stopBits) {
    return stopBits == 1 ? 2 : 1;
}

std::string stopBitsText(int stopBits) {
    return format(" %ld ", stopBits);
}

std::string paOptionText(bool on) {
    return " " + flagWord(on) + " ";
}

std::string flagWord(bool on) {
    return on ? "On" : "Off";
}

std::string portCfgLine(int port, PortSpeed speed, int parity, int stopBits) {
    const std::string where = port == 0 ? "None" : format("COM%ld", port);
    return "Port Cfg: " + where + ", " + std::to_string(speed) + ", " + parityWord(parity) + ", " +
           std::to_string(stopBits);
}

int stepDialogPort(int port, Step step) {
    if (step == Step::Up) {
        return port >= kMaxComPort ? 1 : port + 1;
    }
    return port <= 1 || port > kMaxComPort ? kMaxComPort : port - 1;
}

std::string dialogPortText(int port) {
    return format(" COM%1ld", port);
}

std::string deviceLine(int port, const std::filesystem::path& serialDir) {
    if (port <= 0) {
        return "Device: none";
    }
    const auto device = platform::resolveSerialPort(static_cast<unsigned>(port), serialDir);
    if (!device) {
        return "Device: none";
    }
    std::error_code ec;
    const bool present = std::filesystem::exists(*device, ec);
    return "Device: " + device->string() + (present ? "" : " (missing)");
}

std::string notReadNotice(std::string_view name, std::string_view shownDefault) {
    return "Stored " + std::string(name) + " could not be read: " + std::string(shownDefault) +
           " will be saved.\n";
}

std::string missingNotice(std::string_view name, std::string_view shownDefault) {
    return "Stored " + std::string(name) + " is missing: " + std::string(shownDefault) +
           " will be saved.\n";
}

std::string notOfferedNotice(std::string_view name, std::string_view stored,
                             std::string_view shownDefault) {
    return "Stored " + std::string(name) + " " + std::string(stored) +
           " is not offered: " + std::string(shownDefault) + " will be saved.\n";
}

std::string unreadNotice(SettingStatus status, std::string_view name,
                         std::string_view shownDefault) {
    return status == SettingStatus::Missing ? missingNotice(name, shownDefault)
                                            : notReadNotice(name, shownDefault);
}

CommPortShown showCommPort(const SettingRead<std::uint8_t>& port,
                           const SettingRead<PortSpeed>& speed,
                           const SettingRead<std::uint8_t>& parity,
                           const SettingRead<std::uint8_t>& stopBits) {
    CommPortShown shown;
    const std::string defaultPort = "COM" + std::to_string(kDefaultComPort);
    if (!port.ok()) {
        shown.notices += unreadNotice(port.status, settings::kCommPort.name, defaultPort);
    } else if (port.value > kMaxComPort) {
        shown.notices +=
            notOfferedNotice(settings::kCommPort.name, std::to_string(port.value), defaultPort);
    } else {
        shown.port = port.value;
        shown.portStored = true;
    }

    const std::string defaultSpeed = std::to_string(kDefaultSpeed);
    if (!speed.ok()) {
        shown.notices += unreadNotice(speed.status, settings::kSpeed.name, defaultSpeed);
    } else if (!speedIndexOf(speed.value)) {
        shown.notices +=
            notOfferedNotice(settings::kSpeed.name, std::to_string(speed.value), defaultSpeed);
    } else {
        shown.speed = speed.value;
        shown.speedStored = true;
    }

    const std::string defaultParity = parityWord(kDefaultParity);
    if (!parity.ok()) {
        shown.notices += unreadNotice(parity.status, settings::kParity.name, defaultParity);
    } else if (parity.value > kMaxOfferedParity) {
        shown.notices +=
            notOfferedNotice(settings::kParity.name, std::to_string(parity.value), defaultParity);
    } else {
        shown.parity = parity.value;
        shown.parityStored = true;
    }

    const std::string defaultStop = std::to_string(kDefaultStopBits);
    if (!stopBits.ok()) {
        shown.notices += unreadNotice(stopBits.status, settings::kStopBits.name, defaultStop);
    } else if (stopBits.value != 1 && stopBits.value != 2) {
        shown.notices +=
            notOfferedNotice(settings::kStopBits.name, std::to_string(stopBits.value), defaultStop);
    } else {
        shown.stopBits = stopBits.value;
        shown.stopBitsStored = true;
    }
    return shown;
}

}  // namespace brakton
