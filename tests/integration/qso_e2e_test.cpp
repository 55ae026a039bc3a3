// QSO logging end to end: Pelorin started in this process against Brakton and
// the K2 simulator. Each Log It in an entry window must put one line with the
// radio's frequency, band and mode (the transmitting VFO's in split) into the
// log file at once; a change to contest logging must start a contest log, and
// the exit must leave the file complete.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/panel/front_panel_layout.h"
#include "client/qso/qso_entry_dialog.h"
#include "client/qso/qso_log_file.h"
#include "client/qso/qso_logging_dlg.h"
#include "client/qso/qso_logging_owner.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "platform/atomic_file.h"
#include "tests/integration/pelorin_chain.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e_chain;
using namespace front_panel;

std::int64_t systemNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::vector<std::string> lines(const std::filesystem::path& path) {
    std::string bytes;
    platform::readWholeFile(path.string(), bytes);
    std::vector<std::string> result;
    std::size_t pos = 0;
    std::string_view line;
    while (pelorin::NextLogLine(bytes, pos, line)) {
        result.emplace_back(line);
    }
    return result;
}

// The fields of a log line, without the empty one after the last ";".
std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result;
    std::size_t pos = 0;
    std::string_view field;
    while (pelorin::NextLogField(line, pos, field)) {
        result.emplace_back(field);
    }
    return result;
}

class QsoEndToEnd : public PelorinChainTest {
  protected:
    QsoLoggingOwner& owner() { return m_pelorin->qsoLogging(); }

    QsoEntryDialog* entryWindow() {
        pelorin::CQSOInfoGUIThread* info = owner().info();
        return info == nullptr ? nullptr : dynamic_cast<QsoEntryDialog*>(info->entryWindow());
    }

    pelorin::CQSOLoggingDlg* logWindow() {
        pelorin::CQSOLoggerGUIThread* logger = owner().logger();
        return logger == nullptr ? nullptr
                                 : dynamic_cast<pelorin::CQSOLoggingDlg*>(logger->window());
    }

    template <class T>
    T* at(int id) {
        return qobject_cast<T*>(panel().control(id));
    }

    // Types `call` into the entry window's call box and clicks Log It.
    void logIt(const std::string& call) {
        QsoEntryDialog* window = entryWindow();
        ASSERT_NE(window, nullptr);
        window->callEdit()->selectAll();
        QTest::keyClicks(window->callEdit(), QString::fromLatin1(call.c_str()));
        window->logItButton()->click();
    }

    bool waitForLines(const std::filesystem::path& path, std::size_t count) {
        return pumpUntil(kPanelBound, [&] { return lines(path).size() >= count; });
    }

    std::filesystem::path logFolder() const { return m_home / "Orvo"; }
};

TEST_F(QsoEndToEnd, LogItPutsTheRadiosDataIntoTheLogFileAtOnce) {
    ASSERT_TRUE(WaitUntilConnected());
    const FrontPanelModel& model = panel().model();
    ASSERT_TRUE(pumpUntil(kRadioBound,
                          [&] { return model.m_ulVFOAFreq == 14060000 && model.m_nOpMode == 3; }))
        << model.m_ulVFOAFreq << " Hz, mode " << model.m_nOpMode;

    // Alt+L on the panel: both windows.
    QTest::keyClick(&panel(), Qt::Key_L, Qt::AltModifier);
    ASSERT_TRUE(pumpUntil(kPanelBound, [&] {
        return entryWindow() != nullptr && entryWindow()->isVisible() && logWindow() != nullptr &&
               logWindow()->isVisible();
    }));
    EXPECT_EQ(entryWindow()->Style(), pelorin::kNormalLogStyle);
    const std::filesystem::path log = logFolder() / "Orvo.QSO.Log";

    {
        SCOPED_TRACE("simulator's defaults");
        const std::int64_t before = systemNow();
        logIt("n0call");
        ASSERT_TRUE(waitForLines(log, 1));
        const std::int64_t after = systemNow();
        const auto line = lines(log).at(0);
        const auto f = fields(line);
        ASSERT_EQ(f.size(), 13u) << line;
        const auto stamp = pelorin::ParseLogDateTime(f[3]);
        ASSERT_TRUE(stamp.has_value()) << line;
        EXPECT_GE(*stamp, before) << line;  // the system clock's UTC
        EXPECT_LE(*stamp, after) << line;
        EXPECT_EQ(line, "0;1;N0CALL;" + f[3] + ";  20M;14060000;CW;;;;;0;;");
    }
    {
        SCOPED_TRACE("USB on 40 m");
        at<QAbstractButton>(IDC_MODE_USB)->click();
        emit at<QComboBox>(IDC_BAND_COMBO)->activated(6);
        ASSERT_TRUE(pumpUntil(
            kRadioBound, [&] { return model.m_nOpMode == 2 && model.m_ulVFOAFreq == 7040000; }))
            << model.m_ulVFOAFreq << " Hz, mode " << model.m_nOpMode;
        logIt("K1ABC");
        ASSERT_TRUE(waitForLines(log, 2));
        const auto f = fields(lines(log).at(1));
        ASSERT_EQ(f.size(), 13u);
        EXPECT_EQ(f[1] + ";" + f[2] + ";" + f[4] + ";" + f[5] + ";" + f[6],
                  "2;K1ABC;  40M;7040000;USB");
    }
    {
        SCOPED_TRACE("split: VFO B transmits");
        at<QAbstractButton>(IDC_A_TO_B)->click();
        ASSERT_TRUE(pumpUntil(kRadioBound, [&] { return model.m_ulVFOBFreq == 7040000; }));
        panel().OnVFOEditFocus(0, true);
        at<QLineEdit>(IDC_VFOA)->setText(QStringLiteral("7030"));
        panel().OnVFOEditEnter(0);
        at<QAbstractButton>(IDC_VFOB_TX)->click();
        ASSERT_TRUE(pumpUntil(kRadioBound,
                              [&] {
                                  return model.m_ulVFOAFreq == 7030000 &&
                                         model.m_ulVFOBFreq == 7040000 && model.m_nTxVFO == 1;
                              }))
            << "A " << model.m_ulVFOAFreq << ", B " << model.m_ulVFOBFreq << ", Tx "
            << model.m_nTxVFO;
        logIt("K2DEF");
        ASSERT_TRUE(waitForLines(log, 3));
        const auto f = fields(lines(log).at(2));
        ASSERT_EQ(f.size(), 13u);
        EXPECT_EQ(f[2] + ";" + f[4] + ";" + f[5] + ";" + f[6], "K2DEF;  40M;7040000;USB");
    }
    {
        SCOPED_TRACE("contest logging");
        // As the configuration page applies it: the mode and the default
        // name stored, then command 12, queued.
        pelorin::CRegistryStore settings;
        ASSERT_TRUE(settings.WriteQsoLoggingMode(pelorin::kContestLogStyle));
        ASSERT_TRUE(settings.WriteCurrentLogFileName("Orvo.QSO.Log"));
        QMetaObject::invokeMethod(
            &panel(),
            [this] {
                panel().executeRemoteCmd(CK2FrontPanelControlDlg::REMOTE_CMD_QSOLOG_STYLE_CHANGE,
                                         pelorin::kContestLogStyle);
            },
            Qt::QueuedConnection);
        ASSERT_TRUE(pumpUntil(kPanelBound, [&] {
            return entryWindow() != nullptr &&
                   entryWindow()->Style() == pelorin::kContestLogStyle && logWindow() != nullptr &&
                   logWindow()->ColumnsStyle() == pelorin::kContestLogStyle;
        }));
        const std::filesystem::path contestLog = logFolder() / "Orvo-1.QSO.Log";
        EXPECT_EQ(owner().logger()->logFileName(), contestLog.string());

        // Two quick Log Its: both logged, in order.
        logIt("K3GHI");
        entryWindow()->logItButton()->click();
        ASSERT_TRUE(waitForLines(contestLog, 2)) << lines(contestLog).size();
        const auto all = lines(contestLog);
        ASSERT_EQ(all.size(), 2u);
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto f = fields(all[i]);
            ASSERT_EQ(f.size(), 10u) << all[i];
            EXPECT_EQ(f[0] + ";" + f[1] + ";" + f[2] + ";" + f[4] + ";" + f[5],
                      "1;" + std::to_string(i + 1) + ";K3GHI;  40M;7040000");
        }
        EXPECT_EQ(lines(log).size(), 3u) << "the normal log is left as it was";
    }
    {
        SCOPED_TRACE("exit");
        const auto before = lines(logFolder() / "Orvo-1.QSO.Log");
        MessageService::queueAnswers({true});
        panel().OnOK();
        ASSERT_TRUE(pumpUntil(15s, [&] { return m_exitCode.has_value(); }));
        EXPECT_EQ(lines(logFolder() / "Orvo-1.QSO.Log"), before);
    }
    ExpectCleanBrakton();
}

}  // namespace
