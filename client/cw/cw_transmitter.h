#pragma once

// CwTransmitter: how the keyboard-CW window hands text to the server.
//
// Typed words go as they are; memory texts are expanded first (macros, the
// serial number) and every text from elsewhere is made keyable (control
// characters as blanks; nothing at all when a character is not ASCII). A text
// goes in pieces of at most 254 characters, one KeyboardCW call each, and
// stops at the first piece the server does not take. Only what the server
// took joins the pending text; a refusal is reported on the panel's status
// line in its own words. Nothing is called while the panel is not connected.
//
// A memory text of which no piece was taken leaves the serial counter as it
// was (its steps are undone and written back): refused by the server, or
// never sent (not connected, not keyable). Once a piece was taken, or a call
// ended with no answer (the server may be keying it already), the steps
// stand: a number skipped is harmless, one sent twice is not. A text that
// needs the serial number while it is unknown, or would step it past
// 2147483647, is not sent at all.
//
// Plain logic; GUI thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "client/cw/cw_text.h"

namespace cw {

class SerialCounter;

// The status line's words for a KeyboardCW answer that is not 0; nothing
// (std::nullopt) stands for a failed call or no connection.
std::string CwRefusalText(std::optional<std::int32_t> status);
// "Abort not confirmed by Brakton: …" for an AbortKeyboardCW answer that is
// not 0, or for a failed call (nothing).
std::string AbortRefusalText(std::optional<std::int32_t> status);
// The window's words when Brakton went quiet with `left` characters pending.
std::string StoppedByBraktonText(std::size_t left);
// Autoplay's memory (0-10) has no text any more.
std::string EmptyMemoryText(int memory);

inline constexpr const char* kNotAsciiStatus = "CW not sent: only ASCII characters can be keyed";
inline constexpr const char* kSerialNotSavedStatus = "Serial number not saved";
inline constexpr const char* kSerialUnknownStatus =
    "Serial number unknown: set it with Set New Serial No";
inline constexpr const char* kSerialAtLimitStatus =
    "Serial number cannot pass 2147483647: set it with Set New Serial No";
// "Memory F%d cannot be sent: %s" for memory key `index` (0-10) whose stored
// text cannot be keyed as it stands (MemoryTextFault's reason).
std::string MemoryCannotBeSentText(int index, const std::string& reason);

class CwTransmitter {
  public:
    struct Hooks {
        // The panel's connected flag.
        std::function<bool()> connected;
        // RadioComm::KeyboardCW; nothing after a failed call.
        std::function<std::optional<std::int32_t>(const std::string& text)> keyboardCW;
        // The panel's status line (kStatusError: an error).
        std::function<void(int kind, const std::string& text)> showStatus;
        // A text (not a typed word) was taken: "Abort TX!" turns red.
        std::function<void()> sending;
        // Slot 1-8 for the macros.
        std::function<std::string(int slot)> slot;
    };

    // `pending` and `counter` are not owned and outlive the transmitter.
    CwTransmitter(Hooks hooks, PendingText& pending, SerialCounter& counter);

    // A typed word; false when it was not taken (it stays unsent).
    bool sendTypedWord(const std::string& word);
    // A text sent as it is (no macros); false when nothing was taken.
    bool transmitText(std::string_view text);
    // A memory text: expanded, then sent; false when nothing was taken. A
    // serial number that is unknown or would step past its limit sends
    // nothing and says so.
    bool transmitMemory(std::string_view text);
    // Memory key `index` (0-10) with its stored text: refused with
    // MemoryCannotBeSentText when the text breaks the memory-text rule,
    // otherwise sent as a memory text with a blank after it.
    bool transmitMemoryKey(int index, const std::string& text);

  private:
    struct Sent {
        int taken = 0;            // pieces the server took
        bool unanswered = false;  // the last call made had no answer
    };
    Sent sendPieces(std::string_view text);
    // True when the server took `piece`; `unanswered` tells a call that
    // ended with no answer from a refusal or no call at all.
    bool callServer(const std::string& piece, bool& unanswered);

    Hooks m_hooks;
    PendingText& m_pending;
    SerialCounter& m_counter;
};

}  // namespace cw
