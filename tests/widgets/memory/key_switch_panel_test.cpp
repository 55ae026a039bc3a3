// The key-switch panel's windows: key presses and scan requests queued to a
// recording target (nothing once it is gone), the scan page's edits and the
// stored limits, and the panel's SW Panel button building, showing, hiding
// and placing one window. Screenshots land in the build tree.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPointer>
#include <QTabWidget>

#include <memory>
#include <string>
#include <vector>

#include "client/memory/key_switch_emulation_panel1_dlg.h"
#include "client/memory/key_switch_emulation_panel2_dlg.h"
#include "client/memory/key_switch_emulation_panel_main_page_dlg.h"
#include "client/memory/key_switch_panel_windows.h"
#include "client/memory/key_switch_target.h"
#include "client/panel/front_panel_layout.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "memory_fixture.h"

namespace {

// The pages tell that the target is gone by its Object(); the recorder keeps
// its calls readable after that object is destroyed with DropObject().
class RecordingTarget : public KeySwitchTarget {
  public:
    QObject* Object() override { return m_object.get(); }
    void DropObject() { m_object.reset(); }
    void executeRemoteCmd(int command, std::intptr_t param) override {
        calls.push_back(std::to_string(command) + " " + std::to_string(param));
    }
    void RequestFrequencyScan(std::int32_t low, std::int32_t high) override {
        calls.push_back("scan " + std::to_string(low) + " " + std::to_string(high));
    }
    std::vector<std::string> calls;

  private:
    std::unique_ptr<QObject> m_object = std::make_unique<QObject>();
};

class KeySwitchPanel : public MemoryWindowsFixture {
  protected:
    void SetUp() override {
        MemoryWindowsFixture::SetUp();
        m_target = std::make_unique<RecordingTarget>();
        m_window =
            std::make_unique<CKeySwitchEmulationPanelMainPageDlg>(m_target.get(), m_store, nullptr);
    }
    void TearDown() override {
        m_window.reset();
        m_target.reset();
        MemoryWindowsFixture::TearDown();
    }
    CKeySwitchEmulationPanel1Dlg& basic() { return *m_window->basicPage(); }
    CKeySwitchEmulationPanel2Dlg& scan() { return *m_window->scanPage(); }
    void press(int id) { basic().button(id)->click(); }
    std::vector<std::string> posted() {
        QCoreApplication::processEvents();
        auto calls = m_target->calls;
        m_target->calls.clear();
        return calls;
    }
    void shot(const char* name, int tab) {
        m_window->sheet()->setCurrentIndex(tab);
        m_window->show();
        saveDialogShot(*m_window, name);
    }
    std::string page() const {
        return std::to_string(reinterpret_cast<std::intptr_t>(m_window->scanPage()));
    }

    std::unique_ptr<RecordingTarget> m_target;
    std::unique_ptr<CKeySwitchEmulationPanelMainPageDlg> m_window;
};

TEST_F(KeySwitchPanel, OpensUnderThePanelAtThePanelsWidth) {
    m_store.WriteWindowRect(10, 0, 730, 300);
    ASSERT_LT(m_window->width(), 720);
    m_window->PlaceUnderFrontPanel();
    m_window->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window->frameGeometry().topLeft(), QPoint(10, 301));
    EXPECT_GE(m_window->frameGeometry().width(), 720);
    EXPECT_LE(m_window->frameGeometry().width(), 720 + 8);
}

TEST_F(KeySwitchPanel, KeysPostTheirCodesInEachMenuAndSet) {
    shot("keyswitch-basic-tap.png", 0);
    press(1261);  // Band+
    press(1272);  // to numeric
    EXPECT_EQ(basic().button(1292)->text(), "0");
    shot("keyswitch-basic-numeric.png", 0);
    press(1292);  // "0" is Rate
    press(1272);  // to hold
    shot("keyswitch-basic-hold.png", 0);
    press(1261);  // Recall
    press(1272);  // back to tap
    EXPECT_EQ(basic().button(1272)->text(), "Numeric");
    EXPECT_EQ(basic().button(1261)->text(), "Band+");
    press(1312);  // INP
    press(1338);  // second set
    shot("keyswitch-basic-set4.png", 0);
    press(1312);  // FPLY
    press(1303);  // FL STAT
    EXPECT_EQ(posted(),
              (std::vector<std::string>{"15 1", "15 7", "15 17", "15 42", "15 57", "15 37"}));
}

TEST_F(KeySwitchPanel, NothingIsPostedOnceTheTargetIsGone) {
    press(1261);
    m_target->DropObject();  // the queued call is dropped with it
    QCoreApplication::processEvents();
    press(1263);
    scan().OnScan();
    EXPECT_EQ(posted(), std::vector<std::string>{});
}

TEST_F(KeySwitchPanel, ScanAsksForLimitsAndStartStoresAndPostsThem) {
    m_store.WriteScanLimits(0, 0);
    scan().OnScan();
    EXPECT_EQ(posted(), std::vector<std::string>{"16 " + page()});
    EXPECT_EQ(scan().button(1341)->text(), "Start");
    EXPECT_EQ(scan().button(1342)->text(), "Get Limits");
    EXPECT_TRUE(scan().lowEdit()->isReadOnly());

    scan().OnLimitsAnswer({"  40M", 6, 7000000, 7300000});
    EXPECT_EQ(scan().lowEdit()->text(), "   7000.00");
    EXPECT_EQ(scan().highEdit()->text(), "   7300.00");
    EXPECT_FALSE(scan().lowEdit()->isReadOnly());
    EXPECT_EQ(scan().lowEdit()->GetBkColor(), CKeySwitchEmulationPanel2Dlg::kWritableColor);
    shot("keyswitch-advance-waiting.png", 1);

    scan().lowEdit()->setText("7200");
    scan().highEdit()->setText("7100");
    scan().OnScan();
    EXPECT_EQ(posted(), std::vector<std::string>{"scan 7100000 7200000"});
    EXPECT_TRUE(scan().lowEdit()->isReadOnly());
    EXPECT_EQ(scan().lowEdit()->text(), "   7100.00");
    EXPECT_FALSE(scan().button(1341)->isEnabled());
    EXPECT_EQ(scan().button(1342)->text(), "Resume");
    int low = 0;
    int high = 0;
    m_store.ReadScanLimits(low, high);
    EXPECT_EQ(low, 7100000);
    EXPECT_EQ(high, 7200000);

    scan().OnSecond();
    scan().OnStopScan();
    EXPECT_EQ(posted(), (std::vector<std::string>{"15 31", "15 31"}));
    EXPECT_EQ(scan().button(1341)->text(), "Scan");
    EXPECT_FALSE(scan().button(1342)->isEnabled());
}

TEST_F(KeySwitchPanel, AnUnreadableLimitIsRefusedAndNothingGoesOut) {
    m_store.WriteScanLimits(7010000, 7020000);
    scan().OnScan();
    posted();
    scan().OnLimitsAnswer({"  40M", 6, 7000000, 7300000});
    scan().highEdit()->setText("abc");
    scan().OnScan();
    EXPECT_TRUE(posted().empty());
    EXPECT_EQ(messages(), std::vector<std::string>{"error\tInvalid frequency"});
    EXPECT_EQ(scan().highEdit()->text(), "abc");
    EXPECT_FALSE(scan().highEdit()->isReadOnly());
    EXPECT_EQ(scan().focusWidget(), scan().highEdit());
    int low = 0;
    int high = 0;
    m_store.ReadScanLimits(low, high);
    EXPECT_EQ(low, 7010000);
    EXPECT_EQ(high, 7020000);
}

TEST_F(KeySwitchPanel, CloseAndCancelOnlyHide) {
    m_window->show();
    m_window->close();
    EXPECT_FALSE(m_window->isVisible());
    m_window->show();
    m_window->reject();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->sheet()->count(), 2);
}

// ---- Through the front panel ----------------------------------------------

class KeySwitchFromPanel : public MemoryWindowsFixture {
  protected:
    void SetUp() override {
        MemoryWindowsFixture::SetUp();
        panelWithCommands(true);
        m_windows = std::make_unique<KeySwitchPanelWindows>(m_store, *m_panel);
        PanelCommandEntryPoints entry;
        m_windows->Install(entry);
        m_panel->SetCommandEntryPoints(entry);
    }
    void TearDown() override {
        m_windows.reset();
        MemoryWindowsFixture::TearDown();
    }
    void pressSwPanel() {
        qobject_cast<QAbstractButton*>(m_panel->control(front_panel::IDC_SW_PANEL))->click();
    }
    std::unique_ptr<KeySwitchPanelWindows> m_windows;
};

TEST_F(KeySwitchFromPanel, SwPanelBuildsOneWindowAndShowsItAtEachPress) {
    EXPECT_EQ(m_windows->window(), nullptr);
    pressSwPanel();
    CKeySwitchEmulationPanelMainPageDlg* first = m_windows->window();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    first->reject();
    pressSwPanel();
    EXPECT_EQ(m_windows->window(), first);
    EXPECT_TRUE(first->isVisible());
}

TEST_F(KeySwitchFromPanel, KeysReachTheServerAndTheScanPageGetsItsBand) {
    pressSwPanel();
    m_windows->window()->basicPage()->button(1284)->click();  // XFIL
    CKeySwitchEmulationPanel2Dlg* page = m_windows->window()->scanPage();
    page->OnScan();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_rec.m_log, std::vector<std::string>{"EmulateKeySwitch(13)"});
    // The panel answered with its band.
    EXPECT_FALSE(page->lowEdit()->text().isEmpty());
    page->OnScan();
    QCoreApplication::processEvents();
    ASSERT_EQ(m_rec.m_log.size(), 2u);
    EXPECT_EQ(m_rec.m_log[1].rfind("FrequencyScan(", 0), 0u) << m_rec.m_log[1];
}

TEST_F(KeySwitchFromPanel, AnswersGoOnlyToTheAskingPage) {
    pressSwPanel();
    CKeySwitchEmulationPanel2Dlg* page = m_windows->window()->scanPage();
    m_windows->ReportScanLimits(12345, {"  40M", 6, 7000000, 7300000});
    EXPECT_TRUE(page->lowEdit()->text().isEmpty());
}

TEST_F(KeySwitchFromPanel, NoKeyIsSentOnceThePanelIsGone) {
    pressSwPanel();
    QPointer<CKeySwitchEmulationPanelMainPageDlg> window = m_windows->window();
    CxShadeButton* key = window->basicPage()->button(1261);
    key->click();
    m_windows.reset();
    m_panel.reset();  // takes the key-switch window with it
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(m_rec.m_log.empty());
}

}  // namespace
