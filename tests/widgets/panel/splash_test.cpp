// The splash picture: shown after the panel's start-up timer, centred,
// refusing to close, gone at the first server notice or after its bound, never
// shown when a notice came first or the connect failed; dragged by the mouse.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <chrono>
#include <functional>

#include "client/panel/splash_wnd.h"
#include "front_panel_fixture.h"
#include "tests/support/row_names.h"

namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

class Splash : public FrontPanelFixture {
  protected:
    void TearDown() override {
        splash::Hide();
        FrontPanelFixture::TearDown();
    }
};

TEST_F(Splash, ShowsCentredAndRefusesToClose) {
    splash::Start();
    QPointer<CSplashWnd> window = splash::Current();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->picture().isNull());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->geometry().center(), screen.center()) << "within a pixel";
#ifdef PANEL_SCREENSHOT_DIR
    std::filesystem::create_directories(PANEL_SCREENSHOT_DIR);
    window->grab().save(QStringLiteral(PANEL_SCREENSHOT_DIR "/splash.png"));
#endif
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    splash::Start();  // one at a time
    EXPECT_EQ(splash::Current(), window.data());
    splash::Hide();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(splash::Current(), nullptr);
}

TEST_F(Splash, HideWithoutASplashDoesNothing) {
    splash::Hide();
    splash::Hide();
    EXPECT_EQ(splash::Current(), nullptr);
}

TEST_F(Splash, GoesByItselfAfterItsBound) {
    splash::Start(50ms);
    QPointer<CSplashWnd> window = splash::Current();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(waitFor([&] { return window.isNull(); }));
    EXPECT_EQ(splash::Current(), nullptr);
}

TEST_F(Splash, ADragMovesIt) {
    splash::Start();
    CSplashWnd* window = splash::Current();
    const QPoint before = window->pos();
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), window->mapToGlobal(QPointF(40, 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(window->pos(), before + QPoint(30, 20));
}

// ---- From the panel's start-up timer ----------------------------------------

struct StartUpCase {
    const char* name;
    bool connectFails;
    bool earlyNotice;  // a server notice before the timer
    bool shown;
};
ROW_NAME(StartUpCase, row.name);

const StartUpCase kStartUp[] = {
    {"ShownUntilTheFirstNotice", false, false, true},
    {"NeverAfterAnEarlyNotice", false, true, false},
    {"NeverAfterAFailedConnect", true, false, false},
};

class SplashFromPanel : public Splash, public ::testing::WithParamInterface<StartUpCase> {};

TEST_P(SplashFromPanel, StartUpTimerStartsTheSplashOnlyWhileACallBackCanCome) {
    const StartUpCase& row = GetParam();
    m_remote.m_resolveOk = !row.connectFails;
    PanelEntryPoints entry;
    int starts = 0;
    entry.startSplash = [&starts] {
        ++starts;
        splash::Start();
    };
    entry.hideSplash = [] { splash::Hide(); };
    makePanel(true, entry);
    if (row.earlyNotice) {
        notice(SERVER_STATUS_CONNECT_NOTICE, 0, "Brakton");
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2 * CK2FrontPanelControlDlg::kSplashTimerMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(starts, row.shown ? 1 : 0);
    EXPECT_EQ(splash::Current() != nullptr, row.shown);
    if (row.shown) {
        notice(SERVER_STATUS_CONNECTED);
        EXPECT_EQ(splash::Current(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SplashFromPanel, ::testing::ValuesIn(kStartUp), CaseName());

TEST_F(Splash, AFailedConnectTakesAShownSplashAwayBeforeItsBox) {
    PanelEntryPoints entry;
    entry.hideSplash = [] { splash::Hide(); };
    makePanel(true, entry);
    splash::Start();
    m_remote.m_resolveOk = false;
    m_panel->ConnectToServer();
    EXPECT_EQ(splash::Current(), nullptr);
    EXPECT_EQ(messages().back(),
              std::string("error\t") + CK2FrontPanelControlDlg::kConnectFailedBox);
}

}  // namespace
