#include "client/cw/cw_dialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <string>

#include "client/base/notify_messages.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/memory_key_store.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/stepped_value.h"
#include "cw_panel_fixture.h"

namespace {

class CwDialogs : public CwPanelFixture {
  protected:
    CCWTransmitDlg& open() {
        makePanel(m_remote);
        notice(SERVER_STATUS_CONNECTED);
        m_panel->show();
        m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
        m_owner->window()->FinishSlide();
        return *m_owner->window();
    }

    void shoot(QWidget& widget, const char* name) {
        std::filesystem::create_directories(PANEL_SCREENSHOT_DIR);
        widget.show();
        QCoreApplication::processEvents();
        widget.grab().save(QString::fromLatin1(PANEL_SCREENSHOT_DIR "/") +
                           QString::fromLatin1(name));
    }

    static std::string stepperText(SteppedValue* stepper) {
        return stepper->text().trimmed().toStdString();
    }
};

TEST_F(CwDialogs, AutoplayListSortsAsTextAndPreselectsTheLastChoice) {
    CMemoryKeyAutoplayDlg dialog(m_store, nullptr, nullptr);
    std::array<bool, 11> present{};
    present[0] = present[2] = present[9] = present[10] = true;
    dialog.SetData(present, 2, 5, 3);
    QStringList entries;
    for (int i = 0; i < dialog.memoryList()->count(); ++i) {
        entries << dialog.memoryList()->itemText(i);
    }
    EXPECT_EQ(entries, (QStringList{"Memory 1", "Memory 10", "Memory 11", "Memory 3"}));
    EXPECT_EQ(dialog.memoryList()->currentText(), "Memory 3");
    EXPECT_TRUE(dialog.playButton()->isEnabled());
    EXPECT_EQ(stepperText(dialog.intervalStepper()), "5");
    EXPECT_EQ(stepperText(dialog.timesStepper()), "3");
    shoot(dialog, "autoplay_dialog.png");

    // The last choice lost its text: nothing selected, Play off.
    dialog.SetData(present, 4, 5, 3);
    EXPECT_EQ(dialog.memoryList()->currentIndex(), -1);
    EXPECT_FALSE(dialog.playButton()->isEnabled());
}

TEST_F(CwDialogs, UncheckingUntilInterruptedAtZeroTimesMakesItOnce) {
    CMemoryKeyAutoplayDlg dialog(m_store, nullptr, nullptr);
    std::array<bool, 11> present{};
    present[0] = true;
    dialog.SetData(present, 0, 10, 0);
    EXPECT_TRUE(dialog.untilInterrupted()->isChecked());
    EXPECT_FALSE(dialog.timesStepper()->isEnabled());
    dialog.untilInterrupted()->setChecked(false);
    int memory = -1;
    int interval = 0;
    int times = -1;
    dialog.GetData(memory, interval, times);
    EXPECT_EQ(memory, 0);
    EXPECT_EQ(interval, 10);
    EXPECT_EQ(times, 1);
}

TEST_F(CwDialogs, AutoplayRunsTheChoiceAndTheDialogShowsTheChosenCountAgain) {
    CCWTransmitDlg& window = open();
    m_owner->memories().write(4, "CQ TEST");
    window.SetModalRunner([](QDialog& dialog) {
        auto& autoplay = dynamic_cast<CMemoryKeyAutoplayDlg&>(dialog);
        autoplay.memoryList()->setCurrentIndex(0);
        autoplay.untilInterrupted()->setChecked(false);
        autoplay.timesStepper()->upButton()->click();
        autoplay.timesStepper()->upButton()->click();  // 1 -> 3
        return int(QDialog::Accepted);
    });
    window.OnAutoPlay();
    EXPECT_EQ(window.autoplay().times(), 3);
    EXPECT_TRUE(window.autoplay().running());
    window.AbortTransmit();
    std::string shownTimes;
    window.SetModalRunner([&](QDialog& dialog) {
        shownTimes = stepperText(dynamic_cast<CMemoryKeyAutoplayDlg&>(dialog).timesStepper());
        return int(QDialog::Rejected);
    });
    window.OnAutoPlay();
    EXPECT_EQ(shownTimes, "3");
}

TEST_F(CwDialogs, AutoplayWithEveryMemoryEmptyOpensNothing) {
    CCWTransmitDlg& window = open();
    bool opened = false;
    window.SetModalRunner([&](QDialog&) {
        opened = true;
        return int(QDialog::Rejected);
    });
    window.OnAutoPlay();
    EXPECT_FALSE(opened);
}

TEST_F(CwDialogs, CounterDigitsShowInTimesNewRomanBold) {
    CNewCounterValueInputDlg dialog(m_store, nullptr, nullptr, 12, 3, false);
    const QFont font = dialog.digitsStepper()->font();
    EXPECT_EQ(font.family(), "Times New Roman");
    EXPECT_EQ(font.pixelSize(), 23);
    EXPECT_EQ(font.weight(), QFont::Bold);
}

TEST_F(CwDialogs, CounterSetWritesValueAndModeCancelWritesNothing) {
    m_store.WriteCounterSettings(12, 0x03);
    {
        CNewCounterValueInputDlg dialog(m_store, nullptr, nullptr, 12, 3, false);
        dialog.valueEdit()->setText("250");
        dialog.cutCheck()->setChecked(true);
        dialog.digitsStepper()->upButton()->click();  // 3 -> 4
        shoot(dialog, "counter_dialog.png");
        dialog.reject();
    }
    int value = 0;
    int mode = 0;
    m_store.ReadCounterSettings(value, mode);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(mode, 0x03);

    CNewCounterValueInputDlg dialog(m_store, nullptr, nullptr, 12, 3, false);
    dialog.valueEdit()->setText("250");
    dialog.cutCheck()->setChecked(true);
    dialog.digitsStepper()->upButton()->click();
    dialog.accept();
    m_store.ReadCounterSettings(value, mode);
    EXPECT_EQ(value, 250);
    EXPECT_EQ(mode, 0x84);
}

TEST_F(CwDialogs, CounterRefusesANegativeValue) {
    CNewCounterValueInputDlg dialog(m_store, nullptr, nullptr, 0, 0, false);
    dialog.valueEdit()->clear();
    QTest::keyClicks(dialog.valueEdit(), "-1");
    EXPECT_EQ(dialog.valueEdit()->text(), "1");
    dialog.accept();
    int value = -1;
    int mode = -1;
    m_store.ReadCounterSettings(value, mode);
    EXPECT_EQ(value, 1);
}

TEST_F(CwDialogs, CounterSetFromTheWindowTakesTheValue) {
    CCWTransmitDlg& window = open();
    window.SetModalRunner([](QDialog& dialog) {
        auto& counter = dynamic_cast<CNewCounterValueInputDlg&>(dialog);
        counter.valueEdit()->setText("77");
        counter.accept();
        return int(QDialog::Accepted);
    });
    window.OnSetNewSerialNo();
    EXPECT_EQ(window.counter().value(), 77);
}

TEST_F(CwDialogs, CounterSetWithoutAChangeKeepsACounterOfAnyWidth) {
    m_store.WriteCounterSettings(123456, 0x03);
    CCWTransmitDlg& window = open();
    std::string shown;
    window.SetModalRunner([&](QDialog& dialog) {
        auto& counter = dynamic_cast<CNewCounterValueInputDlg&>(dialog);
        shown = counter.valueEdit()->text().toStdString();
        counter.accept();
        return int(QDialog::Accepted);
    });
    window.OnSetNewSerialNo();
    EXPECT_EQ(shown, "123456");
    EXPECT_EQ(window.counter().value(), 123456);
    int value = 0;
    int mode = 0;
    m_store.ReadCounterSettings(value, mode);
    EXPECT_EQ(value, 123456);
}

TEST_F(CwDialogs, AnUnreadableCounterShowsNoNumberAndSetTakesOnlyAnEnteredOne) {
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
              QStringLiteral("Pelorin"))
        .setValue(QStringLiteral("Settings/Counter Value"), QStringLiteral("12x"));
    CCWTransmitDlg& window = open();
    EXPECT_FALSE(window.counter().known());
    const auto stored = [] {
        return QSettings(QSettings::IniFormat, QSettings::UserScope,
                         QStringLiteral("N0CALL Software"), QStringLiteral("Pelorin"))
            .value(QStringLiteral("Settings/Counter Value"))
            .toString()
            .toStdString();
    };
    std::string shown = "-";
    int result = -1;
    window.SetModalRunner([&](QDialog& dialog) {
        auto& counter = dynamic_cast<CNewCounterValueInputDlg&>(dialog);
        shown = counter.valueEdit()->text().toStdString();
        counter.accept();  // nothing entered: refused
        result = counter.result();
        return result;
    });
    window.OnSetNewSerialNo();
    EXPECT_EQ(shown, "");
    EXPECT_NE(result, int(QDialog::Accepted));
    EXPECT_EQ(stored(), "12x");
    EXPECT_FALSE(window.counter().known());

    window.SetModalRunner([](QDialog& dialog) {
        auto& counter = dynamic_cast<CNewCounterValueInputDlg&>(dialog);
        counter.valueEdit()->setText("57");
        counter.accept();
        return int(QDialog::Accepted);
    });
    window.OnSetNewSerialNo();
    EXPECT_EQ(window.counter().value(), 57);
    EXPECT_EQ(stored(), "57");
}

TEST_F(CwDialogs, ADialogThatWouldLeaveTheScreenIsCentredOnIt) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // The panel last stood in the screen's bottom-right corner.
    m_store.WriteWindowRect(screen.right() - 300, screen.bottom() - 200, screen.right(),
                            screen.bottom());
    CQSOMySigRptDlg dialog(m_store, nullptr, nullptr);
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen.contains(dialog.frameGeometry())) << dialog.frameGeometry().x();
    EXPECT_NEAR(dialog.frameGeometry().center().x(), screen.center().x(), 2);
    EXPECT_NEAR(dialog.frameGeometry().center().y(), screen.center().y(), 2);
}

TEST_F(CwDialogs, MySignalReportOpensWith599AndStoresSlotFour) {
    {
        CQSOMySigRptDlg dialog(m_store, nullptr, nullptr);
        EXPECT_EQ(dialog.reportEdit()->text(), "599");
        dialog.reportEdit()->setText("579");
        shoot(dialog, "my_signal_report_dialog.png");
        dialog.accept();
    }
    std::string slot;
    m_store.GetStringSlot(4, slot);
    EXPECT_EQ(slot, "579");
    CQSOMySigRptDlg again(m_store, nullptr, nullptr);
    EXPECT_EQ(again.reportEdit()->text(), "599");
}

}  // namespace
