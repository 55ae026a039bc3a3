#include "server/server_registry_store.h"

#include "platform/message_service.h"
#include "platform/settings_store.h"

#include <QSettings>
#include <QString>

namespace brakton {

CServerRegistryStore theRegistryStore;

namespace {

// One settings object per store call; QSettings objects are never shared between threads.
class StoreSettings : public QSettings {
  public:
    StoreSettings()
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                    QStringLiteral("Rig Control")) {}
};

const QString kCommPortGroup = QStringLiteral("Comm Port");
const QString kBandInfoGroup = QStringLiteral("HAM Band Info");
const QString kVfoGroup = QStringLiteral("VFO Frequencies");

// Main-key defaults.
constexpr const char* kDefaultHomeDir = "C:\\Orvo";
constexpr const char* kDefaultCallsign = "N0CALL";
constexpr const char* kDefaultName = "Nemo";
constexpr const char* kDefaultQth = "Anytown, ST";
constexpr std::uint8_t kDefaultUtcOffset = 0x87;
constexpr const char* kDefaultLogFileName = "Orvo.Log";
constexpr std::uint8_t kDefaultLoggingMode = 0;
constexpr const char* kDefaultNsHost = "localhost";
constexpr std::uint32_t kDefaultNsPort = 10000;
constexpr const char* kDefaultAudioCommand = "SpeakFre.exe";

constexpr SettingRect kDefaultRect = {0, 0, 639, 479};
constexpr SettingRectLayout kWindowRect = {
    .group = "Window Size",
    .topLeft = "Top Left",
    .bottomRight = "Bottom Right",
    .fallback = kDefaultRect,
    .maxWidth = 1000,
    .maxHeight = 1000,
};

constexpr std::uint8_t kDefaultPort = 1;
constexpr std::uint16_t kDefaultSpeed = 4800;
constexpr std::uint8_t kDefaultParity = 0;
constexpr std::uint8_t kDefaultStopBits = 1;

struct BandDefaults {
    const char* label;
    const char* name;  // prefix of the band's value names
    std::uint32_t lowEdge;
    std::uint32_t highEdge;
    std::uint32_t vfo;
};

constexpr BandDefaults kBands[kBandCount] = {
    {"  10M", "10M", 28000000, 29960000, 28060000}, {"  12M", "12M", 24890000, 24990000, 24906000},
    {"  15M", "15M", 21000000, 21450000, 21060000}, {"  17M", "17M", 18068000, 18168000, 18069000},
    {"  20M", "20M", 14000000, 14350000, 14060000}, {"  30M", "30M", 10000000, 10150000, 10106000},
    {"  40M", "40M", 7000000, 7300000, 7040000},    {"  80M", "80M", 3500000, 4000000, 3560000},
    {"  160M", "160M", 1800000, 2000000, 1810000},
};

QString key(const char* name) {
    return QString::fromLatin1(name);
}

QString bandKey(int band, const char* suffix) {
    return key(kBands[band].name) + QLatin1Char(' ') + key(suffix);
}

bool mainKeyExists() {
    return settingsFileExists(StoreSettings());
}

void showError(const char* text) {
    MessageService::showError(text);
}

void writeCommPort(QSettings& settings, std::uint8_t port, std::uint16_t speed, std::uint8_t parity,
                   std::uint8_t stopBits) {
    settings.beginGroup(kCommPortGroup);
    writeNumberSetting(settings, QStringLiteral("Port"), port);
    writeNumberSetting(settings, QStringLiteral("Stop bit"), stopBits);
    writeNumberSetting(settings, QStringLiteral("Parity"), parity);
    writeNumberSetting(settings, QStringLiteral("Speed"), speed);
    settings.endGroup();
}

}  // namespace

std::string CServerRegistryStore::SettingsFilePath() {
    const StoreSettings settings;
    return settings.fileName().toStdString();
}

BandEdgeTable CServerRegistryStore::DefaultBandInfo() {
    BandEdgeTable bands;
    for (int band = 0; band < kBandCount; ++band) {
        bands[band] = {kBands[band].label, band, kBands[band].lowEdge, kBands[band].highEdge};
    }
    return bands;
}

VfoFrequencyTable CServerRegistryStore::DefaultVFOFrequencies() {
    VfoFrequencyTable vfos;
    for (int band = 0; band < kBandCount; ++band) {
        vfos[band] = {kBands[band].vfo, kBands[band].vfo};
    }
    return vfos;
}

void CServerRegistryStore::CreateDefaults() {
    StoreSettings settings;
    writeTextSetting(settings, key("HomeDir"), kDefaultHomeDir);
    writeTextSetting(settings, key("Callsign"), kDefaultCallsign);
    writeTextSetting(settings, key("Name"), kDefaultName);
    writeTextSetting(settings, key("QTH"), kDefaultQth);
    writeNumberSetting(settings, key("Offset from UTC"), kDefaultUtcOffset);
    writeTextSetting(settings, key("Log File Name"), kDefaultLogFileName);
    writeNumberSetting(settings, key("SW Logging Mode"), kDefaultLoggingMode);
    writeTextSetting(settings, key("NS Host"), kDefaultNsHost);
    writeNumberSetting(settings, key("NS Port"), kDefaultNsPort);
    writeSettingRect(settings, kWindowRect, kDefaultRect);
    writeCommPort(settings, kDefaultPort, kDefaultSpeed, kDefaultParity, kDefaultStopBits);
    if (!syncSettings(settings)) {
        showError("Unable to Create Main Orvo Registry!");
    }
}

bool CServerRegistryStore::CreateWindowSizeKey() {
    if (!WriteWindowRect(kDefaultRect.left, kDefaultRect.top, kDefaultRect.right,
                         kDefaultRect.bottom)) {
        showError("Unable to Create Brakton WINSIZE Registry!");
        return false;
    }
    return true;
}

bool CServerRegistryStore::CreateCommPortKey() {
    if (!WriteCommPort(kDefaultPort, kDefaultSpeed, kDefaultParity, kDefaultStopBits)) {
        showError("Unable to Create Orvo COMM PORT Registry!");
        return false;
    }
    return true;
}

bool CServerRegistryStore::WriteString(const std::string& group, const std::string& name,
                                       const std::string& text) {
    StoreSettings settings;
    return writeTextSettingNow(settings, group, name, text);
}

bool CServerRegistryStore::WriteDword(const std::string& group, const std::string& name,
                                      std::uint32_t value) {
    StoreSettings settings;
    return writeNumberSettingNow(settings, group, name, value);
}

bool CServerRegistryStore::WriteByte(const std::string& group, const std::string& name,
                                     std::uint8_t value) {
    return WriteDword(group, name, value);
}

bool CServerRegistryStore::ReadHomeDir(std::string& homeDir) {
    if (!mainKeyExists()) {
        CreateDefaults();
        homeDir = kDefaultHomeDir;
        return true;
    }
    StoreSettings settings;
    const SettingStatus status = repairTextSetting(settings, key("HomeDir"), kDefaultHomeDir,
                                                   "Unable to Read Orvo Home Directory!", homeDir);
    finishSettingsRead(settings);
    return status != SettingStatus::Bad;
}

bool CServerRegistryStore::ReadOperatorInfo(std::string& homeDir, std::string& callsign,
                                            std::string& name, std::string& qth,
                                            std::uint8_t& utcOffset, std::string& logFileName,
                                            std::uint8_t& loggingMode) {
    if (!mainKeyExists()) {
        CreateDefaults();
        homeDir = kDefaultHomeDir;
        callsign = kDefaultCallsign;
        name = kDefaultName;
        qth = kDefaultQth;
        utcOffset = kDefaultUtcOffset;
        logFileName = kDefaultLogFileName;
        loggingMode = kDefaultLoggingMode;
        return true;
    }
    StoreSettings settings;
    repairTextSetting(settings, key("HomeDir"), kDefaultHomeDir,
                      "Unable to Read Orvo Home Directory!", homeDir);
    repairTextSetting(settings, key("Callsign"), kDefaultCallsign,
                      "Unable to Read Operator Callsign!", callsign);
    repairTextSetting(settings, key("Name"), kDefaultName, "Unable to Read Operator Name!", name);
    repairTextSetting(settings, key("QTH"), kDefaultQth, "Unable to Read Operator QTH!", qth);
    repairTextSetting(settings, key("Log File Name"), kDefaultLogFileName,
                      "Unable to Read Software Log filename!", logFileName);
    repairByteSetting(settings, key("Offset from UTC"), kDefaultUtcOffset,
                      "Unable to Read Operator Timezone!", utcOffset);
    repairByteSetting(settings, key("SW Logging Mode"), kDefaultLoggingMode,
                      "Unable to Read Software Logging Mode!", loggingMode);
    finishSettingsRead(settings);
    return true;
}

bool CServerRegistryStore::WriteOperatorInfo(const std::string& homeDir,
                                             const std::string& callsign, const std::string& name,
                                             const std::string& qth, std::uint8_t utcOffset,
                                             const std::string& logFileName,
                                             std::uint8_t loggingMode) {
    StoreSettings settings;
    writeTextSetting(settings, key("HomeDir"), homeDir);
    writeTextSetting(settings, key("Callsign"), callsign);
    writeTextSetting(settings, key("Name"), name);
    writeTextSetting(settings, key("QTH"), qth);
    writeTextSetting(settings, key("Log File Name"), logFileName);
    writeNumberSetting(settings, key("Offset from UTC"), utcOffset);
    writeNumberSetting(settings, key("SW Logging Mode"), loggingMode);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadSWLoggingMode(std::uint8_t& loggingMode) {
    if (!mainKeyExists()) {
        CreateDefaults();
        loggingMode = kDefaultLoggingMode;
        return true;
    }
    StoreSettings settings;
    repairByteSetting(settings, key("SW Logging Mode"), kDefaultLoggingMode,
                      "Unable to Read Software Logging Mode!", loggingMode);
    finishSettingsRead(settings);
    return true;
}

bool CServerRegistryStore::ReadNameService(std::string& host, std::uint32_t& port) {
    if (!mainKeyExists()) {
        CreateDefaults();
        host = kDefaultNsHost;
        port = kDefaultNsPort;
        return true;
    }
    StoreSettings settings;
    repairTextSetting(settings, key("NS Host"), kDefaultNsHost, "Unable to Read Name Service Host!",
                      host);
    repairDwordSetting(settings, key("NS Port"), kDefaultNsPort,
                       "Unable to Read Name Service Port!", port);
    finishSettingsRead(settings);
    return true;
}

bool CServerRegistryStore::WriteNameService(const std::string& host, std::uint32_t port) {
    StoreSettings settings;
    writeTextSetting(settings, key("NS Host"), host);
    writeNumberSetting(settings, key("NS Port"), port);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadAudioHost(bool& enabled, std::string& commandName) {
    if (!mainKeyExists()) {
        CreateDefaults();
        enabled = false;
        commandName = kDefaultAudioCommand;
        return true;
    }
    StoreSettings settings;
    repairTextSetting(settings, key("Audio Host Command Name"), kDefaultAudioCommand,
                      "Unable to Audio Streaming Host Cmd Name!", commandName);
    std::uint8_t flag = enabled ? 1 : 0;
    if (repairByteSetting(settings, key("Audio Streaming Host"), 0,
                          "Unable to Read Audio Streaming Enable Flag!",
                          flag) != SettingStatus::Bad) {
        enabled = flag != 0;
    }
    finishSettingsRead(settings);
    return true;
}

bool CServerRegistryStore::WriteAudioHost(bool enabled, const std::string& commandName) {
    StoreSettings settings;
    writeTextSetting(settings, key("Audio Host Command Name"), commandName);
    writeNumberSetting(settings, key("Audio Streaming Host"), enabled ? 1 : 0);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadPAOption(bool& fitted) {
    if (!mainKeyExists()) {
        CreateDefaults();
        fitted = false;
        WritePAOption(false);
        return true;
    }
    StoreSettings settings;
    std::uint8_t option = 0;
    fitted =
        repairByteSetting(settings, key("PA Option"), 0, nullptr, option) != SettingStatus::Bad &&
        option != 0;
    finishSettingsRead(settings);
    return true;
}

bool CServerRegistryStore::WritePAOption(bool fitted) {
    StoreSettings settings;
    writeNumberSetting(settings, key("PA Option"), fitted ? 1 : 0);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadApplicationColor(std::uint32_t& color) {
    {
        const StoreSettings settings;
        const SettingRead<std::uint32_t> read =
            readDwordSetting(settings, key("Application Color"));
        if (read.ok()) {
            color = read.value;
            return true;
        }
    }
    color = kDefaultApplicationColor;
    WriteApplicationColor(kDefaultApplicationColor);
    return true;
}

bool CServerRegistryStore::WriteApplicationColor(std::uint32_t color) {
    StoreSettings settings;
    writeNumberSetting(settings, key("Application Color"), color);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadWindowRect(int& left, int& top, int& right, int& bottom) {
    StoreSettings settings;
    return readSettingRect(settings, kWindowRect, left, top, right, bottom);
}

bool CServerRegistryStore::WriteWindowRect(int left, int top, int right, int bottom) {
    StoreSettings settings;
    writeSettingRect(settings, kWindowRect, {left, top, right, bottom});
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadCommPort(std::uint8_t& port, std::uint16_t& speed,
                                        std::uint8_t& parity, std::uint8_t& stopBits) {
    {
        StoreSettings settings;
        if (settingGroupExists(settings, kCommPortGroup)) {
            settings.beginGroup(kCommPortGroup);
            if (const auto read = readByteSetting(settings, key("Port")); read.ok()) {
                port = read.value;
            }
            if (const auto read = readByteSetting(settings, key("Parity")); read.ok()) {
                parity = read.value;
            }
            if (const auto read = readByteSetting(settings, key("Stop bit")); read.ok()) {
                stopBits = read.value;
            }
            if (const auto read = readWordSetting(settings, key("Speed")); read.ok()) {
                speed = read.value;
            }
            settings.endGroup();
            return true;
        }
    }
    // A missing group is stored with port 1, but this start opens no port.
    CreateCommPortKey();
    port = 0;
    speed = kDefaultSpeed;
    parity = kDefaultParity;
    stopBits = kDefaultStopBits;
    return true;
}

bool CServerRegistryStore::WriteCommPort(std::uint8_t port, std::uint16_t speed,
                                         std::uint8_t parity, std::uint8_t stopBits) {
    StoreSettings settings;
    writeCommPort(settings, port, speed, parity, stopBits);
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadBandInfo(BandEdgeTable& bands) {
    {
        StoreSettings settings;
        if (settingGroupExists(settings, kBandInfoGroup)) {
            settings.beginGroup(kBandInfoGroup);
            for (int band = 0; band < kBandCount; ++band) {
                bands[band].label = kBands[band].label;
                bands[band].bandIndex = band;
                if (const auto read = readDwordSetting(settings, bandKey(band, "Low Band Edge"));
                    read.ok()) {
                    bands[band].lowEdge = read.value;
                }
                if (const auto read = readDwordSetting(settings, bandKey(band, "High Band Edge"));
                    read.ok()) {
                    bands[band].highEdge = read.value;
                }
            }
            settings.endGroup();
            return true;
        }
    }
    bands = DefaultBandInfo();
    if (!WriteBandInfo(bands)) {
        showError("Unable to Create Band Info Registry!");
    }
    return true;
}

bool CServerRegistryStore::WriteBandInfo(const BandEdgeTable& bands) {
    StoreSettings settings;
    settings.beginGroup(kBandInfoGroup);
    for (int band = 0; band < kBandCount; ++band) {
        writeNumberSetting(settings, bandKey(band, "Low Band Edge"), bands[band].lowEdge);
        writeNumberSetting(settings, bandKey(band, "High Band Edge"), bands[band].highEdge);
    }
    settings.endGroup();
    return syncSettings(settings);
}

bool CServerRegistryStore::ReadVFOFrequencies(VfoFrequencyTable& vfos) {
    {
        StoreSettings settings;
        if (settingGroupExists(settings, kVfoGroup)) {
            settings.beginGroup(kVfoGroup);
            for (int band = 0; band < kBandCount; ++band) {
                if (const auto read = readDwordSetting(settings, bandKey(band, "VFOA Freq"));
                    read.ok()) {
                    vfos[band][0] = read.value;
                }
                if (const auto read = readDwordSetting(settings, bandKey(band, "VFOB Freq"));
                    read.ok()) {
                    vfos[band][1] = read.value;
                }
            }
            settings.endGroup();
            return true;
        }
    }
    vfos = DefaultVFOFrequencies();
    if (!WriteVFOFrequencies(vfos)) {
        showError("Unable to Create VFO Freq Info Registry!");
    }
    return true;
}

bool CServerRegistryStore::WriteVFOFrequencies(const VfoFrequencyTable& vfos) {
    StoreSettings settings;
    settings.beginGroup(kVfoGroup);
    for (int band = 0; band < kBandCount; ++band) {
        writeNumberSetting(settings, bandKey(band, "VFOA Freq"), vfos[band][0]);
        writeNumberSetting(settings, bandKey(band, "VFOB Freq"), vfos[band][1]);
    }
    settings.endGroup();
    return syncSettings(settings);
}

}  // namespace brakton
