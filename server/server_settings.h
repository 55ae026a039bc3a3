#pragma once

// Brakton's settings table: the file, and every value's group, name, default and limits, read
// by the settings store (CServerRegistryStore), the configuration sheet's pages and the COM-port
// diagnostic dialog. What a reader does with a missing or unreadable value stays with it.
//
// Constants only, usable from any thread.

#include "platform/main_key_settings.h"
#include "platform/settings_table.h"

#include <array>
#include <cstdint>

namespace brakton {

inline constexpr int kBandCount = 9;

namespace settings {

inline constexpr SettingsFileName kFile = {"N0CALL Software", "Rig Control"};

// --- The main key ----------------------------------------------------------------------------

// The operator's values, the same in both programs' files.
using namespace main_key;

inline constexpr ByteSetting kPAOption = {"", "PA Option", 0};

// --- "Window Size" ---------------------------------------------------------------------------

// A missing or too large rectangle reads as 0, 0, 639, 479.
inline constexpr SettingRectLayout kWindowRect = {
    .group = "Window Size",
    .topLeft = "Top Left",
    .bottomRight = "Bottom Right",
    .fallback = {0, 0, 639, 479},
    .maxWidth = 1000,
    .maxHeight = 1000,
};

// --- "Comm Port" -----------------------------------------------------------------------------

inline constexpr const char* kCommPortGroup = "Comm Port";
inline constexpr ByteSetting kCommPort = {kCommPortGroup, "Port", 1};
inline constexpr ByteSetting kStopBits = {kCommPortGroup, "Stop bit", 1};
inline constexpr ByteSetting kParity = {kCommPortGroup, "Parity", 0};
inline constexpr WordSetting kSpeed = {kCommPortGroup, "Speed", 4800};

// --- "HAM Band Info" and "VFO Frequencies", band by band from 10 m to 160 m ------------------

inline constexpr const char* kBandInfoGroup = "HAM Band Info";
inline constexpr const char* kVfoGroup = "VFO Frequencies";

struct BandSettings {
    const char* label;  // as the band table shows it
    const char* name;   // as the sheet's band page shows it
    DwordSetting lowEdge;
    DwordSetting highEdge;
    DwordSetting vfoA;
    DwordSetting vfoB;
};

inline constexpr std::array<BandSettings, kBandCount> kBands = {{
    {"  10M",
     "10M",
     {kBandInfoGroup, "10M Low Band Edge", 28000000},
     {kBandInfoGroup, "10M High Band Edge", 29960000},
     {kVfoGroup, "10M VFOA Freq", 28060000},
     {kVfoGroup, "10M VFOB Freq", 28060000}},
    {"  12M",
     "12M",
     {kBandInfoGroup, "12M Low Band Edge", 24890000},
     {kBandInfoGroup, "12M High Band Edge", 24990000},
     {kVfoGroup, "12M VFOA Freq", 24906000},
     {kVfoGroup, "12M VFOB Freq", 24906000}},
    {"  15M",
     "15M",
     {kBandInfoGroup, "15M Low Band Edge", 21000000},
     {kBandInfoGroup, "15M High Band Edge", 21450000},
     {kVfoGroup, "15M VFOA Freq", 21060000},
     {kVfoGroup, "15M VFOB Freq", 21060000}},
    {"  17M",
     "17M",
     {kBandInfoGroup, "17M Low Band Edge", 18068000},
     {kBandInfoGroup, "17M High Band Edge", 18168000},
     {kVfoGroup, "17M VFOA Freq", 18069000},
     {kVfoGroup, "17M VFOB Freq", 18069000}},
    {"  20M",
     "20M",
     {kBandInfoGroup, "20M Low Band Edge", 14000000},
     {kBandInfoGroup, "20M High Band Edge", 14350000},
     {kVfoGroup, "20M VFOA Freq", 14060000},
     {kVfoGroup, "20M VFOB Freq", 14060000}},
    {"  30M",
     "30M",
     {kBandInfoGroup, "30M Low Band Edge", 10000000},
     {kBandInfoGroup, "30M High Band Edge", 10150000},
     {kVfoGroup, "30M VFOA Freq", 10106000},
     {kVfoGroup, "30M VFOB Freq", 10106000}},
    {"  40M",
     "40M",
     {kBandInfoGroup, "40M Low Band Edge", 7000000},
     {kBandInfoGroup, "40M High Band Edge", 7300000},
     {kVfoGroup, "40M VFOA Freq", 7040000},
     {kVfoGroup, "40M VFOB Freq", 7040000}},
    {"  80M",
     "80M",
     {kBandInfoGroup, "80M Low Band Edge", 3500000},
     {kBandInfoGroup, "80M High Band Edge", 4000000},
     {kVfoGroup, "80M VFOA Freq", 3560000},
     {kVfoGroup, "80M VFOB Freq", 3560000}},
    {"  160M",
     "160M",
     {kBandInfoGroup, "160M Low Band Edge", 1800000},
     {kBandInfoGroup, "160M High Band Edge", 2000000},
     {kVfoGroup, "160M VFOA Freq", 1810000},
     {kVfoGroup, "160M VFOB Freq", 1810000}},
}};

}  // namespace settings
}  // namespace brakton
