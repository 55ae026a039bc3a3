#pragma once

// CommandFramer: cuts the byte stream from the server into commands at ";".
//
// A command may arrive in pieces and one write may carry several. A lone ";"
// is no command. More than kMaxCommand bytes without ";" are dropped as one
// overflow, and everything up to the next ";" goes with them. Pure logic,
// used by K2Simulator's reader under its lock.

#include <cstddef>
#include <optional>
#include <string>

namespace sim {

class CommandFramer {
  public:
    static constexpr std::size_t kMaxCommand = 64;

    struct Event {
        enum class Kind { Command, Overflow };
        Kind kind;
        std::string text;  // the command without ";"
    };

    std::optional<Event> feed(char byte);

  private:
    std::string m_buffer;
    bool m_discarding = false;
};

}  // namespace sim
