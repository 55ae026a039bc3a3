// The QSO entry and log windows, measured after they are shown, on a 1366 x
// 768 screen with fresh settings: the panel opens centred and is never moved,
// and each window opens wholly on the screen, placed against the panel's
// real frame, off the panel and off each other.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <memory>
#include <string>

#include "client/base/notify_messages.h"
#include "client/qso/qso_info_dlg.h"
#include "client/qso/qso_logging_dlg.h"
#include "client/qso/qso_logging_owner.h"
#include "tests/support/event_wait.h"
#include "tests/widgets/qso/qso_owner_fixture.h"

namespace {

std::string text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

class QsoFollowerPlacement : public QsoOwnerFixture {
  protected:
    // The program's own windows over the panel, as the application makes them.
    void start() {
        m_store.WriteString("", "HomeDir", (m_dir / "Orvo").string());
        m_owner = std::make_unique<QsoLoggingOwner>(
            m_store,
            [this](int style, pelorin::QsoEntryWindowLinks links) {
                return MakeQsoEntryWindow(style, m_store, std::move(links), m_panel.get());
            },
            [this](QsoLoggingOwner::PostToLogger post) {
                return std::make_unique<pelorin::CQSOLoggingDlg>(
                    m_store, pelorin::LoggerLinks(std::move(post)),
                    pelorin::StoreBandLookup(m_store), nullptr, m_panel.get());
            });
        wireOwnerToPanel();
        m_panel->show();
        QCoreApplication::processEvents();
        m_panel->OnMenuCommand(CK2FrontPanelControlDlg::ID_QSO_LOGGING);
        ASSERT_TRUE(test_events::runEventsUntil([] { return bothShown(); }));
    }

    template <class Window>
    static Window* shownWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = dynamic_cast<Window*>(widget); found != nullptr && found->isVisible())
                return found;
        }
        return nullptr;
    }
    static bool bothShown() {
        return shownWindow<QsoEntryDialog>() != nullptr &&
               shownWindow<pelorin::CQSOLoggingDlg>() != nullptr;
    }

    static QRect screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(QsoFollowerPlacement, EntryAndLogWindowsOfACentredPanelAreWhollyOnTheScreenOffThePanel) {
    start();
    const QRect panel = m_panel->frameGeometry();
    const QRect entry = shownWindow<QsoEntryDialog>()->frameGeometry();
    const QRect log = shownWindow<pelorin::CQSOLoggingDlg>()->frameGeometry();
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    m_store.ReadWindowRect(left, top, right, bottom);
    EXPECT_EQ(QRect(left, top, right - left, bottom - top), panel) << "Window Size";
    EXPECT_TRUE(screen().contains(panel)) << text(panel);
    EXPECT_TRUE(screen().contains(entry)) << text(entry);
    EXPECT_TRUE(screen().contains(log)) << text(log);
    EXPECT_FALSE(entry.intersects(panel)) << text(entry) << " over " << text(panel);
    EXPECT_FALSE(log.intersects(panel)) << text(log) << " over " << text(panel);
    EXPECT_FALSE(log.intersects(entry)) << text(log) << " over " << text(entry);
}

}  // namespace
