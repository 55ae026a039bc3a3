#pragma once

// The front panel with the keyboard-CW owner's entry points, for the tests of
// the keyboard-CW window, its dialogs and its memory keys.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>

#include <functional>
#include <memory>

#include "client/cw/keyboard_cw_owner.h"
#include "front_panel_fixture.h"

class CwPanelFixture : public FrontPanelFixture {
  protected:
    void TearDown() override {
        m_panel.reset();
        m_owner.reset();
        FrontPanelFixture::TearDown();
    }

    // The panel on `remote` with the owner's entry points, initialised but not
    // shown; `adjust` changes the command entry points before the panel takes
    // them.
    void makePanel(PanelRemote& remote,
                   const std::function<void(PanelCommandEntryPoints&)>& adjust = {}) {
        m_owner = std::make_unique<KeyboardCwOwner>(m_store);
        PanelEntryPoints entry;
        m_owner->fill(entry);
        m_panel = std::make_unique<CK2FrontPanelControlDlg>(remote, m_store, entry);
        m_owner->setPanel(m_panel.get());
        PanelCommandEntryPoints commands;
        m_owner->fill(commands);
        if (adjust) {
            adjust(commands);
        }
        m_panel->SetCommandEntryPoints(commands);
        m_panel->OnInitDialog();
    }

    // True once `done` holds, running the thread's events in between; false
    // after ten seconds, long enough for a loaded machine.
    static bool waitFor(const std::function<bool()>& done) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            // Outside exec() deleteLater waits for this.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return done();
    }

    std::unique_ptr<KeyboardCwOwner> m_owner;
};
