#pragma once

// Messages from an outside partner program to the front panel.
//
// The partner reaches the panel through the window-title messages of
// platform/window_message.h: message number 0x4A (WM_COPYDATA), lParam the
// type, the payload bytes after the header. The sender's window (wParam)
// means nothing here. The types:
//
//   1  the partner's window title, at most 83 bytes, not terminated
//   2  a request for the radio snapshot (no payload); the answer is type 2
//      with the 76 snapshot bytes, sent to the partner's title
//   3  CW speed, one little-endian int32 (4 bytes), kept to 9-50 wpm
//   4  RF power setting, one little-endian int32 (4 bytes), kept to 0-150
//   5  CW text to send, at most 254 bytes, not terminated; empty does nothing
//   6  forget the partner (no payload)
//
//   type 3 with 22 wpm: lParam 3, payload 16 00 00 00
//
// Any other type, or a payload of the wrong size, is refused whole: nothing
// of it is used. A text is cut at its first NUL byte, as a C string would be.
//
// Pure logic; the panel acts on what ParsePartnerMessage returns.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::uint64_t WM_COPYDATA = 0x004A;

enum class PartnerMessageType {
    PartnerTitle = 1,
    SnapshotRequest = 2,
    CWSpeed = 3,
    RFPower = 4,
    CWText = 5,
    ForgetPartner = 6,
};

inline constexpr std::size_t kPartnerTitleMax = 83;
inline constexpr std::size_t kPartnerCWTextMax = 254;
inline constexpr int kPartnerCWSpeedMin = 9;
inline constexpr int kPartnerCWSpeedMax = 50;
inline constexpr int kPartnerRFPowerMin = 0;
inline constexpr int kPartnerRFPowerMax = 150;

struct PartnerMessage {
    PartnerMessageType type = PartnerMessageType::SnapshotRequest;
    std::string text;  // types 1 and 5
    int value = 0;     // types 3 and 4, already clamped

    bool operator==(const PartnerMessage&) const = default;
};

// The checked message, or nothing with `error` saying why it was refused.
std::optional<PartnerMessage> ParsePartnerMessage(std::uint64_t type, std::string_view payload,
                                                  std::string* error = nullptr);
