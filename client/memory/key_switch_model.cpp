#include "client/memory/key_switch_model.h"

#include <algorithm>
#include <array>

namespace key_switch {

namespace {

struct MainKey {
    int id;
    const char* tap;
    const char* numeric;  // null: the tap label stays
    const char* hold;
    int code;
};
constexpr MainKey kMainKeys[] = {
    {1261, "Band+", nullptr, "Recall", 1}, {1267, "Display", nullptr, "RF/ALC", 2},
    {1263, "Band-", nullptr, "Store", 3},  {1269, "Ant1/2", nullptr, "Tune", 4},
    {1265, "Menu", nullptr, "Edit", 5},    {1271, "NB", nullptr, "Level", 6},
    {1292, "Rate", "0", "Lock", 7},        {1273, "Mode", "1", "VOX", 8},
    {1275, "A/B", "2", "Rev", 9},          {1278, "A=B", "3", "Split", 10},
    {1280, "Pre/Att", "4", "Spot", 11},    {1282, "AGC", "5", "CW RV", 12},
    {1284, "XFIL", "6", "AFIL", 13},       {1286, "RIT", "7", "PF1", 14},
    {1288, "XIT", "8", "PF2", 15},         {1290, "MSG", "9", "Rec", 16},
};

struct FixedKey {
    int id;
    const char* label;
    int code;
};
constexpr FixedKey kFixedKeys[] = {
    {1295, "FN RIT", 33}, {1297, "DIRECT", 34},  {1299, "REF PWR", 35},
    {1301, "AGC SW", 36}, {1303, "FL STAT", 37},
};

struct ConfigKey {
    int id;
    const char* first;
    int firstCode;
    const char* second;
    int secondCode;
};
// "INP" sends 42 and "RPT" 41: the radio's own numbering, not button order.
constexpr ConfigKey kConfigKeys[] = {
    {1306, "ST L", 38, "SLCH", 54}, {1308, "ST P", 39, "RATES", 55}, {1310, "T/R", 40, "DOT", 56},
    {1312, "INP", 42, "FPLY", 57},  {1314, "RPT", 41, "PORT", 58},   {1316, "IAB", 43, "SPLT", 59},
    {1318, "SSBA", 44, "Po28", 60}, {1320, "SSBC", 45, "RTTY", 61},  {1322, "LCD", 46, "RTC", 62},
    {1324, "GRAPH", 47, "RIT", 63}, {1326, "OPT", 48, "ACC", 64},    {1328, "ATU", 49, "AT2", 65},
    {1330, "RANT", 50, "PA", 66},   {1332, "CAL", 51, "TRN1", 67},   {1334, "PF1", 52, "TRN2", 68},
    {1336, "PF2", 53, "TRN3", 69},
};

const MainKey* mainKey(int id) {
    for (const MainKey& k : kMainKeys) {
        if (k.id == id) {
            return &k;
        }
    }
    return nullptr;
}
const FixedKey* fixedKey(int id) {
    for (const FixedKey& k : kFixedKeys) {
        if (k.id == id) {
            return &k;
        }
    }
    return nullptr;
}
const ConfigKey* configKey(int id) {
    for (const ConfigKey& k : kConfigKeys) {
        if (k.id == id) {
            return &k;
        }
    }
    return nullptr;
}

std::string kHzText(std::uint32_t hz) {
    return FormatKHz(static_cast<std::int64_t>(hz));
}

}  // namespace

const std::vector<int>& MainKeys() {
    static const std::vector<int> ids = [] {
        std::vector<int> v;
        for (const MainKey& k : kMainKeys) {
            v.push_back(k.id);
        }
        return v;
    }();
    return ids;
}
const std::vector<int>& FixedKeys() {
    static const std::vector<int> ids = [] {
        std::vector<int> v;
        for (const FixedKey& k : kFixedKeys) {
            v.push_back(k.id);
        }
        return v;
    }();
    return ids;
}
const std::vector<int>& ConfigKeys() {
    static const std::vector<int> ids = [] {
        std::vector<int> v;
        for (const ConfigKey& k : kConfigKeys) {
            v.push_back(k.id);
        }
        return v;
    }();
    return ids;
}

std::string BasicPageModel::Label(int id) const {
    if (id == IDC_MENU_BUTTON) {
        static constexpr std::array<const char*, 3> kNext = {"Numeric", "Hold", "Tap"};
        return kNext[static_cast<std::size_t>(m_nKeyMenu)];
    }
    if (id == IDC_CONFIG_BUTTON) {
        return m_nConfigSet == kFirstSet ? "2" : "1";
    }
    if (const MainKey* k = mainKey(id)) {
        if (m_nKeyMenu == kHoldMenu) {
            return k->hold;
        }
        if (m_nKeyMenu == kNumericMenu && k->numeric != nullptr) {
            return k->numeric;
        }
        return k->tap;
    }
    if (const FixedKey* k = fixedKey(id)) {
        return k->label;
    }
    if (const ConfigKey* k = configKey(id)) {
        return m_nConfigSet == kFirstSet ? k->first : k->second;
    }
    return {};
}

std::uint32_t BasicPageModel::Shade(int id) const {
    if (id == IDC_CONFIG_BUTTON) {
        return m_nConfigSet == kFirstSet ? kRed : kGreen;
    }
    if (const MainKey* k = mainKey(id)) {
        return m_nKeyMenu == kNumericMenu && k->numeric != nullptr ? kRed : kGreen;
    }
    if (configKey(id) != nullptr) {
        return m_nConfigSet == kFirstSet ? kGreen : kRed;
    }
    return kGreen;
}

std::optional<int> BasicPageModel::Code(int id) const {
    if (const MainKey* k = mainKey(id)) {
        return m_nKeyMenu == kHoldMenu ? k->code + 16 : k->code;
    }
    if (const FixedKey* k = fixedKey(id)) {
        return k->code;
    }
    if (const ConfigKey* k = configKey(id)) {
        return m_nConfigSet == kFirstSet ? k->firstCode : k->secondCode;
    }
    return std::nullopt;
}

void ScanPageModel::ShowLimits(std::uint32_t low, std::uint32_t high) {
    m_strLowLimit = kHzText(low);
    m_strHighLimit = kHzText(high);
}

ScanPageModel::Effects ScanPageModel::OnScan(std::string_view lowText, std::string_view highText) {
    Effects effects;
    if (m_bScanning) {
        return effects;
    }
    if (m_bScanArmed) {
        m_bScanArmed = false;
        effects.askLimits = true;
        m_strSecondLabel = "Get Limits";
        m_bSecondEnabled = true;
        return effects;
    }
    // Start. Without a band there is nothing to scan in: refused as an
    // unreadable limit is.
    const auto low = ParseFrequencyEntry(lowText);
    if (!low || !m_bLimitsKnown) {
        effects.refused = Field::Low;
        return effects;
    }
    const auto high = ParseFrequencyEntry(highText);
    if (!high) {
        effects.refused = Field::High;
        return effects;
    }
    std::uint32_t lo = *low;
    std::uint32_t hi = *high;
    if (lo > hi) {
        std::swap(lo, hi);
    }
    const std::uint32_t bandLow = m_range.ulLowBandEdge;
    const std::uint32_t bandHigh = m_range.ulHighBandEdge;
    // Both limits above the band would leave low above high: the low one
    // goes to the band's low edge as well.
    if (lo < bandLow || lo > bandHigh) {
        lo = bandLow;
    }
    if (hi < bandLow || hi > bandHigh) {
        hi = bandHigh;
    }
    ShowLimits(lo, hi);
    m_bEditsWritable = false;
    m_strSecondLabel = "Resume";
    m_bSecondEnabled = true;
    m_bScanning = true;
    effects.scan = std::make_pair(lo, hi);
    return effects;
}

void ScanPageModel::OnLimits(const PanelTuningRange& band, std::uint32_t storedLow,
                             std::uint32_t storedHigh) {
    m_bScanning = false;
    if (!band.IsKnown()) {
        return;
    }
    m_range = band;
    std::uint32_t low = storedLow;
    std::uint32_t high = storedHigh;
    if (low == 0 || high == 0) {
        low = band.ulLowBandEdge;
        high = band.ulHighBandEdge;
    }
    if (low < band.ulLowBandEdge || low > band.ulHighBandEdge) {
        low = band.ulLowBandEdge;
    }
    if (high < band.ulLowBandEdge || high > band.ulHighBandEdge) {
        high = band.ulHighBandEdge;
    }
    ShowLimits(low, high);
    m_bEditsWritable = true;
    m_bLimitsKnown = true;
}

ScanPageModel::Effects ScanPageModel::OnSecond() {
    Effects effects;
    if (m_bScanning) {
        effects.keyCode = kResumeKeyCode;
    } else if (m_bLimitsKnown) {
        ShowLimits(m_range.ulLowBandEdge, m_range.ulHighBandEdge);
    }
    return effects;
}

ScanPageModel::Effects ScanPageModel::OnStop() {
    Effects effects;
    m_bScanArmed = true;
    if (m_bScanning) {
        effects.keyCode = kResumeKeyCode;
    }
    m_bScanning = false;
    m_bSecondEnabled = false;
    m_bLimitsKnown = false;
    return effects;
}

}  // namespace key_switch
