#pragma once

// SerialCounter: the contest serial number of the keyboard-CW window.
//
// The value is read from the settings ("Counter Value") when the window is
// made, and reading writes nothing. A stored value that cannot be read (not a
// whole number 0-2147483647) is reported once and left in the file as it
// stands; the counter is unknown until the operator sets it (Set New Serial
// No), so that no number already sent is sent again. Every step writes
// "Counter Value" at once, alone, so a number sent before a restart or a crash
// is never sent again; "Output Mode" belongs to the counter dialog and the
// configuration sheet, and is read again at every formatting. The value never
// goes below 0 nor past 2147483647.
//
// GUI thread; the settings store syncs each write before returning.

#include <optional>
#include <string>

namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

namespace cw {

inline constexpr const char* kCounterUnreadableMessage =
    "Counter Value could not be read: set the next serial number with Set New Serial No";

class SerialCounter {
  public:
    static constexpr int kMaxValue = 2147483647;

    // `store` is not owned and outlives the counter. Reads the value.
    explicit SerialCounter(pelorin::CRegistryStore& store);

    // Nothing while the value is unknown.
    std::optional<int> value() const { return m_value; }
    bool known() const { return m_value.has_value(); }
    // The output mode as stored now.
    int outputMode() const;
    // The value as it is sent now; "" while unknown.
    std::string format() const;

    // Whether the value may step by `delta`: it is known, and +1 does not
    // pass kMaxValue.
    bool canStep(int delta) const;
    // +1 or -1 (not below 0), written at once; false when the step may not be
    // made (nothing changes) or the write failed (the value is stepped all
    // the same).
    bool step(int delta);
    // Puts the value back (an expansion nothing of which was sent), written
    // at once; false when the write failed.
    bool restore(int value);
    // The counter dialog has stored value and mode: take the value.
    void takeValue(int value) { m_value = value < 0 ? 0 : value; }

  private:
    bool write();

    pelorin::CRegistryStore& m_store;
    std::optional<int> m_value;
};

}  // namespace cw
