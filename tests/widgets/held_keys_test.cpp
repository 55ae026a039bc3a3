// A held hot key acts once, in every window that has hot keys: the keyboard-CW
// window, the memory-key panel, the front panel and a QSO entry window, on a
// fake server, real settings and the real windows. The platform's
// auto-repeat is sent as X11 sends it: a release and a press, both marked
// as repeats, for each repeat. Typing keeps its repeat.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "client/base/notify_messages.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/memory_key_store.h"
#include "client/cw/transmit_memory_key_display.h"
#include "client/panel/front_panel_layout.h"
#include "client/qso/qso_info_dlg.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "cw_panel_fixture.h"
#include "tests/support/row_names.h"

namespace {

constexpr int kRepeats = 30;

// One press of `key` at `target`, then `repeats` auto-repeats, then the release.
void holdKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers, int repeats,
             const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text, false);
    QApplication::sendEvent(target, &press);
    for (int i = 0; i < repeats; ++i) {
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, text, true);
        QApplication::sendEvent(target, &up);
        QKeyEvent again(QEvent::KeyPress, key, modifiers, text, true);
        QApplication::sendEvent(target, &again);
    }
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text, false);
    QApplication::sendEvent(target, &release);
}

class HeldKeys : public CwPanelFixture {
  public:
    // The panel, connected, with the keyboard-CW window open and every
    // memory set to "M1" ... "M11".
    CCWTransmitDlg& openCwWindow() {
        makePanel(m_remote, [this](PanelCommandEntryPoints& commands) {
            commands.saveStackRegister = [this] { ++m_registersSaved; };
        });
        notice(SERVER_STATUS_CONNECTED);
        m_panel->show();
        m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
        CCWTransmitDlg& window = *m_owner->window();
        window.FinishSlide();
        for (int i = 0; i < 11; ++i) {
            m_owner->memories().write(i, "M" + std::to_string(i + 1));
        }
        QObject::connect(&m_owner->memories(), &MemoryKeyStore::changed, &window,
                         [this](int, const std::string&) { ++m_stored; });
        QCoreApplication::processEvents();
        m_remote.m_calls.clear();
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
        return panel;
    }

    CQSOInfoDlg& openQsoWindow() {
        pelorin::QsoEntryWindowLinks links;
        links.logIt = [this](const pelorin::QSO_LOG_ENTRY&) { ++m_logged; };
        m_qso = std::make_unique<CQSOInfoDlg>(m_store, links);
        m_qso->callEdit()->setText(QStringLiteral("N0CALL"));
        return *m_qso;
    }

    CK2FrontPanelControlDlg& panel() { return *m_panel; }

    int calls(const char* operation) const {
        return static_cast<int>(
            std::count(m_remote.m_calls.begin(), m_remote.m_calls.end(), operation));
    }

    int m_registersSaved = 0;
    int m_logged = 0;
    int m_stored = 0;

  protected:
    void TearDown() override {
        m_qso.reset();
        CwPanelFixture::TearDown();
    }

    std::unique_ptr<CQSOInfoDlg> m_qso;
};

struct HeldCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    // Opens the window and gives the widget the key goes to.
    std::function<QWidget*(HeldKeys&)> open;
    // What the key did: server calls, memories stored, registers saved,
    // contacts logged.
    std::function<int(const HeldKeys&)> done;
};
ROW_NAME(HeldCase, row.name);

const HeldCase kHeld[] = {
    {"CwWindowF1", Qt::Key_F1, Qt::NoModifier,
     [](HeldKeys& f) -> QWidget* { return f.openCwWindow().typeInLine(); },
     [](const HeldKeys& f) { return f.calls("KeyboardCW"); }},
    {"CwWindowEsc", Qt::Key_Escape, Qt::NoModifier,
     [](HeldKeys& f) -> QWidget* { return f.openCwWindow().typeInLine(); },
     [](const HeldKeys& f) { return f.calls("AbortKeyboardCW"); }},
    {"MemoryKeyPanelF3", Qt::Key_F3, Qt::NoModifier,
     [](HeldKeys& f) -> QWidget* { return f.openMemoryPanel().edit(0); },
     [](const HeldKeys& f) { return f.calls("KeyboardCW"); }},
    {"MemoryKeyPanelEnter", Qt::Key_Return, Qt::NoModifier,
     [](HeldKeys& f) -> QWidget* { return f.openMemoryPanelWithTwoDrafts().edit(1); },
     [](const HeldKeys& f) { return f.m_stored; }},
    {"FrontPanelAltF1", Qt::Key_F1, Qt::AltModifier,
     [](HeldKeys& f) -> QWidget* {
         f.openCwWindow();
         return f.panel().control(front_panel::IDC_CW_WINDOW);
     },
     [](const HeldKeys& f) { return f.m_registersSaved; }},
    {"QsoEntryWindowAltL", Qt::Key_L, Qt::AltModifier,
     [](HeldKeys& f) -> QWidget* { return f.openQsoWindow().callEdit(); },
     [](const HeldKeys& f) { return f.m_logged; }},
};

class HeldHotKeys : public HeldKeys,
                    public ::testing::WithParamInterface<std::tuple<HeldCase, int>> {};

TEST_P(HeldHotKeys, ActOnceHoweverLongTheyAreHeld) {
    const auto& [row, repeats] = GetParam();
    QWidget* target = row.open(*this);
    ASSERT_NE(target, nullptr);
    holdKey(target, row.key, row.modifiers, repeats);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(row.done(*this), 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, HeldHotKeys,
                         ::testing::Combine(::testing::ValuesIn(kHeld),
                                            ::testing::Values(0, kRepeats)),
                         [](const ::testing::TestParamInfo<std::tuple<HeldCase, int>>& row) {
                             return rowName(std::get<0>(row.param)) +
                                    (std::get<1>(row.param) == 0 ? "Pressed" : "Held");
                         });

TEST_F(HeldKeys, TypingInTheTypeInLineKeepsItsRepeat) {
    CTransmitMsgEdit* line = openCwWindow().typeInLine();
    holdKey(line, Qt::Key_A, Qt::NoModifier, kRepeats, QStringLiteral("A"));
    EXPECT_EQ(line->text(), QString(kRepeats + 1, QLatin1Char('A')));
}

}  // namespace
