// The front panel's operator commands on a fake server, offscreen: the
// control table, the sliders, WM_EXECUTE_REMOTE_CMD, radio-data requests,
// the keyboard map, the right-click menu, moves, and the partner program's
// messages through the real window-title sockets.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QWheelEvent>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/panel/front_panel_layout.h"
#include "client/panel/partner_messages.h"
#include "client/panel/radio_snapshot.h"
#include "controls/trackbar_slider.h"
#include "front_panel_fixture.h"
#include "platform/window_message.h"
#include "platform/window_message_receiver.h"
#include "recording_panel_remote.h"
#include "tests/support/event_wait.h"
#include "tests/support/row_names.h"

using namespace front_panel;
using Dlg = CK2FrontPanelControlDlg;
using test_events::runEventsUntil;

namespace {

// What the later windows were asked to do, in order.
struct EntryRecorder {
    std::vector<std::string> log;
    bool cwWindowAvailable = true;

    PanelCommandEntryPoints entryPoints() {
        PanelCommandEntryPoints e;
        auto note = [this](std::string what) { return [this, what] { log.push_back(what); }; };
        e.saveStackRegister = note("saveStackRegister");
        e.recallStackRegister = note("recallStackRegister");
        e.saveMemory = note("saveMemory");
        e.recallMemory = note("recallMemory");
        e.editMemory = note("editMemory");
        if (cwWindowAvailable) {
            e.openKeyboardCw = note("openKeyboardCw");
        }
        e.transmitMemKey = [this](int key) { log.push_back("memKey " + std::to_string(key)); };
        e.transmitCwText = [this](const std::string& text) { log.push_back("cwText " + text); };
        e.moveKeyboardCw = note("moveKeyboardCw");
        e.startQsoLogging = note("startQsoLogging");
        e.qsoLogStyleChange = [this](int m) { log.push_back("qsoStyle " + std::to_string(m)); };
        e.utcLogChange = [this](int u) { log.push_back("utcLog " + std::to_string(u)); };
        e.reportRadioData = [this](std::intptr_t requester, const RADIO_SNAPSHOT& s) {
            log.push_back("radioData " + std::to_string(requester));
            snapshots.push_back(s);
        };
        e.positionQsoWindows = note("positionQsoWindows");
        e.showKeySwitchPanel = note("showKeySwitchPanel");
        e.placeKeySwitchPanel = note("placeKeySwitchPanel");
        e.reportScanLimits = [this](std::intptr_t requester, const PanelTuningRange& r) {
            log.push_back("scanLimits " + std::to_string(requester) + " " +
                          std::to_string(r.ulLowBandEdge) + "-" + std::to_string(r.ulHighBandEdge));
        };
        return e;
    }
    std::vector<RADIO_SNAPSHOT> snapshots;
};

class PanelCommands : public FrontPanelFixture {
  protected:
    void SetUp() override {
        FrontPanelFixture::SetUp();
        // The panel's partner socket lives in this test's own folder.
        const auto run = m_dir / "run";
        std::filesystem::create_directories(run);
        std::filesystem::permissions(run, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    }
    void TearDown() override {
        m_panel.reset();
        FrontPanelFixture::TearDown();
        unsetenv("XDG_RUNTIME_DIR");
    }

    Dlg& panel(bool connected) {
        PanelEntryPoints entry;
        entry.closeKeyboardCw = [this] { m_entries.log.push_back("closeKeyboardCw"); };
        m_panel = std::make_unique<Dlg>(m_rec, m_store, std::move(entry));
        m_panel->SetCommandEntryPoints(m_entries.entryPoints());
        m_panel->OnInitDialog();
        if (connected) {
            notice(SERVER_STATUS_CONNECTED);
        }
        m_panel->show();
        QCoreApplication::processEvents();
        m_rec.m_log.clear();
        m_entries.log.clear();
        return *m_panel;
    }

    void click(int id) { qobject_cast<QAbstractButton*>(m_panel->control(id))->click(); }
    TrackbarSlider* slider(int id) { return qobject_cast<TrackbarSlider*>(m_panel->control(id)); }

    RecordingPanelRemote m_rec;
    EntryRecorder m_entries;
};

// ---- The control table --------------------------------------------------

struct ControlCase {
    const char* name;
    int id;
    bool connected;
    std::vector<std::string> calls;
    std::function<void(const FrontPanelModel&)> check;
};
ROW_NAME(ControlCase, row.name);

class ControlTable : public PanelCommands, public ::testing::WithParamInterface<ControlCase> {};

// From the panel's defaults: LSB, XFIL 4 (bandwidth 0), AGC off, antenna 1.
TEST_P(ControlTable, CallsAndLocalEffect) {
    const ControlCase& c = GetParam();
    panel(c.connected);
    m_panel->EnableRITControls(1);
    click(c.id);
    EXPECT_EQ(m_rec.m_log, c.calls);
    if (c.check) {
        c.check(m_panel->model());
    }
}

const ControlCase kControlCases[] = {
    {"ModeUsb", IDC_MODE_USB, true, {"OperatingMode(1,2)"}, {}},
    {"ModeCwr", IDC_MODE_CWR, true, {"OperatingMode(1,7)"}, {}},
    {"ModeRttyr", IDC_MODE_RTTYR, true, {"OperatingMode(1,9)"}, {}},
    {"CurrentModeSendsNothing", IDC_MODE_LSB, true, {}, {}},
    {"Xfil1", IDC_XFIL1, true, {"XFILSelection(1,0,1)"}, {}},
    {"CurrentXfilSendsNothing", IDC_XFIL4, true, {}, {}},
    {"AgcFast",
     IDC_AGC_FAST,
     true,
     {"ReceiverAGC(1,2)"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_nAGC, 2); }},
    {"AgcSlow",
     IDC_AGC_SLOW,
     true,
     {"ReceiverAGC(1,4)"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_nAGC, 4); }},
    {"CurrentAgcSendsNothing", IDC_AGC_OFF, true, {}, {}},
    {"AgcNotConnectedStillShows",
     IDC_AGC_SLOW,
     false,
     {},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_nAGC, 4); }},
    {"Afil", IDC_AFIL, true, {"AFILSelection(1,0)"}, {}},
    {"Nb", IDC_NB, true, {"NoiseBlanker(1,0)"}, {}},
    {"Antenna",
     IDC_ANTENNA,
     true,
     {"Antenna(1,2)"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_nAntenna, 2); }},
    {"AntennaNotConnected",
     IDC_ANTENNA,
     false,
     {},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_nAntenna, 2); }},
    {"Preamp",
     IDC_PREAMP,
     true,
     {"ReceiverPreamp(1,1)"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_bPreamp, 1); }},
    {"AttenuatorNotConnected",
     IDC_ATT,
     false,
     {},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_bAttenuator, 1); }},
    {"Attenuator", IDC_ATT, true, {"ReceiverAttenuator(1,1)"}, {}},
    {"Lock",
     IDC_VFO_LOCK,
     true,
     {"LockVFO(1,1)"},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_bVFOLocked, 1); }},
    {"LockNotConnected",
     IDC_VFO_LOCK,
     false,
     {},
     [](const FrontPanelModel& m) { EXPECT_EQ(m.m_bVFOLocked, 1); }},
    {"Tune", IDC_TUNE, true, {"TuneTransmitter"}, {}},
    {"TuneNotConnected", IDC_TUNE, false, {}, {}},
    {"RitUp", IDC_RIT_UP, true, {"IncrementalOffsetTuning(1)"}, {}},
    {"RitDown", IDC_RIT_DOWN, true, {"IncrementalOffsetTuning(2)"}, {}},
    {"ModeNotConnected", IDC_MODE_USB, false, {}, {}},
};
INSTANTIATE_TEST_SUITE_P(Controls, ControlTable, ::testing::ValuesIn(kControlCases), CaseName{});

TEST_F(PanelCommands, LockBoxShowsTheToggle) {
    panel(true);
    auto* box = qobject_cast<QAbstractButton*>(m_panel->control(IDC_VFO_LOCK));
    box->click();
    EXPECT_TRUE(box->isChecked());
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(m_rec.m_log, (std::vector<std::string>{"LockVFO(1,1)", "LockVFO(1,0)"}));
}

TEST_F(PanelCommands, ServerGoneDisconnectsWithoutCrash) {
    panel(true);
    m_rec.m_failing.insert("OperatingMode");
    click(IDC_MODE_USB);
    EXPECT_EQ(m_panel->model().m_bConnected, 0);
    EXPECT_EQ(m_panel->statusKind(), 2);
    m_rec.m_log.clear();
    click(IDC_MODE_CW);
    EXPECT_TRUE(m_rec.m_log.empty());
}

TEST_F(PanelCommands, SpanComboRecomputesAndStores) {
    panel(true);
    auto* combo = qobject_cast<QComboBox*>(m_panel->control(IDC_SPAN_COMBO));
    combo->setCurrentIndex(3);
    emit combo->activated(3);
    EXPECT_EQ(m_panel->model().m_nTuningSpan, 3);
    EXPECT_EQ(m_panel->model().m_ulSliderHigh - m_panel->model().m_ulSliderLow, 5000);
    int stored = -1;
    m_store.ReadSelectedTuningRange(stored);
    EXPECT_EQ(stored, 3);
}

struct BandCase {
    const char* name;
    int index;
    bool locked;
    std::vector<std::string> calls;
};
ROW_NAME(BandCase, row.name);

class BandCombo : public PanelCommands, public ::testing::WithParamInterface<BandCase> {};

// The panel starts on 10 m (band 0); the fake's bank holds low edge + 1000
// for VFO A.
TEST_P(BandCombo, TunesToTheBankOrNothing) {
    const BandCase& c = GetParam();
    panel(true);
    if (c.locked) {
        click(IDC_VFO_LOCK);
        m_rec.m_log.clear();
    }
    emit qobject_cast<QComboBox*>(m_panel->control(IDC_BAND_COMBO))->activated(c.index);
    EXPECT_EQ(m_rec.m_log, c.calls);
}

const BandCase kBandCases[] = {
    {"FortyMetres", 6, false, {"VFOFreq(1,0,7001000)"}},
    {"CurrentBand", 0, false, {}},
    {"Locked", 6, true, {}},
    {"NoSelection", -1, false, {}},
    {"PastTheTable", 9, false, {}},
};
INSTANTIATE_TEST_SUITE_P(Bands, BandCombo, ::testing::ValuesIn(kBandCases), CaseName{});

// ---- Sliders --------------------------------------------------------------

struct SliderCase {
    const char* name;
    int id;
    std::vector<std::pair<int, int>> notifications;  // code, position
    std::vector<std::string> calls;
    int thumb;
};
ROW_NAME(SliderCase, row.name);

class SliderTable : public PanelCommands, public ::testing::WithParamInterface<SliderCase> {};

TEST_P(SliderTable, SendsAtTheEndOnly) {
    const SliderCase& c = GetParam();
    panel(true);
    TrackbarSlider* s = slider(c.id);
    for (const auto& [code, position] : c.notifications) {
        emit s->trackbarNotify(code, position);
    }
    EXPECT_EQ(m_rec.m_log, c.calls);
    EXPECT_EQ(s->value(), c.thumb);
}

// The fake reports the RF amplifier option; the radio has reported nothing,
// so the power counts in the low range and the range flag is 0.
const SliderCase kSliderCases[] = {
    {"PowerDragThenEnd",
     IDC_POWER_SLIDER,
     {{5, 100}, {4, 95}, {8, 95}},
     {"RFPowerOutput(1,55,0)"},
     95},
    {"PowerDownAtZero", IDC_POWER_SLIDER, {{1, 150}, {8, 150}}, {"RFPowerOutput(1,0,0)"}, 150},
    {"PowerNoEndNoCall", IDC_POWER_SLIDER, {{0, 149}, {2, 139}}, {}, 139},
    {"CwSpeedEnd", IDC_CW_SPEED_SLIDER, {{4, 30}, {8, 30}}, {"CWKeyerSpeed(1,30)"}, 30},
    {"CwSpeedStaysIn9To50", IDC_CW_SPEED_SLIDER, {{0, 9}, {8, 9}}, {"CWKeyerSpeed(1,9)"}, 9},
    {"SquelchRoundsDownAtEnd",
     IDC_SQUELCH_SLIDER,
     {{5, 137}, {8, 137}},
     {"SquelchLevel(1,125)"},
     125},
    {"SquelchPageUpAdds", IDC_SQUELCH_SLIDER, {{2, 0}, {8, 0}}, {"SquelchLevel(1,25)"}, 25},
};
INSTANTIATE_TEST_SUITE_P(Sliders, SliderTable, ::testing::ValuesIn(kSliderCases), CaseName{});

// The wheel, one notch at a time. Away from the operator is the Up key: the
// tuning slider lowers the frequency by 10 Hz, the RIT slider lowers the
// offset by its line of 10 Hz, the power slider (most power at the top)
// raises the power; each notch is sent at once.
struct WheelCase {
    const char* name;
    int id;
    int delta;
    std::vector<std::string> calls;
    int thumb;
};
ROW_NAME(WheelCase, row.name);

class WheelOnSliders : public PanelCommands, public ::testing::WithParamInterface<WheelCase> {};

TEST_P(WheelOnSliders, OneLineStepPerNotchSentAtOnce) {
    const WheelCase& c = GetParam();
    panel(true);
    m_panel->EnableRITControls(1);
    m_rec.m_log.clear();
    TrackbarSlider* s = slider(c.id);
    const QPointF at(s->width() / 2.0, s->height() / 2.0);
    QWheelEvent wheel(at, s->mapToGlobal(at), QPoint(), QPoint(0, c.delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(s, &wheel);
    EXPECT_EQ(m_rec.m_log, c.calls);
    EXPECT_EQ(s->value(), c.thumb);
}

// The panel starts at 28060.00 kHz, RIT offset 0 (slider 1000), power 0
// (slider 150).
const WheelCase kWheelCases[] = {
    {"TuningAwayLowers", IDC_TUNING_SLIDER, 120, {"VFOFreq(1,0,28059990)"}, 2805999},
    {"TuningTowardsRaises", IDC_TUNING_SLIDER, -120, {"VFOFreq(1,0,28060010)"}, 2806001},
    {"TuningTwoNotches",
     IDC_TUNING_SLIDER,
     240,
     {"VFOFreq(1,0,28059990)", "VFOFreq(1,0,28059980)"},
     2805998},
    {"RitAwayLowers", IDC_RIT_SLIDER, 120, {"RITTuning(2,10)"}, 990},
    {"RitTowardsRaises", IDC_RIT_SLIDER, -120, {"RITTuning(1,10)"}, 1010},
    {"PowerAwayRaises", IDC_POWER_SLIDER, 120, {"RFPowerOutput(1,1,0)"}, 149},
    {"PowerTowardsStaysAtZero", IDC_POWER_SLIDER, -120, {"RFPowerOutput(1,0,0)"}, 150},
    {"LessThanANotchSendsNothing", IDC_POWER_SLIDER, 60, {}, 150},
};
INSTANTIATE_TEST_SUITE_P(Sliders, WheelOnSliders, ::testing::ValuesIn(kWheelCases), CaseName{});

TEST_F(PanelCommands, SlidersNotConnectedOnlyMove) {
    panel(false);
    emit slider(IDC_POWER_SLIDER)->trackbarNotify(4, 100);
    emit slider(IDC_POWER_SLIDER)->trackbarNotify(8, 100);
    EXPECT_TRUE(m_rec.m_log.empty());
    EXPECT_EQ(m_panel->model().m_nRFPower, 50);
    EXPECT_EQ(m_panel->model().PowerText(), "   5.0");
}

// ---- WM_EXECUTE_REMOTE_CMD and radio-data requests -------------------------

struct RemoteCmdCase {
    const char* name;
    int command;
    std::intptr_t param;
    bool connected;
    std::vector<std::string> calls;
    std::vector<std::string> entries;
};
ROW_NAME(RemoteCmdCase, row.name);

class RemoteCommands : public PanelCommands, public ::testing::WithParamInterface<RemoteCmdCase> {};

TEST_P(RemoteCommands, Carried) {
    const RemoteCmdCase& c = GetParam();
    panel(c.connected);
    m_panel->executeRemoteCmd(c.command, c.param);
    EXPECT_EQ(m_rec.m_log, c.calls);
    EXPECT_EQ(m_entries.log, c.entries);
}

const RemoteCmdCase kRemoteCmdCases[] = {
    {"EmulateSwitch", 15, 21, true, {"EmulateKeySwitch(21)"}, {}},
    {"EmulateSwitchNotConnected", 15, 21, false, {}, {}},
    {"MemKeyOpensCwWindow", 10, 3, true, {}, {"openKeyboardCw", "memKey 3"}},
    {"QsoStyle", 12, 1, true, {}, {"qsoStyle 1"}},
    {"UtcLog", 21, 0, true, {}, {"utcLog 0"}},
    {"ScanLimits", 16, 77, true, {}, {"scanLimits 77 28000000-29700000"}},
    {"ScanLimitsWithoutRequester", 16, 0, true, {}, {}},
    {"Unused11", 11, 0, true, {}, {}},
    {"Unused19", 19, 0, true, {}, {}},
};
INSTANTIATE_TEST_SUITE_P(Commands, RemoteCommands, ::testing::ValuesIn(kRemoteCmdCases),
                         CaseName{});

TEST_F(PanelCommands, ExitCommandAsksTheQuestion) {
    panel(true);
    MessageService::queueAnswers({false});
    m_panel->executeRemoteCmd(Dlg::REMOTE_CMD_EXIT, 0);
    ASSERT_TRUE(runEventsUntil([this] { return !messages().empty(); }));
    EXPECT_NE(messages().front().find(Dlg::kExitQuestion), std::string::npos);
}

TEST_F(PanelCommands, FrequencyScanOnlyWhileConnected) {
    panel(true);
    m_panel->RequestFrequencyScan(14000000, 14100000);
    EXPECT_EQ(m_rec.m_log, (std::vector<std::string>{"FrequencyScan(14000000,14100000)"}));
}

TEST_F(PanelCommands, TurboToggleColoursTheActiveFrequency) {
    panel(true);
    m_panel->executeRemoteCmd(Dlg::REMOTE_CMD_TOGGLE_TURBO_MODE, 0);
    EXPECT_EQ(m_panel->model().m_bInVFOTurboMode, 1);
    m_panel->executeRemoteCmd(Dlg::REMOTE_CMD_TOGGLE_TURBO_MODE, 0);
    EXPECT_EQ(m_panel->model().m_bInVFOTurboMode, 0);
}

TEST_F(PanelCommands, RadioDataForAThreadCarriesTheBandwidthAndBand) {
    panel(true);
    m_panel->OnRequestRadioData(Dlg::RADIO_DATA_FOR_THREAD, 0);
    EXPECT_TRUE(m_entries.log.empty());
    m_panel->OnRequestRadioData(Dlg::RADIO_DATA_FOR_THREAD, 42);
    ASSERT_EQ(m_entries.snapshots.size(), 1u);
    EXPECT_EQ(m_entries.snapshots[0], m_panel->BuildRadioSnapshot());
    EXPECT_EQ(m_entries.snapshots[0][RADIO_SNAPSHOT::Band], 0);  // 28060000 Hz: 10 m
    EXPECT_EQ(m_entries.log, (std::vector<std::string>{"radioData 42"}));
}

TEST_F(PanelCommands, DownloadSendsWordsUpToXitWhileConnected) {
    panel(false);
    m_panel->DownloadRadioSnapshot(m_panel->BuildRadioSnapshot());
    EXPECT_TRUE(m_rec.m_log.empty());
    notice(SERVER_STATUS_CONNECTED);
    m_panel->DownloadRadioSnapshot(m_panel->BuildRadioSnapshot());
    ASSERT_EQ(m_rec.m_downloads.size(), 1u);
    EXPECT_EQ(m_rec.m_downloads[0].ulVFOA_Freq, 28060000);
    EXPECT_EQ(m_rec.m_downloads[0].ulVFOB_Freq, 14060000);
    EXPECT_EQ(m_rec.m_downloads[0].uiXFIL, 4);
}

// ---- Keys -----------------------------------------------------------------

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<std::string> withCwWindow;  // the log, CW window open first
    std::vector<std::string> withoutCwWindow;
};
ROW_NAME(KeyCase, row.name);

class KeyTable : public PanelCommands, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyTable, Action) {
    const KeyCase& c = GetParam();
    for (const bool cwOpen : {true, false}) {
        SCOPED_TRACE(cwOpen ? "CW window open" : "CW window closed");
        panel(true);
        MessageService::queueAnswers({false});
        if (cwOpen) {
            click(IDC_CW_WINDOW);
            m_entries.log.clear();
        }
        // A key on a control reaches the panel too; it must act once.
        QTest::keyClick(m_panel->control(IDC_VFOA), c.key, c.modifiers);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(m_entries.log, cwOpen ? c.withCwWindow : c.withoutCwWindow);
        EXPECT_TRUE(m_rec.m_log.empty());
        m_panel.reset();
    }
}

const KeyCase kKeyCases[] = {
    {"Esc", Qt::Key_Escape, Qt::NoModifier, {"memKey 27"}, {}},
    {"AltEsc", Qt::Key_Escape, Qt::AltModifier, {"memKey 27"}, {}},
    {"F1", Qt::Key_F1, Qt::NoModifier, {"memKey 0"}, {}},
    {"F10", Qt::Key_F10, Qt::NoModifier, {"memKey 9"}, {}},
    {"AltF10", Qt::Key_F10, Qt::AltModifier, {"memKey 9"}, {}},
    {"F11", Qt::Key_F11, Qt::NoModifier, {"memKey 10"}, {}},
    {"AltF1", Qt::Key_F1, Qt::AltModifier, {"saveStackRegister"}, {"saveStackRegister"}},
    {"AltF2", Qt::Key_F2, Qt::AltModifier, {"recallStackRegister"}, {"recallStackRegister"}},
    {"AltF3", Qt::Key_F3, Qt::AltModifier, {"saveMemory"}, {"saveMemory"}},
    {"AltF4", Qt::Key_F4, Qt::AltModifier, {"recallMemory"}, {"recallMemory"}},
    {"AltF5", Qt::Key_F5, Qt::AltModifier, {}, {}},
    {"AltF11", Qt::Key_F11, Qt::AltModifier, {}, {}},
    {"AltL", Qt::Key_L, Qt::AltModifier, {"startQsoLogging"}, {"startQsoLogging"}},
    {"AltShiftL",
     Qt::Key_L,
     Qt::AltModifier | Qt::ShiftModifier,
     {"startQsoLogging"},
     {"startQsoLogging"}},
    {"AltTClosesOrOpens", Qt::Key_T, Qt::AltModifier, {"closeKeyboardCw"}, {"openKeyboardCw"}},
    {"PlainL", Qt::Key_L, Qt::NoModifier, {}, {}},
};
INSTANTIATE_TEST_SUITE_P(Keys, KeyTable, ::testing::ValuesIn(kKeyCases), CaseName{});

// The key map hears the whole panel, also where the key never travels up to
// it: controls made after it that take every key, and the combo boxes'
// drop-down lists (windows of their own, made when first opened, which take
// Esc to close). The panel's other windows keep their keys.
struct KeyTargetCase {
    const char* name;
    std::function<QWidget*(Dlg&)> target;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<std::string> log;
};
ROW_NAME(KeyTargetCase, row.name);

class KeyTargets : public PanelCommands, public ::testing::WithParamInterface<KeyTargetCase> {};

TEST_P(KeyTargets, KeyReachesTheMapOrNot) {
    const KeyTargetCase& c = GetParam();
    panel(true);
    click(IDC_CW_WINDOW);
    m_entries.log.clear();
    QWidget* target = c.target(*m_panel);
    QTest::keyClick(target, c.key, c.modifiers);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_entries.log, c.log);
}

QWidget* dropDownList(Dlg& panel, int id) {
    auto* combo = qobject_cast<QComboBox*>(panel.control(id));
    combo->showPopup();
    QCoreApplication::processEvents();
    return combo->view();
}

// A control that takes every key it is given.
class KeyTaker : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void keyPressEvent(QKeyEvent* event) override { event->accept(); }
};

QWidget* controlMadeLater(Dlg& panel) {
    auto* later = new KeyTaker(&panel);
    later->show();
    return later;
}

const KeyTargetCase kKeyTargetCases[] = {
    {"BandListEsc",
     [](Dlg& p) { return dropDownList(p, IDC_BAND_COMBO); },
     Qt::Key_Escape,
     Qt::NoModifier,
     {"memKey 27"}},
    {"SpanListF2",
     [](Dlg& p) { return dropDownList(p, IDC_SPAN_COMBO); },
     Qt::Key_F2,
     Qt::NoModifier,
     {"memKey 1"}},
    {"SpanListAltL",
     [](Dlg& p) { return dropDownList(p, IDC_SPAN_COMBO); },
     Qt::Key_L,
     Qt::AltModifier,
     {"startQsoLogging"}},
    {"ControlMadeLaterF1", controlMadeLater, Qt::Key_F1, Qt::NoModifier, {"memKey 0"}},
    {"ControlMadeLaterAltF3", controlMadeLater, Qt::Key_F3, Qt::AltModifier, {"saveMemory"}},
    {"OtherWindowOfThePanel",
     [](Dlg& p) -> QWidget* {
         auto* other = new QDialog(&p);
         auto* edit = new QLineEdit(other);
         other->show();
         return edit;
     },
     Qt::Key_F1,
     Qt::NoModifier,
     {}},
};
INSTANTIATE_TEST_SUITE_P(Keys, KeyTargets, ::testing::ValuesIn(kKeyTargetCases), CaseName{});

TEST_F(PanelCommands, AltXAsksToExitAndEscLeavesThePanelOpen) {
    panel(true);
    m_panel->show();
    MessageService::queueAnswers({false});
    QTest::keyClick(m_panel.get(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_panel->isVisible());
    EXPECT_TRUE(messages().empty());
    QTest::keyClick(m_panel.get(), Qt::Key_X, Qt::AltModifier);
    ASSERT_TRUE(runEventsUntil([this] { return !messages().empty(); }));
    EXPECT_TRUE(m_panel->isVisible());
}

// The exit closes the keyboard-CW window only when it is open, and then
// forgets it.
struct ExitCwCase {
    const char* name;
    int cwButtonClicks;  // 1 opens the window, 2 opens and closes it
    std::vector<std::string> atExit;
};
ROW_NAME(ExitCwCase, row.name);

class ExitWithCwWindow : public PanelCommands, public ::testing::WithParamInterface<ExitCwCase> {};

TEST_P(ExitWithCwWindow, ClosesOnlyAnOpenWindow) {
    const ExitCwCase& c = GetParam();
    panel(true);
    for (int i = 0; i < c.cwButtonClicks; ++i) {
        click(IDC_CW_WINDOW);
    }
    m_entries.log.clear();
    MessageService::queueAnswers({true});
    m_panel->OnOK();
    EXPECT_EQ(m_entries.log, c.atExit);
    EXPECT_EQ(m_panel->model().m_bCWWindowOpen, 0);
}

const ExitCwCase kExitCwCases[] = {
    {"NeverOpened", 0, {}},
    {"Open", 1, {"closeKeyboardCw"}},
    {"OpenedAndClosed", 2, {}},
};
INSTANTIATE_TEST_SUITE_P(Exit, ExitWithCwWindow, ::testing::ValuesIn(kExitCwCases), CaseName{});

// Enter in a VFO readout is its ">>" while that is offered, else nothing;
// only elsewhere does it reach the default button, the exit question.
struct EnterCase {
    const char* name;
    int edit;
    bool receiveOnB;
    const char* typed;
    Qt::Key key;
    int presses;
    std::vector<std::string> calls;
    bool asksToExit;
};
ROW_NAME(EnterCase, row.name);

class EnterKey : public PanelCommands, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterKey, EntersTheFrequencyOrKeepsTheDefaultButton) {
    const EnterCase& c = GetParam();
    panel(true);
    if (c.receiveOnB) {
        click(IDC_VFOB_RX);
    }
    m_panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_panel.get()));
    auto* edit = qobject_cast<QLineEdit*>(m_panel->control(c.edit));
    edit->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(runEventsUntil([edit] { return edit->hasFocus(); }));
    if (c.typed != nullptr) {
        ASSERT_FALSE(edit->isReadOnly()) << "entry is offered";
        edit->setText(QString::fromLatin1(c.typed));
    }
    m_rec.m_log.clear();
    MessageService::queueAnswers({false});
    for (int i = 0; i < c.presses; ++i) {
        QTest::keyClick(edit, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(m_rec.m_log, c.calls);
    EXPECT_EQ(!messages().empty(), c.asksToExit);
    EXPECT_TRUE(m_panel->isVisible());
}

const EnterCase kEnterCases[] = {
    {"VfoAReturn",
     IDC_VFOA,
     false,
     "14060.01",
     Qt::Key_Return,
     1,
     {"VFOFreq(1,0,14060010)"},
     false},
    {"VfoAKeypadEnter", IDC_VFOA, false, "7040", Qt::Key_Enter, 1, {"VFOFreq(1,0,7040000)"}, false},
    {"VfoASecondEnterDoesNothing",
     IDC_VFOA,
     false,
     "14060.01",
     Qt::Key_Return,
     2,
     {"VFOFreq(1,0,14060010)"},
     false},
    {"VfoBReturn", IDC_VFOB, true, "3550.5", Qt::Key_Return, 1, {"VFOFreq(1,1,3550500)"}, false},
    {"VfoBWithoutEntryDoesNothing", IDC_VFOB, false, nullptr, Qt::Key_Return, 1, {}, false},
    {"RitValueKeepsTheDefaultButton", IDC_RIT_VALUE, false, nullptr, Qt::Key_Return, 1, {}, true},
};
INSTANTIATE_TEST_SUITE_P(Edits, EnterKey, ::testing::ValuesIn(kEnterCases), CaseName{});

TEST_F(PanelCommands, StartsWithTheFocusOnTheTuningSlider) {
    panel(true);
    m_panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_panel.get()));
    EXPECT_EQ(QApplication::focusWidget(), m_panel->control(IDC_TUNING_SLIDER));
    MessageService::queueAnswers({false});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_TRUE(messages().empty());
}

TEST_F(PanelCommands, CwKeysDoNothingWithoutAWindowToOpen) {
    m_entries.cwWindowAvailable = false;
    panel(true);
    click(IDC_CW_WINDOW);
    QTest::keyClick(m_panel.get(), Qt::Key_F1);
    m_panel->executeRemoteCmd(Dlg::REMOTE_CMD_TRANSMIT_MEMKEY, 2);
    EXPECT_TRUE(m_entries.log.empty());
}

// ---- Menu and moves ----------------------------------------------------------

TEST_F(PanelCommands, MenuItemsComeBeforeTheSystemItems) {
    panel(true);
    std::vector<std::pair<int, std::string>> items;
    for (QAction* action : m_panel->systemMenu()->actions()) {
        if (!action->isSeparator()) {
            items.emplace_back(action->data().toInt(), action->text().toStdString());
        }
    }
    const std::vector<std::pair<int, std::string>> expected = {
        {162, "Save to Stacking Register (ALT+F1)"},
        {163, "Recall from Stacking Reg  (ALT+F2)"},
        {164, "Save Memory   (ALT+F3)"},
        {165, "Recall Memory (ALT+F4)"},
        {167, "Edit Memory"},
        {155, "QSO Logging (ALT+L)"},
        {Dlg::IDM_SYSTEM_CONFIG, "System Config"},
        {Dlg::IDM_ABOUTBOX, "&About Pelorin..."},
    };
    EXPECT_EQ(items, expected);
    m_panel->systemMenu()->actions().at(4)->trigger();
    m_panel->systemMenu()->actions().at(5)->trigger();
    EXPECT_EQ(m_entries.log, (std::vector<std::string>{"editMemory", "startQsoLogging"}));
}

TEST_F(PanelCommands, MenuOpensOnTheSurfaceNotOnAButton) {
    panel(true);
    m_panel->show();
    const auto rightClickOn = [this](QWidget* target, QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QCoreApplication::sendEvent(target, &event);
        const bool shown = m_panel->systemMenu()->isVisible();
        m_panel->systemMenu()->hide();
        return shown;
    };
    EXPECT_FALSE(rightClickOn(m_panel->control(IDC_MODE_USB), QPoint(2, 2)));
    EXPECT_FALSE(rightClickOn(m_panel->control(IDC_BAND_COMBO), QPoint(2, 2)));
    EXPECT_FALSE(rightClickOn(m_panel->control(IDC_POWER_SLIDER), QPoint(2, 2)));
    EXPECT_TRUE(rightClickOn(m_panel->control(IDC_IND_NB), QPoint(2, 2)));
    EXPECT_TRUE(rightClickOn(m_panel.get(), QPoint(1, 1)));
}

TEST_F(PanelCommands, MovesAfterTheFirstAreStored) {
    panel(true);
    m_panel->show();
    QCoreApplication::processEvents();
    int l = 0, t = 0, r = 0, b = 0;
    m_panel->move(40, 50);
    ASSERT_TRUE(runEventsUntil([&] {
        m_store.ReadWindowRect(l, t, r, b);
        return l == m_panel->frameGeometry().left() && l != 0;
    }));
    EXPECT_EQ(t, m_panel->frameGeometry().top());
    EXPECT_EQ(r - l, m_panel->frameGeometry().width());
    EXPECT_NE(std::find(m_entries.log.begin(), m_entries.log.end(), "positionQsoWindows"),
              m_entries.log.end());
}

// ---- Partner program, through the real sockets -------------------------------

std::string le32(std::int32_t v) {
    std::string s;
    for (int shift = 0; shift < 32; shift += 8) {
        s.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> shift) & 0xFFu));
    }
    return s;
}

struct PartnerCase {
    const char* name;
    std::uint64_t type;
    std::string payload;
    std::vector<std::string> calls;
    std::vector<std::string> entries;
};
ROW_NAME(PartnerCase, row.name);

class PartnerMessages : public PanelCommands, public ::testing::WithParamInterface<PartnerCase> {};

TEST_P(PartnerMessages, EffectOrRefusal) {
    const PartnerCase& c = GetParam();
    panel(true);
    click(IDC_CW_WINDOW);  // the CW window is open
    m_entries.log.clear();
    ASSERT_TRUE(m_panel->partnerListener()->isListening());
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, c.type, c.payload));
    // A marker after the message: once it is handled, so is the message.
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 5, "MARK"));
    ASSERT_TRUE(runEventsUntil(
        [this] { return !m_entries.log.empty() && m_entries.log.back() == "cwText MARK"; }));
    m_entries.log.pop_back();
    EXPECT_EQ(m_rec.m_log, c.calls);
    EXPECT_EQ(m_entries.log, c.entries);
}

const PartnerCase kPartnerCases[] = {
    {"Speed60Clamped", 3, le32(60), {"CWKeyerSpeed(1,50)"}, {}},
    {"Speed5Clamped", 3, le32(5), {"CWKeyerSpeed(1,9)"}, {}},
    {"Speed3BytesRefused", 3, std::string(3, '\x16'), {}, {}},
    {"Speed5BytesRefused", 3, le32(22) + "x", {}, {}},
    {"Power9999Clamped", 4, le32(9999), {"RFPowerOutput(1,150,0)"}, {}},
    {"PowerNegativeClamped", 4, le32(-5), {"RFPowerOutput(1,0,0)"}, {}},
    {"TextEmpty", 5, "", {}, {}},
    {"Text254", 5, std::string(254, 'e'), {}, {"cwText " + std::string(254, 'e')}},
    {"Text255Refused", 5, std::string(255, 'e'), {}, {}},
    {"UnknownType", 9, "x", {}, {}},
};
INSTANTIATE_TEST_SUITE_P(Types, PartnerMessages, ::testing::ValuesIn(kPartnerCases), CaseName{});

TEST_F(PanelCommands, PartnerValuesNeedAConnection) {
    panel(false);
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 3, le32(22)));
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 1, "Marker"));
    ASSERT_TRUE(runEventsUntil([this] { return m_panel->model().m_strPartnerWindow == "Marker"; }));
    EXPECT_TRUE(m_rec.m_log.empty());
    EXPECT_EQ(m_panel->model().m_nCWSpeed, 1);
}

TEST_F(PanelCommands, PartnerTitleAndSnapshotAnswer) {
    panel(true);
    const std::string title = "Partner Log";
    std::vector<platform::WindowMessage> answers;
    platform::WindowMessageReceiver partner(
        title, [&](const platform::WindowMessage& m) { answers.push_back(m); });
    ASSERT_TRUE(partner.isListening());

    // Without a partner title nothing is sent.
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 2, ""));
    // 84 bytes of title are refused whole; 83 are taken.
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 1, std::string(84, 'T')));
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 1, std::string(83, 'T')));
    ASSERT_TRUE(
        runEventsUntil([this] { return m_panel->model().m_strPartnerWindow.size() == 83; }));
    EXPECT_EQ(m_entries.log.front(), "openKeyboardCw");
    // A title with no window: nothing is sent, nothing breaks.
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 2, ""));
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 5, "MARK"));
    ASSERT_TRUE(runEventsUntil([this] { return m_entries.log.back() == "cwText MARK"; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(answers.empty());

    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 1, title));
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 2, ""));
    ASSERT_TRUE(runEventsUntil([&] { return !answers.empty(); }));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].message, WM_COPYDATA);
    EXPECT_EQ(answers[0].lParam, 2u);
    const auto snapshot = DecodeRadioSnapshot(answers[0].payload);
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(*snapshot, m_panel->BuildRadioSnapshot());
    EXPECT_EQ((*snapshot)[RADIO_SNAPSHOT::VfoA], 28060000);

    // Type 6 forgets the partner: the next request goes nowhere.
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 6, ""));
    ASSERT_TRUE(platform::postToWindow(kFrontPanelTitle, WM_COPYDATA, 0, 2, ""));
    ASSERT_TRUE(runEventsUntil([this] { return m_panel->model().m_strPartnerWindow.empty(); }));
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(answers.size(), 1u);
}

}  // namespace
