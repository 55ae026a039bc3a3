#include "tests/integration/brakton_chain.h"

#include <QSettings>
#include <QString>

#include "platform/settings_value.h"
#include "tests/integration/brakton_fixture.h"

namespace {

using namespace std::chrono_literals;

// Brakton's band table as it stores it: value-name prefix, edges and the
// VFO frequency of each band, 10 m to 160 m.
struct StoredBand {
    const char* name;
    std::uint32_t low;
    std::uint32_t high;
    std::uint32_t vfo;
};

constexpr StoredBand kStoredBands[] = {
    {"10M", 28000000, BraktonChain::k10mHighEdge, 28060000},
    {"12M", 24890000, 24990000, 24906000},
    {"15M", 21000000, 21450000, 21060000},
    {"17M", 18068000, 18168000, 18069000},
    {"20M", 14000000, 14350000, 14060000},
    {"30M", 10000000, 10150000, 10106000},
    {"40M", 7000000, 7300000, 7040000},
    {"80M", 3500000, 4000000, 3560000},
    {"160M", 1800000, 2000000, 1810000},
};

// Brakton's settings file in `configDir` (its XDG_CONFIG_HOME): the naming
// service, the radio on com1 and the band table; every other value Brakton
// writes back with its default on the first read. Written with an explicit
// file name, so this process's settings path stays the client's.
bool writeBraktonSettings(const std::filesystem::path& configDir, const NamingService& naming,
                          int commPort) {
    const auto file = configDir / "N0CALL Software" / "Rig Control.ini";
    QSettings settings(QString::fromStdString(file.string()), QSettings::IniFormat);
    writeTextSetting(settings, QStringLiteral("NS Host"), naming.host());
    writeNumberSetting(settings, QStringLiteral("NS Port"),
                       static_cast<std::uint32_t>(naming.port()));
    settings.beginGroup(QStringLiteral("Comm Port"));
    writeNumberSetting(settings, QStringLiteral("Port"), static_cast<std::uint32_t>(commPort));
    writeNumberSetting(settings, QStringLiteral("Stop bit"), 1);
    writeNumberSetting(settings, QStringLiteral("Parity"), 0);
    writeNumberSetting(settings, QStringLiteral("Speed"), 4800);
    settings.endGroup();
    const auto name = [](const StoredBand& band, const char* suffix) {
        return QString::fromLatin1(band.name) + QLatin1Char(' ') + QString::fromLatin1(suffix);
    };
    settings.beginGroup(QStringLiteral("HAM Band Info"));
    for (const auto& band : kStoredBands) {
        writeNumberSetting(settings, name(band, "Low Band Edge"), band.low);
        writeNumberSetting(settings, name(band, "High Band Edge"), band.high);
    }
    settings.endGroup();
    settings.beginGroup(QStringLiteral("VFO Frequencies"));
    for (const auto& band : kStoredBands) {
        const bool tenMetres = &band == &kStoredBands[0];
        writeNumberSetting(settings, name(band, "VFOA Freq"),
                           tenMetres ? BraktonChain::k10mVfoA : band.vfo);
        writeNumberSetting(settings, name(band, "VFOB Freq"), band.vfo);
    }
    settings.endGroup();
    return syncSettings(settings);
}

// How often omniNames has recorded a binding of `name`. With no ORB of its
// own this process reads the naming service's data file, where each bind and
// rebind is written as it happens.
std::size_t namingBindings(const NamingService& naming, const std::string& name) {
    std::size_t count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(naming.dataDir(), error)) {
        if (entry.path().extension() != ".dat") {
            continue;
        }
        const std::string text = readFile(entry.path());
        for (std::size_t at = text.find(" " + name + " "); at != std::string::npos;
             at = text.find(" " + name + " ", at + 1)) {
            ++count;
        }
    }
    return count;
}

bool waitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& check) {
    const auto deadline = e2e::Clock::now() + timeout;
    while (!check()) {
        if (e2e::Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

}  // namespace

BraktonChain::BraktonChain(double timeScale)
    : m_rig(std::make_unique<e2e::BraktonRig>()), m_timeScale(timeScale) {}

BraktonChain::~BraktonChain() = default;

bool BraktonChain::start(int commPort) {
    if (!m_rig->startNaming() || !m_rig->startRadio(true, m_timeScale)) {
        m_error = m_rig->error();
        return false;
    }
    if (commPort > 1) {
        // The port's link names a device that is not there.
        std::error_code error;
        std::filesystem::create_symlink(m_rig->dir() / "no-such-device",
                                        m_rig->serialDir() / ("com" + std::to_string(commPort)),
                                        error);
    }
    if (!writeBraktonSettings(m_rig->dir() / "config", m_rig->naming(), commPort)) {
        m_error = "cannot write Brakton's settings";
        return false;
    }
    if (!m_rig->startBrakton()) {
        m_error = m_rig->error();
        return false;
    }
    if (!waitUntil(20s, [&] { return namingBindings(m_rig->naming(), "RadioComm") > 0; })) {
        m_error = "RadioComm never bound; Brakton's stderr: " + m_rig->braktonStderr();
        return false;
    }
    // The radio is open once the auto-info mode is set; what follows is the
    // client's doing.
    if (commPort == 1 && !m_rig->radio().waitForCommand("AI3", 10s).has_value()) {
        m_error = "Brakton never set up the radio";
        return false;
    }
    return true;
}

bool BraktonChain::restartBrakton() {
    m_rig->brakton().stop();
    const std::size_t bindings = namingBindings(m_rig->naming(), "RadioComm");
    const std::size_t from = m_rig->radio().commandCount();
    if (!m_rig->startBrakton()) {
        m_error = m_rig->error();
        return false;
    }
    if (!waitUntil(20s, [&] { return namingBindings(m_rig->naming(), "RadioComm") > bindings; })) {
        m_error = "RadioComm never bound again; Brakton's stderr: " + m_rig->braktonStderr();
        return false;
    }
    if (!m_rig->radio().waitForCommand("AI3", 10s, from).has_value()) {
        m_error = "Brakton never set up the radio again";
        return false;
    }
    return true;
}

NamingService& BraktonChain::namingService() {
    return m_rig->naming();
}

const std::filesystem::path& BraktonChain::dir() const {
    return m_rig->dir();
}

const NamingService& BraktonChain::naming() const {
    return m_rig->naming();
}

sim::K2Simulator& BraktonChain::radio() {
    return m_rig->radio();
}

ChildProcess& BraktonChain::brakton() {
    return m_rig->brakton();
}

std::string BraktonChain::braktonStderr() const {
    return m_rig->braktonStderr();
}
