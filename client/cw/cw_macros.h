#pragma once

// The "~" macros of the memory texts and the contest serial number.
//
// A macro is "~" and a two-letter name, case-insensitive: MC, MN, MQ, MS (the
// operator's call sign, name, QTH and own report, text slots 1-4), HC, HN,
// HQ, HS (the other station's, slots 5-8) and SN (the serial number, which a
// following "+" or "-" steps after it is sent). An unknown name keeps its
// upper-cased characters and loses the "~"; an empty slot vanishes; a "~"
// near the end takes what is left. Slot texts are not expanded again.
//
// The expansion is a string of any length; SplitCWText cuts it for the
// server. The serial number is formatted in the output mode ("Output Mode":
// bits 0-6 the digits, at most 5, 0 as many as the number has; bit 7 every
// zero as the cut number "T"); a number wider than its field is never cut.
//
// Plain logic; the caller's thread.

#include <functional>
#include <string>
#include <string_view>

namespace cw {

inline constexpr int kSerialNumberCode = 9;

// Upper-cases `name` in place; its code 1-9, 0 when it is not a macro.
int LookupMacroCode(std::string& name);

// The counter `value` as the output mode asks.
std::string FormatCounter(int value, int outputMode);

// What an expansion needs: the text of slot 1-8 ("" when empty), the serial
// number as it is sent now, and a step of the counter by +1 or -1.
struct MacroSources {
    std::function<std::string(int slot)> slot;
    std::function<std::string()> serialNumber;
    std::function<void(int delta)> stepCounter;
};

std::string ExpandMacros(std::string_view text, const MacroSources& sources);

}  // namespace cw
