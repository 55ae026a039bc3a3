#include "client/memory/memory_fields.h"

#include <cctype>
#include <cstdio>

namespace memory_fields {

namespace {

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string format(const char* pattern, int value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string nameIn(const Choice& choice, int value) {
    const int index = IndexOf(choice, value);
    return index < 0 ? std::string() : std::string(choice.items[static_cast<std::size_t>(index)]);
}

const Choice& choiceFor(Word word) {
    for (const Choice& c : Choices()) {
        if (c.word == word) {
            return c;
        }
    }
    return Choices().front();
}

}  // namespace

const std::vector<Choice>& Choices() {
    static const std::vector<Choice> kChoices = {
        {1136, kMode, {"LSB", "USB", "CW", "RTTY", "CWR", "RTTYR"}, {1, 2, 3, 6, 7, 9}},
        {1137, kXFIL, {"XFIL1", "XFIL2", "XFIL3", "XFIL4"}, {1, 2, 3, 4}},
        {1139, kAFIL, {"Off", "AFIL1", "AFIL2"}, {0, 1, 2}},
        {1142, kAGC, {"Off", "Fast", "Slow"}, {0, 2, 4}},
        {1145, kNB, {"Off", "NB1", "NB2"}, {0, 1, 2}},
        {1159, kPreamp, {"Off", "On"}, {0, 1}},
        {1162, kAttenuator, {"Off", "On"}, {0, 1}},
        {1173, kTxVFO, {"VFOA", "VFOB"}, {0, 1}},
        {1177, kRxVFO, {"VFOA", "VFOB"}, {0, 1}},
        {1181, kRITOn, {"Off", "On"}, {0, 1}},
        {1184, kXITOn, {"Off", "On"}, {0, 1}},
    };
    return kChoices;
}

int IndexOf(const Choice& choice, int value) {
    for (std::size_t i = 0; i < choice.values.size(); ++i) {
        if (choice.values[i] == value) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ValueOf(const Choice& choice, int index) {
    if (choice.word == kTxVFO || choice.word == kRxVFO) {
        return index != 0 ? 1 : 0;
    }
    return choice.values.at(static_cast<std::size_t>(index));
}

std::string ModeName(int mode) {
    return nameIn(choiceFor(kMode), mode);
}
std::string XFILName(int xfil) {
    return nameIn(choiceFor(kXFIL), xfil);
}
std::string AFILName(int afil) {
    return nameIn(choiceFor(kAFIL), afil);
}
std::string NBName(int nb) {
    return nameIn(choiceFor(kNB), nb);
}
std::string AGCName(int agc) {
    return nameIn(choiceFor(kAGC), agc);
}
const char* OnOff(int value) {
    return value != 0 ? "On" : "Off";
}

std::string ReceiveKHz(const RADIO_MEMORY_RECORD& record) {
    const std::int32_t hz =
        record.snapshot[kRxVFO] == 0 ? record.snapshot[kVfoA] : record.snapshot[kVfoB];
    return format("%10.2f", static_cast<double>(hz) / 1000.0);
}

std::array<std::string, 6> RecallRow(const RADIO_MEMORY_RECORD& record,
                                     const std::string& bandName) {
    const auto& w = record.snapshot;
    return {record.Name(),      ReceiveKHz(record),          bandName,
            ModeName(w[kMode]), format("XFIL%1d", w[kXFIL]), w[kRxVFO] != w[kTxVFO] ? "Yes" : "No"};
}

std::array<std::string, 14> EditRow(const RADIO_MEMORY_RECORD& record) {
    const auto& w = record.snapshot;
    return {record.Name(),
            ReceiveKHz(record),
            ModeName(w[kMode]),
            XFILName(w[kXFIL]),
            AFILName(w[kAFIL]),
            NBName(w[kNB]),
            OnOff(w[kPreamp]),
            OnOff(w[kAttenuator]),
            AGCName(w[kAGC]),
            OnOff(w[kRITOn]),
            OnOff(w[kXITOn]),
            format("%2d", w[kCWSpeed]),
            format("%6.1fW", static_cast<double>(w[kPower]) / 10.0),
            format("%1d", w[kAntenna])};
}

std::string FormatPower(int setting) {
    return format("%6.1f", static_cast<double>(setting) / 10.0);
}

std::string FormatAntenna(int antenna) {
    return format("Ant %d", antenna);
}

std::optional<int> ParsePowerEntry(std::string_view text) {
    text = trimmed(text);
    long long watts = 0;
    std::size_t i = 0;
    bool digits = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        watts = watts * 10 + (text[i] - '0');
        digits = true;
        if (watts > 1000) {
            return std::nullopt;
        }
    }
    long long hundredths = watts * 100;
    if (i < text.size() && text[i] == '.') {
        ++i;
        int scale = 10;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
            hundredths += (text[i] - '0') * scale;
            scale /= 10;
            digits = true;
        }
    }
    if (!digits || i != text.size()) {
        return std::nullopt;
    }
    // Tenths, halves up; the digits past the hundredths do not move it.
    const long long tenths = (hundredths + 5) / 10;
    if (tenths > kMaxPowerSetting) {
        return std::nullopt;
    }
    return static_cast<int>(tenths);
}

std::optional<int> ParseCWSpeedEntry(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text.size() > 3) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < kMinCWSpeed || value > kMaxCWSpeed) {
        return std::nullopt;
    }
    return value;
}

}  // namespace memory_fields
