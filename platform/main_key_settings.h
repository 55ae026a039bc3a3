#pragma once

// The operator's values that both programs keep under their settings file's main key, with the
// same names and defaults: each program's settings table takes them from here and adds its own.
//
// Constants only, usable from any thread.

#include "platform/settings_table.h"

namespace main_key {

inline constexpr TextSetting kHomeDir = {"", "HomeDir", "C:\\Orvo"};
inline constexpr TextSetting kCallsign = {"", "Callsign", "N0CALL"};
inline constexpr TextSetting kName = {"", "Name", "Nemo"};
inline constexpr TextSetting kQth = {"", "QTH", "Anytown, ST"};
inline constexpr ByteSetting kUtcOffset = {"", "Offset from UTC", 0x87};  // -7 hours
inline constexpr TextSetting kLogFileName = {"", "Log File Name", "Orvo.Log"};
inline constexpr ByteSetting kLoggingMode = {"", "SW Logging Mode", 0};
inline constexpr TextSetting kNsHost = {"", "NS Host", "localhost"};
inline constexpr DwordSetting kNsPort = {"", "NS Port", 10000};
inline constexpr TextSetting kAudioCommand = {"", "Audio Host Command Name", "SpeakFre.exe"};
inline constexpr ByteSetting kAudioEnabled = {"", "Audio Streaming Host", 0};
inline constexpr DwordSetting kApplicationColor = {"", "Application Color", 0xDFB880};

}  // namespace main_key
