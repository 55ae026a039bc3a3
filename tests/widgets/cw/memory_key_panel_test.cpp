#include "client/cw/transmit_memory_key_display.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPainter>
#include <QSettings>
#include <QTest>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "client/base/notify_messages.h"
#include "client/cw/cw_text.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/memory_key_store.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/highlight_button.h"
#include "cw_panel_fixture.h"
#include "tests/support/row_names.h"

namespace {

class KeyedRemote : public FakePanelRemote {
  public:
    RemoteStatus KeyboardCW(const std::string& cwText) override {
        m_keyed.push_back(cwText);
        return FakePanelRemote::KeyboardCW(cwText);
    }
    std::vector<std::string> m_keyed;
};

class MemoryKeyPanel : public CwPanelFixture {
  protected:
    void SetUp() override {
        FrontPanelFixture::SetUp();
        looks::setBeepHook([this] { ++m_beeps; });
        pelorin::TransmitMemoryKeys texts{};
        for (int i = 0; i < 11; ++i) {
            texts[static_cast<std::size_t>(i)] = "MEM" + std::to_string(i + 1);
        }
        m_store.WriteTransmitMemoryKeys(texts);
    }
    void TearDown() override {
        looks::setBeepHook({});
        CwPanelFixture::TearDown();
    }

    CTransmitMemoryKeyDisplay& open() {
        makePanel(m_keyedRemote, [this](PanelCommandEntryPoints& commands) {
            commands.saveStackRegister = [this] { m_log.push_back("162"); };
        });
        notice(SERVER_STATUS_CONNECTED);
        m_panel->move(20, 20);
        m_panel->show();
        m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
        window().FinishSlide();
        window().OnDefineMemoryKeys();
        window().memoryPanel()->FinishSlide();
        QCoreApplication::processEvents();
        return *window().memoryPanel();
    }

    CCWTransmitDlg& window() { return *m_owner->window(); }

    void type(CTransmitMemoryKeyDisplay& panel, int index, const char* text) {
        panel.editButton(index)->click();  // unlocks it
        panel.edit(index)->setFocus();
        panel.edit(index)->selectAll();
        QTest::keyClicks(panel.edit(index), text);
    }

    std::string stored(int index) {
        pelorin::TransmitMemoryKeys texts{};
        m_store.ReadTransmitMemoryKeys(texts);
        return texts[static_cast<std::size_t>(index)];
    }

    KeyedRemote m_keyedRemote;
    std::vector<std::string> m_log;
    int m_beeps = 0;
};

TEST_F(MemoryKeyPanel, FocusOutStoresTheMemoryAndTheKeyboardWindowFollows) {
    CTransmitMemoryKeyDisplay& panel = open();
    type(panel, 2, "CQ TEST");
    std::filesystem::create_directories(PANEL_SCREENSHOT_DIR);
    panel.grab().save(QString::fromLatin1(PANEL_SCREENSHOT_DIR "/memory_key_panel_editing.png"));
    panel.edit(5)->setFocus();  // focus leaves F3
    QCoreApplication::processEvents();
    EXPECT_EQ(stored(2), "CQ TEST");
    EXPECT_TRUE(panel.edit(2)->isReadOnly());
    EXPECT_EQ(window().memoryKey(2)->toolTip(), "CQ TEST ");
}

TEST_F(MemoryKeyPanel, EnterStoresTheFirstChangedMemoryEachTime) {
    CTransmitMemoryKeyDisplay& panel = open();
    panel.editButton(4)->click();
    panel.editButton(1)->click();
    panel.edit(4)->setText("");
    // textEdited comes from typing only.
    QTest::keyClicks(panel.edit(4), "FIVE");
    QTest::keyClicks(panel.edit(1), "TWO");
    QTest::keyClick(panel.edit(1), Qt::Key_Return);
    EXPECT_EQ(stored(1), "MEM2TWO");
    EXPECT_EQ(stored(4), "MEM5");
    QTest::keyClick(panel.edit(1), Qt::Key_Return);
    EXPECT_EQ(stored(4), "FIVE");
}

TEST_F(MemoryKeyPanel, CancelRevertsLocksAndStoresNothing) {
    CTransmitMemoryKeyDisplay& panel = open();
    panel.editButton(3)->click();
    QTest::keyClicks(panel.edit(3), "XYZ");
    QTest::keyClick(panel.edit(3), Qt::Key_Escape);
    EXPECT_EQ(panel.edit(3)->text(), "MEM4");
    EXPECT_EQ(stored(3), "MEM4");
    for (int i = 0; i < 11; ++i) {
        EXPECT_TRUE(panel.edit(i)->isReadOnly()) << i;
    }
}

TEST_F(MemoryKeyPanel, TransmitSendsTheCommittedTextWhileADraftWaits) {
    CTransmitMemoryKeyDisplay& panel = open();
    panel.editButton(6)->click();
    QTest::keyClicks(panel.edit(6), " DRAFT");
    panel.txButton(6)->click();
    EXPECT_EQ(m_keyedRemote.m_keyed, (std::vector<std::string>{"MEM7 "}));
    EXPECT_TRUE(panel.edit(6)->isReadOnly());
}

TEST_F(MemoryKeyPanel, ADraftIsStoredWhenThePanelGoes) {
    CTransmitMemoryKeyDisplay& panel = open();
    QPointer<CTransmitMemoryKeyDisplay> watched(&panel);
    panel.editButton(8)->click();
    QTest::keyClicks(panel.edit(8), "9");
    window().OnDefineMemoryKeys();
    EXPECT_EQ(stored(8), "MEM99");
    EXPECT_TRUE(waitFor([&] { return watched.isNull(); }));
}

TEST_F(MemoryKeyPanel, ADraftIsStoredWhenTheKeyboardWindowCloses) {
    CTransmitMemoryKeyDisplay& panel = open();
    panel.editButton(0)->click();
    QTest::keyClicks(panel.edit(0), "1");
    m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
    EXPECT_EQ(stored(0), "MEM11");
}

TEST_F(MemoryKeyPanel, EscAndF3PressedInThePanelReachTheKeyboardWindow) {
    CTransmitMemoryKeyDisplay& panel = open();
    m_keyedRemote.m_calls.clear();
    QTest::keyClick(panel.edit(0), Qt::Key_F3);
    EXPECT_TRUE(m_keyedRemote.m_keyed.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_keyedRemote.m_keyed, (std::vector<std::string>{"MEM3 "}));
    EXPECT_EQ(window().pending().text(), "MEM3 ");
    QTest::keyClick(panel.edit(0), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(
        std::count(m_keyedRemote.m_calls.begin(), m_keyedRemote.m_calls.end(), "AbortKeyboardCW"),
        1);
    EXPECT_TRUE(window().pending().empty());
}

TEST_F(MemoryKeyPanel, AltF1ReachesThePanelAfterTheKeyEvent) {
    CTransmitMemoryKeyDisplay& panel = open();
    QTest::keyClick(panel.edit(0), Qt::Key_F1, Qt::AltModifier);
    EXPECT_TRUE(m_log.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_log, (std::vector<std::string>{"162"}));
}

TEST_F(MemoryKeyPanel, AFailedWriteIsReportedAndTheTextStillUsed) {
    CTransmitMemoryKeyDisplay& panel = open();
    const auto folder = m_dir / "config" / "N0CALL Software";
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "blocker";
    type(panel, 1, "QRL?");
    QTest::keyClick(panel.edit(1), Qt::Key_Return);
    EXPECT_EQ(m_panel->statusText(), "F2 not saved: settings cannot be written");
    EXPECT_EQ(m_panel->statusKind(), 2);
    window().RequestTransmitMemKey(1);
    EXPECT_EQ(m_keyedRemote.m_keyed.back(), "QRL? ");
}

TEST_F(MemoryKeyPanel, APasteBeyond253CharactersIsRefusedWhole) {
    CTransmitMemoryKeyDisplay& panel = open();
    panel.editButton(0)->click();
    panel.edit(0)->setFocus();
    panel.edit(0)->selectAll();
    QApplication::clipboard()->setText(QString(254, QLatin1Char('E')));
    QTest::keyClick(panel.edit(0), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(panel.edit(0)->text(), "MEM1");
    EXPECT_GE(m_beeps, 1);
    QApplication::clipboard()->setText(QStringLiteral("A\tB"));
    QTest::keyClick(panel.edit(0), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(panel.edit(0)->text(), "A B");
}

// A stored text that breaks the edit's rule: shown as stored without a beep,
// left in the file, refused by its key; an edit must make the whole text keep
// the rule.
struct DamagedTextCase {
    const char* name;
    std::string stored;
    const char* status;
};
ROW_NAME(DamagedTextCase, row.name);

const DamagedTextCase kDamagedTexts[] = {
    {"LongerThan253", std::string(300, 'E'),
     "Memory F3 cannot be sent: longer than 253 characters"},
    {"NotAscii", "CQ DE JOS\xC3\xA9",
     "Memory F3 cannot be sent: only ASCII characters can be keyed"},
    {"TwoNotAscii", "CQ DE JOS\xC3\x89\xC3\x89",
     "Memory F3 cannot be sent: only ASCII characters can be keyed"},
};

class MemoryKeyDamagedText : public MemoryKeyPanel,
                             public ::testing::WithParamInterface<DamagedTextCase> {
  protected:
    void SetUp() override {
        MemoryKeyPanel::SetUp();
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
                  QStringLiteral("Pelorin"))
            .setValue(QStringLiteral("Transmit Memory Keys/F3"),
                      QString::fromStdString(GetParam().stored));
    }

    std::string fileBytes() const {
        std::ifstream in(pelorin::CRegistryStore::SettingsFilePath(), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
};

TEST_P(MemoryKeyDamagedText, IsShownKeptAndRefusedUntilEdited) {
    CTransmitMemoryKeyDisplay& panel = open();
    const std::string before = fileBytes();
    EXPECT_EQ(panel.edit(2)->text().toStdString(), GetParam().stored);
    EXPECT_EQ(m_beeps, 0);
    EXPECT_TRUE(window().memoryKey(2)->isEnabled());

    window().RequestTransmitMemKey(2);
    EXPECT_TRUE(m_keyedRemote.m_keyed.empty());
    EXPECT_EQ(m_panel->statusText(), GetParam().status);
    EXPECT_EQ(m_panel->statusKind(), 2);
    // The panel's own TX button for the key is refused the same way.
    m_panel->ShowStatus(0, "");
    panel.txButton(2)->click();
    EXPECT_TRUE(m_keyedRemote.m_keyed.empty());
    EXPECT_EQ(m_panel->statusText(), GetParam().status);
    // Stored again unchanged (a commit of the text as it came), it is not cut.
    m_owner->memories().write(2, GetParam().stored);
    EXPECT_EQ(fileBytes(), before);

    // An edit that leaves the text breaking the rule is refused whole.
    panel.editButton(2)->click();
    panel.edit(2)->setFocus();
    QTest::keyClick(panel.edit(2), Qt::Key_End);
    QTest::keyClicks(panel.edit(2), "X");
    EXPECT_EQ(panel.edit(2)->text().toStdString(), GetParam().stored);
    EXPECT_GE(m_beeps, 1);
    EXPECT_EQ(fileBytes(), before);

    panel.edit(2)->selectAll();
    QTest::keyClicks(panel.edit(2), "CQ TEST");
    EXPECT_EQ(panel.edit(2)->text(), "CQ TEST");
    QTest::keyClick(panel.edit(2), Qt::Key_Return);
    EXPECT_EQ(stored(2), "CQ TEST");
    window().RequestTransmitMemKey(2);
    EXPECT_EQ(m_keyedRemote.m_keyed, (std::vector<std::string>{"CQ TEST "}));
}

// Characters may always be taken away, so the text is mended key by key; its
// key refuses it until the whole text keeps the rule.
TEST_P(MemoryKeyDamagedText, IsMendedKeyByKeyAndRefusedUntilValid) {
    CTransmitMemoryKeyDisplay& panel = open();
    panel.editButton(2)->click();
    panel.edit(2)->setFocus();
    QTest::keyClick(panel.edit(2), Qt::Key_Home);
    QTest::keyClick(panel.edit(2), Qt::Key_Delete);
    const QString shortened = QString::fromStdString(GetParam().stored).mid(1);
    EXPECT_EQ(panel.edit(2)->text(), shortened);
    EXPECT_EQ(m_beeps, 0);
    // Committed as it stands, never cut: the settings keep at most 253
    // bytes, so a longer text leaves the file as it was, said on the status
    // line. Its key still refuses it.
    QTest::keyClick(panel.edit(2), Qt::Key_Return);
    if (shortened.toStdString().size() > 253) {
        EXPECT_EQ(stored(2), GetParam().stored);
        EXPECT_EQ(m_panel->statusText(), MemoryKeyStore::TooLongText(2));
    } else {
        EXPECT_EQ(stored(2), shortened.toStdString());
    }
    window().RequestTransmitMemKey(2);
    EXPECT_TRUE(m_keyedRemote.m_keyed.empty());
    EXPECT_EQ(m_panel->statusText(), GetParam().status);

    // Pressing the edit button of the key being edited lets it go; the next
    // press unlocks it again.
    panel.editButton(2)->click();
    panel.editButton(2)->click();
    ASSERT_FALSE(panel.edit(2)->isReadOnly());
    panel.edit(2)->setFocus();
    QTest::keyClick(panel.edit(2), Qt::Key_End);
    for (int presses = 0; cw::MemoryTextFault(panel.edit(2)->text().toStdString()); ++presses) {
        ASSERT_LT(presses, 100);
        const QString before = panel.edit(2)->text();
        QTest::keyClick(panel.edit(2), Qt::Key_Backspace);
        ASSERT_EQ(panel.edit(2)->text(), before.chopped(1));
    }
    EXPECT_EQ(m_beeps, 0) << "no key that takes a character away is refused";
    const std::string mended = panel.edit(2)->text().toStdString();
    QTest::keyClick(panel.edit(2), Qt::Key_Return);
    EXPECT_EQ(stored(2), mended);
    window().RequestTransmitMemKey(2);
    EXPECT_EQ(m_keyedRemote.m_keyed, (std::vector<std::string>{mended + " "}));
}

INSTANTIATE_TEST_SUITE_P(Stored, MemoryKeyDamagedText, ::testing::ValuesIn(kDamagedTexts),
                         CaseName());

TEST_F(MemoryKeyPanel, BothWindowsDockedBesideAndBelowThePanel) {
    CTransmitMemoryKeyDisplay& panel = open();
    const QRect front = m_panel->frameGeometry();
    EXPECT_EQ(panel.geometry().topLeft(), QPoint(front.left() + front.width(), front.top()));
    EXPECT_EQ(panel.geometry().height(), front.height());
    const QRect all = front.united(panel.geometry()).united(window().geometry());
    QImage image(all.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawPixmap(front.topLeft() - all.topLeft(), m_panel->grab());
    painter.drawPixmap(window().geometry().topLeft() - all.topLeft(), window().grab());
    painter.drawPixmap(panel.geometry().topLeft() - all.topLeft(), panel.grab());
    painter.end();
    image.save(QString::fromLatin1(PANEL_SCREENSHOT_DIR "/panel_with_both_windows_docked.png"));
}

}  // namespace

#include "client/cw/transmit_memory_cfg_dlg.h"

namespace {

TEST_F(MemoryKeyPanel, PageApplyStoresOnlyItsEditsAndKeepsAPanelCommit) {
    CTransmitMemoryKeyDisplay& panel = open();
    CTransmitMemoryCFGDlg page(m_owner->memories());
    page.edit(4)->setFocus();
    page.edit(4)->selectAll();
    QTest::keyClicks(page.edit(4), "PAGE FIVE");
    EXPECT_TRUE(page.isModified());
    // Meanwhile F2 is changed in the panel.
    type(panel, 1, "PANEL TWO");
    QTest::keyClick(panel.edit(1), Qt::Key_Return);
    EXPECT_EQ(page.edit(1)->text(), "PANEL TWO");
    page.resize(420, 360);
    page.grab().save(QString::fromLatin1(PANEL_SCREENSHOT_DIR "/memory_page.png"));
    EXPECT_TRUE(page.apply());
    EXPECT_EQ(stored(1), "PANEL TWO");
    EXPECT_EQ(stored(4), "PAGE FIVE");
    EXPECT_FALSE(page.isModified());
    // The open windows follow.
    EXPECT_EQ(window().memoryKey(4)->toolTip(), "PAGE FIVE ");
    EXPECT_EQ(panel.edit(4)->text(), "PAGE FIVE");
}

TEST_F(MemoryKeyPanel, PageReportsAFailedWriteAndRefusesALongPaste) {
    open();
    CTransmitMemoryCFGDlg page(m_owner->memories());
    page.edit(0)->setFocus();
    page.edit(0)->selectAll();
    QApplication::clipboard()->setText(QString(254, QLatin1Char('E')));
    QTest::keyClick(page.edit(0), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(page.edit(0)->text(), "MEM1");
    QTest::keyClicks(page.edit(0), "X");
    const auto folder = m_dir / "config" / "N0CALL Software";
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "blocker";
    EXPECT_FALSE(page.apply());
    EXPECT_EQ(m_panel->statusText(), "F1 not saved: settings cannot be written");
}

}  // namespace
