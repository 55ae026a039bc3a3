#pragma once

#include "platform/settings_table.h"
#include "platform/utf8_text.h"

#include <QSettings>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Typed values in a program's INI settings file, shared by the server's and the client's
// settings stores.
//
// Numbers are stored as decimal text; readers also accept "0x" hexadecimal. Texts are limited
// to 79 bytes of UTF-8, the width the stored settings have always had: a longer stored text
// cannot be read, and writers cut to 79 bytes at a character boundary so that what they store
// can always be read back. A QSettings object is not shared between threads; each store call
// makes its own and passes it in here.

enum class SettingStatus {
    Ok,       // read and valid
    Missing,  // no such value in the file
    Bad,      // present but unreadable (wrong type, out of range, too long)
};

template <typename T>
struct SettingRead {
    SettingStatus status = SettingStatus::Missing;
    T value{};

    bool ok() const { return status == SettingStatus::Ok; }
};

// Parses a whole unsigned number, decimal or "0x" hexadecimal, no sign and no blanks, at most
// `max`. Used for every numeric setting.
std::optional<std::uint64_t> parseSettingNumber(std::string_view text, std::uint64_t max);

SettingRead<std::string> readTextSetting(const QSettings& settings, const QString& key,
                                         std::size_t maxBytes = kMaxSettingTextBytes);
SettingRead<std::uint8_t> readByteSetting(const QSettings& settings, const QString& key);
SettingRead<std::uint16_t> readWordSetting(const QSettings& settings, const QString& key);
SettingRead<std::uint32_t> readDwordSetting(const QSettings& settings, const QString& key);
// A number of T's width that reads as unreadable above `max`.
template <typename T>
SettingRead<T> readNumberSetting(const QSettings& settings, const QString& key, T max);

void writeTextSetting(QSettings& settings, const QString& key, std::string_view text,
                      std::size_t maxBytes = kMaxSettingTextBytes);
void writeNumberSetting(QSettings& settings, const QString& key, std::uint32_t value);

// Window rectangles are stored as two corners, each one 32-bit value with x in the high and y
// in the low 16 bits. Each coordinate keeps only its low 16 bits, so a negative one cannot
// spill into the other half, and each half reads back as a signed 16-bit number: a window at
// (-10, -5) on a monitor left of the primary one comes back at (-10, -5).
std::uint32_t packSettingCorner(int x, int y);
int settingCornerX(std::uint32_t packed);
int settingCornerY(std::uint32_t packed);

// True when the group (relative to the current one) holds at least one value.
bool settingGroupExists(QSettings& settings, const QString& group);

// Flushes the file and tells whether the write reached it. Qt reports FormatError for a stray
// line it could not parse yet still writes the file, so only an access error or a file that is
// missing or read-only afterwards counts as a failure.
bool syncSettings(QSettings& settings);
