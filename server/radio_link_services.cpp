#include "server/radio_link_services.h"

#include <string>

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
                                               CallFailureSink& failures)
    : m_holder(holder), m_failures(failures) {}

namespace {

// The reference for one call; a missing client fails like an unusable reference.
RadioCmdNotification_var clientOrThrow(const NotifierHolder& holder) {
    RadioCmdNotification_var client = holder.get();
    if (CORBA::is_nil(client.in())) {
        throw CORBA::INV_OBJREF();
    }
    return client;
}

}  // namespace

bool ClientCallbackNotifier::NotifyCmd(int code, std::string_view reply) {
    const std::string text(reply);
    return callClient(
        "NotifyCmd",
        [&] { clientOrThrow(m_holder)->NotifyCmd(static_cast<CORBA::Short>(code), text.c_str()); },
        m_failures);
}

bool ClientCallbackNotifier::NotifyTextMessageSent(int length, std::string_view text) {
    const std::string chunk(text);
    return callClient(
        "NotifyTextMessageSent",
        [&] {
            clientOrThrow(m_holder)->NotifyTextMessageSent(static_cast<CORBA::Short>(length),
                                                           chunk.c_str());
        },
        m_failures);
}

bool ClientCallbackNotifier::NotifyTextMessageEmpty() {
    return callClient(
        "NotifyTextMessageEmpty", [&] { clientOrThrow(m_holder)->NotifyTextMessageEmpty(); },
        m_failures);
}

std::uint8_t ReadRadioLoggingMode(CServerRegistryStore& store) {
    std::uint8_t mode = 0;
    store.ReadSWLoggingMode(mode);
    return mode;
}
