#pragma once

// MemoryKeyStore: the one holder of the eleven transmit-memory texts
// (F1-F11, index 0-10) in Pelorin.
//
// The owner object makes it once from the settings ("Transmit Memory Keys");
// the keyboard-CW window's keys, the memory-key panel and the configuration
// page are views of it: they write through it and follow its changed signal.
// A stored text that breaks the edit's rule (longer than 253 characters, or
// not ASCII) is held as stored and never written back unchanged; its key
// refuses to send it. The operator may shorten it key by key: a shorter text
// is written whole once the settings can keep it (253 bytes) and never cut,
// and its key refuses it until it keeps the rule. A write the settings
// refuse, or a text still too long for them, is reported on the panel's
// status line ("F%d not saved: settings cannot be written", "F%d not saved:
// the settings keep at most 253 bytes"), and the text is used all the same
// until the program ends.
//
// GUI thread only.

#include <QObject>

#include <array>
#include <functional>
#include <string>

namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class MemoryKeyStore : public QObject {
    Q_OBJECT

  public:
    static constexpr int kCount = 11;
    static constexpr std::size_t kMaxTextBytes = 253;

    using StatusReporter = std::function<void(int kind, const std::string& text)>;

    // `store` is not owned and outlives this object. Reads the texts.
    MemoryKeyStore(pelorin::CRegistryStore& store, StatusReporter report,
                   QObject* parent = nullptr);

    const std::string& text(int index) const;
    const std::array<std::string, kCount>& texts() const { return m_texts; }

    // Stores memory `index` (0-10) and tells every view; false when the
    // settings could not be written or could not keep the text (reported) or
    // the index is out of range.
    bool write(int index, const std::string& text);

    static std::string NotSavedText(int index);
    static std::string TooLongText(int index);

  signals:
    void changed(int index, const std::string& text);

  private:
    pelorin::CRegistryStore& m_store;
    StatusReporter m_report;
    std::array<std::string, kCount> m_texts{};
};
