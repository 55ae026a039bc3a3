// The windows that follow the front panel, measured after they are shown, on
// a 1366 x 768 screen: the keyboard-CW window and the memory-key panel dock
// wholly on the screen and off the panel, move with it, and the CW dialogs
// open at the panel's bottom-right corner at their own size.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <string>

#include "client/base/notify_messages.h"
#include "client/cw/cw_dialogs.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/transmit_memory_key_display.h"
#include "controls/clr_button.h"
#include "cw_panel_fixture.h"

namespace {

std::string text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

class FollowerPlacement : public CwPanelFixture {
  protected:
    // Fresh settings: the panel opens centred and is never moved here.
    CCWTransmitDlg& openCwWindow() {
        makePanel(m_remote);
        notice(SERVER_STATUS_CONNECTED);
        m_panel->show();
        QCoreApplication::processEvents();
        m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
        m_owner->window()->FinishSlide();
        QCoreApplication::processEvents();
        return *m_owner->window();
    }

    QRect storedPanel() {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        m_store.ReadWindowRect(left, top, right, bottom);
        return QRect(left, top, right - left, bottom - top);
    }

    static QRect screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    static QRect globalRect(const QWidget& widget) {
        return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
    }
};

TEST_F(FollowerPlacement, ScreenIsALaptops) {
    EXPECT_EQ(screen(), QRect(0, 0, 1366, 768));
}

TEST_F(FollowerPlacement, CwWindowOfACentredPanelIsWhollyOnTheScreenWithAbortTxInReach) {
    CCWTransmitDlg& window = openCwWindow();
    const QRect panel = m_panel->frameGeometry();
    const QRect cw = window.frameGeometry();
    EXPECT_TRUE(screen().contains(cw)) << text(cw);
    EXPECT_TRUE(screen().contains(panel)) << text(panel);
    EXPECT_FALSE(cw.intersects(panel)) << text(cw) << " panel " << text(panel);
    EXPECT_TRUE(screen().contains(globalRect(*window.abortButton())))
        << text(globalRect(*window.abortButton()));
    // Docked at the panel's width and half its height, under it or (where
    // under it does not fit) above it.
    EXPECT_EQ(cw.size(), QSize(panel.width(), panel.height() / 2));
    EXPECT_EQ(cw.left(), panel.left());
    EXPECT_TRUE(cw.top() == panel.top() + panel.height() || cw.top() + cw.height() == panel.top())
        << text(cw) << " panel " << text(panel);
    // Where the panel moved to make room, the move was stored as a drag is.
    EXPECT_EQ(storedPanel(), panel);
}

TEST_F(FollowerPlacement, MemoryKeysOfACentredPanelAreWhollyOnTheScreenBesideIt) {
    CCWTransmitDlg& window = openCwWindow();
    window.OnDefineMemoryKeys();
    ASSERT_NE(window.memoryPanel(), nullptr);
    window.memoryPanel()->FinishSlide();
    QCoreApplication::processEvents();
    const QRect panel = m_panel->frameGeometry();
    const QRect keys = window.memoryPanel()->frameGeometry();
    const QRect cw = window.frameGeometry();
    EXPECT_TRUE(screen().contains(keys)) << text(keys);
    EXPECT_TRUE(screen().contains(cw)) << text(cw);
    EXPECT_TRUE(screen().contains(panel)) << text(panel);
    EXPECT_FALSE(keys.intersects(panel)) << text(keys) << " panel " << text(panel);
    EXPECT_FALSE(cw.intersects(panel)) << text(cw) << " panel " << text(panel);
    // At the panel's right edge, or its left where the right does not fit.
    EXPECT_EQ(keys.top(), panel.top());
    EXPECT_TRUE(keys.left() == panel.left() + panel.width() ||
                keys.left() + keys.width() == panel.left())
        << text(keys) << " panel " << text(panel);
    EXPECT_EQ(storedPanel(), panel);
}

TEST_F(FollowerPlacement, PanelDraggedToTheBottomTakesItsCwWindowAboveAndBackBelow) {
    CCWTransmitDlg& window = openCwWindow();
    const int height = m_panel->frameGeometry().height();
    m_panel->move(100, screen().bottom() + 1 - height);
    QCoreApplication::processEvents();
    QRect panel = m_panel->frameGeometry();
    QRect cw = window.frameGeometry();
    EXPECT_TRUE(screen().contains(cw)) << text(cw);
    EXPECT_EQ(cw.top() + cw.height(), panel.top()) << text(cw) << " panel " << text(panel);
    EXPECT_EQ(cw.left(), panel.left());

    m_panel->move(100, 0);
    QCoreApplication::processEvents();
    panel = m_panel->frameGeometry();
    cw = window.frameGeometry();
    EXPECT_EQ(cw.topLeft(), QPoint(panel.left(), panel.top() + panel.height())) << text(cw);
}

TEST_F(FollowerPlacement, CwDialogsOpenAtThePanelsBottomRightCornerAtTheirOwnSize) {
    m_store.WriteWindowRect(10, 20, 730, 451);
    CQSOMySigRptDlg report(m_store, nullptr, nullptr);
    report.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(report.frameGeometry().topLeft(), QPoint(731, 452)) << text(report.frameGeometry());
    EXPECT_LT(report.frameGeometry().width(), 720);

    CNewCounterValueInputDlg counter(m_store, nullptr, nullptr, 1, 3, false);
    counter.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen().contains(counter.frameGeometry())) << text(counter.frameGeometry());
    EXPECT_LT(counter.frameGeometry().width(), 720);
    // It keeps off the report dialog still open there.
    EXPECT_FALSE(counter.frameGeometry().intersects(report.frameGeometry()))
        << text(counter.frameGeometry());
}

}  // namespace
