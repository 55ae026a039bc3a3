#include "platform/settings_reader.h"

#include "platform/settings_store.h"

#include <QFileInfo>

SettingsReader::SettingsReader(const QString& organization, const QString& application)
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             organization, application)) {
    const QFileInfo file(m_settings->fileName());
    m_unreadable = (file.exists() && (!file.isFile() || !file.isReadable())) ||
                   m_settings->status() == QSettings::AccessError;
}

SettingsReader::SettingsReader(const SettingsFileName& file)
    : SettingsReader(QString::fromLatin1(file.organization),
                     QString::fromLatin1(file.application)) {}

SettingsReader::~SettingsReader() = default;

QString SettingsReader::fileName() const {
    return m_settings->fileName();
}

QString SettingsReader::key(const QString& group, const QString& name) const {
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

template <typename T>
SettingRead<T> SettingsReader::unreadable() const {
    SettingRead<T> result;
    result.status = SettingStatus::Bad;
    return result;
}

SettingRead<std::string> SettingsReader::text(const QString& group, const QString& name) const {
    return m_unreadable ? unreadable<std::string>()
                        : readTextSetting(*m_settings, key(group, name));
}

SettingRead<std::uint8_t> SettingsReader::byte(const QString& group, const QString& name) const {
    return m_unreadable ? unreadable<std::uint8_t>()
                        : readByteSetting(*m_settings, key(group, name));
}

SettingRead<std::uint16_t> SettingsReader::word(const QString& group, const QString& name) const {
    return m_unreadable ? unreadable<std::uint16_t>()
                        : readWordSetting(*m_settings, key(group, name));
}

SettingRead<std::uint32_t> SettingsReader::dword(const QString& group, const QString& name) const {
    return m_unreadable ? unreadable<std::uint32_t>()
                        : readDwordSetting(*m_settings, key(group, name));
}

SettingRead<std::string> SettingsReader::read(const TextSetting& entry) const {
    return m_unreadable ? unreadable<std::string>() : readSetting(*m_settings, entry);
}

template <typename T>
SettingRead<T> SettingsReader::read(const NumberSetting<T>& entry) const {
    return m_unreadable ? unreadable<T>() : readSetting(*m_settings, entry);
}

template SettingRead<std::uint8_t> SettingsReader::read(const ByteSetting&) const;
template SettingRead<std::uint16_t> SettingsReader::read(const WordSetting&) const;
template SettingRead<std::uint32_t> SettingsReader::read(const DwordSetting&) const;
