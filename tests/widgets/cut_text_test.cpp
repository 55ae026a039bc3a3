// Every text of Pelorin's windows shown whole: each window opens with the data
// that makes its longest texts (counts of 99,999, long memory names, every
// text a button cycles through), and every label, button, group title, tab,
// header section and combo-box item must fit the rectangle it is painted in.
// A failure names the window, the widget and the text.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "client/config/orvo_cfg.h"
#include "client/config/system_cfg_dlg.h"
#include "client/cw/cw_dialogs.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/memory_key_store.h"
#include "client/cw/transmit_memory_key_display.h"
#include "client/memory/key_switch_emulation_panel1_dlg.h"
#include "client/memory/key_switch_emulation_panel_main_page_dlg.h"
#include "client/memory/key_switch_model.h"
#include "client/memory/key_switch_target.h"
#include "client/memory/memory_recall_dlg.h"
#include "client/memory/radio_memory_edit_dlg.h"
#include "client/memory/saving_memory_location_dlg.h"
#include "client/panel/about_dlg.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/splash_wnd.h"
#include "client/qso/qso_info_dlg.h"
#include "client/qso/qso_log_edit_dlg.h"
#include "client/qso/qso_logging_dlg.h"
#include "tests/support/row_names.h"
#include "tests/widgets/cut_text.h"
#include "tests/widgets/memory/memory_fixture.h"

namespace {

// Texts a size the system must keep cannot hold: the start of the line and
// the words of the fault, each with its reason.
const cut_text::Exception kExceptions[] = {
    {"QsoLogWindow: QHeaderView in QTableWidget list1198", "section lies past the list's width",
     "the log list opens at its designed 160 dialog units; its 13 columns scroll "
     "sideways and the list grows with the window"},
};

class NoTarget : public QObject, public KeySwitchTarget {
  public:
    QObject* Object() override { return this; }
    void executeRemoteCmd(int, std::intptr_t) override {}
    void RequestFrequencyScan(std::int32_t, std::int32_t) override {}
};

class CutText;

struct Case {
    const char* name;
    // Opens the window in each of its states and checks it in each.
    std::function<void(CutText&, cut_text::Finder&)> open;
};
ROW_NAME(Case, row.name);

class CutText : public MemoryWindowsFixture, public ::testing::WithParamInterface<Case> {
  public:
    void SetUp() override {
        MemoryWindowsFixture::SetUp();
        panelWithCommands();
    }

    static void look(QWidget& window, cut_text::Finder& finder) {
        window.show();
        QCoreApplication::processEvents();
        finder.check(window);
    }

    // The longest name a memory keeps.
    static std::string longName() { return std::string(20, 'W'); }
    static RADIO_MEMORY_RECORD memory(const std::string& name, std::int32_t vfoA) {
        return MemoryWindowsFixture::memory(name, vfoA);
    }
    pelorin::CRegistryStore& store() { return m_store; }
    CK2MemoryCfg& memories() { return *m_memories; }
    QWidget* panel() { return m_panel.get(); }
    MemoryPanelRemote& remote() { return m_rec; }
    // The fixture's own panel goes, for a panel built another way.
    void dropPanel() {
        m_commands.reset();
        m_panel.reset();
    }
};

void keySwitchPanel(CutText& t, cut_text::Finder& finder) {
    NoTarget target;
    CKeySwitchEmulationPanelMainPageDlg window(&target, t.store(), nullptr);
    window.sheet()->setCurrentIndex(0);
    CKeySwitchEmulationPanel1Dlg& basic = *window.basicPage();
    // Three key menus, each with both configuration sets.
    for (int menu = 0; menu < 3; ++menu) {
        for (int set = 0; set < 2; ++set) {
            CutText::look(window, finder);
            basic.button(key_switch::IDC_CONFIG_BUTTON)->click();
        }
        basic.button(key_switch::IDC_MENU_BUTTON)->click();
    }
    window.sheet()->setCurrentIndex(1);
    CutText::look(window, finder);
}

void saveDialog(CutText& t, cut_text::Finder& finder) {
    CSavingMemoryLocationDlg dialog(t.store(), t.panel());
    RADIO_MEMORY_RECORD r = CutText::memory(CutText::longName(), 14060000);
    dialog.SetMemoryRecord(0, r);
    dialog.OnInitDialog();
    CutText::look(dialog, finder);
}

void recallDialog(CutText& t, cut_text::Finder& finder) {
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(t.memories().AddMemory(CutText::memory(CutText::longName(), 14060000 + i)), 0u);
    }
    CMemoryRecallDlg dialog(t.memories(), t.store(), t.panel());
    dialog.OnInitDialog();
    CutText::look(dialog, finder);
}

void counterDialog(CutText& t, cut_text::Finder& finder) {
    CNewCounterValueInputDlg dialog(t.store(), t.panel(), nullptr, 2147483647, 5, true);
    CutText::look(dialog, finder);
}

void configSheet(CutText& t, cut_text::Finder& finder) {
    pelorin::COrvoCfg sheet(t.store(), [](int, std::intptr_t) {});
    CutText::look(sheet, finder);
}

void qsoLogWindow(CutText& t, cut_text::Finder& finder) {
    pelorin::CQSOLoggingDlg window(t.store(), pelorin::QsoLogWindowLinks{},
                                   pelorin::StoreBandLookup(t.store()));
    window.show();
    // Every count at its widest.
    for (QLabel* count : window.findChildren<QLabel*>()) {
        if (count->objectName().startsWith(QStringLiteral("count"))) {
            count->setText(QStringLiteral("99999"));
        }
    }
    CutText::look(window, finder);
}

void frontPanel(CutText& t, cut_text::Finder& finder) {
    CutText::look(*t.panel(), finder);
}

void aboutDialog(CutText&, cut_text::Finder& finder) {
    CAboutDlg dialog;
    CutText::look(dialog, finder);
}

void autoplayDialog(CutText& t, cut_text::Finder& finder) {
    CMemoryKeyAutoplayDlg dialog(t.store(), t.panel(), nullptr);
    CutText::look(dialog, finder);
}

void signalReportDialog(CutText& t, cut_text::Finder& finder) {
    CQSOMySigRptDlg dialog(t.store(), t.panel(), nullptr);
    CutText::look(dialog, finder);
}

void qsoEntryWindows(CutText& t, cut_text::Finder& finder) {
    CQSOInfoDlg normal(t.store(), pelorin::QsoEntryWindowLinks{});
    CutText::look(normal, finder);
    normal.hide();
    CContestQSOInfoDlg contest(t.store(), pelorin::QsoEntryWindowLinks{});
    CutText::look(contest, finder);
}

void qsoEditors(CutText& t, cut_text::Finder& finder) {
    pelorin::QSO_LOG_ENTRY entry;
    pelorin::CNormalQSOLogEditDlg normal(entry, pelorin::StoreBandLookup(t.store()));
    CutText::look(normal, finder);
    normal.hide();
    pelorin::CContestQSOLogEditDlg contest(entry, pelorin::StoreBandLookup(t.store()));
    CutText::look(contest, finder);
}

// The keyboard-CW window and its memory-key panel, beside a connected panel
// with the keyboard-CW entry points, every memory at its longest text.
void cwWindows(cut_text::Finder& finder, CutText& t, bool memoryPanel) {
    t.dropPanel();
    KeyboardCwOwner owner(t.store());
    for (int i = 0; i < 11; ++i) {
        owner.memories().write(i, std::string(MemoryKeyStore::kMaxTextBytes, 'W'));
    }
    PanelEntryPoints entry;
    owner.fill(entry);
    CK2FrontPanelControlDlg panel(t.remote(), t.store(), entry);
    owner.setPanel(&panel);
    PanelCommandEntryPoints commands;
    owner.fill(commands);
    panel.SetCommandEntryPoints(commands);
    panel.OnInitDialog();
    panel.onWindowMessage(WindowMessage{WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_CONNECTED, 0, {}});
    panel.show();
    panel.OnCommandControl(front_panel::IDC_CW_WINDOW);
    CCWTransmitDlg* window = owner.window();
    ASSERT_NE(window, nullptr);
    window->FinishSlide();
    if (!memoryPanel) {
        CutText::look(*window, finder);
        return;
    }
    window->OnDefineMemoryKeys();
    ASSERT_NE(window->memoryPanel(), nullptr);
    window->memoryPanel()->FinishSlide();
    CutText::look(*window->memoryPanel(), finder);
}

void cwTransmitWindow(CutText& t, cut_text::Finder& finder) {
    cwWindows(finder, t, false);
}

void memoryKeyPanel(CutText& t, cut_text::Finder& finder) {
    cwWindows(finder, t, true);
}

void memoryEditDialog(CutText& t, cut_text::Finder& finder) {
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(t.memories().AddMemory(CutText::memory(CutText::longName(), 14060000 + i)), 0u);
    }
    CRadioMemoryEditDlg dialog(t.memories(), t.store(), t.panel());
    dialog.OnInitDialog();
    CutText::look(dialog, finder);
}

void splashWindow(CutText&, cut_text::Finder& finder) {
    splash::Start();
    CSplashWnd* window = splash::Current();
    ASSERT_NE(window, nullptr);
    CutText::look(*window, finder);
    splash::Hide();
}

const Case kCases[] = {
    {"FrontPanel", frontPanel},
    {"AboutDialog", aboutDialog},
    {"AutoplayDialog", autoplayDialog},
    {"SignalReportDialog", signalReportDialog},
    {"QsoEntryWindows", qsoEntryWindows},
    {"QsoEditors", qsoEditors},
    {"KeySwitchPanel", keySwitchPanel},
    {"SaveDialog", saveDialog},
    {"RecallDialog", recallDialog},
    {"CounterDialog", counterDialog},
    {"ConfigSheet", configSheet},
    {"QsoLogWindow", qsoLogWindow},
    {"CwTransmitWindow", cwTransmitWindow},
    {"MemoryKeyPanel", memoryKeyPanel},
    {"MemoryEditDialog", memoryEditDialog},
    {"SplashWindow", splashWindow},
};

TEST_P(CutText, EveryTextOfTheWindowShowsWhole) {
    cut_text::Finder finder(GetParam().name);
    GetParam().open(*this, finder);
    EXPECT_EQ(cut_text::unexcepted(finder, kExceptions), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Windows, CutText, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
