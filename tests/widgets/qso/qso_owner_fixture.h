#pragma once

// The front panel with the QSO-logging owner's entry points, for the tests
// of the owner and of its windows. The test makes the owner with its own
// window factories, then wires it to a connected panel as the program does.

#include <memory>
#include <utility>

#include "client/base/notify_messages.h"
#include "client/qso/qso_logging_owner.h"
#include "tests/widgets/panel/front_panel_fixture.h"

class QsoOwnerFixture : public FrontPanelFixture {
  protected:
    void TearDown() override {
        m_panel.reset();
        m_owner.reset();
        FrontPanelFixture::TearDown();
    }

    // Builds and starts the panel with m_owner's entry points (beside the
    // other windows' in `entry` and `commands`), hands the owner the panel
    // and the panel the owner's commands, and tells the panel the server is
    // connected.
    void wireOwnerToPanel(PanelEntryPoints entry = {}, PanelCommandEntryPoints commands = {}) {
        m_owner->fill(entry);
        makePanel(true, std::move(entry));
        m_owner->setPanel(m_panel.get());
        m_owner->fill(commands);
        m_panel->SetCommandEntryPoints(commands);
        notice(SERVER_STATUS_CONNECTED);
    }

    std::unique_ptr<QsoLoggingOwner> m_owner;
};
