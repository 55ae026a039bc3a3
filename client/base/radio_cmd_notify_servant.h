#pragma once

// The client's callback object: the server pushes radio replies, keyboard-CW
// progress and option changes through it.
//
// The servant does no work of its own. Each operation copies what it got into
// one WindowMessage (texts cut at kNotifyTextMax bytes, never inside a UTF-8
// character) and posts it to the window titled kFrontPanelTitle; the title is
// looked up on the GUI thread when the message is delivered, so a panel that
// appears later gets every later message.
//
// Runs on the client's ORB thread (MAIN_THREAD_MODEL POA: one call at a time),
// which alone touches the members; no lock.

#include <string>

#include "RadioCmdNotification.hh"
#include "idl/orb_thread.h"

class CRadioCmdNotifyServant : public PoaServant<POA_RadioCmdNotification> {
  public:
    explicit CRadioCmdNotifyServant(PortableServer::POA_ptr poa);

    // The server announces itself: notice 1 with "Pelorin - Connecting
    // requested from <who>", then, 100 ms later, notice 2 (the link is up).
    void Connect(const char* who) override;
    // The server withdraws; nothing is posted.
    void Disconnect() override;
    void NotifyCmd(CORBA::Short code, const char* reply) override;
    void NotifyTextMessageSent(CORBA::Short length, const char* text) override;
    void NotifyTextMessageEmpty() override;
    void NotifyRFAmpOptionChange(CORBA::Short option) override;

    bool connected() const { return m_bConnected != 0; }
    const std::string& requester() const { return m_szRequester; }

  private:
    int m_bConnected = 0;
    std::string m_szRequester;
};
