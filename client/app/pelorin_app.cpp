#include "client/app/pelorin_app.h"

#include <ace/Init_ACE.h>

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QPointer>
#include <QProcess>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "client/base/client_orb.h"
#include "client/base/radio_comm_proxy.h"
#include "client/base/registry_store.h"
#include "client/base/status_line.h"
#include "client/config/orvo_cfg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/transmit_memory_cfg_dlg.h"
#include "client/memory/k2_memory_cfg.h"
#include "client/memory/key_switch_panel_windows.h"
#include "client/memory/memory_commands.h"
#include "client/panel/hot_keys.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "client/panel/proxy_panel_remote.h"
#include "client/panel/splash_wnd.h"
#include "client/qso/qso_info_dlg.h"
#include "client/qso/qso_logging_dlg.h"
#include "client/qso/qso_logging_owner.h"
#include "controls/looks.h"
#include "platform/atomic_file.h"
#include "platform/message_service.h"
#include "platform/signal_pipe.h"
#include "platform/windows_path.h"

namespace {

constexpr std::uint32_t kDefaultApplicationColor = 0xDFB880;

// A stored colour is 0x00BBGGRR: red in the low byte.
QColor colorOf(std::uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

void startAudioHost(pelorin::CRegistryStore& store) {
    int enabled = 0;
    std::string command = "SpeakFre.exe";
    store.ReadAudioHost(enabled, command);
    if (enabled != 0 && !command.empty()) {
        // No shell and no waiting; a program that cannot start is no reason
        // to stop.
        QProcess::startDetached(QString::fromStdString(command), {});
    }
}

void applyApplicationColor(pelorin::CRegistryStore& store) {
    std::uint32_t color = kDefaultApplicationColor;
    store.ReadApplicationColor(color);
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, colorOf(color));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    QApplication::setPalette(palette);
}

void readOperatorInfo(pelorin::CRegistryStore& store) {
    // Only for its side effect: call sign, name and QTH land in the text
    // slots the CW macros read.
    std::string homeDir, callsign, name, qth, logFileName;
    std::uint8_t utcOffset = 0;
    std::uint8_t loggingMode = 0;
    store.ReadOperatorInfo(homeDir, callsign, name, qth, utcOffset, logFileName, loggingMode);
}

// The box of a client whose ORB cannot serve: it would never be called back.
std::string orbFailedBox(const std::string& failure) {
    return "Unable to start the ORB: " + failure +
           ". Brakton could never call Pelorin back; Pelorin exits.";
}

// False when the ORB cannot be set up (its line is written).
bool setUpOrb(pelorin::CRegistryStore& store, const std::vector<std::string>& args) {
    std::string host = kDefaultNamingHost;
    int port = kDefaultNamingPort;
    store.ReadNameService(host, port);
    return ClientOrb::initialise(host, port, args) && ClientOrb::startThread();
}

}  // namespace

void HideSplash() {
    splash::Hide();
}

std::unique_ptr<CK2MemoryCfg> CreateMemoryStore(pelorin::CRegistryStore& store) {
    std::string homeDir = "C:\\Orvo";
    store.ReadHomeDir(homeDir);
    auto memories = std::make_unique<CK2MemoryCfg>(localPathFromWindows(homeDir));
    for (const auto& message : memories->StartUpMessages()) {
        MessageService::showError(message);
    }
    return memories;
}

CPelorinApp::CPelorinApp(Exit exit) : m_exit(std::move(exit)) {
    if (!m_exit) {
        m_exit = [](int code) { std::_Exit(code); };
    }
}

CPelorinApp::~CPelorinApp() = default;

bool CPelorinApp::LockFolder(platform::FileLock& lock, const std::string& folder,
                             const char* inUse) {
    // A folder that cannot be made is the settings store's or the memory
    // store's to report; a lock that cannot be taken is said and the start-up
    // goes on, as a second Pelorin could not be kept out anyway.
    platform::makeFolders(folder);
    const std::string path = (std::filesystem::path(folder) / kLockFileName).string();
    const auto result = lock.lock(path);
    if (result == platform::FileLock::Result::Failed) {
        const std::string line = platform::unusableLockLine(path, lock.error());
        std::cerr << line << std::endl;
        m_lockLines.push_back(line);
    }
    if (result != platform::FileLock::Result::Held) {
        return true;
    }
    std::string text(inUse);
    text.replace(text.find("%s"), 2, folder);
    std::cerr << text << std::endl;
    MessageService::showError(text);
    m_exit(1);
    return false;
}

bool CPelorinApp::InitInstance(const std::vector<std::string>& args) {
    // Taken before any library could touch it: a Pelorin started under nohup
    // keeps SIGHUP ignored and outlives its terminal.
    const bool hangUpIgnored = platform::SignalPipe::isIgnored(SIGHUP);
    // Before any window: a held key is known from releases that any window
    // may get.
    m_heldKeys = std::make_unique<HeldKeyWatch>();
    looks::loadApplicationFonts();
    const std::string settingsFolder =
        std::filesystem::path(pelorin::CRegistryStore::SettingsFilePath()).parent_path().string();
    if (!LockFolder(m_settingsLock, settingsFolder, kSettingsInUse)) {
        return false;
    }
    m_store = std::make_unique<pelorin::CRegistryStore>();
    // Before the memory files or the log are touched; read without repairing,
    // so that a second Pelorin writes nothing, not even its own defaults.
    if (!LockFolder(m_homeLock, localPathFromWindows(m_store->StoredHomeDir()), kHomeInUse)) {
        return false;
    }
    m_memories = CreateMemoryStore(*m_store);
    ACE::init();
    startAudioHost(*m_store);
    applyApplicationColor(*m_store);
    readOperatorInfo(*m_store);
    // ORB_init here, on the main thread, before the ORB thread and the
    // panel's connect can use the ORB. A client that serves no callback
    // object says so and exits 1, whichever thread finds out.
    ClientOrb::setThreadFailureHandler([this](const std::string& name) {
        QMetaObject::invokeMethod(
            qApp,
            [this, name] {
                MessageService::showError(orbFailedBox(name));
                if (!m_exited) {
                    m_exited = true;
                    if (m_store) {
                        m_store->Sync();
                    }
                    m_exit(1);
                }
            },
            Qt::QueuedConnection);
    });
    if (!setUpOrb(*m_store, args)) {
        const std::string failure = ClientOrb::initFailure();
        MessageService::showError(orbFailedBox(failure.empty() ? "no ORB thread" : failure));
        return false;
    }

    m_proxy = std::make_unique<RadioCommProxy>();
    m_remote = std::make_unique<ProxyPanelRemote>(*m_proxy);
    m_keyboardCw = std::make_unique<KeyboardCwOwner>(*m_store);
    PanelEntryPoints entryPoints;
    entryPoints.hideSplash = &HideSplash;
    entryPoints.startSplash = [] { splash::Start(); };
    entryPoints.askServerAlive = [this](std::function<void(bool alive)> answer) {
        return m_proxy->askAlive(std::move(answer));
    };
    m_keyboardCw->fill(entryPoints);
    m_qsoLogging = std::make_unique<QsoLoggingOwner>(
        *m_store,
        [this](int style, pelorin::QsoEntryWindowLinks links) {
            return MakeQsoEntryWindow(style, *m_store, std::move(links), m_panel.get());
        },
        [this](QsoLoggingOwner::PostToLogger post) {
            return std::make_unique<pelorin::CQSOLoggingDlg>(
                *m_store, pelorin::LoggerLinks(std::move(post)), pelorin::StoreBandLookup(*m_store),
                nullptr, m_panel.get());
        });
    m_qsoLogging->fill(entryPoints);
    entryPoints.showConfigSheet = [this] {
        QPointer<CK2FrontPanelControlDlg> panel = m_panel.get();
        pelorin::COrvoCfg sheet(
            *m_store,
            [panel](int command, std::intptr_t param) {
                // Queued, as a posted message: the panel acts once the sheet's
                // Apply has returned.
                QMetaObject::invokeMethod(
                    panel.data(),
                    [panel, command, param] {
                        if (panel) {
                            panel->executeRemoteCmd(command, param);
                        }
                    },
                    Qt::QueuedConnection);
            },
            panel.data());
        sheet.addPage(new CTransmitMemoryCFGDlg(m_keyboardCw->memories()),
                      QString::fromLatin1(CTransmitMemoryCFGDlg::kTitle));
        sheet.exec();
    };
    m_panel = std::make_unique<CK2FrontPanelControlDlg>(*m_remote, *m_store, entryPoints);
    m_keyboardCw->setPanel(m_panel.get());
    m_qsoLogging->setPanel(m_panel.get());
    QObject::connect(m_panel.get(), &QDialog::accepted, [this] { ExitInstance(); });
    PanelCommandEntryPoints commands;
    m_memoryCommands = std::make_unique<MemoryCommands>(*m_memories, *m_store, *m_panel);
    m_memoryCommands->Install(commands);
    m_keySwitchPanel = std::make_unique<KeySwitchPanelWindows>(*m_store, *m_panel);
    m_keySwitchPanel->Install(commands);
    m_keyboardCw->fill(commands);
    m_qsoLogging->fill(commands);
    m_panel->SetCommandEntryPoints(commands);

    // A closed terminal or session (SIGHUP) ends Pelorin as SIGTERM does: the
    // log is saved, or rescued, before the process goes.
    std::vector<int> exitSignals{SIGTERM, SIGINT};
    if (!hangUpIgnored) {
        exitSignals.push_back(SIGHUP);
    }
    m_signals = std::make_unique<platform::SignalPipe>(
        [this](int) {
            if (m_panel) {
                m_panel->ExitWithoutQuestion();
            }
        },
        exitSignals);

    m_panel->OnInitDialog();
    if (!m_lockLines.empty()) {
        std::string text;
        for (const std::string& line : m_lockLines) {
            text += (text.empty() ? "" : "  ") + line;
        }
        m_panel->ShowStatus(kStatusError, text);
    }
    m_panel->show();
    return true;
}

void CPelorinApp::ExitInstance() {
    if (m_exited) {
        return;
    }
    m_exited = true;
    if (m_store) {
        m_store->Sync();
    }
    m_exit(0);
}

int runPelorin(const std::vector<std::string>& args, CPelorinApp::Exit exit) {
    CPelorinApp app(std::move(exit));
    if (!app.InitInstance(args)) {
        return 1;
    }
    QApplication::exec();
    app.ExitInstance();
    return 0;
}
