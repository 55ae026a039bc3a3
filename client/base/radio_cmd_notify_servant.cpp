#include "client/base/radio_cmd_notify_servant.h"

#include <QLoggingCategory>

#include <chrono>
#include <thread>

#include "client/base/notify_messages.h"
#include "platform/utf8_text.h"
#include "platform/window_registry.h"

namespace {

Q_LOGGING_CATEGORY(lcNotifyServant, "orvo.client.notify", QtWarningMsg)

std::string textOf(const char* text) {
    return cutUtf8(text != nullptr ? text : "", kNotifyTextMax);
}

void postToPanel(unsigned int message, int wParam, long lParam, std::string text) {
    WindowRegistry::post(kFrontPanelTitle, WindowMessage{message, wParam, lParam, std::move(text)});
}

}  // namespace

CRadioCmdNotifyServant::CRadioCmdNotifyServant(PortableServer::POA_ptr poa)
    : PoaServant<POA_RadioCmdNotification>(poa) {}

void CRadioCmdNotifyServant::Connect(const char* who) {
    m_bConnected = 1;
    m_szRequester = who != nullptr ? who : "";
    qCDebug(lcNotifyServant, "Connect %s", m_szRequester.c_str());
    postToPanel(WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_CONNECT_NOTICE, 0,
                textOf(("Pelorin - Connecting requested from " + m_szRequester).c_str()));
    // The panel handles the first notice before it hears the link is up.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    postToPanel(WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_CONNECTED, 0, {});
}

void CRadioCmdNotifyServant::Disconnect() {
    m_bConnected = 0;
    m_szRequester.clear();
}

void CRadioCmdNotifyServant::NotifyCmd(CORBA::Short code, const char* reply) {
    qCDebug(lcNotifyServant, "NotifyCmd %d, %s", code, reply != nullptr ? reply : "");
    postToPanel(WM_RADIO_REPLY, code, 0, textOf(reply));
}

void CRadioCmdNotifyServant::NotifyTextMessageSent(CORBA::Short length, const char* text) {
    qCDebug(lcNotifyServant, "NotifyTextMessageSent %d, %s", length, text != nullptr ? text : "");
    postToPanel(WM_NOTIFY_TXTMESG_SENT, TXTMESG_SENT, 0, textOf(text));
}

void CRadioCmdNotifyServant::NotifyTextMessageEmpty() {
    qCDebug(lcNotifyServant, "NotifyTextMessageEmpty");
    postToPanel(WM_NOTIFY_TXTMESG_SENT, TXTMESG_EMPTY, 0, {});
}

void CRadioCmdNotifyServant::NotifyRFAmpOptionChange(CORBA::Short option) {
    qCDebug(lcNotifyServant, "NotifyRFAmpOptionChange");
    postToPanel(WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_RF_AMP_OPTION, option, {});
}
