#pragma once

// MemoryPanelModel: the memory-key panel's eleven memories without widgets.
//
// Each memory has its committed text (what is stored and sent), one draft
// (what its edit shows), a changed flag and a lock. A commit stores that
// memory only; Cancel puts every draft back to its committed text; a send
// always takes the committed text. The committed texts follow the store: a
// change made elsewhere replaces the draft too unless the memory has its own
// uncommitted change.
//
// Plain logic; GUI thread.

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace cw {

class MemoryPanelModel {
  public:
    static constexpr int kMemoryCount = 11;
    // "No key being edited".
    static constexpr int kNoKey = 12;

    struct Commit {
        int index;
        std::string text;
    };

    // The store's text of memory i (at start and at every change).
    void setCommitted(int index, const std::string& text);
    // The operator changed memory i's edit.
    void edit(int index, const std::string& text);

    // The edit button of memory i: unlocks it, or commits its change (which
    // locks it); pressing it again for the key being edited only forgets
    // that key.
    std::optional<Commit> editKey(int index);
    // Memory i's edit lost the focus: its change, if any, is committed; the
    // edit is locked either way.
    std::optional<Commit> commit(int index);
    // Enter: the first changed memory, F1 first, is committed.
    std::optional<Commit> commitFirstChanged();
    // The panel goes: every change is committed.
    std::vector<Commit> commitAll();
    // Cancel: every draft back to its committed text, every edit locked.
    void cancel();
    // A memory's TX button: every edit locked; the committed text to send.
    std::string transmit(int index);
    // The type-in memory's TX button: every edit locked, the drafts kept.
    void lockAll();

    const std::string& committed(int index) const { return m_committed.at(idx(index)); }
    const std::string& draft(int index) const { return m_draft.at(idx(index)); }
    bool changed(int index) const { return m_changed.at(idx(index)); }
    bool locked(int index) const { return m_locked.at(idx(index)); }
    int keyBeingEdited() const { return m_editing; }

  private:
    static std::size_t idx(int index) { return static_cast<std::size_t>(index); }
    static bool valid(int index) { return index >= 0 && index < kMemoryCount; }

    std::array<std::string, kMemoryCount> m_committed{};
    std::array<std::string, kMemoryCount> m_draft{};
    std::array<bool, kMemoryCount> m_changed{};
    std::array<bool, kMemoryCount> m_locked{};
    int m_editing = kNoKey;
};

}  // namespace cw
