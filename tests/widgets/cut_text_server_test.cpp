// Every text of Brakton's windows shown whole: each window opens with the data
// that makes its longest texts (every stored value a page cannot show, so that
// each page shows its notices), and every label, button, group title, tab,
// header section and combo-box item must fit the rectangle it is painted in.
// A failure names the window, the widget and the text.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "controls/static_ex.h"
#include "cut_text.h"
#include "platform/message_service.h"
#include "radio_port_fakes.h"
#include "radiolink/k2_radio_port.h"
#include "server/k2_com_port_diag_dlg.h"
#include "server/log_config_dlg.h"
#include "server/log_view.h"
#include "server/main_frame.h"
#include "server/message_logger_thread.h"
#include "server/orvo_cfg.h"
#include "server/server_registry_store.h"
#include "tests/support/row_names.h"
#include "tests/support/settings_sandbox.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Texts a size the system must keep cannot hold: the start of the line and
// the words of the fault, each with its reason.
const std::vector<cut_text::Exception> kExceptions = {};

// A settings file whose every stored value a page cannot show as stored: each
// page opens with its notices, the longest of them.
const std::string kUnshownIni =
    "[General]\n"
    "HomeDir=/home/op/log\nCallsign=" +
    std::string(80, 'K') +
    "\nName=Ann\nQTH=\"Boston, MA\"\n"
    "Offset%20from%20UTC=0xFF\nLog%20File%20Name=Orvo.Log\nSW%20Logging%20Mode=224\n"
    "NS%20Host=ns.example\nNS%20Port=port\n"
    "[Comm%20Port]\nPort=42\nSpeed=abc\nParity=7\nStop%20bit=5\n"
    "[HAM%20Band%20Info]\n"
    "10M%20Low%20Band%20Edge=28000000\n10M%20High%20Band%20Edge=29700000\n"
    "12M%20Low%20Band%20Edge=24890000\n12M%20High%20Band%20Edge=24990000\n"
    "15M%20Low%20Band%20Edge=21000000\n";

class CutText;

struct Case {
    const char* name;
    // Opens the window in each of its states and checks it in each.
    std::function<void(CutText&, cut_text::Finder&)> open;
};
ROW_NAME(Case, row.name);

// A fresh settings file, a real logger and a radio object whose port stays
// closed.
class CutText : public ::testing::TestWithParam<Case> {
  public:
    void SetUp() override {
        MessageService::queueAnswers({});
        m_radio = std::make_unique<CK2RadioPort>(
            test_radio::quickPolls(m_sleeper, serialDir(), 200ms), 0);
    }
    void TearDown() override {
        m_radio->CloseRadioPort();
        m_logger.stop();
        m_radio.reset();
        MessageService::queueAnswers({});
    }

    static void look(QWidget& window, cut_text::Finder& finder) {
        window.show();
        QCoreApplication::processEvents();
        finder.check(window);
    }

    void writeIni(const std::string& content) const {
        const fs::path ini = m_settings.configDir() / "N0CALL Software" / "Rig Control.ini";
        fs::create_directories(ini.parent_path());
        std::ofstream(ini, std::ios::binary) << content;
    }

    fs::path serialDir() const { return m_settings.dir() / "serial"; }

    SettingsSandbox m_settings{"cut-text-server"};
    brakton::CServerRegistryStore m_store;
    CMessageLoggerThread m_logger;
    test_radio::NoPauseSleeper m_sleeper;
    std::unique_ptr<CK2RadioPort> m_radio;
};

// The frame with its log window.
void mainFrame(CutText& t, cut_text::Finder& finder) {
    CMainFrame frame(t.m_store, t.m_logger, *t.m_radio, [] { return false; });
    ASSERT_NE(frame.LogView(), nullptr) << "the log window opens with the frame";
    CutText::look(frame, finder);
}

void logConfigDialog(CutText&, cut_text::Finder& finder) {
    CLogConfigDlg dialog(0, 0);
    CutText::look(dialog, finder);
}

// The sheet on its page `page`, the page's notices shown.
void configPage(CutText& t, cut_text::Finder& finder, int page) {
    t.writeIni(kUnshownIni);
    brakton::COrvoCfg sheet(
        t.m_store, t.serialDir(), [](bool) {}, nullptr, [](const std::string&) {});
    sheet.Tabs()->setCurrentIndex(page);
    CutText::look(sheet, finder);
}

void systemPage(CutText& t, cut_text::Finder& finder) {
    configPage(t, finder, 0);
}

void commPortPage(CutText& t, cut_text::Finder& finder) {
    configPage(t, finder, 1);
}

void bandPage(CutText& t, cut_text::Finder& finder) {
    configPage(t, finder, 2);
}

void comPortDiagDialog(CutText& t, cut_text::Finder& finder) {
    // The highest port a page offers, its device missing.
    t.writeIni(kUnshownIni.substr(0, kUnshownIni.find("Port=42")) + "Port=18\nSpeed=9600\n");
    brakton::CK2ComPortDiagDlg dialog(t.m_store, *t.m_radio);
    t.m_radio->EnterCOMPortDiagMode(&dialog);
    auto* port = qobject_cast<CStaticEx*>(dialog.control(1070));
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->text().trimmed(), QStringLiteral("COM18"));
    CutText::look(dialog, finder);
    t.m_radio->ExitCOMPortDiagMode();
}

const Case kCases[] = {
    {"MainFrame", mainFrame},         {"LogConfigDialog", logConfigDialog},
    {"ConfigSystemPage", systemPage}, {"ConfigCommPortPage", commPortPage},
    {"ConfigBandPage", bandPage},     {"ComPortDiagDialog", comPortDiagDialog},
};

TEST_P(CutText, EveryTextOfTheWindowShowsWhole) {
    cut_text::Finder finder(GetParam().name);
    GetParam().open(*this, finder);
    EXPECT_EQ(cut_text::unexcepted(finder, kExceptions), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(BraktonWindows, CutText, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
