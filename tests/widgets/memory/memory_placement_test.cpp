// The memory windows that follow the front panel, on a 1366 x 768 screen,
// opened from the shown panel as the operator opens them: each opens where
// the placement rule puts it, also where that place is the screen's top-left
// corner, the place of a window never moved (a dialog left there would be
// centred over the panel and hide it).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>

#include <memory>
#include <string>

#include "client/memory/key_switch_emulation_panel_main_page_dlg.h"
#include "client/memory/key_switch_panel_windows.h"
#include "client/panel/front_panel_layout.h"
#include "memory_fixture.h"
#include "tests/support/row_names.h"

namespace {

std::string text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

enum class Follower { SaveDialog, RecallDialog, KeySwitchPanel };

struct PlacementCase {
    const char* name;
    Follower window;
    QPoint panelAt;  // where the operator left the panel
    QPoint opensAt;  // the rule's place for the window's frame
};
ROW_NAME(PlacementCase, row.name);

class MemoryFollowerPlacement : public MemoryWindowsFixture,
                                public ::testing::WithParamInterface<PlacementCase> {
  protected:
    void TearDown() override {
        m_keySwitch.reset();
        MemoryWindowsFixture::TearDown();
    }

    // The panel shown and moved to `at`, as after a drag (the move is stored).
    void showPanelAt(QPoint at) {
        panelWithCommands();
        m_keySwitch = std::make_unique<KeySwitchPanelWindows>(m_store, *m_panel);
        PanelCommandEntryPoints entry;
        m_commands->Install(entry);
        m_keySwitch->Install(entry);
        m_panel->SetCommandEntryPoints(entry);
        m_panel->show();
        QCoreApplication::processEvents();
        m_panel->move(at);
        QCoreApplication::processEvents();
    }

    // The window's frame once it is shown.
    QRect open(Follower window) {
        QRect frame;
        m_commands->SetDialogHook([&frame](QDialog& dialog) {
            driveModal(dialog, [&frame, &dialog] {
                frame = dialog.frameGeometry();
                dialog.reject();
            });
        });
        switch (window) {
            case Follower::SaveDialog:
                m_commands->SaveMemory();
                break;
            case Follower::RecallDialog:
                EXPECT_EQ(m_memories->AddMemory(memory("Forty", 7025000)), 0u);
                m_commands->RecallMemory();
                break;
            case Follower::KeySwitchPanel:
                qobject_cast<QAbstractButton*>(m_panel->control(front_panel::IDC_SW_PANEL))
                    ->click();
                QCoreApplication::processEvents();
                if (m_keySwitch->window() != nullptr) {
                    frame = m_keySwitch->window()->frameGeometry();
                }
                break;
        }
        return frame;
    }

    std::unique_ptr<KeySwitchPanelWindows> m_keySwitch;
};

TEST_P(MemoryFollowerPlacement, OpensWhereTheRulePutsIt) {
    const PlacementCase& row = GetParam();
    showPanelAt(row.panelAt);
    const QRect panel = m_panel->frameGeometry();
    ASSERT_EQ(panel.topLeft(), row.panelAt) << text(panel);
    const QRect frame = open(row.window);
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.topLeft(), row.opensAt) << text(frame) << " panel " << text(panel);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(frame))
        << text(frame);
}

// With the panel at 323,179 a window as wide as the panel fits neither under
// it nor above it: the rule puts it where it covers the least of the panel,
// the screen's top-left corner.
const PlacementCase kPlacements[] = {
    {"SaveDialogAtTheCorner", Follower::SaveDialog, {323, 179}, {0, 0}},
    {"RecallDialogAtTheCorner", Follower::RecallDialog, {323, 179}, {0, 0}},
    {"KeySwitchPanelAtTheCorner", Follower::KeySwitchPanel, {323, 179}, {0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Laptop, MemoryFollowerPlacement, ::testing::ValuesIn(kPlacements),
                         CaseName());

}  // namespace
