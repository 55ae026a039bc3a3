// The operator at the front panel, end to end: omniNames, the K2 simulator on
// a pty in this process, Brakton as a child process and Pelorin's start-up in
// this process with its panel offscreen. Each action on a panel control must
// put its exact command on the radio's line, and the panel must show what the
// radio answers.
//
// Pelorin's ORB is the only one in this process (one ORB per process), so the
// whole run is one test.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QSettings>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/app/pelorin_app.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/front_panel_model.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/trackbar_slider.h"
#include "controls/turbo_slider_ctrl.h"
#include "platform/message_service.h"
#include "tests/integration/pelorin_chain.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using namespace front_panel;
using namespace e2e_chain;

std::string hex(std::uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", colour);
    return text;
}

using PanelOperator = PelorinChainTest;

template <class T>
T* at(CK2FrontPanelControlDlg& panel, int id) {
    return qobject_cast<T*>(panel.control(id));
}

auto Click(int id) {
    return [id](CK2FrontPanelControlDlg& panel) { at<QAbstractButton>(panel, id)->click(); };
}

// Shown as "on" by the larger face font.
std::string onOff(CK2FrontPanelControlDlg& panel, int id) {
    const auto* font = at<CxShadeButton>(panel, id)->GetFont();
    return font != nullptr && font->height == 14 ? "on" : "off";
}

std::string editText(CK2FrontPanelControlDlg& panel, int id) {
    return at<CEditEx>(panel, id)->text().toStdString();
}

struct Step {
    const char* name;
    std::function<void(CK2FrontPanelControlDlg&)> act;
    std::vector<std::string> commands;  // as they reach the radio, without ";"
    std::function<std::string(CK2FrontPanelControlDlg&)> shown;
    std::string expected;
};

const Step kSteps[] = {
    {"Usb",
     Click(IDC_MODE_USB),
     {"MD2"},
     [](CK2FrontPanelControlDlg& p) {
         return "USB " + onOff(p, IDC_MODE_USB) + ", CW " + onOff(p, IDC_MODE_CW);
     },
     "USB on, CW off"},
    {"BandUp",
     Click(IDC_BAND_UP),
     {"SW01"},
     [](CK2FrontPanelControlDlg& p) { return editText(p, IDC_VFOA); },
     "  18086.00"},
    {"BandCombo40m",
     [](CK2FrontPanelControlDlg& p) { emit at<QComboBox>(p, IDC_BAND_COMBO)->activated(6); },
     {"FA00007040000"},
     [](CK2FrontPanelControlDlg& p) { return editText(p, IDC_VFOA); },
     "   7040.00"},
    {"AToB",
     Click(IDC_A_TO_B),
     {"FB00007040000"},
     [](CK2FrontPanelControlDlg& p) { return editText(p, IDC_VFOB); },
     "   7040.00"},
    {"VfoBRx",
     Click(IDC_VFOB_RX),
     {"FR1"},
     [](CK2FrontPanelControlDlg& p) {
         return "edit " + hex(at<CEditEx>(p, IDC_VFOB)->GetBkColor()) + ", Rx " +
                hex(at<CClrButton>(p, IDC_VFOB_RX)->FaceColor()) + ", Tx " +
                hex(at<CClrButton>(p, IDC_VFOB_TX)->FaceColor()) + ", A Rx " +
                hex(at<CClrButton>(p, IDC_VFOA_RX)->FaceColor());
     },
     "edit F0CAA6, Rx 00FF00, Tx 00FF00, A Rx C0C0C0"},
    {"Xfil2",
     Click(IDC_XFIL2),
     {"FW04002"},
     [](CK2FrontPanelControlDlg& p) {
         return "XFIL 2 " + onOff(p, IDC_XFIL2) + ", XFIL 1 " + onOff(p, IDC_XFIL1) + ", " +
                p.model().m_strXFILBandwidth;
     },
     "XFIL 2 on, XFIL 1 off, 400"},
    {"AgcSlow",
     Click(IDC_AGC_SLOW),
     {"GT0041"},
     [](CK2FrontPanelControlDlg& p) {
         return "Slow " + onOff(p, IDC_AGC_SLOW) + ", Fast " + onOff(p, IDC_AGC_FAST);
     },
     "Slow on, Fast off"},
    {"Rit",
     Click(IDC_RIT),
     {"RT1"},
     [](CK2FrontPanelControlDlg& p) {
         return "lamp " + hex(at<CClrButton>(p, IDC_RIT)->FaceColor()) + ", offset " +
                hex(at<CEditEx>(p, IDC_RIT_OFFSET)->GetBkColor());
     },
     "lamp 00FF00, offset CE759F"},
    {"RitSliderReleasedAt1030",
     [](CK2FrontPanelControlDlg& p) {
         auto* slider = at<TrackbarSlider>(p, IDC_RIT_SLIDER);
         emit slider->trackbarNotify(5, 1030);
         emit slider->trackbarNotify(8, 1030);
     },
     {"RU", "RU", "RU"},
     [](CK2FrontPanelControlDlg& p) { return editText(p, IDC_RIT_OFFSET); },
     "30"},
};

TEST_F(PanelOperator, EachActionReachesTheRadioAndThePanelShowsItsAnswer) {
    sim::K2Simulator& radio = m_chain.radio();
    // Connected, and the radio's whole state asked for and shown: the
    // simulator starts on 14060.00 kHz, CW, XFIL 1, AGC fast.
    ASSERT_TRUE(WaitUntilConnected())
        << "status: " << panel().statusText() << "\nmessages: " << messages()
        << "\nBrakton: " << m_chain.braktonStderr();
    const auto lk = radio.waitForCommand("LK", kRadioBound);
    ASSERT_TRUE(lk.has_value()) << ::testing::PrintToString(commandTexts(radio));
    ASSERT_TRUE(pumpUntil(kPanelBound,
                          [&] {
                              return editText(panel(), IDC_VFOA) == "  14060.00" &&
                                     onOff(panel(), IDC_MODE_CW) == "on" &&
                                     onOff(panel(), IDC_XFIL1) == "on" &&
                                     onOff(panel(), IDC_AGC_FAST) == "on" &&
                                     panel().model().m_bVFOLocked == 0;
                          }))
        << "VFO A " << editText(panel(), IDC_VFOA);

    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.name);
        std::size_t next = radio.commandCount();
        const std::size_t from = next;
        step.act(panel());
        for (const auto& command : step.commands) {
            const auto seen = radio.waitForCommand(exactly(command), kRadioBound, next);
            ASSERT_TRUE(seen.has_value())
                << command << " after " << ::testing::PrintToString(commandTexts(radio, from));
            next = seen->index + 1;
        }
        EXPECT_TRUE(pumpUntil(kPanelBound, [&] { return step.shown(panel()) == step.expected; }))
            << "shown: " << step.shown(panel())
            << "\nsent: " << ::testing::PrintToString(commandTexts(radio, from));
    }

    // Tuning: a drag on the slider moves the receiving VFO (B); then the
    // radio's own knob moves it, and the slider and readouts follow.
    auto* tuning = at<CTurboSliderCtrl>(panel(), IDC_TUNING_SLIDER);
    ASSERT_EQ(tuning->value(), 704000);
    ASSERT_LE(704050, tuning->maximum());
    std::size_t from = radio.commandCount();
    emit tuning->trackbarNotify(5, 704050);
    emit tuning->trackbarNotify(8, 704050);
    ASSERT_TRUE(radio.waitForCommand("FB00007040500", kRadioBound, from).has_value())
        << ::testing::PrintToString(commandTexts(radio, from));
    ASSERT_TRUE(pumpUntil(kPanelBound,
                          [&] {
                              return editText(panel(), IDC_VFOB) == "   7040.50" &&
                                     panel().model().m_bAwaitFreqEcho == 0;
                          }))
        << "VFO B " << editText(panel(), IDC_VFOB) << ", latch "
        << panel().model().m_bAwaitFreqEcho;

    from = radio.commandCount();
    radio.turnVfo(-12, 10, 20.0);
    const auto followed = [&] {
        return tuning->value() == 704038 && editText(panel(), IDC_VFOB) == "   7040.38" &&
               editText(panel(), IDC_ACTIVE_FREQ) == "   7040.38";
    };
    EXPECT_TRUE(pumpUntil(kPanelBound, followed))
        << "slider " << tuning->value() << ", VFO B " << editText(panel(), IDC_VFOB) << ", active "
        << editText(panel(), IDC_ACTIVE_FREQ);
    EXPECT_EQ(panel().model().m_ulVFOBFreq, 7040380u);
    const auto sent = commandTexts(radio, from);
    EXPECT_EQ(sent.end(),
              std::find_if(sent.begin(), sent.end(),
                           [](const std::string& text) { return text.rfind("FB", 0) == 0; }))
        << "the panel sent a frequency back while the knob turned: "
        << ::testing::PrintToString(sent);

    // A fast drag: one set per thumb position, 60 positions a second for 3 s,
    // far more than the line carries. The radio, the panel and the readouts
    // are at the thumb's last position soon after the drag's end, and stay
    // there.
    const int firstPosition = tuning->value();
    const int lastPosition = firstPosition + 180;
    ASSERT_LE(lastPosition, tuning->maximum());
    const std::uint64_t lastHz = static_cast<std::uint64_t>(lastPosition) * 10;
    char lastText[32];
    std::snprintf(lastText, sizeof lastText, "%10.2f", static_cast<double>(lastHz) / 1000);
    auto thumbDue = Clock::now();
    for (int position = firstPosition + 1; position <= lastPosition; ++position) {
        emit tuning->trackbarNotify(5, position);
        thumbDue += std::chrono::microseconds(16667);
        pumpUntil(std::chrono::duration_cast<std::chrono::milliseconds>(thumbDue - Clock::now()),
                  [&] { return Clock::now() >= thumbDue; });
    }
    emit tuning->trackbarNotify(8, lastPosition);
    const auto atLast = [&] {
        return radio.state().vfoB == lastHz && tuning->value() == lastPosition &&
               editText(panel(), IDC_VFOB) == lastText &&
               editText(panel(), IDC_ACTIVE_FREQ) == lastText &&
               panel().model().m_bAwaitFreqEcho == 0;
    };
    const auto dragState = [&] {
        return "radio " + std::to_string(radio.state().vfoB) + ", slider " +
               std::to_string(tuning->value()) + ", VFO B " + editText(panel(), IDC_VFOB) +
               ", active " + editText(panel(), IDC_ACTIVE_FREQ) + ", latch " +
               std::to_string(panel().model().m_bAwaitFreqEcho);
    };
    // Well within a second on an idle machine (an echo time, a set, its
    // report and a reply cycle); the bound leaves room for a loaded one and
    // is still shorter than the line takes for the sets a drag would queue.
    EXPECT_TRUE(pumpUntil(2s, atLast)) << dragState();
    pumpUntil(1500ms, [] { return false; });
    EXPECT_TRUE(atLast()) << "moved on after the drag: " << dragState();

    EXPECT_EQ(messages(), "") << "no message box on the way";
    ExpectCleanBrakton();
}

}  // namespace
