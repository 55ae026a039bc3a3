// The panel's frequency controls and displays on a fake server: exact calls,
// local effects, typed frequencies and the looks a reply leaves.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "arg_recording_remote.h"
#include "client/base/notify_messages.h"
#include "client/base/registry_store.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"
#include "controls/digi_static.h"
#include "controls/edit_ex.h"
#include "controls/static_ex.h"
#include "controls/turbo_slider_ctrl.h"
#include "platform/message_service.h"
#include "radiolink/k2_reply_codes.h"
#include "tests/support/row_names.h"
#include "tests/support/settings_sandbox.h"

using namespace front_panel;

namespace {

class FrequencyPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        MessageService::queueAnswers({});
        m_panel = std::make_unique<CK2FrontPanelControlDlg>(m_remote, m_store);
        m_panel->OnInitDialog();
    }

    void TearDown() override { m_panel.reset(); }

    void connectPanel() {
        m_panel->onWindowMessage(
            WindowMessage{WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_CONNECTED, 0, {}});
        m_remote.m_withArgs.clear();
        m_remote.m_calls.clear();
    }
    void reply(int code, const std::string& text) {
        m_panel->onWindowMessage(WindowMessage{WM_RADIO_REPLY, code, 0, text});
    }
    template <class T>
    T* at(int id) {
        return qobject_cast<T*>(m_panel->control(id));
    }
    void click(int id) { at<QAbstractButton>(id)->click(); }

    SettingsSandbox m_settings{"pelorin-freq"};
    ArgRecordingRemote m_remote;
    pelorin::CRegistryStore m_store;
    std::unique_ptr<CK2FrontPanelControlDlg> m_panel;
};

// --- The frequency rows of the command matrix --------------------------------

struct ControlCase {
    const char* name;
    bool connected;
    bool locked;
    std::function<void(CK2FrontPanelControlDlg&)> act;
    std::vector<std::string> calls;
    std::function<void(const FrontPanelModel&)> check;
};
ROW_NAME(ControlCase, row.name);

void NoCheck(const FrontPanelModel&) {}

auto Click(int id) {
    return [id](CK2FrontPanelControlDlg& panel) {
        qobject_cast<QAbstractButton*>(panel.control(id))->click();
    };
}

const ControlCase kControls[] = {
    {"Plus10Hz", true, false, Click(IDC_PLUS_10HZ), {"MoveActiveVFOFreq(1,1)"}, NoCheck},
    {"Minus20Hz", true, false, Click(IDC_MINUS_20HZ), {"MoveActiveVFOFreq(2,2)"}, NoCheck},
    {"Plus50Hz", true, false, Click(IDC_PLUS_50HZ), {"MoveActiveVFOFreq(1,3)"}, NoCheck},
    {"Minus1KHz", true, false, Click(IDC_MINUS_1KHZ), {"MoveActiveVFOFreq(2,4)"}, NoCheck},
    {"StepLocked", true, true, Click(IDC_PLUS_1KHZ), {}, NoCheck},
    {"StepNotConnected", false, false, Click(IDC_PLUS_10HZ), {}, NoCheck},
    {"BandUp", true, false, Click(IDC_BAND_UP), {"ChangeBand(1)"}, NoCheck},
    {"BandDown", true, false, Click(IDC_BAND_DOWN), {"ChangeBand(2)"}, NoCheck},
    {"BandLocked", true, true, Click(IDC_BAND_DOWN), {}, NoCheck},
    {"BToA",
     true,
     false,
     Click(IDC_B_TO_A),
     {"VFOFreq(1,0,14060000)"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_ulVFOAFreq, 14060000U); }},
    {"BToANotConnectedStillCopies",
     false,
     false,
     Click(IDC_B_TO_A),
     {},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_ulVFOAFreq, 14060000U); }},
    {"AToB",
     true,
     false,
     Click(IDC_A_TO_B),
     {"VFOFreq(1,1,28060000)"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_ulVFOBFreq, 28060000U); }},
    {"CopyLocked",
     true,
     true,
     Click(IDC_A_TO_B),
     {},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_ulVFOBFreq, 14060000U); }},
    {"VfoBRx",
     true,
     false,
     Click(IDC_VFOB_RX),
     {"TransceiverRecvVFOAssignment(1,1)"},
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nRxVFO, 1);
         EXPECT_EQ(m.m_nTxVFO, 1);
     }},
    {"VfoBRxNotConnected",
     false,
     false,
     Click(IDC_VFOB_RX),
     {},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_nRxVFO, 1); }},
    {"VfoBTx",
     true,
     false,
     Click(IDC_VFOB_TX),
     {"TransceiverTxVFOAssignment(1,1)"},
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nRxVFO, 0);
         EXPECT_EQ(m.m_nTxVFO, 1);
     }},
    {"VfoARxLocked", true, true, Click(IDC_VFOA_TX), {}, NoCheck},
    {"Rit",
     true,
     false,
     Click(IDC_RIT),
     {"RITControl(1,1)"},
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_bRITOn, 1);
         EXPECT_EQ(m.m_bRITControlsEnabled, 1);
     }},
    {"RitWorksLocked", true, true, Click(IDC_RIT), {"RITControl(1,1)"}, NoCheck},
    {"XitTwiceSwitchesItOff",
     true,
     false,
     [](CK2FrontPanelControlDlg& panel) {
         panel.OnXIT();
         panel.OnXIT();
     },
     {"XITControl(1,1)", "XITControl(1,0)"},
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_bXITOn, 0);
         EXPECT_EQ(m.m_bRITControlsEnabled, 0);
     }},
    {"XitWhileRitIsOn",
     true,
     false,
     [](CK2FrontPanelControlDlg& panel) {
         panel.OnRIT();
         panel.OnXIT();
     },
     {"RITControl(1,1)", "RITControl(1,0)", "XITControl(1,1)"},
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_bRITOn, 0);
         EXPECT_EQ(m.m_bXITOn, 1);
         EXPECT_EQ(m.m_lampFace.at(IDC_XIT), 0x00FF00U);
         EXPECT_EQ(m.m_lampFace.at(IDC_RIT), 0xC0C0C0U);
         EXPECT_EQ(m.RitOffsetEditColor(), 0x7653DFU);
     }},
    {"RitNotConnectedTogglesLocally",
     false,
     false,
     Click(IDC_RIT),
     {},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_bRITOn, 1); }},
    {"Clear",
     true,
     true,
     Click(IDC_CLR),
     {"ClearFineRITOffset"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_nRITSliderPos, 1000); }},
    {"TuningDrag",
     true,
     false,
     [](CK2FrontPanelControlDlg& panel) {
         emit qobject_cast<CTurboSliderCtrl*>(panel.control(IDC_TUNING_SLIDER))
             ->trackbarNotify(5, 2806010);
     },
     {"VFOFreq(1,0,28060100)"},
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_bAwaitFreqEcho, 1);
         EXPECT_EQ(m.m_strActiveFreq, "  28060.10");
     }},
    {"TuningLocked",
     true,
     true,
     [](CK2FrontPanelControlDlg& panel) {
         emit qobject_cast<CTurboSliderCtrl*>(panel.control(IDC_TUNING_SLIDER))
             ->trackbarNotify(5, 2806010);
     },
     {},
     NoCheck},
    {"RitReleasedAbove",
     true,
     false,
     [](CK2FrontPanelControlDlg& panel) {
         auto* slider = qobject_cast<TrackbarSlider*>(panel.control(IDC_RIT_SLIDER));
         emit slider->trackbarNotify(5, 1030);
         emit slider->trackbarNotify(8, 1030);
     },
     {"RITTuning(1,30)"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_nRITSliderPos, 1030); }},
};

class FrequencyControl : public FrequencyPanel,
                         public ::testing::WithParamInterface<ControlCase> {};

TEST_P(FrequencyControl, CallsAndLocalEffects) {
    const ControlCase& row = GetParam();
    if (row.connected) {
        connectPanel();
    }
    // The lock as the radio reports it.
    reply(K2_CMD_LK, row.locked ? "LK1" : "LK0");
    m_remote.m_withArgs.clear();
    row.act(*m_panel);
    EXPECT_EQ(m_remote.m_withArgs, row.calls);
    row.check(m_panel->model());
}

INSTANTIATE_TEST_SUITE_P(Rows, FrequencyControl, ::testing::ValuesIn(kControls), CaseName());

// A RIT move longer than the server takes in one call goes in several calls,
// one after the other; a call that is not done ends the move.
struct RitMoveCase {
    const char* name;
    const char* ifReply;  // the radio's RIT offset
    int thumb;            // where the thumb is let go (1000 is offset 0)
    std::int32_t answer;  // what the server answers each RITTuning
    std::vector<std::string> calls;
};
ROW_NAME(RitMoveCase, row.name);

const RitMoveCase kRitMoves[] = {
    {"OffsetPlus4500ReleasedAtTheLeftEnd",
     "IF00014039310     +450010 0002000001 ",
     0,
     0,
     {"RITTuning(2,5000)", "RITTuning(2,500)"}},
    {"OffsetMinus9990ReleasedAtTheRightEnd",
     "IF00014039310     -999010 0002000001 ",
     2000,
     0,
     {"RITTuning(1,5000)", "RITTuning(1,5000)", "RITTuning(1,990)"}},
    {"ExactlyTheLimitIsOneCall",
     "IF00014039310     +400010 0002000001 ",
     0,
     0,
     {"RITTuning(2,5000)"}},
    {"ARefusedPartEndsTheMove",
     "IF00014039310     +450010 0002000001 ",
     0,
     0x2000003,
     {"RITTuning(2,5000)"}},
};

class RitMove : public FrequencyPanel, public ::testing::WithParamInterface<RitMoveCase> {};

TEST_P(RitMove, GoesInCallsTheServerTakes) {
    const RitMoveCase& row = GetParam();
    connectPanel();
    reply(K2_CMD_IF, row.ifReply);
    m_remote.m_answers["RITTuning"] = row.answer;
    m_remote.m_withArgs.clear();
    auto* slider = at<TrackbarSlider>(IDC_RIT_SLIDER);
    emit slider->trackbarNotify(5, row.thumb);
    emit slider->trackbarNotify(8, row.thumb);
    EXPECT_EQ(m_remote.m_withArgs, row.calls);
}

INSTANTIATE_TEST_SUITE_P(Rows, RitMove, ::testing::ValuesIn(kRitMoves), CaseName());

TEST_F(FrequencyPanel, ExitWritesTheBankBackAfterTheDisconnect) {
    connectPanel();
    reply(K2_CMD_FA, "FA00028070000");
    MessageService::queueAnswers({true});
    m_panel->OnOK();
    ASSERT_GE(m_remote.m_calls.size(), 2U);
    EXPECT_EQ(m_remote.m_calls[m_remote.m_calls.size() - 2], "Disconnect");
    EXPECT_EQ(m_remote.m_calls.back(), "WriteVFOFreqCache");
    EXPECT_EQ(m_remote.m_written.VfoBank[0][0], 28070000);
    EXPECT_EQ(m_remote.m_written.VfoBank[4][0], m_remote.m_cache.VfoBank[4][0]);
}

TEST_F(FrequencyPanel, ADeadServerLeavesThePanelDisconnected) {
    connectPanel();
    m_remote.m_failing = {"MoveActiveVFOFreq", "VFOFreq"};
    click(IDC_PLUS_10HZ);
    EXPECT_EQ(m_panel->model().m_bConnected, 0);
    click(IDC_A_TO_B);
    EXPECT_EQ(m_remote.m_withArgs, (std::vector<std::string>{"MoveActiveVFOFreq(1,1)"}));
}

// --- Typed frequencies --------------------------------------------------------

struct EntryCase {
    const char* name;
    int vfo;
    const char* typed;
    std::vector<std::string> calls;
    int statusKind;
    const char* readout;
};
ROW_NAME(EntryCase, row.name);

const EntryCase kEntries[] = {
    {"ExactTwoDecimals", 0, "14060.01", {"VFOFreq(1,0,14060010)"}, 1, "  14060.01"},
    {"WholeKHz", 0, "7040", {"VFOFreq(1,0,7040000)"}, 1, "   7040.00"},
    {"LettersRefused", 0, "abc", {}, 2, "  28060.00"},
    {"ZeroRefused", 0, "0", {}, 2, "  28060.00"},
    {"NegativeRefused", 0, "-5", {}, 2, "  28060.00"},
    {"AboveTheRadioRefused", 0, "30000.01", {}, 2, "  28060.00"},
};

class TypedFrequency : public FrequencyPanel, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(TypedFrequency, GoesOutExactlyOrIsRefused) {
    const EntryCase& row = GetParam();
    connectPanel();
    m_panel->OnVFOEditFocus(row.vfo, true);
    auto* edit = at<CEditEx>(IDC_VFOA);
    auto* go = at<CClrButton>(IDC_VFOA_GO);
    EXPECT_FALSE(edit->isReadOnly());
    EXPECT_TRUE(go->isEnabled());
    EXPECT_EQ(go->FaceColor(), 0xE26DDFU);
    edit->setText(QString::fromLatin1(row.typed));
    // The ">>" takes the focus before its click.
    m_panel->OnVFOEditFocus(row.vfo, false);
    EXPECT_TRUE(go->isEnabled());
    click(IDC_VFOA_GO);
    EXPECT_EQ(m_remote.m_withArgs, row.calls);
    EXPECT_EQ(m_panel->statusKind(), row.statusKind);
    if (row.statusKind == 2) {
        EXPECT_EQ(m_panel->statusText(), "Invalid frequency");
    }
    EXPECT_EQ(edit->text().toStdString(), row.readout);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_FALSE(go->isEnabled());
    EXPECT_EQ(go->FaceColor(), 0xC0C0C0U);
}

INSTANTIATE_TEST_SUITE_P(Rows, TypedFrequency, ::testing::ValuesIn(kEntries), CaseName());

TEST_F(FrequencyPanel, EntryIsOfferedOnlyOnTheReceivingUnlockedVfo) {
    connectPanel();
    m_panel->OnVFOEditFocus(1, true);
    EXPECT_TRUE(at<CEditEx>(IDC_VFOB)->isReadOnly());
    EXPECT_FALSE(at<CClrButton>(IDC_VFOB_GO)->isEnabled());
    reply(K2_CMD_LK, "LK1");
    m_panel->OnVFOEditFocus(0, true);
    EXPECT_TRUE(at<CEditEx>(IDC_VFOA)->isReadOnly());
    EXPECT_FALSE(at<CClrButton>(IDC_VFOA_GO)->isEnabled());
}

// --- Replies onto the controls --------------------------------------------------

TEST_F(FrequencyPanel, RepliesReachTheControlsWithoutSendingAnything) {
    connectPanel();
    reply(K2_CMD_MD, "MD2");
    reply(K2_CMD_FW, "FW040012");
    reply(K2_CMD_GT, "GT0041");
    reply(K2_CMD_PC, "PC0500");
    reply(K2_CMD_KS, "KS020");
    reply(K2_CMD_SQ, "SQ050");
    reply(K2_CMD_LK, "LK1");
    reply(K2_CMD_FR, "FR1");
    reply(K2_CMD_FT, "FT1");
    reply(K2_CMD_FB, "FB00007040000");
    reply(K2_CMD_DS, "DS  7040.004102");
    reply(K2_CMD_BG, "BG19");

    EXPECT_EQ(at<CxShadeButton>(IDC_MODE_USB)->GetFont()->height, 14);
    EXPECT_EQ(at<CxShadeButton>(IDC_MODE_CW)->GetFont()->height, 12);
    EXPECT_EQ(at<CxShadeButton>(IDC_AGC_SLOW)->GetFont()->height, 14);
    EXPECT_EQ(at<CxShadeButton>(IDC_AFIL)->text(), "AFIL: 2");
    EXPECT_EQ(at<CStaticEx>(IDC_XFIL_BW)->text(), "400");
    EXPECT_EQ(at<QLineEdit>(IDC_POWER)->text(), "   5.0");
    EXPECT_EQ(at<TrackbarSlider>(IDC_POWER_SLIDER)->value(), 100);
    EXPECT_EQ(at<TrackbarSlider>(IDC_CW_SPEED_SLIDER)->value(), 20);
    EXPECT_EQ(at<TrackbarSlider>(IDC_SQUELCH_SLIDER)->value(), 50);
    EXPECT_TRUE(at<QCheckBox>(IDC_VFO_LOCK)->isChecked());
    EXPECT_EQ(at<CEditEx>(IDC_VFOB)->GetBkColor(), 0xF0CAA6U);
    EXPECT_EQ(at<CEditEx>(IDC_VFOA)->GetBkColor(), 0xC0C0C0U);
    EXPECT_EQ(at<CClrButton>(IDC_VFOB_RX)->FaceColor(), 0x00FF00U);
    EXPECT_EQ(at<CEditEx>(IDC_VFOB)->text(), "   7040.00");
    EXPECT_EQ(at<CEditEx>(IDC_ACTIVE_FREQ)->text(), "   7040.00");
    EXPECT_EQ(at<TrackbarSlider>(IDC_TUNING_SLIDER)->value(), 704000);
    EXPECT_EQ(at<QComboBox>(IDC_BAND_COMBO)->currentIndex(), 6);
    EXPECT_EQ(at<CDigiStatic>(IDC_BANNER)->GetText(), "  7040.00");
    EXPECT_EQ(at<CStaticEx>(IDC_IND_NB)->GetBkColor(), 0x00FFFFU);
    EXPECT_EQ(at<CStaticEx>(IDC_IND_RIT)->GetBkColor(), 0xFFC0C0U);
    EXPECT_EQ(at<CStaticEx>(IDC_IND_ATT)->GetBkColor(), 0xC0C0C0U);
    EXPECT_EQ(at<CClrButton>(IDC_LAMP_6)->FaceColor(), 0x24BCE8U);
    EXPECT_EQ(at<CClrButton>(IDC_LAMP_7)->FaceColor(), 0xC0C0C0U);
    EXPECT_TRUE(m_remote.m_calls.empty()) << "showing the radio's state sends nothing";
}

// Keyboard-CW progress goes to the CW window's entry point as it came.
TEST_F(FrequencyPanel, CwProgressGoesToTheKeyboardCwWindow) {
    std::vector<std::string> seen;
    PanelEntryPoints entry;
    entry.notifyTextMessageSent = [&seen](int kind, const std::string& text) {
        seen.push_back(std::to_string(kind) + ":" + text);
    };
    m_panel = std::make_unique<CK2FrontPanelControlDlg>(m_remote, m_store, entry);
    m_panel->onWindowMessage(WindowMessage{WM_NOTIFY_TXTMESG_SENT, TXTMESG_SENT, 0, "CQ CQ"});
    m_panel->onWindowMessage(WindowMessage{WM_NOTIFY_TXTMESG_SENT, TXTMESG_EMPTY, 0, {}});
    EXPECT_EQ(seen, (std::vector<std::string>{"5:CQ CQ", "8:"}));
}

}  // namespace
