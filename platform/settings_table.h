#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

// The entries of a program's settings table: where a value lives (its group, "" for the top
// level, and its name), its type, its default and its limits. A program keeps one table that
// its settings store and its configuration sheet both read, so that a name or a default is
// spelled once. What a reader does with a missing or unreadable value (a message, a quiet
// repair, a default of its own) stays with the reader.
//
// Plain constants, no Qt: usable from any thread.

// Texts are kept to 79 bytes of UTF-8 unless an entry says otherwise.
inline constexpr std::size_t kMaxSettingTextBytes = 79;

// Where a program's settings file is: one INI file per user and program.
struct SettingsFileName {
    const char* organization;
    const char* application;
};

struct TextSetting {
    const char* group;
    const char* name;
    const char* defaultValue;
    std::size_t maxBytes = kMaxSettingTextBytes;  // a longer stored text cannot be read
};

// A number stored as decimal text, of the width of T. A stored number above `max` cannot be
// read.
template <typename T>
struct NumberSetting {
    const char* group;
    const char* name;
    T defaultValue;
    T max = std::numeric_limits<T>::max();
};

using ByteSetting = NumberSetting<std::uint8_t>;
using WordSetting = NumberSetting<std::uint16_t>;
using DwordSetting = NumberSetting<std::uint32_t>;

// A group whose texts are kept to a limit of their own, for the writers that name a value
// instead of passing its entry.
struct SettingGroupTextLimit {
    const char* group = "";
    std::size_t maxBytes = kMaxSettingTextBytes;
};

struct SettingRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Where a store keeps one window rectangle and which sizes it accepts. Each corner is one
// 32-bit value (packSettingCorner).
struct SettingRectLayout {
    const char* group;
    const char* topLeft;
    const char* bottomRight;
    SettingRect fallback;  // read for a missing group, and for a rectangle too large
    int maxWidth;          // a rectangle wider or higher than these is too large
    int maxHeight;
};
