#include "client/memory/k2_memory_cfg.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "client/memory/status_hex.h"
#include "platform/utf8_text.h"

namespace {

constexpr std::size_t kHeaderBytes = 168;
constexpr std::int32_t kHeaderMagic = 1000;
constexpr std::size_t kTagOffset = 4;
constexpr std::size_t kTagBytes = 25;
constexpr std::size_t kBannerOffset = 29;
constexpr std::size_t kTimeOffset = 112;
constexpr std::size_t kUsedOffset = 148;
constexpr std::size_t kCapacityOffset = 152;
constexpr std::size_t kRecordSizeOffset = 156;
constexpr std::size_t kIndexOffset = 160;
constexpr const char* kBanner = "Pelorin radio memories: do not edit";
// Within a record: the name's 80 bytes, the slot word at 80, and the
// snapshot's 19 words from 84 to the record's end.
constexpr std::size_t kSlotOffset = RADIO_MEMORY_RECORD::kNameBytes;
constexpr std::size_t kSnapshotOffset = kSlotOffset + sizeof(std::int32_t);
static_assert(kSnapshotOffset + 4 * RADIO_MEMORY_RECORD::kSnapshotWords ==
              RADIO_MEMORY_RECORD::kBytes);

void putWord(std::string& out, std::size_t at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    }
}

std::int32_t getWord(std::string_view in, std::size_t at) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        u |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(u);
}

void putRecord(std::string& out, std::size_t at, const RADIO_MEMORY_RECORD& r) {
    std::memcpy(out.data() + at, r.name.data(), r.name.size());
    putWord(out, at + kSlotOffset, r.slot);
    for (std::size_t w = 0; w < r.snapshot.size(); ++w) {
        putWord(out, at + kSnapshotOffset + 4 * w, r.snapshot[w]);
    }
}

RADIO_MEMORY_RECORD getRecord(std::string_view in, std::size_t at) {
    RADIO_MEMORY_RECORD r;
    std::memcpy(r.name.data(), in.data() + at, r.name.size());
    r.slot = getWord(in, at + kSlotOffset);
    for (std::size_t w = 0; w < r.snapshot.size(); ++w) {
        r.snapshot[w] = getWord(in, at + kSnapshotOffset + 4 * w);
    }
    return r;
}

RADIO_MEMORY_RECORD freeRecord() {
    return RADIO_MEMORY_RECORD{};
}

// Slots other than the record's own index are free; names end by byte 79.
// Returns how many records are in use.
int repair(std::vector<RADIO_MEMORY_RECORD>& records) {
    int used = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto& r = records[i];
        r.name.back() = '\0';
        if (r.slot == static_cast<std::int32_t>(i)) {
            ++used;
        } else {
            r.slot = RADIO_MEMORY_RECORD::kFreeSlot;
        }
    }
    return used;
}

// What one file holds, as far as it can be read.
struct Parsed {
    std::uint32_t status = 0;
    std::vector<RADIO_MEMORY_RECORD> records;
    int ringIndex = 0;
};

std::size_t fileBytes(int capacity) {
    return kHeaderBytes + static_cast<std::size_t>(capacity) * RADIO_MEMORY_RECORD::kBytes;
}

Parsed parse(std::string_view content, std::string_view tag, int capacity) {
    Parsed p;
    p.records.assign(static_cast<std::size_t>(capacity), freeRecord());
    if (content.size() < kHeaderBytes) {
        p.status = K2ERR_FILE_READ;
        return p;
    }
    if (content.substr(kTagOffset, tag.size()) != tag) {
        p.status = K2ERR_FILE_WRONG_TYPE;
        return p;
    }
    const std::int32_t storedCapacity = getWord(content, kCapacityOffset);
    if (storedCapacity != capacity || getWord(content, kRecordSizeOffset) !=
                                          static_cast<std::int32_t>(RADIO_MEMORY_RECORD::kBytes)) {
        p.status = K2ERR_FILE_WRONG_TYPE;
    }
    p.ringIndex = getWord(content, kIndexOffset);
    // Whole records only: one cut short stays free.
    const std::size_t available = (content.size() - kHeaderBytes) / RADIO_MEMORY_RECORD::kBytes;
    const std::size_t stored = storedCapacity > 0 ? static_cast<std::size_t>(storedCapacity) : 0;
    const std::size_t count = std::min({available, stored, p.records.size()});
    for (std::size_t i = 0; i < count; ++i) {
        p.records[i] = getRecord(content, kHeaderBytes + i * RADIO_MEMORY_RECORD::kBytes);
    }
    if (p.status == 0 && available < static_cast<std::size_t>(capacity))
        p.status = K2ERR_FILE_READ;
    // The file has a fixed size: anything longer is not one of ours.
    if (p.status == 0 && content.size() > fileBytes(capacity))
        p.status = K2ERR_FILE_WRONG_TYPE;
    return p;
}

// One file as start-up finds it: absent (or no plain file), unreadable
// (reason, an errno) or parsed. At most one byte over the fixed size is read,
// enough to know the file is too long.
struct Stored {
    bool present = false;
    int reason = 0;
    Parsed parsed;
};

Stored readStored(const std::string& path, std::string_view tag, int capacity) {
    Stored s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return s;
    s.present = true;
    std::string content;
    s.reason = platform::readFileUpTo(path, fileBytes(capacity) + 1, content);
    if (s.reason == 0)
        s.parsed = parse(content, tag, capacity);
    return s;
}

// The records whose slot is neither their own index nor free.
std::vector<int> strayRecords(const std::vector<RADIO_MEMORY_RECORD>& records) {
    std::vector<int> strays;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::int32_t slot = records[i].slot;
        if (slot != static_cast<std::int32_t>(i) && slot != RADIO_MEMORY_RECORD::kFreeSlot)
            strays.push_back(static_cast<int>(i));
    }
    return strays;
}

// "register 2 holds slot 42", or for a memory its name too, since that is
// what the operator knows it by: "memory 3 "CQ 40" holds slot 57"; several
// joined by ", ".
std::string strayText(bool registers, const std::vector<RADIO_MEMORY_RECORD>& records,
                      const std::vector<int>& strays) {
    std::string text;
    for (const int i : strays) {
        const RADIO_MEMORY_RECORD& r = records[static_cast<std::size_t>(i)];
        if (!text.empty())
            text += ", ";
        text += (registers ? "register " : "memory ") + std::to_string(i);
        if (!registers)
            text += " \"" + r.Name() + "\"";
        text += " holds slot " + std::to_string(r.slot);
    }
    return text;
}

// "register 2 is free", "memories 3, 5 are free".
std::string freedText(bool registers, const std::vector<int>& strays) {
    std::string text = registers ? "register" : "memor";
    text += strays.size() == 1 ? (registers ? " " : "y ") : (registers ? "s " : "ies ");
    for (std::size_t n = 0; n < strays.size(); ++n)
        text += (n == 0 ? "" : ", ") + std::to_string(strays[n]);
    return text + (strays.size() == 1 ? " is free" : " are free");
}

bool nameTaken(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

int countUsed(const std::vector<RADIO_MEMORY_RECORD>& records) {
    int used = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].slot == static_cast<std::int32_t>(i))
            ++used;
    }
    return used;
}

std::string unableToCreate(const char* name, std::uint32_t status) {
    return std::string("Unable to Create ") + name + ", Error: " + StatusHex(status);
}

std::string unableToRead(const char* name, std::uint32_t status) {
    return std::string("Unable to Read ") + name + ", Error: " + StatusHex(status) + "!";
}

std::string withReason(std::uint32_t status, int reason) {
    std::string text = StatusHex(status);
    if (reason != 0)
        text += std::string(" (") + std::strerror(reason) + ")";
    return text;
}

}  // namespace

std::string RADIO_MEMORY_RECORD::Name() const {
    return std::string(name.data(), ::strnlen(name.data(), name.size()));
}

void RADIO_MEMORY_RECORD::SetName(std::string_view text) {
    name.fill('\0');
    const std::string cut = cutUtf8(text.substr(0, text.find('\0')), kNameBytes - 1);
    std::memcpy(name.data(), cut.data(), cut.size());
}

struct CK2MemoryCfg::FileKind {
    const char* file;
    const char* backup;
    int capacity;
};

const CK2MemoryCfg::FileKind CK2MemoryCfg::kMemories{kMemoryFile, kMemoryBackup, kMemoryCapacity};
const CK2MemoryCfg::FileKind CK2MemoryCfg::kRegisters{kRegisterFile, kRegisterBackup,
                                                      kRegisterCapacity};

std::tm CK2MemoryCfg::LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

CK2MemoryCfg::CK2MemoryCfg(std::string folder, Clock clock)
    : m_folder(std::move(folder)),
      m_clock(clock ? std::move(clock) : Clock(LocalNow)),
      m_memories(kMemoryCapacity),
      m_registers(kRegisterCapacity) {
    if (!platform::makeFolders(m_folder)) {
        m_startUpMessages.push_back(unableToCreate(kMemoryFile, K2ERR_FILE_OPEN));
        return;
    }
    int unusedIndex = 0;
    Load(kMemories, m_memories, unusedIndex);
    m_memoryUsed = repair(m_memories);
    Load(kRegisters, m_registers, m_ringIndex);
    m_registerUsed = repair(m_registers);
    if (m_ringIndex < 0 || m_ringIndex >= kRegisterCapacity)
        m_ringIndex = 0;
}

std::string CK2MemoryCfg::PathOf(const char* name) const {
    return m_folder + "/" + name;
}

// Beside the file's target when the file is a symbolic link, where every
// save keeps it.
std::string CK2MemoryCfg::BackupPathOf(const FileKind& kind) const {
    return platform::backupPathFor(PathOf(kind.file), PathOf(kind.backup));
}

std::string& CK2MemoryCfg::RefusalOf(const FileKind& kind) {
    return kind.capacity == kRegisterCapacity ? m_registerRefusal : m_memoryRefusal;
}

void CK2MemoryCfg::RefuseSaves(const FileKind& kind, const char* unreadable, int reason) {
    RefusalOf(kind) = std::string(kind.file) + " cannot be read (" + unreadable + ": " +
                      std::strerror(reason) +
                      "): memories are not saved until Pelorin is restarted with a readable file.";
    m_startUpMessages.push_back(RefusalOf(kind));
}

void CK2MemoryCfg::RefuseSavesThisRun(const FileKind& kind, const std::string& why) {
    RefusalOf(kind) = why + ": memories are not saved until Pelorin is restarted.";
    m_startUpMessages.push_back(RefusalOf(kind));
}

namespace {

// The first free "<name>.damaged", "<name>.damaged.2", ... in the folder.
std::string freeAsideName(const std::string& folder, const char* name) {
    std::string aside = std::string(name) + ".damaged";
    for (int n = 2; nameTaken(folder + "/" + aside); ++n) {
        aside = std::string(name) + ".damaged." + std::to_string(n);
    }
    return aside;
}

// Renames the file (the target of a link) aside beside it; returns the name
// it got, "" when it could not be moved (errno says why).
std::string moveAside(const std::string& path, const char* name) {
    const std::string target = platform::resolveLinks(path);
    const std::string folder = platform::folderOf(target);
    const std::string aside = freeAsideName(folder, name);
    if (std::rename(target.c_str(), (folder + "/" + aside).c_str()) != 0)
        return "";
    return aside;
}

// Gives the file (the target of a link) a second name aside beside it, the
// file keeping its own; returns that name, "" when neither a link nor a copy
// could be made.
std::string copyAside(const std::string& path, const char* name) {
    const std::string target = platform::resolveLinks(path);
    const std::string folder = platform::folderOf(target);
    const std::string aside = freeAsideName(folder, name);
    if (platform::addSecondName(target, folder + "/" + aside) != 0)
        return "";
    return aside;
}

// Takes back a second name copyAside() gave, once the file kept its own.
void dropAside(const std::string& path, const std::string& aside) {
    const std::string target = platform::resolveLinks(path);
    ::unlink((platform::folderOf(target) + "/" + aside).c_str());
}

}  // namespace

std::string CK2MemoryCfg::Image(const FileKind& kind, const Records& records, int ringIndex) const {
    std::string out(kHeaderBytes + records.size() * RADIO_MEMORY_RECORD::kBytes, '\0');
    putWord(out, 0, kHeaderMagic);
    const std::string_view tag = kind.file;
    std::memcpy(out.data() + kTagOffset, tag.data(), std::min(tag.size(), kTagBytes - 1));
    std::memcpy(out.data() + kBannerOffset, kBanner, std::strlen(kBanner));
    const std::tm t = m_clock();
    const std::int32_t words[9] = {t.tm_sec,  t.tm_min,  t.tm_hour, t.tm_mday, t.tm_mon,
                                   t.tm_year, t.tm_wday, t.tm_yday, t.tm_isdst};
    for (std::size_t i = 0; i < 9; ++i)
        putWord(out, kTimeOffset + 4 * i, words[i]);
    putWord(out, kUsedOffset, countUsed(records));
    putWord(out, kCapacityOffset, kind.capacity);
    putWord(out, kRecordSizeOffset, static_cast<std::int32_t>(RADIO_MEMORY_RECORD::kBytes));
    putWord(out, kIndexOffset, ringIndex);
    for (std::size_t i = 0; i < records.size(); ++i) {
        putRecord(out, kHeaderBytes + i * RADIO_MEMORY_RECORD::kBytes, records[i]);
    }
    return out;
}

std::uint32_t CK2MemoryCfg::Write(const FileKind& kind, const Records& records, int ringIndex,
                                  bool rotateBackup) {
    if (!RefusalOf(kind).empty())
        return K2ERR_STORE_READ_ONLY;
    platform::AtomicWriteOptions options;
    if (rotateBackup)
        options.backupPath = PathOf(kind.backup);
    options.hook = m_hook;
    return platform::replaceFileAtomically(PathOf(kind.file), Image(kind, records, ringIndex),
                                           options);
}

std::uint32_t CK2MemoryCfg::Read(const FileKind& kind, Records& records, int& ringIndex) {
    std::string content;
    if (platform::readFileUpTo(PathOf(kind.file), fileBytes(kind.capacity) + 1, content) != 0)
        return K2ERR_FILE_OPEN;
    Parsed p = parse(content, kind.file, kind.capacity);
    records = std::move(p.records);
    ringIndex = p.ringIndex;
    return p.status;
}

bool CK2MemoryCfg::WriteRestored(const FileKind& kind, const Records& records, int ringIndex,
                                 const std::string& aside, const std::string& failed) {
    const std::uint32_t status = Write(kind, records, ringIndex, false);
    if (status == 0)
        return true;
    const int reason = errno;
    if (!aside.empty())
        dropAside(PathOf(kind.file), aside);
    RefuseSavesThisRun(kind, failed + ", Error: " + withReason(status, reason));
    return false;
}

// Start-up of one file. Missing: restored from the backup (from its whole
// records when it is damaged) or created empty. Damaged: replaced from a
// clean backup or from its own whole records. A record with a stray slot is
// freed and the file written without it. Unreadable, or missing or damaged
// with an unreadable backup: nothing is written and saves are refused.
//
// A restore keeps its sources until it is written: a damaged file gets a
// second name aside (a link or a copy) before the restored file replaces it,
// and a damaged backup is moved aside only once the restored file is written
// (the first save would rotate that file over it). A restore that cannot be
// written leaves every name as it was and refuses saves for this run, so the
// next start-up finds the same files and tries again. The backup itself is
// never written here.
void CK2MemoryCfg::Load(const FileKind& kind, Records& records, int& ringIndex) {
    const std::string path = PathOf(kind.file);
    const std::string backupPath = BackupPathOf(kind);
    const bool registers = kind.capacity == kRegisterCapacity;
    platform::removeLeftoverTemporaries(path);
    platform::removeLeftoverTemporaries(backupPath);
    records.assign(static_cast<std::size_t>(kind.capacity), freeRecord());
    ringIndex = 0;
    const auto take = [&](Parsed& parsed) {
        records = std::move(parsed.records);
        ringIndex = parsed.ringIndex;
        repair(records);
        if (ringIndex < 0 || ringIndex >= kind.capacity)
            ringIndex = 0;
    };
    // After the restored file was written from a file that also stands
    // damaged under the backup's name.
    const auto moveBackupAside = [&](const std::string& said) -> std::string {
        const std::string aside = moveAside(backupPath, kind.backup);
        if (aside.empty()) {
            RefuseSavesThisRun(kind, said + ", but " + kind.backup + " cannot be kept aside (" +
                                         std::strerror(errno) + ")");
        }
        return aside;
    };
    const std::string fromWholeRecords = std::string(kind.file) + " from its whole records";

    Stored mine = readStored(path, kind.file, kind.capacity);
    if (!mine.present) {
        Stored backup = readStored(backupPath, kind.file, kind.capacity);
        if (!backup.present) {
            const std::uint32_t status = Write(kind, records, ringIndex, false);
            if (status != 0)
                m_startUpMessages.push_back(unableToCreate(kind.file, status));
            return;
        }
        if (backup.reason != 0) {
            RefuseSaves(kind, kind.backup, backup.reason);
            return;
        }
        const std::uint32_t damage = backup.parsed.status;
        take(backup.parsed);
        if (damage == 0) {
            if (WriteRestored(
                    kind, records, ringIndex, "",
                    std::string("Unable to Restore ") + kind.file + " from " + kind.backup)) {
                m_startUpMessages.push_back(std::string("Restored ") + kind.file + " from " +
                                            kind.backup);
            }
            return;
        }
        const std::string found = unableToRead(kind.backup, damage);
        if (!WriteRestored(kind, records, ringIndex, "",
                           found + " Unable to restore " + fromWholeRecords))
            return;
        const std::string aside = moveBackupAside(found + " Restored " + fromWholeRecords);
        if (!aside.empty())
            m_startUpMessages.push_back(found + " Kept as " + aside + "; restored " +
                                        fromWholeRecords);
        return;
    }
    if (mine.reason != 0) {
        RefuseSaves(kind, kind.file, mine.reason);
        return;
    }

    const std::vector<int> strays =
        mine.parsed.status == 0 ? strayRecords(mine.parsed.records) : std::vector<int>{};
    if (mine.parsed.status == 0 && strays.empty()) {
        take(mine.parsed);
        return;
    }
    if (!strays.empty()) {
        const std::string found =
            std::string(kind.file) + ": " + strayText(registers, mine.parsed.records, strays) + "!";
        std::string freed = freedText(registers, strays);
        take(mine.parsed);
        const std::string aside = copyAside(path, kind.file);
        if (aside.empty()) {
            freed[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(freed[0])));
            m_startUpMessages.push_back(found + " " + freed);
            return;
        }
        if (WriteRestored(kind, records, ringIndex, aside,
                          found + " Unable to write " + kind.file +
                              (strays.size() == 1 ? " without it" : " without them"))) {
            m_startUpMessages.push_back(found + " Kept as " + aside + "; " + freed);
        }
        return;
    }

    // Damaged. A backup that cannot be read may hold what the file lost:
    // neither is touched.
    Stored backup = readStored(backupPath, kind.file, kind.capacity);
    if (backup.present && backup.reason != 0) {
        take(mine.parsed);
        RefuseSaves(kind, kind.backup, backup.reason);
        return;
    }
    const std::string found = unableToRead(kind.file, mine.parsed.status);
    const std::string aside = copyAside(path, kind.file);
    if (aside.empty()) {
        // Cannot set it aside: leave the file alone and work from memory.
        m_startUpMessages.push_back(found);
        take(mine.parsed);
        return;
    }
    const bool fromBackup = backup.present && backup.parsed.status == 0;
    take(fromBackup ? backup.parsed : mine.parsed);
    const std::string restored =
        fromBackup ? std::string(kind.file) + " from " + kind.backup : fromWholeRecords;
    if (!WriteRestored(kind, records, ringIndex, aside, found + " Unable to restore " + restored))
        return;
    std::string message = found + " Kept as " + aside;
    if (fromBackup) {
        message += std::string("; loaded ") + kind.backup;
    } else if (backup.present) {
        const std::string backupAside = moveBackupAside(message + "; restored " + restored);
        if (backupAside.empty())
            return;
        message += std::string("; ") + kind.backup + " kept as " + backupAside;
    }
    m_startUpMessages.push_back(message);
}

void CK2MemoryCfg::CommitMemories(Records records) {
    m_memories = std::move(records);
    m_memoryUsed = countUsed(m_memories);
}

void CK2MemoryCfg::CommitRegisters(Records records, int ringIndex) {
    m_registers = std::move(records);
    m_ringIndex = ringIndex;
    m_registerUsed = countUsed(m_registers);
}

std::uint32_t CK2MemoryCfg::PushStackRegister(RADIO_MEMORY_RECORD record) {
    Records next = m_registers;
    int ring = m_ringIndex;
    char name[32];
    if (m_registerUsed != 0) {
        ring = (ring + 1) % kRegisterCapacity;
        std::snprintf(name, sizeof name, "Stacking Memory # %d", ring);
        record.SetName(name);
        record.slot = ring;
        next[static_cast<std::size_t>(ring)] = record;
    } else {
        for (int i = 0; i < kRegisterCapacity; ++i) {
            std::snprintf(name, sizeof name, "Stacking Memory # %d", i);
            record.SetName(name);
            record.slot = i;
            next[static_cast<std::size_t>(i)] = record;
        }
        ring = 0;
    }
    const std::uint32_t status = Write(kRegisters, next, ring, true);
    if (status == 0)
        CommitRegisters(std::move(next), ring);
    return status;
}

std::uint32_t CK2MemoryCfg::RecallStackRegister(RADIO_MEMORY_RECORD& record) {
    if (m_registerUsed == 0)
        return K2ERR_STACK_EMPTY;
    const auto back = [](int i) { return i == 0 ? kRegisterCapacity - 1 : i - 1; };
    int i = m_ringIndex;
    while (m_registers[static_cast<std::size_t>(i)].slot != i)
        i = back(i);
    record = m_registers[static_cast<std::size_t>(i)];
    m_ringIndex = back(i);
    return 0;
}

int CK2MemoryCfg::NextMemoryNumber() {
    m_memoryCounter = (m_memoryCounter + 1) % kMemoryCapacity;
    return m_memoryCounter;
}

std::optional<std::string> CK2MemoryCfg::NextUnusedMemoryName() {
    for (int tries = 0; tries < kMemoryCapacity; ++tries) {
        const std::string name = "Memory " + std::to_string(NextMemoryNumber());
        if (!IsMemoryNameUsed(name))
            return name;
    }
    return std::nullopt;
}

int CK2MemoryCfg::FindUsed(std::string_view name) const {
    for (std::size_t i = 0; i < m_memories.size(); ++i) {
        const auto& r = m_memories[i];
        if (r.slot == static_cast<std::int32_t>(i) && r.Name() == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::uint32_t CK2MemoryCfg::AddMemory(RADIO_MEMORY_RECORD record, int* slot) {
    for (std::size_t i = 0; i < m_memories.size(); ++i) {
        if (m_memories[i].slot == RADIO_MEMORY_RECORD::kFreeSlot) {
            record.slot = static_cast<std::int32_t>(i);
            const std::uint32_t status = UpdateMemoryRecord(Add, static_cast<int>(i), record);
            if (status == 0 && slot)
                *slot = static_cast<int>(i);
            return status;
        }
    }
    return K2ERR_MEMORY_FULL;
}

std::uint32_t CK2MemoryCfg::FindMemoryByName(std::string_view name,
                                             RADIO_MEMORY_RECORD& record) const {
    const int i = FindUsed(name);
    if (i < 0)
        return K2ERR_MEMORY_NOT_FOUND;
    record = m_memories[static_cast<std::size_t>(i)];
    return 0;
}

bool CK2MemoryCfg::IsMemoryNameUsed(std::string_view name) const {
    return m_memoryUsed != 0 && FindUsed(name) >= 0;
}

std::uint32_t CK2MemoryCfg::ModifyMemory(std::string_view name, RADIO_MEMORY_RECORD record) {
    const int i = FindUsed(name);
    if (i < 0)
        return K2ERR_MEMORY_NOT_FOUND;
    return ModifyMemoryAt(i, record);
}

std::uint32_t CK2MemoryCfg::DeleteMemory(std::string_view name) {
    const int i = FindUsed(name);
    if (i < 0)
        return K2ERR_MEMORY_NOT_FOUND;
    return DeleteMemoryAt(i);
}

std::uint32_t CK2MemoryCfg::GetMemoryAt(int slot, RADIO_MEMORY_RECORD& record) const {
    if (slot < 0 || slot >= kMemoryCapacity ||
        m_memories[static_cast<std::size_t>(slot)].slot != slot) {
        return K2ERR_MEMORY_NOT_FOUND;
    }
    record = m_memories[static_cast<std::size_t>(slot)];
    return 0;
}

std::uint32_t CK2MemoryCfg::ModifyMemoryAt(int slot, RADIO_MEMORY_RECORD record) {
    RADIO_MEMORY_RECORD current;
    if (GetMemoryAt(slot, current) != 0)
        return K2ERR_MEMORY_NOT_FOUND;
    record.slot = slot;  // a record stays in use where it is
    return UpdateMemoryRecord(Modify, slot, record);
}

std::uint32_t CK2MemoryCfg::DeleteMemoryAt(int slot) {
    RADIO_MEMORY_RECORD record;
    if (GetMemoryAt(slot, record) != 0)
        return K2ERR_MEMORY_NOT_FOUND;
    record.slot = RADIO_MEMORY_RECORD::kFreeSlot;  // name and snapshot stay
    return UpdateMemoryRecord(Delete, slot, record);
}

bool CK2MemoryCfg::IterateFrom(int start, RADIO_MEMORY_RECORD& record) {
    for (int i = start; i < kMemoryCapacity; ++i) {
        if (m_memories[static_cast<std::size_t>(i)].slot == i) {
            record = m_memories[static_cast<std::size_t>(i)];
            m_cursor = i + 1;
            m_iterating = true;
            return true;
        }
    }
    m_iterating = false;
    return false;
}

bool CK2MemoryCfg::GetFirstMemory(RADIO_MEMORY_RECORD& record) {
    return IterateFrom(0, record);
}

bool CK2MemoryCfg::GetNextMemory(RADIO_MEMORY_RECORD& record) {
    if (!m_iterating)
        return false;
    return IterateFrom(m_cursor, record);
}

std::string CK2MemoryCfg::GetFirstMemoryName(std::array<std::int32_t, 19>& snapshot) {
    RADIO_MEMORY_RECORD r;
    if (!GetFirstMemory(r))
        return "";
    snapshot = r.snapshot;
    return r.Name();
}

std::string CK2MemoryCfg::GetNextMemoryName(std::array<std::int32_t, 19>& snapshot) {
    RADIO_MEMORY_RECORD r;
    if (!GetNextMemory(r))
        return "";
    snapshot = r.snapshot;
    return r.Name();
}

std::uint32_t CK2MemoryCfg::WriteMemoryFile() {
    return Write(kMemories, m_memories, 0, true);
}

std::uint32_t CK2MemoryCfg::WriteStackRegisterFile() {
    return Write(kRegisters, m_registers, m_ringIndex, true);
}

std::uint32_t CK2MemoryCfg::ReadMemoryFile() {
    Records records;
    int unused = 0;
    const std::uint32_t status = Read(kMemories, records, unused);
    if (status == 0) {
        repair(records);
        CommitMemories(std::move(records));
    }
    return status;
}

std::uint32_t CK2MemoryCfg::ReadStackRegisterFile() {
    Records records;
    int ring = 0;
    const std::uint32_t status = Read(kRegisters, records, ring);
    if (status == 0) {
        m_registerUsed = repair(records);
        m_registers = std::move(records);
        m_ringIndex = ring >= 0 && ring < kRegisterCapacity ? ring : 0;
    }
    return status;
}

std::uint32_t CK2MemoryCfg::UpdateMemoryRecord(int op, int index,
                                               const RADIO_MEMORY_RECORD& record) {
    if (index < 0 || index >= kMemoryCapacity || op < Modify || op > Add) {
        return K2ERR_FILE_SEEK;
    }
    Records next = m_memories;
    next[static_cast<std::size_t>(index)] = record;
    const std::uint32_t status = Write(kMemories, next, 0, true);
    if (status == 0)
        CommitMemories(std::move(next));
    return status;
}
