#include "client/cw/cw_macros.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cctype>

namespace cw {

namespace {

struct MacroName {
    const char* name;
    int code;
};

constexpr std::array<MacroName, 9> kMacros = {{{"MC", 1},
                                               {"MN", 2},
                                               {"MQ", 3},
                                               {"MS", 4},
                                               {"HC", 5},
                                               {"HN", 6},
                                               {"HQ", 7},
                                               {"HS", 8},
                                               {"SN", kSerialNumberCode}}};

}  // namespace

int LookupMacroCode(std::string& name) {
    for (char& ch : name) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    if (name.size() < 2) {
        return 0;
    }
    for (const MacroName& macro : kMacros) {
        if (name.compare(0, 2, macro.name) == 0) {
            return macro.code;
        }
    }
    return 0;
}

std::string FormatCounter(int value, int outputMode) {
    const int width = std::min(outputMode & 0x7F, 5);
    const bool cut = (outputMode & 0x80) != 0;
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) {
        // Padding zeros are zeros too: with the cut form they are "T".
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
        if (value < 0) {
            // The minus sign leads the field.
            digits.erase(std::find(digits.begin(), digits.end(), '-'));
            digits.insert(digits.begin(), '-');
        }
    }
    if (cut) {
        std::replace(digits.begin(), digits.end(), '0', 'T');
    }
    qDebug("Counter = %s", digits.c_str());
    return digits;
}

std::string ExpandMacros(std::string_view text, const MacroSources& sources) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char ch = text[i++];
        if (ch != '~') {
            out.push_back(ch);
            continue;
        }
        std::string name(text.substr(i, 2));
        i += name.size();
        const int code = LookupMacroCode(name);
        if (code == 0) {
            out += name;
        } else if (code < kSerialNumberCode) {
            if (sources.slot) {
                out += sources.slot(code);
            }
        } else {
            if (sources.serialNumber) {
                out += sources.serialNumber();
            }
            if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
                if (sources.stepCounter) {
                    sources.stepCounter(text[i] == '+' ? 1 : -1);
                }
                ++i;
            }
        }
    }
    return out;
}

}  // namespace cw
