#include "server/radio_link_services.h"

#include <string>
#include <utility>

#include "server/message_logger_thread.h"

void ServerLogSink::LogMessage(int mode, int level, std::string_view text) {
    ::LogMessage(mode, level, text);
}

void ServerCallFailureSink::LogCorbaException(const char* operation) {
    ::LogCorbaException(operation);
}

void ServerCallFailureSink::LogUnknownException(const char* operation) {
    ::LogUnknownException(operation);
}

ClientCallbackNotifier::ClientCallbackNotifier(const NotifierHolder& holder,
                                               CallFailureSink& failures, FailureHook onFailure)
    : m_holder(holder), m_failures(failures), m_onFailure(std::move(onFailure)) {}

template <class Call>
bool ClientCallbackNotifier::Notify(const char* operation, Call&& call) {
    // One duplicate for the whole call: a client replaced meanwhile stays alive until the call
    // is over, and a failure is pinned on the reference that was actually called.
    RadioCmdNotification_var client = m_holder.get();
    const bool ok = callClient(
        operation,
        [&] {
            if (CORBA::is_nil(client.in())) {
                // No client fails like an unusable reference.
                throw CORBA::INV_OBJREF();
            }
            call(client.in());
        },
        m_failures);
    if (!ok && m_onFailure) {
        m_onFailure(client.in());
    }
    return ok;
}

bool ClientCallbackNotifier::NotifyCmd(int code, std::string_view reply) {
    const std::string text(reply);
    return Notify("NotifyCmd", [&](RadioCmdNotification_ptr client) {
        client->NotifyCmd(static_cast<CORBA::Short>(code), text.c_str());
    });
}

bool ClientCallbackNotifier::NotifyTextMessageSent(int length, std::string_view text) {
    const std::string chunk(text);
    return Notify("NotifyTextMessageSent", [&](RadioCmdNotification_ptr client) {
        client->NotifyTextMessageSent(static_cast<CORBA::Short>(length), chunk.c_str());
    });
}

bool ClientCallbackNotifier::NotifyTextMessageEmpty() {
    return Notify("NotifyTextMessageEmpty",
                  [&](RadioCmdNotification_ptr client) { client->NotifyTextMessageEmpty(); });
}

std::uint8_t ReadRadioLoggingMode(brakton::CServerRegistryStore& store) {
    std::uint8_t mode = 0;
    store.ReadSWLoggingMode(mode);
    return mode;
}
