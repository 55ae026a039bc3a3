#pragma once

// WindowMessageReceiver: the receiving side of window-title messages (window_message.h).
//
// Owns the socket of one title while it lives and calls `onMessage` for every message that
// arrives, on the thread that owns the object (normally the GUI thread), from its event loop.
// A datagram shorter than the message header is dropped. A socket file left behind by a
// receiver that has gone is replaced; a title that a live receiver already holds is refused.
// The destructor removes the socket file, unless another receiver has replaced it meanwhile.

#include <sys/types.h>

#include <QObject>

#include <functional>
#include <string>

#include "platform/window_message.h"

class QSocketNotifier;

namespace platform {

class WindowMessageReceiver : public QObject {
  public:
    using Callback = std::function<void(const WindowMessage&)>;

    WindowMessageReceiver(std::string title, Callback onMessage, QObject* parent = nullptr);
    ~WindowMessageReceiver() override;

    WindowMessageReceiver(const WindowMessageReceiver&) = delete;
    WindowMessageReceiver& operator=(const WindowMessageReceiver&) = delete;

    // False when the socket could not be opened; errorString() says why.
    bool isListening() const { return m_fd >= 0; }
    const std::string& errorString() const { return m_error; }
    const std::string& socketPath() const { return m_path; }

  private:
    void open();
    void readPending();

    std::string m_title;
    Callback m_onMessage;
    std::string m_path;
    std::string m_error;
    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace platform
