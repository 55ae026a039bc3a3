#include "server/server_registry_store.h"

#include "platform/message_service.h"
#include "platform/settings_value.h"

#include <QFileInfo>
#include <QSettings>
#include <QString>

CServerRegistryStore theRegistryStore;

namespace {

// One settings object per store call; QSettings objects are never shared between threads.
class StoreSettings : public QSettings {
  public:
    StoreSettings()
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                    QStringLiteral("Rig Control")) {}
};

const QString kWindowSizeGroup = QStringLiteral("Window Size");
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

constexpr int kDefaultLeft = 0;
constexpr int kDefaultTop = 0;
constexpr int kDefaultRight = 639;
constexpr int kDefaultBottom = 479;
constexpr int kMaxWindowExtent = 1000;

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
    const StoreSettings settings;
    return QFileInfo::exists(settings.fileName());
}

void showError(const char* text) {
    MessageService::showError(text);
}

// Reads one main-key text: a missing value is written back with its default, an unreadable one
// shows `message` and leaves `out` alone. False only for the unreadable case.
bool readText(QSettings& settings, const char* name, const char* defaultValue, const char* message,
              std::string& out) {
    const SettingRead<std::string> read = readTextSetting(settings, key(name));
    switch (read.status) {
        case SettingStatus::Ok:
            out = read.value;
            return true;
        case SettingStatus::Missing:
            writeTextSetting(settings, key(name), defaultValue);
            out = defaultValue;
            return true;
        case SettingStatus::Bad:
            break;
    }
    if (message != nullptr) {
        showError(message);
    }
    return false;
}

template <typename T>
bool readNumber(QSettings& settings, const char* name, T defaultValue, const char* message,
                T& out) {
    SettingRead<T> read;
    if constexpr (sizeof(T) == 1) {
        read = readByteSetting(settings, key(name));
    } else {
        read = readDwordSetting(settings, key(name));
    }
    switch (read.status) {
        case SettingStatus::Ok:
            out = read.value;
            return true;
        case SettingStatus::Missing:
            writeNumberSetting(settings, key(name), defaultValue);
            out = defaultValue;
            return true;
        case SettingStatus::Bad:
            break;
    }
    if (message != nullptr) {
        showError(message);
    }
    return false;
}

// Write-backs of missing values are best effort: the reader has its value either way.
void finishReading(QSettings& settings) {
    settings.sync();
}

bool oversized(int left, int top, int right, int bottom) {
    return bottom - top > kMaxWindowExtent || right - left > kMaxWindowExtent;
}

void writeWindowRect(QSettings& settings, int left, int top, int right, int bottom) {
    if (oversized(left, top, right, bottom)) {
        left = kDefaultLeft;
        top = kDefaultTop;
        right = kDefaultRight;
        bottom = kDefaultBottom;
    }
    settings.beginGroup(kWindowSizeGroup);
    writeNumberSetting(settings, QStringLiteral("Top Left"), packSettingCorner(left, top));
    writeNumberSetting(settings, QStringLiteral("Bottom Right"), packSettingCorner(right, bottom));
    settings.endGroup();
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
    writeWindowRect(settings, kDefaultLeft, kDefaultTop, kDefaultRight, kDefaultBottom);
    writeCommPort(settings, kDefaultPort, kDefaultSpeed, kDefaultParity, kDefaultStopBits);
    if (!syncSettings(settings)) {
        showError("Unable to Create Main Orvo Registry!");
    }
}

bool CServerRegistryStore::CreateWindowSizeKey() {
    if (!WriteWindowRect(kDefaultLeft, kDefaultTop, kDefaultRight, kDefaultBottom)) {
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
    if (!group.empty()) {
        settings.beginGroup(QString::fromStdString(group));
    }
    writeTextSetting(settings, QString::fromStdString(name), text);
    return syncSettings(settings);
}

bool CServerRegistryStore::WriteDword(const std::string& group, const std::string& name,
                                      std::uint32_t value) {
    StoreSettings settings;
    if (!group.empty()) {
        settings.beginGroup(QString::fromStdString(group));
    }
    writeNumberSetting(settings, QString::fromStdString(name), value);
    return syncSettings(settings);
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
    const bool read = readText(settings, "HomeDir", kDefaultHomeDir,
                               "Unable to Read Orvo Home Directory!", homeDir);
    finishReading(settings);
    return read;
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
    readText(settings, "HomeDir", kDefaultHomeDir, "Unable to Read Orvo Home Directory!", homeDir);
    readText(settings, "Callsign", kDefaultCallsign, "Unable to Read Operator Callsign!", callsign);
    readText(settings, "Name", kDefaultName, "Unable to Read Operator Name!", name);
    readText(settings, "QTH", kDefaultQth, "Unable to Read Operator QTH!", qth);
    readText(settings, "Log File Name", kDefaultLogFileName,
             "Unable to Read Software Log filename!", logFileName);
    readNumber(settings, "Offset from UTC", kDefaultUtcOffset, "Unable to Read Operator Timezone!",
               utcOffset);
    readNumber(settings, "SW Logging Mode", kDefaultLoggingMode,
               "Unable to Read Software Logging Mode!", loggingMode);
    finishReading(settings);
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
    readNumber(settings, "SW Logging Mode", kDefaultLoggingMode,
               "Unable to Read Software Logging Mode!", loggingMode);
    finishReading(settings);
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
    readText(settings, "NS Host", kDefaultNsHost, "Unable to Read Name Service Host!", host);
    readNumber(settings, "NS Port", kDefaultNsPort, "Unable to Read Name Service Port!", port);
    finishReading(settings);
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
    readText(settings, "Audio Host Command Name", kDefaultAudioCommand,
             "Unable to Audio Streaming Host Cmd Name!", commandName);
    std::uint8_t flag = enabled ? 1 : 0;
    if (readNumber(settings, "Audio Streaming Host", std::uint8_t{0},
                   "Unable to Read Audio Streaming Enable Flag!", flag)) {
        enabled = flag != 0;
    }
    finishReading(settings);
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
    fitted = readNumber(settings, "PA Option", std::uint8_t{0}, nullptr, option) && option != 0;
    finishReading(settings);
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
    if (!settingGroupExists(settings, kWindowSizeGroup)) {
        left = kDefaultLeft;
        top = kDefaultTop;
        right = kDefaultRight;
        bottom = kDefaultBottom;
        return true;
    }
    settings.beginGroup(kWindowSizeGroup);
    const SettingRead<std::uint32_t> topLeft = readDwordSetting(settings, key("Top Left"));
    const SettingRead<std::uint32_t> bottomRight = readDwordSetting(settings, key("Bottom Right"));
    settings.endGroup();

    // A corner that cannot be read counts as 0 for both of its coordinates.
    const std::uint32_t tl = topLeft.ok() ? topLeft.value : 0;
    const std::uint32_t br = bottomRight.ok() ? bottomRight.value : 0;
    left = settingCornerX(tl);
    top = settingCornerY(tl);
    right = settingCornerX(br);
    bottom = settingCornerY(br);
    if (oversized(left, top, right, bottom)) {
        left = kDefaultLeft;
        top = kDefaultTop;
        right = kDefaultRight;
        bottom = kDefaultBottom;
    }
    return bottomRight.ok();
}

bool CServerRegistryStore::WriteWindowRect(int left, int top, int right, int bottom) {
    StoreSettings settings;
    writeWindowRect(settings, left, top, right, bottom);
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
