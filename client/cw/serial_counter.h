#pragma once

// SerialCounter: the contest serial number of the keyboard-CW window.
//
// The value is read from the settings ("Counter Value", "Output Mode") when
// the window is made; a stored value below 0 reads as 0. Every step writes
// "Counter Value" at once, alone, so a number sent before a restart or a crash
// is never sent again; "Output Mode" belongs to the counter dialog and the
// configuration sheet, and is read again at every formatting. The value never
// goes below 0.
//
// GUI thread; the settings store syncs each write before returning.

#include <string>

namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

namespace cw {

class SerialCounter {
  public:
    // `store` is not owned and outlives the counter. Reads the value.
    explicit SerialCounter(pelorin::CRegistryStore& store);

    int value() const { return m_value; }
    // The output mode as stored now.
    int outputMode() const;
    // The value as it is sent now.
    std::string format() const;

    // +1 or -1 (not below 0), written at once; false when the write failed
    // (the value is stepped all the same).
    bool step(int delta);
    // Puts the value back (an expansion nothing of which was sent), written
    // at once; false when the write failed.
    bool restore(int value);
    // The counter dialog has stored value and mode: take the value.
    void takeValue(int value) { m_value = value < 0 ? 0 : value; }

  private:
    bool write();

    pelorin::CRegistryStore& m_store;
    int m_value = 0;
};

}  // namespace cw
