#include "server/orvo_cfg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "../unit/server/store_fixture.h"
#include "controls/stepped_value.h"
#include "platform/message_service.h"
#include "server/config_page.h"
#include "server/ham_band_info_cfg_dlg.h"
#include "server/k2_comm_port_cfg_dlg.h"
#include "server/server_registry_store.h"
#include "server/system_cfg_dlg.h"
#include "tests/support/row_names.h"

namespace {

namespace fs = std::filesystem;
using brakton::COrvoCfg;

// A settings file with every value the sheet shows.
const std::string kGoodIni =
    "[General]\n"
    "HomeDir=/home/op/log\nCallsign=K1ABC\nName=Ann\nQTH=\"Boston, MA\"\n"
    "Offset%20from%20UTC=133\nLog%20File%20Name=Orvo.Log\nSW%20Logging%20Mode=224\n"
    "NS%20Host=ns.example\nNS%20Port=2809\nAudio%20Host%20Command%20Name=streamer\n"
    "Audio%20Streaming%20Host=1\nPA%20Option=0\n"
    "[Comm%20Port]\nPort=2\nSpeed=9600\nParity=0\nStop%20bit=1\n"
    "[HAM%20Band%20Info]\n"
    "10M%20Low%20Band%20Edge=28000000\n10M%20High%20Band%20Edge=29700000\n"
    "12M%20Low%20Band%20Edge=24890000\n12M%20High%20Band%20Edge=24990000\n"
    "15M%20Low%20Band%20Edge=21000000\n15M%20High%20Band%20Edge=21450000\n"
    "17M%20Low%20Band%20Edge=18068000\n17M%20High%20Band%20Edge=18168000\n"
    "20M%20Low%20Band%20Edge=14000000\n20M%20High%20Band%20Edge=14350000\n"
    "30M%20Low%20Band%20Edge=10100000\n30M%20High%20Band%20Edge=10150000\n"
    "40M%20Low%20Band%20Edge=7000000\n40M%20High%20Band%20Edge=7200000\n"
    "80M%20Low%20Band%20Edge=3500000\n80M%20High%20Band%20Edge=4000000\n"
    "160M%20Low%20Band%20Edge=1800000\n160M%20High%20Band%20Edge=2000000\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no " << from;
        return text;
    }
    return text.replace(at, from.size(), to);
}

// The widget's picture, kept under the build tree for looking at.
void saveScreenshot(QWidget& widget, const char* name) {
    std::filesystem::create_directories(BRAKTON_SCREENSHOT_DIR);
    QCoreApplication::processEvents();
    ASSERT_TRUE(widget.grab().toImage().save(QString::fromLatin1(BRAKTON_SCREENSHOT_DIR "/") +
                                             QString::fromLatin1(name)));
}

class ConfigSheetTest : public StoreFixture {
  protected:
    void SetUp() override {
        StoreFixture::SetUp();
        MessageService::queueAnswers({});
    }
    void TearDown() override {
        m_sheet.reset();
        StoreFixture::TearDown();
    }

    COrvoCfg& openSheet() {
        m_sheet = std::make_unique<COrvoCfg>(
            m_store, m_dir / "serial", [this](bool on) { m_notices.push_back(on); }, nullptr,
            [this](const std::string& line) { m_log.push_back(line); });
        m_sheet->show();
        return *m_sheet;
    }

    // Shows every page, as an operator clicking through the tabs does.
    void showAllPages() {
        for (int i = 0; i < m_sheet->Tabs()->count(); ++i) {
            m_sheet->Tabs()->setCurrentIndex(i);
        }
        m_sheet->Tabs()->setCurrentIndex(0);
    }

    QLineEdit* edit(int id) const { return qobject_cast<QLineEdit*>(m_sheet->control(id)); }
    SteppedValue* stepper(int id) const {
        return qobject_cast<SteppedValue*>(m_sheet->control(id));
    }
    QString shown(int id) const {
        QWidget* control = m_sheet->control(id);
        if (auto* e = qobject_cast<QLineEdit*>(control)) {
            return e->text();
        }
        if (auto* s = qobject_cast<SteppedValue*>(control)) {
            return s->text();
        }
        if (auto* c = qobject_cast<QCheckBox*>(control)) {
            return c->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
        }
        return QStringLiteral("<no control>");
    }

    std::string fileBytes() const {
        std::ifstream in(iniPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Types over the last character of a field, which leaves its text as it was.
    static void retypeLast(QLineEdit* field) {
        const QString last = field->text().right(1);
        field->end(false);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, last);
    }

    static void retype(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }

    brakton::CServerRegistryStore m_store;
    std::unique_ptr<COrvoCfg> m_sheet;
    std::vector<bool> m_notices;
    std::vector<std::string> m_log;
};

TEST_F(ConfigSheetTest, TabsInOrder) {
    writeIni(kGoodIni);
    COrvoCfg& sheet = openSheet();
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("System Configuration"));
    ASSERT_EQ(sheet.Tabs()->count(), 3);
    EXPECT_EQ(sheet.Tabs()->tabText(0), QStringLiteral("System Configuration"));
    EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("K2 COMM Port"));
    EXPECT_EQ(sheet.Tabs()->tabText(2), QStringLiteral("Edit HAM Band Info"));
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
}

TEST_F(ConfigSheetTest, Screenshots) {
    writeIni(replaced(kGoodIni, "Parity=0", "Parity=7"));
    COrvoCfg& sheet = openSheet();
    const char* names[] = {"brakton-config-system.png", "brakton-config-comport.png",
                           "brakton-config-bands.png"};
    for (int i = 0; i < 3; ++i) {
        sheet.Tabs()->setCurrentIndex(i);
        saveScreenshot(sheet, names[i]);
    }
}

// --- Loading -----------------------------------------------------------------------------

struct LoadCase {
    const char* name;
    std::string ini;
    std::map<int, const char*> texts;
    const char* notices[3];
};
ROW_NAME(LoadCase, row.name);

class ConfigSheetLoadTest : public ConfigSheetTest,
                            public ::testing::WithParamInterface<LoadCase> {};

// Opening shows the stored values (or defaults with their notices); opening and Cancel leave
// the file byte for byte as it was.
TEST_P(ConfigSheetLoadTest, ShowsTheStoredValuesAndStoresNothing) {
    const LoadCase& row = GetParam();
    writeIni(row.ini);
    const std::string before = fileBytes();
    COrvoCfg& sheet = openSheet();
    showAllPages();
    for (const auto& [id, text] : row.texts) {
        EXPECT_EQ(shown(id), QString::fromUtf8(text)) << "control " << id;
    }
    EXPECT_EQ(sheet.SystemPage()->Notices().toStdString(), row.notices[0]);
    EXPECT_EQ(sheet.CommPortPage()->Notices().toStdString(), row.notices[1]);
    EXPECT_EQ(sheet.BandPage()->Notices().toStdString(), row.notices[2]);
    sheet.reject();
    m_sheet.reset();
    EXPECT_EQ(fileBytes(), before);
    EXPECT_TRUE(messages().empty());
}

const LoadCase kLoads[] = {
    {"GoodValues",
     kGoodIni,
     {{1015, "K1ABC"},
      {1014, "/home/op/log"},
      {1079, "Orvo.Log"},
      {1016, "Ann"},
      {1017, "Boston, MA"},
      {1018, "-5"},
      {1064, "ns.example"},
      {1065, "2809"},
      {1066, "checked"},
      {1067, "streamer"},
      {1001, " COM2 "},
      {1005, "  9600 "},
      {1009, " None "},
      {1012, " 1 "},
      {1019, " Off "},
      {1023, "28000000"},
      {1059, "7200000"},
      {1063, "2000000"}},
     {"", "", ""}},
    {"ValuesAPageCannotOffer",
     replaced(replaced(replaced(replaced(replaced(replaced(kGoodIni, "Port=2\n", "Port=42\n"),
                                                  "Parity=0", "Parity=7"),
                                         "Stop%20bit=1", "Stop%20bit=5"),
                                "Speed=9600", "Speed=abc"),
                       "40M%20High%20Band%20Edge=7200000\n", ""),
              "Offset%20from%20UTC=133", "Offset%20from%20UTC=0xFF"),
     {{1018, "-127"},
      {1001, " COM1 "},
      {1005, "  4800 "},
      {1009, " None "},
      {1012, " 1 "},
      {1057, "7000000"},
      {1059, "7300000"}},
     {"",
      "Stored Port 42 is not offered: COM1 will be saved.\n"
      "Stored Speed could not be read: 4800 will be saved.\n"
      "Stored Parity 7 is not offered: None will be saved.\n"
      "Stored Stop bit 5 is not offered: 1 will be saved.\n",
      "Stored 40M High Band Edge is missing: 7300000 will be saved.\n"}},
    {"UnreadableMainValues",
     replaced(replaced(kGoodIni, "Callsign=K1ABC", "Callsign=" + std::string(80, 'K')),
              "NS%20Port=2809", "NS%20Port=port"),
     {{1015, "N0CALL"}, {1065, "10000"}},
     {"Stored Callsign could not be read: N0CALL will be saved.\n"
      "Stored NS Port could not be read: 10000 will be saved.\n",
      "", ""}},
    {"NoAmplifierNorAudioValues",
     replaced(replaced(replaced(kGoodIni, "PA%20Option=0\n", ""),
                       "Audio%20Host%20Command%20Name=streamer\n", ""),
              "Audio%20Streaming%20Host=1\n", ""),
     {{1066, "unchecked"}, {1067, "SpeakFre.exe"}, {1019, " Off "}},
     {"", "", ""}},
    {"NoFileAtAll",
     "",
     {{1015, "N0CALL"}, {1018, "-7"}, {1065, "10000"}, {1001, " COM1 "}, {1023, "28000000"}},
     {"",
      "Stored Port is missing: COM1 will be saved.\n"
      "Stored Speed is missing: 4800 will be saved.\n"
      "Stored Parity is missing: None will be saved.\n"
      "Stored Stop bit is missing: 1 will be saved.\n",
      "Stored HAM Band Info is missing: the default edges will be saved.\n"}},
};

INSTANTIATE_TEST_SUITE_P(Stored, ConfigSheetLoadTest, ::testing::ValuesIn(kLoads), CaseName{});

// --- The notice area ---------------------------------------------------------------------

struct NoticeAreaCase {
    const char* name;
    int page;
    std::vector<std::pair<std::string, std::string>> replacements;  // stored values made bad
};
ROW_NAME(NoticeAreaCase, row.name);

class ConfigSheetNoticeAreaTest : public ConfigSheetTest,
                                  public ::testing::WithParamInterface<NoticeAreaCase> {};

// Every notice can be read: the text is laid out whole, and the area shows it or scrolls to it.
TEST_P(ConfigSheetNoticeAreaTest, EveryNoticeCanBeRead) {
    const NoticeAreaCase& row = GetParam();
    std::string ini = kGoodIni;
    for (const auto& [from, to] : row.replacements) {
        ini = replaced(ini, from, to);
    }
    writeIni(ini);
    COrvoCfg& sheet = openSheet();
    sheet.Tabs()->setCurrentIndex(row.page);
    QCoreApplication::processEvents();
    QWidget* page = sheet.Tabs()->currentWidget();
    auto* label = page->findChild<QLabel*>(QStringLiteral("notices"));
    ASSERT_NE(label, nullptr);
    ASSERT_EQ(static_cast<std::size_t>(label->text().count(QLatin1Char('\n')) + 1),
              row.replacements.size());
    EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "text cut off";
    auto* area = page->findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr) << "a fixed label cannot grow";
    EXPECT_TRUE(area->isVisible());
    EXPECT_LE(area->geometry().bottom(), page->height());
    EXPECT_GE(area->verticalScrollBar()->maximum() + area->viewport()->height(), label->height());
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    const QRect lastLine(0, label->height() - label->fontMetrics().height(), label->width(),
                         label->fontMetrics().height());
    const QRect shown(label->mapFrom(area->viewport(), QPoint(0, 0)), area->viewport()->size());
    EXPECT_TRUE(shown.contains(lastLine)) << "the last notice cannot be brought into view";
}

const std::pair<std::string, std::string> kBadCallsign{"Callsign=K1ABC",
                                                       "Callsign=" + std::string(80, 'K')};
const std::pair<std::string, std::string> kBadName{"Name=Ann", "Name=" + std::string(80, 'A')};
const std::pair<std::string, std::string> kBadQth{"QTH=\"Boston, MA\"",
                                                  "QTH=" + std::string(80, 'Q')};
const std::pair<std::string, std::string> kBadNsPort{"NS%20Port=2809", "NS%20Port=port"};
const std::pair<std::string, std::string> kBadLogging{"SW%20Logging%20Mode=224",
                                                      "SW%20Logging%20Mode=x"};
const std::pair<std::string, std::string> kBadAudio{"Audio%20Streaming%20Host=1",
                                                    "Audio%20Streaming%20Host=x"};

std::pair<std::string, std::string> badEdge(const std::string& value) {
    return {value + "=", value + "=x"};
}

const NoticeAreaCase kNoticeAreas[] = {
    {"FourOnTheSystemPage", 0, {kBadCallsign, kBadName, kBadQth, kBadNsPort}},
    {"SixOnTheSystemPage",
     0,
     {kBadCallsign, kBadName, kBadQth, kBadNsPort, kBadLogging, kBadAudio}},
    {"FourOnTheBandPage",
     2,
     {badEdge("10M%20Low%20Band%20Edge"), badEdge("12M%20Low%20Band%20Edge"),
      badEdge("15M%20Low%20Band%20Edge"), badEdge("17M%20Low%20Band%20Edge")}},
    {"SixOnTheBandPage",
     2,
     {badEdge("10M%20Low%20Band%20Edge"), badEdge("12M%20Low%20Band%20Edge"),
      badEdge("15M%20Low%20Band%20Edge"), badEdge("17M%20Low%20Band%20Edge"),
      badEdge("20M%20Low%20Band%20Edge"), badEdge("30M%20Low%20Band%20Edge")}},
};

INSTANTIATE_TEST_SUITE_P(Pages, ConfigSheetNoticeAreaTest, ::testing::ValuesIn(kNoticeAreas),
                         CaseName{});

TEST_F(ConfigSheetTest, NoFileStaysNoFile) {
    openSheet();
    showAllPages();
    m_sheet->reject();
    m_sheet.reset();
    EXPECT_FALSE(fs::exists(iniPath()));
}

// --- Writing -----------------------------------------------------------------------------

TEST_F(ConfigSheetTest, PagesNeverShownWriteNothing) {
    writeIni(replaced(kGoodIni, "Port=2\n", "Port=0\n"));
    auto expected = settingsFileValues();
    COrvoCfg& sheet = openSheet();
    retype(edit(1015), QStringLiteral("W1AW"));
    sheet.OkButton()->click();
    EXPECT_FALSE(sheet.isVisible());
    expected["Callsign"] = "W1AW";
    EXPECT_EQ(settingsFileValues(), expected);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(ConfigSheetTest, SteppedPortSettingsAreStoredAndLogged) {
    writeIni(replaced(replaced(kGoodIni, "Port=2\n", "Port=1\n"), "Speed=9600", "Speed=4800"));
    COrvoCfg& sheet = openSheet();
    sheet.Tabs()->setCurrentIndex(1);
    QTest::mouseClick(stepper(1001)->upButton(), Qt::LeftButton);    // COM2
    QTest::mouseClick(stepper(1005)->upButton(), Qt::LeftButton);    // 9600
    QTest::mouseClick(stepper(1009)->upButton(), Qt::LeftButton);    // Odd
    QTest::mouseClick(stepper(1012)->downButton(), Qt::LeftButton);  // 2
    EXPECT_EQ(shown(1001), QStringLiteral(" COM2 "));
    EXPECT_EQ(shown(1005), QStringLiteral("  9600 "));
    EXPECT_EQ(shown(1009), QStringLiteral(" Odd "));
    EXPECT_EQ(shown(1012), QStringLiteral(" 2 "));
    sheet.OkButton()->click();
    EXPECT_FALSE(sheet.isVisible());
    const auto values = settingsFileValues();
    EXPECT_EQ(values.at("Comm Port/Port"), "2");
    EXPECT_EQ(values.at("Comm Port/Speed"), "9600");
    EXPECT_EQ(values.at("Comm Port/Parity"), "1");
    EXPECT_EQ(values.at("Comm Port/Stop bit"), "2");
    EXPECT_EQ(m_log, std::vector<std::string>{"Port Cfg: COM2, 9600, Odd, 2"});
    EXPECT_TRUE(m_notices.empty());
}

TEST_F(ConfigSheetTest, StoredSpeedStepsFromItself) {
    writeIni(kGoodIni);  // 9600
    openSheet();
    m_sheet->Tabs()->setCurrentIndex(1);
    QTest::mouseClick(stepper(1005)->upButton(), Qt::LeftButton);
    EXPECT_EQ(shown(1005), QStringLiteral(" 19200 "));
    QTest::mouseClick(stepper(1005)->downButton(), Qt::LeftButton);
    QTest::mouseClick(stepper(1005)->downButton(), Qt::LeftButton);
    EXPECT_EQ(shown(1005), QStringLiteral("  4800 "));
}

TEST_F(ConfigSheetTest, TypedOffsetIsStoredAsSignAndMagnitude) {
    writeIni(kGoodIni);
    COrvoCfg& sheet = openSheet();
    retype(edit(1018), QStringLiteral("-7"));
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(settingsFileValues().at("Offset from UTC"), "135");
    retype(edit(1018), QStringLiteral("+14"));
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(settingsFileValues().at("Offset from UTC"), "14");
    // The logging byte has no field and goes back as read.
    EXPECT_EQ(settingsFileValues().at("SW Logging Mode"), "224");
}

TEST_F(ConfigSheetTest, TypedHostIsStoredWithoutItsBlanks) {
    writeIni(kGoodIni);
    COrvoCfg& sheet = openSheet();
    retype(edit(1064), QStringLiteral("localhost "));
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(settingsFileValues().at("NS Host"), "localhost");
}

// --- Modified state ----------------------------------------------------------------------

struct ModifyCase {
    std::string name;
    int page;
    int id;
};
ROW_NAME(ModifyCase, row.name);

std::vector<ModifyCase> modifyCases() {
    std::vector<ModifyCase> rows;
    for (int id : {1015, 1014, 1079, 1016, 1017, 1018, 1064, 1065, 1066, 1067}) {
        rows.push_back({(id == 1066 ? "Check" : "Edit") + std::to_string(id), 0, id});
    }
    for (int id : {1001, 1005, 1009, 1012, 1019}) {
        rows.push_back({"Stepper" + std::to_string(id), 1, id});
    }
    for (const auto& band : brakton::CHAMBandInfoCFGDlg::kEditIds) {
        for (int id : band) {
            rows.push_back({"Edit" + std::to_string(id), 2, id});
        }
    }
    return rows;
}

class ConfigSheetModifyTest : public ConfigSheetTest,
                              public ::testing::WithParamInterface<ModifyCase> {};

TEST_P(ConfigSheetModifyTest, EveryFieldEnablesApplyAndApplyDisablesIt) {
    writeIni(kGoodIni);
    COrvoCfg& sheet = openSheet();
    sheet.Tabs()->setCurrentIndex(GetParam().page);
    ASSERT_FALSE(sheet.ApplyButton()->isEnabled());
    QWidget* control = sheet.control(GetParam().id);
    if (auto* field = qobject_cast<QLineEdit*>(control)) {
        retypeLast(field);
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
    } else if (auto* value = qobject_cast<SteppedValue*>(control)) {
        QTest::mouseClick(value->upButton(), Qt::LeftButton);
    } else {
        FAIL() << "no control " << GetParam().id;
    }
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    sheet.ApplyButton()->click();
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    EXPECT_TRUE(messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Fields, ConfigSheetModifyTest, ::testing::ValuesIn(modifyCases()),
                         CaseName{});

TEST_F(ConfigSheetTest, PageWithANoticeIsModifiedOnceShown) {
    writeIni(replaced(kGoodIni, "Parity=0", "Parity=7"));
    COrvoCfg& sheet = openSheet();
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    sheet.Tabs()->setCurrentIndex(1);
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(settingsFileValues().at("Comm Port/Parity"), "0");
}

// --- Refusals ----------------------------------------------------------------------------

struct RefusalCase {
    const char* name;
    std::vector<std::pair<int, const char*>> typed;
    int page;
    int selected;
    const char* message;
};
ROW_NAME(RefusalCase, row.name);

class ConfigSheetRefusalTest : public ConfigSheetTest,
                               public ::testing::WithParamInterface<RefusalCase> {};

// A refusal shows its message, writes nothing from any page and keeps the sheet open on the
// field's page with the text selected.
TEST_P(ConfigSheetRefusalTest, RefusesWithItsMessageAndWritesNothing) {
    const RefusalCase& row = GetParam();
    writeIni(kGoodIni);
    const std::string before = fileBytes();
    COrvoCfg& sheet = openSheet();
    showAllPages();
    for (const auto& [id, text] : row.typed) {
        retype(edit(id), QString::fromUtf8(text));
    }
    sheet.OkButton()->click();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(messages(), std::vector<std::string>{std::string("error\t") + row.message});
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), row.page);
    QLineEdit* field = edit(row.selected);
    EXPECT_EQ(field->selectedText(), field->text());
    for (const auto& [id, text] : row.typed) {
        EXPECT_EQ(edit(id)->text(), QString::fromUtf8(text));
    }
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    EXPECT_TRUE(m_log.empty());
}

const RefusalCase kRefusals[] = {
    {"OffsetOutOfRange", {{1018, "200"}}, 0, 1018, "Please enter an integer between -12 and 14."},
    {"OffsetNotANumber", {{1018, "x"}}, 0, 1018, "Please enter an integer."},
    {"OffsetEmpty", {{1018, ""}}, 0, 1018, "Please enter an integer."},
    {"NameServerPortZero", {{1065, "0"}}, 0, 1065, "Please enter an integer between 1 and 32000."},
    {"NameServerPortWord", {{1065, "ten"}}, 0, 1065, "Please enter an integer."},
    {"NameServerHostBlank", {{1064, "   "}}, 0, 1064, "Please enter a name server host."},
    {"NameServerHostWithABlankInside",
     {{1064, "local host"}},
     0,
     1064,
     "Name Server Host must not contain blanks"},
    {"EdgeTwoToThe31",
     {{1024, "2147483648"}},
     2,
     1024,
     "Please enter an integer between 0 and 2147483647."},
    {"EdgeNotANumber", {{1057, "7.0e6"}}, 2, 1057, "Please enter an integer."},
    {"BandUpsideDown",
     {{1059, "6000000"}},
     2,
     1057,
     "40M Low Band Edge must be below its High Band Edge."},
    {"BadEdgeWithChangedCallsign",
     {{1015, "W1AW"}, {1061, "-1"}},
     2,
     1061,
     "Please enter an integer between 0 and 2147483647."},
};

INSTANTIATE_TEST_SUITE_P(Fields, ConfigSheetRefusalTest, ::testing::ValuesIn(kRefusals),
                         CaseName{});

TEST_F(ConfigSheetTest, TypingPastSeventyNineBytesIsRefused) {
    writeIni(kGoodIni);
    openSheet();
    QLineEdit* qth = edit(1017);
    retype(qth, QString(79, QLatin1Char('q')));
    QTest::keyClicks(qth, QStringLiteral("x"));
    EXPECT_EQ(qth->text().size(), 79);
    retype(qth, QString(78, QLatin1Char('q')));
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                   QString::fromUtf8("\xE2\x82\xAC"));  // three bytes: 81
    QApplication::sendEvent(qth, &euro);
    EXPECT_EQ(qth->text(), QString(78, QLatin1Char('q')));
}

// --- Write failure -----------------------------------------------------------------------

TEST_F(ConfigSheetTest, FailedWriteKeepsTheSheetOpenAndModified) {
    writeIni(kGoodIni);
    COrvoCfg& sheet = openSheet();
    sheet.Tabs()->setCurrentIndex(1);
    retype(edit(1015), QStringLiteral("W1AW"));
    QTest::mouseClick(stepper(1001)->upButton(), Qt::LeftButton);  // COM3

    // A plain file where the settings folder was: nothing can be written, even as root.
    const fs::path folder = iniPath().parent_path();
    const fs::path aside = m_dir / "aside";
    fs::rename(folder, aside);
    std::ofstream(folder).put('x');

    sheet.OkButton()->click();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(messages(), std::vector<std::string>{"error\tUnable to Save System Configuration!"});
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    EXPECT_TRUE(m_log.empty());
    EXPECT_EQ(edit(1015)->text(), QStringLiteral("W1AW"));

    fs::remove(folder);
    fs::rename(aside, folder);
    ASSERT_TRUE(sheet.Apply());
    const auto values = settingsFileValues();
    EXPECT_EQ(values.at("Callsign"), "W1AW");
    EXPECT_EQ(values.at("Comm Port/Port"), "3");
    EXPECT_EQ(m_log, std::vector<std::string>{"Port Cfg: COM3, 9600, None, 1"});
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
}

// --- Power amplifier ---------------------------------------------------------------------

struct AmplifierCase {
    const char* name;
    const char* stored;
    bool toggle;
    bool writeFails;
    std::vector<bool> told;
};
ROW_NAME(AmplifierCase, row.name);

class ConfigSheetAmplifierTest : public ConfigSheetTest,
                                 public ::testing::WithParamInterface<AmplifierCase> {};

// The program is told once, only of an option that changed and was stored.
TEST_P(ConfigSheetAmplifierTest, TellsTheProgramOfAStoredChange) {
    const AmplifierCase& row = GetParam();
    writeIni(replaced(kGoodIni, "PA%20Option=0", std::string("PA%20Option=") + row.stored));
    COrvoCfg& sheet = openSheet();
    sheet.Tabs()->setCurrentIndex(1);
    if (row.toggle) {
        QTest::mouseClick(stepper(1019)->upButton(), Qt::LeftButton);
    } else {
        QTest::mouseClick(stepper(1012)->upButton(), Qt::LeftButton);
    }
    const fs::path folder = iniPath().parent_path();
    if (row.writeFails) {
        fs::rename(folder, m_dir / "aside");
        std::ofstream(folder).put('x');
    }
    EXPECT_EQ(sheet.Apply(), !row.writeFails);
    EXPECT_EQ(m_notices, row.told);
    sheet.Apply();
    EXPECT_EQ(m_notices, row.told);
}

// The notice says "Off will be saved": Apply saves it, and tells the program nothing.
TEST_F(ConfigSheetTest, UnreadableAmplifierOptionIsSavedAsTheNoticeSays) {
    writeIni(replaced(kGoodIni, "PA%20Option=0", "PA%20Option=abc"));
    COrvoCfg& sheet = openSheet();
    sheet.Tabs()->setCurrentIndex(1);
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(settingsFileValues().at("PA Option"), "0");
    EXPECT_TRUE(m_notices.empty());
}

const AmplifierCase kAmplifier[] = {
    {"SwitchedOn", "0", true, false, {true}},
    {"SwitchedOff", "2", true, false, {false}},
    {"Unchanged", "1", false, false, {}},
    {"SwitchedOnButNotStored", "0", true, true, {}},
};

INSTANTIATE_TEST_SUITE_P(Options, ConfigSheetAmplifierTest, ::testing::ValuesIn(kAmplifier),
                         CaseName{});

}  // namespace
