#pragma once

#include <string>
#include <vector>

class QWidget;

// The stop-icon message box and the Yes/No question of both programs.
//
// Boxes live on the GUI thread only. The settings stores call in from the ORB and radio
// threads, so a call from any other thread is queued to the GUI thread and returns at once;
// it never waits for the operator (a question asked that way is answered No).
//
// Non-interactive mode, for tests and head-less runs, applies when ORVO_MESSAGE_LOG is set or
// Qt runs on the "offscreen" or "minimal" platform (or no QApplication exists): each message
// becomes one line appended to the file named by ORVO_MESSAGE_LOG, or to standard error when
// it is unset or empty:
//
//     error<TAB>Unable to Read Operator Callsign!
//     warning<TAB>Memory Name is Not Unique!
//     question<TAB>Do you still want to proceed?<TAB>No
//
// Line ends inside the text are written as the two characters "\n". Questions answer No,
// unless answers were queued with queueAnswers.
class MessageService {
  public:
    // Shows `text` with the stop icon.
    static void showError(const std::string& text);

    // Shows `text` with the exclamation icon and an OK button: a notice the operator acts on
    // (a name already taken), not a failure.
    static void showWarning(const std::string& text);

    // The icon a question shows. Non-interactive mode records every question the same way,
    // whatever its icon.
    enum class Icon { Stop, Question, Exclamation, Information };

    // Asks `text` with Yes and No buttons and `icon`; true for Yes.
    static bool askYesNo(const std::string& text, Icon icon = Icon::Stop);

    // The same boxes, modal to `window` only: the program's other windows go on taking input
    // while they are open, and the box goes with the window. GUI thread only. An error or a
    // warning returns at once and its box stays until the operator closes it. A question waits
    // for its answer while the program's events go on, and answers No when the window goes
    // meanwhile: a caller that does more than return on No checks that it still lives. A
    // window that is null or not shown, or a call from another thread, gets the boxes above.
    // Non-interactive mode records the same lines as above.
    static void showError(const std::string& text, QWidget* window);
    static void showWarning(const std::string& text, QWidget* window);
    static bool askYesNo(const std::string& text, Icon icon, QWidget* window);

    // For tests of the boxes themselves: real boxes on the offscreen and minimal platforms too,
    // unless ORVO_MESSAGE_LOG is set.
    static void showBoxesOffscreen(bool show);

    // Non-interactive mode only: the next questions take these answers in turn (true for Yes),
    // and the recorded line shows each; once they are used up, questions answer No again. An
    // empty list drops any answers still queued. For tests that drive a question's Yes path.
    static void queueAnswers(const std::vector<bool>& answers);

    // The line that non-interactive mode records for one message.
    static std::string recordLine(const std::string& kind, const std::string& text,
                                  const std::string& answer = {});
};
