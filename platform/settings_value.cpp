#include "platform/settings_value.h"

#include <QFileInfo>
#include <QStringList>
#include <QVariant>

#include <limits>
#include <utility>

std::optional<std::uint64_t> parseSettingNumber(std::string_view text, std::uint64_t max) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        if (value > (max - digit) / base) {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return value;
}

namespace {

// QSettings hands back an unquoted text holding commas as a list; anything else that is not
// a plain text (a byte array, a point, ...) has no text form here.
std::optional<QString> variantText(const QVariant& value) {
    if (value.typeId() == QMetaType::QString) {
        return value.toString();
    }
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return std::nullopt;
}

// The stored value as text: missing when there is none, unreadable when it has no text form.
SettingRead<QString> storedText(const QSettings& settings, const QString& key) {
    SettingRead<QString> result;
    const QVariant value = settings.value(key);
    if (!value.isValid()) {
        return result;
    }
    result.status = SettingStatus::Bad;
    if (std::optional<QString> text = variantText(value)) {
        result.status = SettingStatus::Ok;
        result.value = std::move(*text);
    }
    return result;
}

}  // namespace

template <typename T>
SettingRead<T> readNumberSetting(const QSettings& settings, const QString& key, T max) {
    SettingRead<T> result;
    const SettingRead<QString> text = storedText(settings, key);
    result.status = text.status;
    if (!text.ok()) {
        return result;
    }
    result.status = SettingStatus::Bad;
    const std::string utf8 = text.value.toStdString();
    if (auto number = parseSettingNumber(utf8, max)) {
        result.status = SettingStatus::Ok;
        result.value = static_cast<T>(*number);
    }
    return result;
}

template SettingRead<std::uint8_t> readNumberSetting(const QSettings&, const QString&,
                                                     std::uint8_t);
template SettingRead<std::uint16_t> readNumberSetting(const QSettings&, const QString&,
                                                      std::uint16_t);
template SettingRead<std::uint32_t> readNumberSetting(const QSettings&, const QString&,
                                                      std::uint32_t);

SettingRead<std::string> readTextSetting(const QSettings& settings, const QString& key,
                                         std::size_t maxBytes) {
    SettingRead<std::string> result;
    const SettingRead<QString> text = storedText(settings, key);
    result.status = text.status;
    if (!text.ok()) {
        return result;
    }
    result.status = SettingStatus::Bad;
    std::string utf8 = text.value.toStdString();
    if (utf8.size() > maxBytes) {
        return result;
    }
    result.status = SettingStatus::Ok;
    result.value = std::move(utf8);
    return result;
}

SettingRead<std::uint8_t> readByteSetting(const QSettings& settings, const QString& key) {
    return readNumberSetting(settings, key, std::numeric_limits<std::uint8_t>::max());
}

SettingRead<std::uint16_t> readWordSetting(const QSettings& settings, const QString& key) {
    return readNumberSetting(settings, key, std::numeric_limits<std::uint16_t>::max());
}

SettingRead<std::uint32_t> readDwordSetting(const QSettings& settings, const QString& key) {
    return readNumberSetting(settings, key, std::numeric_limits<std::uint32_t>::max());
}

void writeTextSetting(QSettings& settings, const QString& key, std::string_view text,
                      std::size_t maxBytes) {
    const std::string cut = cutUtf8(text, maxBytes);
    settings.setValue(key, QString::fromStdString(cut));
}

void writeNumberSetting(QSettings& settings, const QString& key, std::uint32_t value) {
    settings.setValue(key, QString::number(value));
}

std::uint32_t packSettingCorner(int x, int y) {
    return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) << 16) |
           static_cast<std::uint16_t>(y);
}

int settingCornerX(std::uint32_t packed) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(packed >> 16));
}

int settingCornerY(std::uint32_t packed) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(packed & 0xFFFF));
}

bool settingGroupExists(QSettings& settings, const QString& group) {
    settings.beginGroup(group);
    const bool exists = !settings.childKeys().isEmpty();
    settings.endGroup();
    return exists;
}

bool syncSettings(QSettings& settings) {
    settings.sync();
    if (settings.status() == QSettings::AccessError) {
        return false;
    }
    const QFileInfo file(settings.fileName());
    return file.exists() && file.isWritable();
}
