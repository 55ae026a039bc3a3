#include "radiolink/reply_framer.h"

#include <utility>

namespace {

constexpr char kTerminator = ';';

bool isDisplayReply(const std::string& reply) {
    return reply.size() >= 2 && reply[0] == 'D' && reply[1] == 'S';
}

}  // namespace

std::vector<ReplyFramer::Event> ReplyFramer::feed(std::string_view bytes) {
    std::vector<Event> out;
    for (const char byte : bytes) {
        append(byte, out);
    }
    return out;
}

void ReplyFramer::reset() {
    m_reply.clear();
    m_dropping = false;
}

void ReplyFramer::append(char byte, std::vector<Event>& out) {
    if (m_dropping) {
        if (byte == kTerminator) {
            m_dropping = false;
        }
        return;
    }

    // A display reply carries binary status bytes, so a ";" inside it is
    // data: it ends only after its fixed length.
    if (isDisplayReply(m_reply)) {
        if (m_reply.size() < kDisplayReplyLength) {
            m_reply += byte;
            return;
        }
        if (byte == kTerminator) {
            out.push_back({Event::kReply, std::move(m_reply)});
            m_reply.clear();
            return;
        }
        startDropping("Radio reply dropped: a display reply is not \"DS\", " +
                          std::to_string(kDisplayReplyLength - 2) + " bytes and \";\"",
                      out);
        return;
    }

    if (byte == kTerminator) {
        if (!m_reply.empty()) {
            out.push_back({Event::kReply, std::move(m_reply)});
            m_reply.clear();
        }
        return;
    }
    if (m_reply.size() >= kMaxReplyLength) {
        startDropping("Radio reply dropped: more than " + std::to_string(kMaxReplyLength) +
                          " bytes without \";\"",
                      out);
        return;
    }
    m_reply += byte;
}

void ReplyFramer::startDropping(std::string text, std::vector<Event>& out) {
    m_reply.clear();
    m_dropping = true;
    out.push_back({Event::kDropped, std::move(text)});
}
