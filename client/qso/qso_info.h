#pragma once

#include <QRect>

#include <functional>
#include <string>

#include "client/qso/qso_log_entry.h"

// The QSO info object: owns the entry window of the log style in force (the
// normal "QSO Information" or the contest "Contest QSO Information" window),
// stamps each contact the operator logs there, asks the front panel for the
// radio's state, completes the contact from the answer and hands it to the
// logger. It also forwards searches to the logger and shows a found entry.
//
// A GUI-thread object: every handler runs on the GUI thread, reached by queued
// calls; it locks nothing. The windows, the clock and the links to the panel
// and the logger are injected, so tests drive it with recording doubles.
namespace pelorin {

// The calls the info object makes on an entry window.
class IQsoEntryWindow {
  public:
    virtual ~IQsoEntryWindow() = default;
    virtual int Style() const = 0;  // kNormalLogStyle or kContestLogStyle
    // Visible and in front; the shown flag set.
    virtual void Show() = 0;
    // Flips the shown flag and shows or hides the window.
    virtual void Toggle() = 0;
    // Re-places the window beside the front panel.
    virtual void Place() = 0;
    // The window's frame rectangle on the screen; MoveInto puts it there.
    virtual QRect Rect() const = 0;
    virtual void MoveInto(const QRect& rect) = 0;
    // Sets the window's texts from a found entry of its kind and brings it
    // to the front.
    virtual void ShowEntry(const QSO_LOG_ENTRY& entry) = 0;
};

// What an entry window sends: the contact of a Log It, a search and the
// CW keys and Alt+X for the front panel.
struct QsoEntryWindowLinks {
    std::function<void(const QSO_LOG_ENTRY&)> logIt;
    std::function<void(const std::string& call)> searchLog;
    std::function<void(int cmd, long param)> executeRemoteCmd;
};

}  // namespace pelorin
