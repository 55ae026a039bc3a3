#pragma once

// Pelorin's start-up and end: the application object's work.
//
// main() makes the QApplication and hands over to runPelorin(). InitInstance
// builds the program in its fixed order (the watch of held keys, which sees
// every key before any window does, fonts, the settings folder's lock,
// settings store, the home folder's lock, memory store, ACE, audio host,
// application colour, operator data, ORB, front panel shown modeless); when the panel is accepted
// (the exit), ExitInstance syncs the settings and ends the process with code 0 while the ORB thread
// still runs. SIGTERM, SIGINT and SIGHUP run the panel's exit from the QSO step on, without the
// question; SIGHUP stays ignored when Pelorin was started with it ignored (nohup).
//
// One Pelorin per settings folder and per home folder: each holds an
// exclusive lock on "Pelorin.lock" in both for as long as it runs. A second
// one finds a lock held, says so and ends with code 1 before it has read or
// written anything of the other's. A lock that cannot be taken for another
// reason (a folder under its name, no access) is said on standard error and,
// once the panel shows, on its status line; the start-up goes on. Brakton
// shares the settings folder and takes neither lock.
//
// Tests run InitInstance in their own process with an injected exit instead
// of std::_Exit. GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_lock.h"

class CK2FrontPanelControlDlg;
class CK2MemoryCfg;
class HeldKeyWatch;
class KeySwitchPanelWindows;
class MemoryCommands;
class KeyboardCwOwner;
class QsoLoggingOwner;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin
class ProxyPanelRemote;
class RadioCommProxy;

namespace platform {
class SignalPipe;
}

// Takes the splash screen away; the panel calls it on the first server
// notice. The splash screen's own work fills it in.
void HideSplash();

// Builds the radio-memory store in the settings' home folder, once the
// settings store exists, and shows what its start-up has to tell.
std::unique_ptr<CK2MemoryCfg> CreateMemoryStore(pelorin::CRegistryStore& store);

class CPelorinApp {
  public:
    using Exit = std::function<void(int code)>;

    // `exit` ends the process; std::_Exit unless a test gives its own.
    explicit CPelorinApp(Exit exit = {});
    ~CPelorinApp();
    CPelorinApp(const CPelorinApp&) = delete;
    CPelorinApp& operator=(const CPelorinApp&) = delete;

    // The start-up, after the QApplication exists. `args` are the program's
    // arguments, program name first (ORB options among them reach the ORB).
    // Leaves the panel shown. When another Pelorin holds the settings or the
    // home folder, shows whose folder it is, calls the exit with 1 and
    // answers false; false too when the panel could not be built.
    bool InitInstance(const std::vector<std::string>& args);

    // Syncs the settings and calls the exit with 0. Runs when the panel is
    // accepted; runs once.
    void ExitInstance();

    CK2FrontPanelControlDlg* panel() const { return m_panel.get(); }
    pelorin::CRegistryStore& store() const { return *m_store; }
    RadioCommProxy& proxy() const { return *m_proxy; }
    CK2MemoryCfg& memories() const { return *m_memories; }
    KeyboardCwOwner& keyboardCw() const { return *m_keyboardCw; }
    QsoLoggingOwner& qsoLogging() const { return *m_qsoLogging; }

    // The texts a second Pelorin shows; %s is the folder.
    static constexpr const char* kSettingsInUse =
        "Pelorin is already running with the settings in %s.";
    static constexpr const char* kHomeInUse = "Pelorin is already running with its files in %s.";
    // The lock file's name in both folders.
    static constexpr const char* kLockFileName = "Pelorin.lock";

  private:
    // Takes the lock in `folder` (made when missing). False, after the
    // message and the exit, when another Pelorin holds it; a lock that
    // cannot be taken for any other reason is said and does not stop the
    // start-up.
    bool LockFolder(platform::FileLock& lock, const std::string& folder, const char* inUse);

    Exit m_exit;
    bool m_exited = false;
    // First, so that they are let go last.
    platform::FileLock m_settingsLock;
    platform::FileLock m_homeLock;
    // The lines said of locks that could not be taken, for the status line.
    std::vector<std::string> m_lockLines;
    // Every key release, for the rule of a held hot key; outlives the windows.
    std::unique_ptr<HeldKeyWatch> m_heldKeys;
    std::unique_ptr<pelorin::CRegistryStore> m_store;
    std::unique_ptr<CK2MemoryCfg> m_memories;
    std::unique_ptr<RadioCommProxy> m_proxy;
    std::unique_ptr<ProxyPanelRemote> m_remote;
    // Declared before the panel, which its windows belong to: the panel goes
    // first and takes them with it. The QSO windows are top-level: they go
    // with the QSO owner, after the panel.
    std::unique_ptr<KeyboardCwOwner> m_keyboardCw;
    std::unique_ptr<QsoLoggingOwner> m_qsoLogging;
    std::unique_ptr<CK2FrontPanelControlDlg> m_panel;
    std::unique_ptr<MemoryCommands> m_memoryCommands;
    std::unique_ptr<KeySwitchPanelWindows> m_keySwitchPanel;
    std::unique_ptr<platform::SignalPipe> m_signals;
};

// main()'s body after the QApplication: InitInstance, the event loop, then
// ExitInstance. Returns only when `exit` returns.
int runPelorin(const std::vector<std::string>& args, CPelorinApp::Exit exit = {});
