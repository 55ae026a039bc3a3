#pragma once

// In-process windows found by their title, and the messages posted to them.
//
// A window (the client's front panel) registers itself under its title while it
// exists. Any thread may post a WindowMessage to a title: the message is copied
// and queued to the GUI thread, and only there, when it is delivered, is the
// title looked up. A message for a title nobody holds at that moment is dropped
// with a debug trace, so a notice that arrives before the window exists costs
// nothing and the next one after it exists gets through.
//
// Registration and delivery happen on the GUI thread; post() is thread-safe.
// The registry's map is guarded by one mutex, never held while a target runs.

#include <QLoggingCategory>

#include <string>

Q_DECLARE_LOGGING_CATEGORY(lcWindowRegistry)

// One posted message, passed by value: the message number, wParam, and either
// a text (a copy the receiver owns) or a number in lParam.
struct WindowMessage {
    unsigned int message = 0;
    int wParam = 0;
    long lParam = 0;
    std::string text;
};

// What a registered window implements. Runs on the GUI thread.
class WindowMessageTarget {
  public:
    virtual ~WindowMessageTarget() = default;
    virtual void onWindowMessage(const WindowMessage& message) = 0;
};

class WindowRegistry {
  public:
    // Makes `target` the window titled `title`, replacing an earlier holder.
    static void registerWindow(const std::string& title, WindowMessageTarget* target);

    // Removes `target` from `title` if it still holds it.
    static void unregisterWindow(const std::string& title, WindowMessageTarget* target);

    // The window that holds `title` now, or null.
    static WindowMessageTarget* find(const std::string& title);

    // Queues `message` for the window titled `title`, looked up at delivery on
    // the GUI thread. False when there is no application object to queue to
    // (the message is dropped with a trace).
    static bool post(const std::string& title, WindowMessage message);
};

// Holds a registration for a scope: registers in the constructor, removes in
// the destructor. Keep it as a member of the window it names.
class WindowRegistration {
  public:
    WindowRegistration(std::string title, WindowMessageTarget* target);
    ~WindowRegistration();
    WindowRegistration(const WindowRegistration&) = delete;
    WindowRegistration& operator=(const WindowRegistration&) = delete;

  private:
    std::string m_title;
    WindowMessageTarget* m_target;
};
