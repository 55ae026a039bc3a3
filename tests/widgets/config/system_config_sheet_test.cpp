// Pelorin's System Configuration sheet on a real settings file in a fresh
// folder: what it shows, what OK and Apply write and tell the panel, what a
// refusal or a failed write leaves, and that opening writes nothing.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/config/orvo_cfg.h"
#include "client/config/system_cfg_dlg.h"
#include "controls/property_page.h"
#include "controls/stepped_value.h"
#include "platform/message_service.h"
#include "platform/settings_reader.h"
#include "tests/support/row_names.h"
#include "tests/support/settings_sandbox.h"

namespace {

using Page = pelorin::CSystemCfgDlg;

class SystemConfigSheet : public ::testing::Test {
  protected:
    void TearDown() override { m_sheet.reset(); }

    // A complete settings file, as a first run of the store leaves it.
    void storeDefaults() {
        std::string home, call, name, qth, log;
        std::uint8_t utc = 0, logging = 0;
        m_store.ReadOperatorInfo(home, call, name, qth, utc, log, logging);
        std::string host;
        int port = 0;
        m_store.ReadNameService(host, port);
        int mode = 0;
        m_store.ReadQsoLoggingMode(mode);
        std::string grid, cq, itu;
        int counter = 0, output = 0, useUtc = 0;
        m_store.ReadQsoLogInfo(grid, cq, itu, counter, output, useUtc);
        std::string current;
        m_store.ReadCurrentLogFileName(current);
    }

    Page& open() {
        m_sheet =
            std::make_unique<pelorin::COrvoCfg>(m_store, [this](int command, std::intptr_t param) {
                m_posted.push_back(std::to_string(command) + " " + std::to_string(param));
            });
        m_sheet->show();
        return *m_sheet->SystemPage();
    }

    QLineEdit* edit(int id) { return qobject_cast<QLineEdit*>(m_sheet->SystemPage()->control(id)); }
    QCheckBox* box(int id) { return qobject_cast<QCheckBox*>(m_sheet->SystemPage()->control(id)); }
    void type(int id, const char* text) {
        edit(id)->setText(QString::fromUtf8(text));
        emit edit(id)->textEdited(edit(id)->text());
    }

    std::string file() const { return pelorin::CRegistryStore::SettingsFilePath(); }
    std::string bytes() const {
        std::ifstream in(file(), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    SettingsReader reader() const {
        return SettingsReader(QStringLiteral("N0CALL Software"), QStringLiteral("Pelorin"));
    }
    int byteValue(const char* group, const char* name) const {
        const auto read = reader().byte(QString::fromLatin1(group), QString::fromLatin1(name));
        return read.ok() ? read.value : -1;
    }
    std::string textValue(const char* name) const {
        const auto read = reader().text({}, QString::fromLatin1(name));
        return read.ok() ? read.value : "<missing>";
    }
    std::vector<std::string> messages() const { return m_settings.messages(); }

    SettingsSandbox m_settings{"pelorin-config"};
    pelorin::CRegistryStore m_store;
    std::unique_ptr<pelorin::COrvoCfg> m_sheet;
    std::vector<std::string> m_posted;
};

TEST_F(SystemConfigSheet, ShowsStoredValuesAndWritesThemBack) {
    storeDefaults();
    m_store.WriteCounterSettings(42, 0x83);
    open();
    EXPECT_EQ(edit(Page::IDC_UTC_OFFSET)->text(), "-7");
    EXPECT_TRUE(box(Page::IDC_CUT_NUMBER)->isChecked());
    EXPECT_EQ(edit(Page::IDC_SERIAL_DIGITS)->text(), "3");
    EXPECT_EQ(edit(Page::IDC_NS_PORT)->text(), "10000");
    // The box that has no effect.
    EXPECT_FALSE(box(Page::IDC_CONNECT_AUTOMATICALLY)->isChecked());
    EXPECT_FALSE(box(Page::IDC_CONNECT_AUTOMATICALLY)->isEnabled());
    EXPECT_FALSE(m_sheet->ApplyButton()->isEnabled());
#ifdef PANEL_SCREENSHOT_DIR
    std::filesystem::create_directories(PANEL_SCREENSHOT_DIR);
    QCoreApplication::processEvents();
    m_sheet->grab().save(QStringLiteral(PANEL_SCREENSHOT_DIR "/config-system.png"));
#endif

    type(Page::IDC_SERIAL_DIGITS, "4");
    EXPECT_TRUE(m_sheet->ApplyButton()->isEnabled());
    type(Page::IDC_UTC_OFFSET, "5");
    ASSERT_TRUE(m_sheet->Apply());
    EXPECT_EQ(byteValue("Settings", "Output Mode"), 0x84);
    EXPECT_EQ(byteValue("", "Offset from UTC"), 0x05);
    EXPECT_FALSE(m_sheet->ApplyButton()->isEnabled());
    EXPECT_TRUE(m_posted.empty());
}

TEST_F(SystemConfigSheet, TypedHostIsStoredWithoutItsBlanks) {
    storeDefaults();
    open();
    type(Page::IDC_NS_HOST, "localhost ");
    ASSERT_TRUE(m_sheet->Apply());
    std::string host;
    int port = 0;
    ASSERT_TRUE(m_store.ReadNameService(host, port));
    EXPECT_EQ(host, "localhost");
}

TEST_F(SystemConfigSheet, ADigitCountAboveFiveShowsFive) {
    storeDefaults();
    m_store.WriteCounterSettings(1, 0x09);
    open();
    EXPECT_EQ(edit(Page::IDC_SERIAL_DIGITS)->text(), "5");
    EXPECT_FALSE(box(Page::IDC_CUT_NUMBER)->isChecked());
}

TEST_F(SystemConfigSheet, ContestStyleOnOkResetsTheLogNameAndTellsThePanelOnce) {
    storeDefaults();
    m_store.WriteCurrentLogFileName("Mine.QSO.Log");
    Page& page = open();
    emit static_cast<SteppedValue*>(page.control(Page::IDC_LOGGING_STYLE_SPIN))->stepped(-1);
    EXPECT_EQ(static_cast<SteppedValue*>(page.control(Page::IDC_LOGGING_STYLE))->text(),
              " Contest ");
    m_sheet->accept();
    EXPECT_EQ(byteValue("", "QSO Logging Mode"), 1);
    EXPECT_EQ(textValue("Current Log File Name"), "Orvo.QSO.Log");
    EXPECT_EQ(m_posted, std::vector<std::string>{"12 1"});
    m_posted.clear();
    ASSERT_TRUE(m_sheet->Apply());
    EXPECT_TRUE(m_posted.empty());
}

TEST_F(SystemConfigSheet, UntickingUtcTellsThePanelOnce) {
    storeDefaults();
    open();
    ASSERT_TRUE(box(Page::IDC_USE_UTC)->isChecked());
    box(Page::IDC_USE_UTC)->click();
    ASSERT_TRUE(m_sheet->Apply());
    ASSERT_TRUE(m_sheet->Apply());
    EXPECT_EQ(m_posted, std::vector<std::string>{"21 0"});
    EXPECT_EQ(byteValue("", "Use UTC in Log"), 0);
}

TEST_F(SystemConfigSheet, OpeningAndCancellingWritesNothing) {
    // Values missing: no file is made.
    open();
    m_sheet->reject();
    EXPECT_FALSE(std::filesystem::exists(file()));
    // A whole file stays byte for byte.
    storeDefaults();
    const std::string before = bytes();
    open();
    type(Page::IDC_NAME, "Changed");
    m_sheet->reject();
    EXPECT_EQ(bytes(), before);
}

TEST_F(SystemConfigSheet, ApplyKeepsACounterSteppedWhileOpenAndFillsTheSlots) {
    storeDefaults();
    m_store.WriteCounterSettings(7, 0);
    open();
    m_store.WriteCounterSettings(8, 0);  // the keyboard-CW window sends a number
    type(Page::IDC_CALLSIGN, "DL1ABC");
    type(Page::IDC_NAME, "Otto");
    type(Page::IDC_QTH, "Berlin");
    ASSERT_TRUE(m_sheet->Apply());
    int counter = 0, output = 0;
    m_store.ReadCounterSettings(counter, output);
    EXPECT_EQ(counter, 8);
    std::string slot;
    m_store.GetStringSlot(1, slot);
    EXPECT_EQ(slot, "DL1ABC");
    m_store.GetStringSlot(2, slot);
    EXPECT_EQ(slot, "Otto");
    m_store.GetStringSlot(3, slot);
    EXPECT_EQ(slot, "Berlin");
}

// A counter the sheet cannot read is written back neither as its default nor
// cut: the next serial number is the operator's to set.
struct UnreadableCounterCase {
    const char* name;
    const char* stored;
};
ROW_NAME(UnreadableCounterCase, row.name);

const UnreadableCounterCase kUnreadableCounters[] = {
    {"NotAWholeNumber", "12x"},
    {"DwordAboveTheSignedRange", "4294967291"},
};

class SystemConfigUnreadableCounter : public SystemConfigSheet,
                                      public ::testing::WithParamInterface<UnreadableCounterCase> {
};

TEST_P(SystemConfigUnreadableCounter, StaysAsItStandsThroughApply) {
    storeDefaults();
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
              QStringLiteral("Pelorin"))
        .setValue(QStringLiteral("Settings/Counter Value"), QString::fromLatin1(GetParam().stored));
    open();
    type(Page::IDC_CALLSIGN, "DL1ABC");
    type(Page::IDC_SERIAL_DIGITS, "4");
    ASSERT_TRUE(m_sheet->Apply());
    EXPECT_EQ(textValue("Callsign"), "DL1ABC");
    EXPECT_EQ(byteValue("Settings", "Output Mode"), 4);
    const auto counter = reader().text(QStringLiteral("Settings"), QStringLiteral("Counter Value"));
    EXPECT_EQ(counter.value, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Stored, SystemConfigUnreadableCounter,
                         ::testing::ValuesIn(kUnreadableCounters), CaseName());

class RefusingPage : public PropertyPage {
  public:
    bool check() override {
        MessageService::showError("Refused here");
        return false;
    }
    bool apply() override { return true; }
};

TEST_F(SystemConfigSheet, AnAddedPageThatRefusesStopsEveryWrite) {
    storeDefaults();
    const std::string before = bytes();
    open();
    auto* other = new RefusingPage;
    m_sheet->addPage(other, QStringLiteral("Other"));
    type(Page::IDC_NAME, "Changed");
    m_sheet->accept();
    EXPECT_EQ(bytes(), before);
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(m_sheet->Tabs()->currentWidget(), other);
    EXPECT_EQ(messages(), std::vector<std::string>{"error\tRefused here"});
}

struct RefusedCase {
    const char* name;
    int field;
    const char* text;
    const char* message;
};
ROW_NAME(RefusedCase, row.name);

const RefusedCase kRefused[] = {
    {"PortZero", Page::IDC_NS_PORT, "0", "Please enter an integer between 1 and 32000."},
    {"PortTooHigh", Page::IDC_NS_PORT, "32001", "Please enter an integer between 1 and 32000."},
    {"PortNotANumber", Page::IDC_NS_PORT, "abc", "Please enter an integer."},
    {"SixDigits", Page::IDC_SERIAL_DIGITS, "6", "Please enter an integer between 0 and 5."},
    {"UtcFifteen", Page::IDC_UTC_OFFSET, "15", "Please enter an integer between -12 and 14."},
    {"UtcMinusThirteen", Page::IDC_UTC_OFFSET, "-13",
     "Please enter an integer between -12 and 14."},
    {"EmptyHost", Page::IDC_NS_HOST, "", "Please enter a name server host."},
    {"BlankHost", Page::IDC_NS_HOST, "  ", "Please enter a name server host."},
    {"BlankInsideHost", Page::IDC_NS_HOST, "local host",
     "Name Server Host must not contain blanks"},
};

class SystemConfigRefuses : public SystemConfigSheet,
                            public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(SystemConfigRefuses, ShowsTheMessageWritesNothingAndSelectsTheField) {
    const RefusedCase& row = GetParam();
    storeDefaults();
    const std::string before = bytes();
    Page& page = open();
    type(row.field, row.text);
    m_sheet->accept();
    EXPECT_EQ(messages(), std::vector<std::string>{std::string("error\t") + row.message});
    EXPECT_EQ(bytes(), before);
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(m_sheet->Tabs()->currentWidget(), &page);
    EXPECT_EQ(page.focusWidget(), edit(row.field));
    EXPECT_TRUE(m_posted.empty());
}

// An apply that no check came before takes nothing the check would refuse.
TEST_P(SystemConfigRefuses, ApplyWithoutTheCheckWritesNothing) {
    const RefusedCase& row = GetParam();
    storeDefaults();
    const std::string before = bytes();
    Page& page = open();
    type(row.field, row.text);
    EXPECT_FALSE(page.apply());
    EXPECT_EQ(bytes(), before);
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(m_posted.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, SystemConfigRefuses, ::testing::ValuesIn(kRefused), CaseName());

TEST_F(SystemConfigSheet, TextsTakeAt79BytesTypedOrPasted) {
    storeDefaults();
    open();
    QLineEdit* qth = edit(Page::IDC_QTH);
    qth->clear();
    QApplication::clipboard()->setText(QString(78, QLatin1Char('q')) + QStringLiteral("\u00fc!"));
    qth->paste();
    EXPECT_EQ(qth->text(), QString(78, QLatin1Char('q')));
    qth->clear();
    qth->insert(QString(77, QLatin1Char('q')) + QStringLiteral("\u00fc\u00fc"));
    EXPECT_EQ(qth->text(), QString(77, QLatin1Char('q')) + QStringLiteral("\u00fc"));
}

TEST_F(SystemConfigSheet, AFailedWriteIsReportedAndNothingIsPosted) {
    storeDefaults();
    open();
    box(Page::IDC_USE_UTC)->click();
    std::filesystem::remove(file());
    std::filesystem::create_directories(file());  // a folder where the file was
    m_sheet->accept();
    EXPECT_EQ(messages(), std::vector<std::string>{"error\tUnable to Save System Configuration!"});
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_TRUE(m_sheet->SystemPage()->isModified());
    EXPECT_TRUE(m_posted.empty());
}

}  // namespace
