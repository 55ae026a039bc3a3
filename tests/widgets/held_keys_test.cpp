// A held hot key acts once, in every window whose key filter asks the rule:
// the front panel, the keyboard-CW window, the memory-key panel, a QSO entry
// window and the QSO log window, on a fake server, real settings and the
// real windows, with the program's watch of held keys installed. The keys
// come as X11 sends them: a press, then for each auto-repeat a release and a
// press with one server timestamp, which Qt may or may not have flagged as
// a repeat (on a busy machine it misses most), then the release. Two real
// presses stay two actions, typing keeps its repeat, and a held Space clicks
// a focused button once.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/base/notify_messages.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/memory_key_store.h"
#include "client/cw/transmit_memory_key_display.h"
#include "client/memory/key_switch_emulation_panel1_dlg.h"
#include "client/memory/key_switch_emulation_panel_main_page_dlg.h"
#include "client/memory/key_switch_target.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/hot_keys.h"
#include "client/qso/qso_info_dlg.h"
#include "client/qso/qso_logging_dlg.h"
#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "cw_panel_fixture.h"
#include "tests/support/row_names.h"

namespace {

// --- Key events as the platform delivers them ------------------------------------------------

// The key a sequence holds; its text goes with its own events only.
struct HeldKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

struct KeyEventSpec {
    QEvent::Type type;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    std::uint64_t timestamp;
    bool flagged;
};
using KeySequence = std::vector<KeyEventSpec>;

KeyEventSpec press(const HeldKey& k, std::uint64_t timestamp, bool flagged = false) {
    return {QEvent::KeyPress, k.key, k.modifiers, k.text, timestamp, flagged};
}

KeyEventSpec release(const HeldKey& k, std::uint64_t timestamp, bool flagged = false) {
    return {QEvent::KeyRelease, k.key, k.modifiers, k.text, timestamp, flagged};
}

// A press at 100 ms, the first auto-repeat at 600 ms and one every 33 ms,
// each a release and a press at one server time, and the release at 900 ms
// with no press after it; `flagged` says which repeats Qt caught.
KeySequence x11Hold(const HeldKey& k, const std::function<bool(int repeat)>& flagged) {
    KeySequence events{press(k, 100)};
    int repeat = 0;
    for (std::uint64_t t = 600; t < 900; t += 33, ++repeat) {
        events.push_back(release(k, t, flagged(repeat)));
        events.push_back(press(k, t, flagged(repeat)));
    }
    events.push_back(release(k, 900));
    return events;
}

void send(QWidget* target, const KeySequence& events) {
    for (const KeyEventSpec& e : events) {
        QKeyEvent event(e.type, e.key, e.modifiers, e.text, e.flagged);
        event.setTimestamp(e.timestamp);
        QApplication::sendEvent(target, &event);
    }
}

struct Hold {
    const char* name;
    KeySequence (*events)(const HeldKey& key);
    int actions;
};
ROW_NAME(Hold, row.name);

const Hold kPressedOnce{"PressedOnce",
                        [](const HeldKey& k) -> KeySequence {
                            return {press(k, 100), release(k, 250)};
                        },
                        1};
const Hold kHeldOnX11{"HeldOnX11",
                      [](const HeldKey& k) { return x11Hold(k, [](int) { return false; }); }, 1};
const Hold kHeldOnX11SomeFlagged{
    "HeldOnX11SomeFlagged",
    [](const HeldKey& k) { return x11Hold(k, [](int repeat) { return repeat % 3 == 1; }); }, 1};
// A platform without timestamps, where Qt's flag is all there is.
const Hold kHeldFlaggedWithoutTimestamps{"HeldFlaggedWithoutTimestamps",
                                         [](const HeldKey& k) {
                                             KeySequence events{press(k, 0)};
                                             for (int i = 0; i < 9; ++i) {
                                                 events.push_back(release(k, 0, true));
                                                 events.push_back(press(k, 0, true));
                                             }
                                             events.push_back(release(k, 0));
                                             return events;
                                         },
                                         1};
// A quick double press: the key is up for 120 ms.
const Hold kPressedTwice{
    "PressedTwice",
    [](const HeldKey& k) -> KeySequence {
        return {press(k, 100), release(k, 600), press(k, 720), release(k, 900)};
    },
    2};
// The key's release went to another program.
const Hold kReleaseNotSeen{"ReleaseNotSeen",
                           [](const HeldKey& k) -> KeySequence {
                               return {press(k, 100), press(k, 2000), release(k, 2100)};
                           },
                           2};
// Alt+L held, Alt let go while L goes on repeating.
const Hold kAltLetGoFirst{"AltLetGoFirst",
                          [](const HeldKey& k) -> KeySequence {
                              const HeldKey alone{k.key, Qt::NoModifier, k.text};
                              const HeldKey alt{Qt::Key_Alt, k.modifiers, {}};
                              return {press(k, 100),       release(k, 600),    press(k, 600),
                                      release(k, 633),     press(k, 633),      release(alt, 650),
                                      release(alone, 666), press(alone, 666),  release(alone, 700),
                                      press(alone, 700),   release(alone, 900)};
                          },
                          1};

// Every key may be held in these ways.
const Hold* const kEveryKeyHolds[] = {&kHeldOnX11};
// The keys that stand for a kind (F1 for the function keys) also in these.
const Hold* const kKindHolds[] = {&kPressedOnce, &kHeldOnX11SomeFlagged,
                                  &kHeldFlaggedWithoutTimestamps, &kPressedTwice};

// --- The windows and what their keys do ------------------------------------------------------

enum class Window { Panel, CwWindow, MemoryKeyPanel, QsoEntryWindow, QsoLogWindow };

class HeldKeys : public CwPanelFixture {
  public:
    // The panel, connected, with the keyboard-CW window open and every
    // memory set to "M1" ... "M11"; every command it may give is counted.
    CCWTransmitDlg& openCwWindow() {
        m_owner = std::make_unique<KeyboardCwOwner>(m_store);
        PanelEntryPoints entry;
        m_owner->fill(entry);
        const auto close = entry.closeKeyboardCw;
        entry.closeKeyboardCw = [this, close] {
            did("CW window");
            close();
        };
        m_panel = std::make_unique<CK2FrontPanelControlDlg>(m_remote, m_store, entry);
        m_owner->setPanel(m_panel.get());
        PanelCommandEntryPoints commands;
        m_owner->fill(commands);
        const auto open = commands.openKeyboardCw;
        commands.openKeyboardCw = [this, open] {
            did("CW window");
            open();
        };
        commands.saveStackRegister = [this] { did("save register"); };
        commands.recallStackRegister = [this] { did("recall register"); };
        commands.saveMemory = [this] { did("save memory"); };
        commands.recallMemory = [this] { did("recall memory"); };
        commands.startQsoLogging = [this] { did("QSO logging"); };
        m_panel->SetCommandEntryPoints(commands);
        m_panel->OnInitDialog();
        notice(SERVER_STATUS_CONNECTED);
        m_panel->show();
        m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
        CCWTransmitDlg& window = *m_owner->window();
        window.FinishSlide();
        for (int i = 0; i < 11; ++i) {
            m_owner->memories().write(i, "M" + std::to_string(i + 1));
        }
        QObject::connect(&m_owner->memories(), &MemoryKeyStore::changed, &window,
                         [this](int, const std::string&) { did("store memory"); });
        QCoreApplication::processEvents();
        m_remote.m_calls.clear();
        m_actions.clear();
        return window;
    }

    CTransmitMemoryKeyDisplay& openMemoryPanel() {
        CCWTransmitDlg& window = openCwWindow();
        window.OnDefineMemoryKeys();
        window.memoryPanel()->FinishSlide();
        QCoreApplication::processEvents();
        return *window.memoryPanel();
    }

    // The memory-key panel with drafts in F2 and F5, each of which one Enter
    // stores.
    CTransmitMemoryKeyDisplay& openMemoryPanelWithTwoDrafts() {
        CTransmitMemoryKeyDisplay& panel = openMemoryPanel();
        panel.editButton(4)->click();
        panel.editButton(1)->click();
        QTest::keyClicks(panel.edit(4), "FIVE");
        QTest::keyClicks(panel.edit(1), "TWO");
        m_actions.clear();
        return panel;
    }

    CQSOInfoDlg& openQsoWindow() {
        pelorin::QsoEntryWindowLinks links;
        links.logIt = [this](const pelorin::QSO_LOG_ENTRY&) { did("log it"); };
        links.executeRemoteCmd = [this](int cmd, long param) { didRemote(cmd, param); };
        m_qso = std::make_unique<CQSOInfoDlg>(m_store, links);
        m_qso->callEdit()->setText(QStringLiteral("N0CALL"));
        return *m_qso;
    }

    // The key-switch panel, its keys sent to the panel's command 15.
    CKeySwitchEmulationPanelMainPageDlg& openKeySwitchPanel() {
        m_keySwitchTarget = std::make_unique<Target>(*this);
        m_keySwitch = std::make_unique<CKeySwitchEmulationPanelMainPageDlg>(m_keySwitchTarget.get(),
                                                                            m_store, nullptr);
        return *m_keySwitch;
    }

    pelorin::CQSOLoggingDlg& openLogWindow() {
        pelorin::QsoLogWindowLinks links;
        links.executeRemoteCmd = [this](int cmd, long param) { didRemote(cmd, param); };
        m_log = std::make_unique<pelorin::CQSOLoggingDlg>(m_store, links,
                                                          pelorin::StoreBandLookup(m_store));
        return *m_log;
    }

    // The widget a key of `window` goes to, the window opened.
    QWidget* target(Window window, Qt::Key key) {
        switch (window) {
            case Window::Panel:
                openCwWindow();
                return m_panel->control(front_panel::IDC_CW_WINDOW);
            case Window::CwWindow:
                return openCwWindow().typeInLine();
            case Window::MemoryKeyPanel:
                return key == Qt::Key_Return ? openMemoryPanelWithTwoDrafts().edit(1)
                                             : openMemoryPanel().edit(0);
            case Window::QsoEntryWindow:
                return openQsoWindow().callEdit();
            case Window::QsoLogWindow:
                return openLogWindow().entryList();
        }
        return nullptr;
    }

    // Everything the keys did, sorted: the server's keyboard-CW calls, the
    // panel's commands, the exit's questions and the QSO windows' requests.
    std::vector<std::string> actions() const {
        std::vector<std::string> all = m_actions;
        for (const std::string& call : m_remote.m_calls) {
            if (call == "KeyboardCW" || call == "AbortKeyboardCW") {
                all.push_back(call);
            }
        }
        for (const std::string& line : messages()) {
            if (line.rfind("question\t", 0) == 0) {
                all.push_back("exit question");
            }
        }
        std::sort(all.begin(), all.end());
        return all;
    }

    CK2FrontPanelControlDlg& panel() { return *m_panel; }

  protected:
    void SetUp() override {
        CwPanelFixture::SetUp();
        m_watch = std::make_unique<HeldKeyWatch>();
    }

    void TearDown() override {
        m_keySwitch.reset();
        m_keySwitchTarget.reset();
        m_qso.reset();
        m_log.reset();
        CwPanelFixture::TearDown();
        m_watch.reset();
    }

    void did(const std::string& action) { m_actions.push_back(action); }
    void didRemote(int cmd, long param) {
        did("remote " + std::to_string(cmd) + " " + std::to_string(param));
    }

    class Target : public KeySwitchTarget {
      public:
        explicit Target(HeldKeys& fixture) : m_fixture(fixture) {}
        QObject* Object() override { return &m_object; }
        void executeRemoteCmd(int command, std::intptr_t param) override {
            m_fixture.didRemote(command, static_cast<long>(param));
        }
        void RequestFrequencyScan(std::int32_t, std::int32_t) override {}

      private:
        HeldKeys& m_fixture;
        QObject m_object;
    };

    std::unique_ptr<HeldKeyWatch> m_watch;
    std::unique_ptr<Target> m_keySwitchTarget;
    std::unique_ptr<CKeySwitchEmulationPanelMainPageDlg> m_keySwitch;
    std::unique_ptr<CQSOInfoDlg> m_qso;
    std::unique_ptr<pelorin::CQSOLoggingDlg> m_log;
    std::vector<std::string> m_actions;
};

// --- The hot keys of every window ------------------------------------------------------------

struct KeyRow {
    std::string name;
    Window window;
    HeldKey key;
    std::string action;
    // F1 stands for F2-F11, Esc for itself: held in every way. The others
    // show that they ask the rule at all.
    bool standsForItsKind;
};

std::vector<KeyRow> hotKeyRows() {
    struct WindowKeys {
        const char* name;
        Window window;
        bool keysTheRadio;  // its memory keys and Esc reach the keyboard-CW window directly
        bool registers;     // Alt+F1-F4
        const char* altL;
        const char* altT;
        const char* altX;
        const char* enter;
    };
    const WindowKeys windows[] = {
        {"Panel", Window::Panel, true, true, "QSO logging", "CW window", "exit question", nullptr},
        {"CwWindow", Window::CwWindow, true, true, nullptr, "CW window", "exit question", nullptr},
        {"MemoryKeyPanel", Window::MemoryKeyPanel, true, true, nullptr, nullptr, nullptr,
         "store memory"},
        {"QsoEntryWindow", Window::QsoEntryWindow, false, false, "log it", nullptr, "remote 9 0",
         nullptr},
        {"QsoLogWindow", Window::QsoLogWindow, false, false, nullptr, nullptr, "remote 9 0",
         nullptr},
    };
    const char* const registerActions[] = {"save register", "recall register", "save memory",
                                           "recall memory"};
    std::vector<KeyRow> rows;
    for (const WindowKeys& w : windows) {
        const auto memoryKey = [&](int index) {
            return w.keysTheRadio ? std::string("KeyboardCW")
                                  : "remote 10 " + std::to_string(index);
        };
        const auto add = [&](const std::string& keyName, Qt::Key key, Qt::KeyboardModifiers mods,
                             const std::string& action, bool kind) {
            rows.push_back({w.name + keyName, w.window, {key, mods, {}}, action, kind});
        };
        for (int n = 1; n <= 11; ++n) {
            add("F" + std::to_string(n), static_cast<Qt::Key>(Qt::Key_F1 + n - 1), Qt::NoModifier,
                memoryKey(n - 1), n == 1);
        }
        add("Esc", Qt::Key_Escape, Qt::NoModifier,
            w.keysTheRadio ? "AbortKeyboardCW" : "remote 10 27", true);
        if (w.registers) {
            for (int n = 1; n <= 4; ++n) {
                add("AltF" + std::to_string(n), static_cast<Qt::Key>(Qt::Key_F1 + n - 1),
                    Qt::AltModifier, registerActions[n - 1], true);
            }
            add("AltF10", Qt::Key_F10, Qt::AltModifier, memoryKey(9), true);
        }
        if (w.altL != nullptr) {
            add("AltL", Qt::Key_L, Qt::AltModifier, w.altL, true);
        }
        if (w.altT != nullptr) {
            add("AltT", Qt::Key_T, Qt::AltModifier, w.altT, true);
        }
        if (w.altX != nullptr) {
            add("AltX", Qt::Key_X, Qt::AltModifier, w.altX, true);
        }
        if (w.enter != nullptr) {
            add("Enter", Qt::Key_Return, Qt::NoModifier, w.enter, true);
        }
    }
    return rows;
}

struct HeldRun {
    KeyRow row;
    const Hold* hold;
};
ROW_NAME(HeldRun, row.row.name + row.hold->name);

std::vector<HeldRun> heldRuns() {
    std::vector<HeldRun> runs;
    for (const KeyRow& row : hotKeyRows()) {
        for (const Hold* hold : kEveryKeyHolds) {
            runs.push_back({row, hold});
        }
        if (!row.standsForItsKind) {
            continue;
        }
        for (const Hold* hold : kKindHolds) {
            runs.push_back({row, hold});
        }
        const Qt::Key key = row.key.key;
        if (row.key.modifiers == Qt::NoModifier && (key == Qt::Key_F1 || key == Qt::Key_Escape)) {
            runs.push_back({row, &kReleaseNotSeen});
        }
        if (row.key.modifiers == Qt::AltModifier && key >= Qt::Key_A && key <= Qt::Key_Z) {
            runs.push_back({row, &kAltLetGoFirst});
        }
    }
    return runs;
}

class HeldHotKeys : public HeldKeys, public ::testing::WithParamInterface<HeldRun> {};

TEST_P(HeldHotKeys, ActOncePerRealPress) {
    const HeldRun& run = GetParam();
    QWidget* target = this->target(run.row.window, run.row.key.key);
    ASSERT_NE(target, nullptr);
    send(target, run.hold->events(run.row.key));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(actions(), std::vector<std::string>(static_cast<std::size_t>(run.hold->actions),
                                                  run.row.action));
}

INSTANTIATE_TEST_SUITE_P(Keys, HeldHotKeys, ::testing::ValuesIn(heldRuns()), CaseName());

// --- Typing and buttons ----------------------------------------------------------------------

class HeldLetter : public HeldKeys, public ::testing::WithParamInterface<const Hold*> {};

TEST_P(HeldLetter, TypesEveryRepeatInTheTypeInLine) {
    CTransmitMsgEdit* line = openCwWindow().typeInLine();
    const KeySequence events = GetParam()->events({Qt::Key_A, Qt::NoModifier, QStringLiteral("A")});
    send(line, events);
    const auto presses = std::count_if(events.begin(), events.end(), [](const KeyEventSpec& e) {
        return e.type == QEvent::KeyPress;
    });
    EXPECT_EQ(line->text(), QString(static_cast<int>(presses), QLatin1Char('A')));
}

INSTANTIATE_TEST_SUITE_P(Holds, HeldLetter,
                         ::testing::Values(&kHeldOnX11, &kHeldOnX11SomeFlagged,
                                           &kHeldFlaggedWithoutTimestamps),
                         [](const ::testing::TestParamInfo<const Hold*>& hold) {
                             return rowName(*hold.param);
                         });

// A focused button that a held key would click again and again.
struct ButtonRow {
    const char* name;
    Qt::Key key;
    std::function<QWidget*(HeldKeys&)> open;
    const char* action;
};
ROW_NAME(ButtonRow, row.name);

const ButtonRow kButtons[] = {
    // Log It keeps the focus after a click with the mouse.
    {"LogItSpace", Qt::Key_Space,
     [](HeldKeys& f) -> QWidget* { return f.openQsoWindow().logItButton(); }, "log it"},
    {"CwWindowAbortSpace", Qt::Key_Space,
     [](HeldKeys& f) -> QWidget* { return f.openCwWindow().abortButton(); }, "AbortKeyboardCW"},
    // Each click presses the radio's own key.
    {"KeySwitchBandUpSpace", Qt::Key_Space,
     [](HeldKeys& f) -> QWidget* { return f.openKeySwitchPanel().basicPage()->button(1261); },
     "remote 15 1"},
};

struct ButtonRun {
    ButtonRow row;
    const Hold* hold;
};
ROW_NAME(ButtonRun, std::string(row.row.name) + row.hold->name);

std::vector<ButtonRun> buttonRuns() {
    std::vector<ButtonRun> runs;
    for (const ButtonRow& row : kButtons) {
        for (const Hold* hold : {&kPressedOnce, &kHeldOnX11, &kHeldOnX11SomeFlagged,
                                 &kHeldFlaggedWithoutTimestamps, &kPressedTwice}) {
            runs.push_back({row, hold});
        }
    }
    return runs;
}

class HeldButtonKey : public HeldKeys, public ::testing::WithParamInterface<ButtonRun> {};

TEST_P(HeldButtonKey, ClicksAFocusedButtonOncePerRealPress) {
    const ButtonRun& run = GetParam();
    QWidget* button = run.row.open(*this);
    ASSERT_NE(button, nullptr);
    send(button, run.hold->events({run.row.key, Qt::NoModifier, {}}));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(actions(), std::vector<std::string>(static_cast<std::size_t>(run.hold->actions),
                                                  run.row.action));
}

INSTANTIATE_TEST_SUITE_P(Buttons, HeldButtonKey, ::testing::ValuesIn(buttonRuns()), CaseName());

}  // namespace
