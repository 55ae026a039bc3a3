#pragma once

// How the test fakes write down what they were asked: one line per call, the
// operation's name with its arguments in brackets, "VFOFreq(1,0,14060010)",
// "KeyboardCW(CQ TEST)"; a call without arguments is its name alone
// ("TuneTransmitter"). Numbers are written in decimal, texts as given.
//
//   calls.push_back(callLine("VFOFreq", {action, vfo, hz}));

#include <algorithm>
#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// One argument as it is written: a number in decimal or a text as given.
struct CallArg {
    template <std::integral T>
    CallArg(T value) : text(std::to_string(value)) {}  // NOLINT: implicit by design
    CallArg(std::string_view value) : text(value) {}   // NOLINT
    CallArg(const char* value) : text(value) {}        // NOLINT

    std::string text;
};

inline std::string callLine(std::string_view name, std::initializer_list<CallArg> args = {}) {
    std::string line(name);
    if (args.size() == 0) {
        return line;
    }
    line += '(';
    bool first = true;
    for (const CallArg& arg : args) {
        line += (first ? "" : ",") + arg.text;
        first = false;
    }
    return line + ')';
}

// How many of `lines` are calls of `name`, with or without arguments.
inline int countCalls(const std::vector<std::string>& lines, std::string_view name) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.size() >= name.size() && std::string_view(l).substr(0, name.size()) == name &&
               (l.size() == name.size() || l[name.size()] == '(');
    }));
}
