#pragma once

// ReplyFramer: cuts the radio's byte stream into whole replies.
//
// Usage: the reply task owns one framer and feeds it the bytes of every read
// of the port, in order; `feed` returns what those bytes completed, in stream
// order: each reply without its ";" (kReply), and one kDropped event for each
// run of bytes that could not be a reply, whose text is meant for one error
// record. A reply cut between two reads is carried over to the next feed.
// Empty replies (";;", a leading ";") yield nothing. A reply that starts with
// "DS" is binary: it is framed by length, 10 bytes of any value (0x00 and ";"
// included) and then ";", so it comes out 12 bytes long; a DS reply of any
// other shape is dropped. A reply that reaches more than kMaxReplyLength bytes
// without ";" is dropped too. A dropped run lasts up to and including the next
// ";", after which framing starts afresh. Call `reset` when the port changes:
// it forgets the partial reply and any dropped run. Not thread-safe: one owner.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class ReplyFramer {
  public:
    static constexpr std::size_t kMaxReplyLength = 79;
    static constexpr std::size_t kDisplayReplyLength = 12;  // "DS", 8 display and 2 status bytes

    struct Event {
        enum Kind { kReply, kDropped };
        Kind kind = kReply;
        std::string text;  // the reply, or the error text of a dropped run

        friend bool operator==(const Event&, const Event&) = default;
    };

    std::vector<Event> feed(std::string_view bytes);
    void reset();

    // Bytes of the reply being assembled (0 while dropping).
    std::size_t pendingLength() const { return m_reply.size(); }

  private:
    void append(char byte, std::vector<Event>& out);
    void startDropping(std::string text, std::vector<Event>& out);

    std::string m_reply;
    bool m_dropping = false;
};
