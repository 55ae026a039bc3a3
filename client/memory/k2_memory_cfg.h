#pragma once

// CK2MemoryCfg: the client's radio memories (100, named) and stacking
// registers (a ring of five, unnamed quick saves), kept in memory and in two
// binary files of the home folder, "K2Memory.Cfg" and "K2StackRegisters.Cfg",
// each with a ".Bak.Cfg" backup beside it.
//
// Built once at start-up after the settings store and used on the GUI thread
// only; plain C++ (no widget, no ORB type). Every change is written first and
// kept in memory only after the write succeeded, and every write replaces the
// file atomically (platform/atomic_file.h), so neither a failed write nor a
// killed program leaves a partial or missing file.
//
// Nothing is written over a file the store could not read: a file, or the
// backup it would be restored from, that cannot be read at start-up makes
// that file read-only until the next start-up, and every save of it answers
// K2ERR_STORE_READ_ONLY with the refusal text. A damaged file (or backup) is
// kept aside byte for byte under the first free "<name>.damaged[.n]", and
// neither name loses what it held before the file restored from it is
// written; a restore that cannot be written refuses saves the same way.
//
// File layout, both files, little-endian:
//
//   byte 0      4          29         112          148  152  156  160  164  168
//        |1000  |tag        |banner    |9 time words|used|cap |160 |idx | 0  |records...
//   tag: the file's own name, NUL-padded; time words: sec, min, hour, mday,
//   mon, year-1900, wday, yday, isdst; idx: the ring index (0 in the memory
//   file). Record i lies at 168 + i * 160:
//
//   byte 0          80    84                         160
//        |name (NUL)  |slot |19 snapshot words        |
//   slot: the record's own index when in use, 9999 when free.
//   K2Memory.Cfg is 168 + 100 * 160 = 16168 bytes, K2StackRegisters.Cfg 968.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/file_status.h"

inline constexpr std::uint32_t K2ERR_STACK_EMPTY = 0x1000023;
inline constexpr std::uint32_t K2ERR_MEMORY_NOT_FOUND = 0x1000024;
inline constexpr std::uint32_t K2ERR_MEMORY_FULL = 0x1000025;
// A save refused because the file could not be read at start-up.
inline constexpr std::uint32_t K2ERR_STORE_READ_ONLY = 0x1000026;

struct RADIO_MEMORY_RECORD {
    static constexpr std::size_t kBytes = 160;
    static constexpr std::size_t kNameBytes = 80;
    static constexpr std::size_t kSnapshotWords = 19;
    static constexpr std::int32_t kFreeSlot = 9999;

    std::array<char, kNameBytes> name{};
    std::int32_t slot = kFreeSlot;
    std::array<std::int32_t, kSnapshotWords> snapshot{};

    // The name up to its NUL.
    std::string Name() const;
    // Stores at most 79 bytes, never splitting a UTF-8 character.
    void SetName(std::string_view text);

    bool operator==(const RADIO_MEMORY_RECORD&) const = default;
};

class CK2MemoryCfg {
  public:
    static constexpr int kMemoryCapacity = 100;
    static constexpr int kRegisterCapacity = 5;
    static constexpr const char* kMemoryFile = "K2Memory.Cfg";
    static constexpr const char* kMemoryBackup = "K2Memory.Bak.Cfg";
    static constexpr const char* kRegisterFile = "K2StackRegisters.Cfg";
    static constexpr const char* kRegisterBackup = "K2StackRegisters.Bak.Cfg";

    enum UpdateOp { Modify = 1, Delete = 2, Add = 3 };

    // The local time stamped into each file header.
    using Clock = std::function<std::tm()>;
    static std::tm LocalNow();

    // Start-up: creates the folder, removes temporary files a killed write
    // left, then loads (or creates, restores or sets aside) both files.
    // What the operator must be told is in StartUpMessages().
    explicit CK2MemoryCfg(std::string folder, Clock clock = LocalNow);

    const std::vector<std::string>& StartUpMessages() const { return m_startUpMessages; }
    // Why saves of a file are refused (K2ERR_STORE_READ_ONLY); empty while
    // they are allowed.
    const std::string& MemoryRefusal() const { return m_memoryRefusal; }
    const std::string& RegisterRefusal() const { return m_registerRefusal; }
    const std::string& Folder() const { return m_folder; }

    // Fails the chosen write steps (tests).
    void SetWriteHook(platform::AtomicStepHook hook) { m_hook = std::move(hook); }

    // --- Stacking registers ---
    // The first save fills all five; a register found damaged at start-up is
    // free until a save reaches it, and a recall passes over it.
    std::uint32_t PushStackRegister(RADIO_MEMORY_RECORD record);
    std::uint32_t RecallStackRegister(RADIO_MEMORY_RECORD& record);
    int RingIndex() const { return m_ringIndex; }

    // --- Memories ---
    int NextMemoryNumber();
    // "Memory %d" with the next numbers until one is not in use; nothing
    // after 100 tries (every default name taken).
    std::optional<std::string> NextUnusedMemoryName();

    // The first free slot gets the record; its slot number comes back in
    // *slot.
    std::uint32_t AddMemory(RADIO_MEMORY_RECORD record, int* slot = nullptr);
    std::uint32_t FindMemoryByName(std::string_view name, RADIO_MEMORY_RECORD& record) const;
    bool IsMemoryNameUsed(std::string_view name) const;
    std::uint32_t ModifyMemory(std::string_view name, RADIO_MEMORY_RECORD record);
    std::uint32_t DeleteMemory(std::string_view name);

    // By slot, for the dialogs (names may repeat).
    std::uint32_t GetMemoryAt(int slot, RADIO_MEMORY_RECORD& record) const;
    std::uint32_t ModifyMemoryAt(int slot, RADIO_MEMORY_RECORD record);
    std::uint32_t DeleteMemoryAt(int slot);

    bool GetFirstMemory(RADIO_MEMORY_RECORD& record);
    bool GetNextMemory(RADIO_MEMORY_RECORD& record);
    std::string GetFirstMemoryName(std::array<std::int32_t, 19>& snapshot);
    std::string GetNextMemoryName(std::array<std::int32_t, 19>& snapshot);
    int GetMemoryCount() const { return m_memoryUsed; }

    // Whole-file writes and reads.
    std::uint32_t WriteMemoryFile();
    std::uint32_t WriteStackRegisterFile();
    std::uint32_t ReadMemoryFile();
    std::uint32_t ReadStackRegisterFile();

    // One memory record changed (op Modify, Delete or Add at its index); the
    // file is rewritten whole, atomically, with a fresh time and used count.
    std::uint32_t UpdateMemoryRecord(int op, int index, const RADIO_MEMORY_RECORD& record);

  private:
    using Records = std::vector<RADIO_MEMORY_RECORD>;
    // A file's name, its backup's name and how many records it holds.
    struct FileKind;
    static const FileKind kMemories;
    static const FileKind kRegisters;

    std::string PathOf(const char* name) const;
    std::string BackupPathOf(const FileKind& kind) const;
    std::string& RefusalOf(const FileKind& kind);
    void RefuseSaves(const FileKind& kind, const char* unreadable, int reason);
    void RefuseSavesThisRun(const FileKind& kind, const std::string& why);
    // Writes a file start-up restored; `aside` is the second name the damaged
    // file got ("" for none). A failed write takes that name back and refuses
    // saves, naming the failure after `failed`.
    bool WriteRestored(const FileKind& kind, const Records& records, int ringIndex,
                       const std::string& aside, const std::string& failed);
    std::string Image(const FileKind& kind, const Records& records, int ringIndex) const;
    std::uint32_t Write(const FileKind& kind, const Records& records, int ringIndex,
                        bool rotateBackup);
    std::uint32_t Read(const FileKind& kind, Records& records, int& ringIndex);
    void Load(const FileKind& kind, Records& records, int& ringIndex);
    int FindUsed(std::string_view name) const;
    bool IterateFrom(int start, RADIO_MEMORY_RECORD& record);
    void CommitMemories(Records records);
    void CommitRegisters(Records records, int ringIndex);

    std::string m_folder;
    Clock m_clock;
    platform::AtomicStepHook m_hook;
    std::vector<std::string> m_startUpMessages;
    std::string m_memoryRefusal;
    std::string m_registerRefusal;

    int m_memoryCounter = 0;
    Records m_memories;
    int m_memoryUsed = 0;
    Records m_registers;
    int m_registerUsed = 0;
    int m_ringIndex = 0;
    bool m_iterating = false;
    int m_cursor = 0;
};
