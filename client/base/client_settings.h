#pragma once

// Pelorin's settings table: the file, and every value's group, name, default and limits, read
// by the settings store (CRegistryStore) and the configuration sheet's page. What a reader does
// with a missing or unreadable value stays with it.
//
// Constants only, usable from any thread.

#include "platform/main_key_settings.h"
#include "platform/settings_table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace pelorin::settings {

inline constexpr SettingsFileName kFile = {"N0CALL Software", "Pelorin"};

// --- The main key ----------------------------------------------------------------------------

// The operator's values, the same in both programs' files.
using namespace main_key;

// The QSO log's values. "QSO Logging Mode" is 0 normal, 1 contest.
inline constexpr ByteSetting kQsoLoggingMode = {"", "QSO Logging Mode", 0};
inline constexpr TextSetting kCurrentLogFileName = {"", "Current Log File Name", "Orvo.QSO.Log"};
inline constexpr ByteSetting kUseUtc = {"", "Use UTC in Log", 1};
inline constexpr TextSetting kGridSquare = {"", "GridSquare", "AA00aa"};
inline constexpr TextSetting kCqZone = {"", "CQ Zone", "3"};
inline constexpr TextSetting kItuZone = {"", "ITU Zone", "6"};

// --- "Window Size" ---------------------------------------------------------------------------

inline constexpr const char* kWindowSizeGroup = "Window Size";

// A missing or too large rectangle reads as 0, 0, 639, 479.
inline constexpr SettingRectLayout kWindowRect = {
    .group = kWindowSizeGroup,
    .topLeft = "Top Left",
    .bottomRight = "Bottom Right",
    .fallback = {0, 0, 639, 479},
    .maxWidth = 1024,
    .maxHeight = 768,
};
inline constexpr SettingRectLayout kOriginalRect = {
    .group = kWindowSizeGroup,
    .topLeft = "Original Top Left",
    .bottomRight = "Original Bottom Right",
    .fallback = kWindowRect.fallback,
    .maxWidth = kWindowRect.maxWidth,
    .maxHeight = kWindowRect.maxHeight,
};
inline constexpr ByteSetting kWindowsMoveTogether = {kWindowSizeGroup, "Windows Move Together", 1};

// --- "Transmit Memory Keys": "F1" to "F11" ---------------------------------------------------

inline constexpr const char* kMemoryKeysGroup = "Transmit Memory Keys";
inline constexpr std::size_t kMemoryKeyCount = 11;
// Written cut to 253 bytes; a stored text is read whole, however long.
inline constexpr std::size_t kMaxMemoryKeyTextBytes = 253;
inline constexpr std::size_t kMemoryKeyReadBytes = std::numeric_limits<std::size_t>::max();

inline constexpr std::array<TextSetting, kMemoryKeyCount> kMemoryKeys = {{
    {kMemoryKeysGroup, "F1", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F2", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F3", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F4", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F5", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F6", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F7", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F8", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F9", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F10", "", kMaxMemoryKeyTextBytes},
    {kMemoryKeysGroup, "F11", "", kMaxMemoryKeyTextBytes},
}};

// --- "Settings" ------------------------------------------------------------------------------

inline constexpr const char* kSettingsGroup = "Settings";

// The front panel's tuning span, 0 to kTuningSpanCount - 1; a larger stored index reads as 0.
inline constexpr ByteSetting kSelectedTuningRange = {kSettingsGroup, "Selected Tuning Range", 0};
inline constexpr int kTuningSpanCount = 4;
inline constexpr DwordSetting kScanLowLimit = {kSettingsGroup, "Scan Low Limit", 0};
inline constexpr DwordSetting kScanHighLimit = {kSettingsGroup, "Scan High Limit", 0};

// The keyboard-CW serial counter: a whole number 0 to 2147483647, and its output mode (bits
// 0-6 the number of digits, bit 7 the cut-number form).
inline constexpr DwordSetting kCounterValue = {kSettingsGroup, "Counter Value", 1,
                                               std::numeric_limits<std::int32_t>::max()};
inline constexpr ByteSetting kOutputMode = {kSettingsGroup, "Output Mode", 0};

}  // namespace pelorin::settings
