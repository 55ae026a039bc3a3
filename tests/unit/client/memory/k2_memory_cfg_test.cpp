#include "client/memory/k2_memory_cfg.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using platform::AtomicStep;

std::tm FixedTime() {
    std::tm t{};
    t.tm_sec = 5;
    t.tm_min = 4;
    t.tm_hour = 3;
    t.tm_mday = 10;
    t.tm_mon = 11;
    t.tm_year = 126;
    t.tm_wday = 4;
    t.tm_yday = 343;
    t.tm_isdst = 0;
    return t;
}

RADIO_MEMORY_RECORD Memory(const std::string& name, std::int32_t vfoA) {
    RADIO_MEMORY_RECORD r;
    r.SetName(name);
    r.snapshot[0] = vfoA;
    r.snapshot[1] = vfoA + 15000;
    return r;
}

std::string Bytes(const fs::path& path) {
    std::string content;
    if (!platform::readWholeFile(path.string(), content))
        return "<missing>";
    return content;
}

void Put(const fs::path& path, const std::string& content) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

std::int32_t Word(const std::string& bytes, std::size_t at) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(u);
}

void SetWord(std::string& bytes, std::size_t at, std::int32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    }
}

constexpr std::size_t RecordAt(int i) {
    return 168 + static_cast<std::size_t>(i) * 160;
}

std::vector<std::string> UsedNames(CK2MemoryCfg& store) {
    std::vector<std::string> names;
    RADIO_MEMORY_RECORD r;
    for (bool more = store.GetFirstMemory(r); more; more = store.GetNextMemory(r)) {
        names.push_back(r.Name());
    }
    return names;
}

std::vector<std::string> Leftovers(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().filename().string().find(".tmp.") != std::string::npos) {
            found.push_back(e.path().filename().string());
        }
    }
    return found;
}

class MemoryStore : public ::testing::Test {
  protected:
    fs::path Dir() const { return m_dir.path() / "Orvo"; }
    fs::path File(const char* name) const { return Dir() / name; }
    fs::path Main() const { return File(CK2MemoryCfg::kMemoryFile); }
    fs::path Backup() const { return File(CK2MemoryCfg::kMemoryBackup); }
    CK2MemoryCfg Open() const { return CK2MemoryCfg(Dir().string(), FixedTime); }

    TempDir m_dir;
};

// --- Files and their layout ----------------------------------------------------

TEST_F(MemoryStore, FreshFolderGetsBothFilesWithTheirHeaders) {
    auto store = Open();
    EXPECT_TRUE(store.StartUpMessages().empty());
    const std::string memories = Bytes(Main());
    const std::string registers = Bytes(File(CK2MemoryCfg::kRegisterFile));
    ASSERT_EQ(memories.size(), 16168u);
    ASSERT_EQ(registers.size(), 968u);

    EXPECT_EQ(Word(memories, 0), 1000);
    EXPECT_STREQ(memories.c_str() + 4, "K2Memory.Cfg");
    EXPECT_STREQ(registers.c_str() + 4, "K2StackRegisters.Cfg");
    const std::int32_t time[9] = {5, 4, 3, 10, 11, 126, 4, 343, 0};
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(Word(memories, 112 + 4 * i), time[i]) << i;
    EXPECT_EQ(Word(memories, 148), 0);
    EXPECT_EQ(Word(memories, 152), 100);
    EXPECT_EQ(Word(registers, 152), 5);
    EXPECT_EQ(Word(memories, 156), 160);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(Word(memories, RecordAt(i) + 80), 9999) << i;

    RADIO_MEMORY_RECORD r;
    EXPECT_EQ(store.RecallStackRegister(r), K2ERR_STACK_EMPTY);
    EXPECT_EQ(store.GetMemoryCount(), 0);
}

TEST_F(MemoryStore, AddDeleteAndPushWriteTheirBytes) {
    auto store = Open();
    int slot = -1;
    ASSERT_EQ(store.AddMemory(Memory("Forty", 7025000), &slot), 0u);
    ASSERT_EQ(slot, 0);
    ASSERT_EQ(store.AddMemory(Memory("Twenty", 14025000)), 0u);
    std::string m = Bytes(Main());
    EXPECT_EQ(Word(m, 148), 2);
    EXPECT_STREQ(m.c_str() + RecordAt(0), "Forty");
    EXPECT_EQ(Word(m, RecordAt(0) + 80), 0);
    EXPECT_EQ(Word(m, RecordAt(0) + 84), 7025000);
    EXPECT_EQ(Word(m, RecordAt(1) + 80), 1);
    EXPECT_EQ(Word(m, RecordAt(1) + 88), 14040000);
    EXPECT_EQ(Word(Bytes(Backup()), 148), 1) << "the backup holds the file before the change";

    ASSERT_EQ(store.DeleteMemory("Forty"), 0u);
    m = Bytes(Main());
    EXPECT_EQ(Word(m, 148), 1);
    EXPECT_STREQ(m.c_str() + RecordAt(0), "Forty") << "a deleted memory keeps its name";
    EXPECT_EQ(Word(m, RecordAt(0) + 80), 9999);
    EXPECT_EQ(Word(m, RecordAt(0) + 84), 7025000) << "and its snapshot";
    RADIO_MEMORY_RECORD found;
    EXPECT_EQ(store.FindMemoryByName("Forty", found), K2ERR_MEMORY_NOT_FOUND);
    ASSERT_EQ(store.AddMemory(Memory("Eighty", 3525000), &slot), 0u);
    EXPECT_EQ(slot, 0) << "the freed slot is reused";

    ASSERT_EQ(store.PushStackRegister(Memory("", 7000000)), 0u);
    const std::string regs = Bytes(File(CK2MemoryCfg::kRegisterFile));
    EXPECT_EQ(Word(regs, 148), 5);
    EXPECT_EQ(Word(regs, 160), 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::string(regs.c_str() + RecordAt(i)),
                  "Stacking Memory # " + std::to_string(i));
        EXPECT_EQ(Word(regs, RecordAt(i) + 80), i);
        EXPECT_EQ(Word(regs, RecordAt(i) + 84), 7000000);
    }
}

TEST_F(MemoryStore, RingSavesForwardRecallsBackwardAndContinuesAfterARestart) {
    {
        auto store = Open();
        for (std::int32_t f : {1000000, 2000000, 3000000}) {
            ASSERT_EQ(store.PushStackRegister(Memory("", f)), 0u);
        }
        EXPECT_EQ(store.RingIndex(), 2);
        RADIO_MEMORY_RECORD r;
        std::vector<std::int32_t> recalled;
        for (int i = 0; i < 6; ++i) {
            ASSERT_EQ(store.RecallStackRegister(r), 0u);
            recalled.push_back(r.snapshot[0]);
        }
        // Registers 3 and 4 still hold the first save, which filled all five.
        EXPECT_EQ(recalled, (std::vector<std::int32_t>{3000000, 2000000, 1000000, 1000000, 1000000,
                                                       3000000}));
    }
    auto store = Open();
    EXPECT_EQ(store.RingIndex(), 2) << "the stored index, not the walk of the last run";
    RADIO_MEMORY_RECORD r;
    ASSERT_EQ(store.RecallStackRegister(r), 0u);
    EXPECT_EQ(r.snapshot[0], 3000000);
    EXPECT_EQ(r.Name(), "Stacking Memory # 2");
}

TEST_F(MemoryStore, AFullStoreRefusesTheNextAddAndLeavesTheFile) {
    auto store = Open();
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(store.AddMemory(Memory("M" + std::to_string(i), 7000000 + i)), 0u) << i;
    }
    const std::string before = Bytes(Main());
    EXPECT_EQ(store.AddMemory(Memory("one more", 1)), K2ERR_MEMORY_FULL);
    EXPECT_EQ(Bytes(Main()), before);
    EXPECT_EQ(store.GetMemoryCount(), 100);
}

TEST_F(MemoryStore, EqualNamesAreEditedAndDeletedBySlot) {
    auto store = Open();
    ASSERT_EQ(store.AddMemory(Memory("Same", 7000000)), 0u);
    ASSERT_EQ(store.AddMemory(Memory("Same", 14000000)), 0u);
    ASSERT_EQ(store.ModifyMemoryAt(1, Memory("Same", 21000000)), 0u);
    RADIO_MEMORY_RECORD r;
    ASSERT_EQ(store.GetMemoryAt(0, r), 0u);
    EXPECT_EQ(r.snapshot[0], 7000000);
    ASSERT_EQ(store.GetMemoryAt(1, r), 0u);
    EXPECT_EQ(r.snapshot[0], 21000000);
    ASSERT_EQ(store.DeleteMemoryAt(1), 0u);
    ASSERT_EQ(store.FindMemoryByName("Same", r), 0u);
    EXPECT_EQ(r.snapshot[0], 7000000);
    EXPECT_EQ(store.GetMemoryAt(1, r), K2ERR_MEMORY_NOT_FOUND);
    EXPECT_EQ(store.DeleteMemoryAt(1), K2ERR_MEMORY_NOT_FOUND);
}

TEST_F(MemoryStore, DefaultNamesSkipUsedOnesAndGiveUpWhenAllAreTaken) {
    auto store = Open();
    ASSERT_EQ(store.AddMemory(Memory("Memory 1", 1)), 0u);
    ASSERT_EQ(store.AddMemory(Memory("Memory 2", 2)), 0u);
    EXPECT_EQ(store.NextUnusedMemoryName(), "Memory 3");

    auto full = CK2MemoryCfg((m_dir.path() / "full").string(), FixedTime);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(full.AddMemory(Memory("Memory " + std::to_string(i), i)), 0u);
    }
    EXPECT_EQ(full.NextUnusedMemoryName(), std::nullopt);
}

TEST_F(MemoryStore, LongNamesAreCutWholeAndTheRecordKeepsItsOwnSlotAcrossARestart) {
    std::string name;
    for (int i = 0; i < 40; ++i)
        name += "\xC3\xA9";  // 80 bytes of two-byte characters
    {
        auto store = Open();
        ASSERT_EQ(store.AddMemory(Memory("first", 1)), 0u);
        ASSERT_EQ(store.AddMemory(Memory(name, 2)), 0u);
        ASSERT_EQ(store.DeleteMemoryAt(0), 0u);
        ASSERT_EQ(store.WriteMemoryFile(), 0u);  // a full rewrite with slot 0 free
    }
    auto store = Open();
    RADIO_MEMORY_RECORD r;
    ASSERT_EQ(store.GetMemoryAt(1, r), 0u) << "slot 1 must survive a hole below it";
    EXPECT_EQ(r.Name().size(), 78u);
    EXPECT_EQ(r.Name(), name.substr(0, 78));
    EXPECT_EQ(store.GetMemoryCount(), 1);
}

// --- Damaged, missing and repaired files ------------------------------------

struct DamageCase {
    const char* name;
    // Makes the files of the folder; gets a store-written memory file with
    // "A" in slot 0 and "B" in slot 1, and a register file.
    void (*damage)(const fs::path& dir, const std::string& good, const std::string& registers);
    const char* message;  // "" for none
    const char* aside;    // "" when nothing is set aside
    std::vector<std::string> loaded;
};
ROW_NAME(DamageCase, row.name);

void WriteMain(const fs::path& dir, const std::string& content) {
    Put(dir / "K2Memory.Cfg", content);
}

const DamageCase kDamage[] = {
    {"RegisterFileInPlaceOfTheMemoryFile",
     [](const fs::path& d, const std::string&, const std::string& regs) { WriteMain(d, regs); },
     "Unable to Read K2Memory.Cfg, Error: 0x01000012! Kept as K2Memory.Cfg.damaged",
     "K2Memory.Cfg.damaged",
     {}},
    {"HundredBytes",
     [](const fs::path& d, const std::string& good, const std::string&) {
         WriteMain(d, good.substr(0, 100));
     },
     "Unable to Read K2Memory.Cfg, Error: 0x0100000d! Kept as K2Memory.Cfg.damaged",
     "K2Memory.Cfg.damaged",
     {}},
    {"CutInsideTheSecondRecord",
     [](const fs::path& d, const std::string& good, const std::string&) {
         WriteMain(d, good.substr(0, RecordAt(1) + 100));
     },
     "Unable to Read K2Memory.Cfg, Error: 0x0100000d! Kept as K2Memory.Cfg.damaged",
     "K2Memory.Cfg.damaged",
     {"A"}},
    {"EmptyFile",
     [](const fs::path& d, const std::string&, const std::string&) { WriteMain(d, ""); },
     "Unable to Read K2Memory.Cfg, Error: 0x0100000d! Kept as K2Memory.Cfg.damaged",
     "K2Memory.Cfg.damaged",
     {}},
    {"CapacityFifty",
     [](const fs::path& d, const std::string& good, const std::string&) {
         std::string c = good.substr(0, RecordAt(50));
         SetWord(c, 152, 50);
         WriteMain(d, c);
     },
     "Unable to Read K2Memory.Cfg, Error: 0x01000012! Kept as K2Memory.Cfg.damaged",
     "K2Memory.Cfg.damaged",
     {"A", "B"}},
    {"AsideNameTaken",
     [](const fs::path& d, const std::string& good, const std::string&) {
         Put(d / "K2Memory.Cfg.damaged", "older");
         WriteMain(d, good.substr(0, 100));
     },
     "Unable to Read K2Memory.Cfg, Error: 0x0100000d! Kept as K2Memory.Cfg.damaged.2",
     "K2Memory.Cfg.damaged.2",
     {}},
    {"DamagedWithAGoodBackup",
     [](const fs::path& d, const std::string& good, const std::string&) {
         Put(d / "K2Memory.Bak.Cfg", good);
         WriteMain(d, good.substr(0, 100));
     },
     "Unable to Read K2Memory.Cfg, Error: 0x0100000d! Kept as K2Memory.Cfg.damaged; loaded "
     "K2Memory.Bak.Cfg",
     "K2Memory.Cfg.damaged",
     {"A", "B"}},
    {"MissingWithAGoodBackup",
     [](const fs::path& d, const std::string& good, const std::string&) {
         Put(d / "K2Memory.Bak.Cfg", good);
     },
     "Restored K2Memory.Cfg from K2Memory.Bak.Cfg",
     "",
     {"A", "B"}},
    {"NothingThere", [](const fs::path&, const std::string&, const std::string&) {}, "", "", {}},
};

class DamagedFile : public MemoryStore, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedFile, IsKeptAsideAndReplacedByAGoodFile) {
    std::string good;
    std::string registers;
    {
        auto scratch = CK2MemoryCfg((m_dir.path() / "scratch").string(), FixedTime);
        ASSERT_EQ(scratch.AddMemory(Memory("A", 1)), 0u);
        ASSERT_EQ(scratch.AddMemory(Memory("B", 2)), 0u);
        good = Bytes(m_dir.path() / "scratch" / "K2Memory.Cfg");
        registers = Bytes(m_dir.path() / "scratch" / "K2StackRegisters.Cfg");
    }
    fs::create_directories(Dir());
    GetParam().damage(Dir(), good, registers);
    const std::string damaged = Bytes(Main());
    const std::string backupBefore = Bytes(Backup());

    auto store = Open();
    const std::string message = GetParam().message;
    if (message.empty()) {
        EXPECT_TRUE(store.StartUpMessages().empty());
    } else {
        EXPECT_EQ(store.StartUpMessages(), std::vector<std::string>{message});
    }
    if (*GetParam().aside) {
        EXPECT_EQ(Bytes(File(GetParam().aside)), damaged) << "kept aside byte for byte";
    }
    EXPECT_EQ(UsedNames(store), GetParam().loaded);
    EXPECT_EQ(Bytes(Backup()), backupBefore) << "start-up never changes the backup";
    EXPECT_EQ(Bytes(Main()).size(), 16168u) << "a whole main file again";
    auto again = Open();
    EXPECT_TRUE(again.StartUpMessages().empty());
    EXPECT_EQ(UsedNames(again), GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFile, ::testing::ValuesIn(kDamage), CaseName());

struct RepairCase {
    const char* name;
    void (*edit)(std::string& memories, std::string& registers);
    std::vector<std::string> loaded;
    int ringIndex;
};
ROW_NAME(RepairCase, row.name);

const RepairCase kRepairs[] = {
    {"UsedCountFiveHundred",
     [](std::string& m, std::string&) { SetWord(m, 148, 500); },
     {"A", "B"},
     0},
    {"RingIndexSeven", [](std::string&, std::string& r) { SetWord(r, 160, 7); }, {"A", "B"}, 0},
    {"NameWithoutItsEnd",
     [](std::string& m, std::string&) { std::memset(m.data() + RecordAt(0), 'x', 80); },
     {std::string(79, 'x'), "B"},
     0},
};

class RepairedFile : public MemoryStore, public ::testing::WithParamInterface<RepairCase> {};

TEST_P(RepairedFile, LoadsSilentlyAndIsWrittenRepairedNextTime) {
    {
        auto store = Open();
        ASSERT_EQ(store.AddMemory(Memory("A", 1)), 0u);
        ASSERT_EQ(store.AddMemory(Memory("B", 2)), 0u);
        ASSERT_EQ(store.PushStackRegister(Memory("", 3)), 0u);
    }
    std::string m = Bytes(Main());
    std::string r = Bytes(File(CK2MemoryCfg::kRegisterFile));
    GetParam().edit(m, r);
    Put(Main(), m);
    Put(File(CK2MemoryCfg::kRegisterFile), r);

    auto store = Open();
    EXPECT_TRUE(store.StartUpMessages().empty());
    EXPECT_FALSE(fs::exists(Dir() / "K2Memory.Cfg.damaged"));
    EXPECT_EQ(UsedNames(store), GetParam().loaded);
    EXPECT_EQ(store.GetMemoryCount(), static_cast<int>(GetParam().loaded.size()));
    EXPECT_EQ(store.RingIndex(), GetParam().ringIndex);

    int slot = -1;
    ASSERT_EQ(store.AddMemory(Memory("C", 4), &slot), 0u);
    EXPECT_EQ(slot, 2);
    ASSERT_EQ(store.PushStackRegister(Memory("", 5)), 0u);
    const std::string after = Bytes(Main());
    EXPECT_EQ(Word(after, 148), static_cast<std::int32_t>(GetParam().loaded.size()) + 1);
    EXPECT_EQ(Word(after, RecordAt(3) + 80), 9999);
    EXPECT_EQ(after[RecordAt(0) + 79], '\0');
    EXPECT_EQ(Word(Bytes(File(CK2MemoryCfg::kRegisterFile)), 160), GetParam().ringIndex + 1);
}

INSTANTIATE_TEST_SUITE_P(Files, RepairedFile, ::testing::ValuesIn(kRepairs), CaseName());

// --- Failed and killed writes ---------------------------------------------------

struct FailCase {
    const char* name;
    AtomicStep step;
};
ROW_NAME(FailCase, row.name);

const FailCase kFailures[] = {
    {"WritingTheTemporaryFile", AtomicStep::WriteTemporary},
    {"SyncingTheTemporaryFile", AtomicStep::SyncTemporary},
    {"AfterTheTemporaryFile", AtomicStep::AfterTemporaryFile},
    {"AfterTheLink", AtomicStep::AfterLink},
    {"BeforeTheFinalRename", AtomicStep::BeforeFinalRename},
    {"BeforeTheBackupRename", AtomicStep::BeforeBackupRename},
};

class FailedWrite : public MemoryStore, public ::testing::WithParamInterface<FailCase> {};

TEST_P(FailedWrite, LeavesTheFileTheBackupAndTheMemoriesAsTheyWere) {
    auto store = Open();
    ASSERT_EQ(store.AddMemory(Memory("A", 1)), 0u);
    ASSERT_EQ(store.AddMemory(Memory("B", 2)), 0u);
    const std::string main = Bytes(Main());
    const std::string backup = Bytes(Backup());

    const AtomicStep failing = GetParam().step;
    store.SetWriteHook([failing](AtomicStep s) { return s != failing; });
    EXPECT_EQ(store.AddMemory(Memory("C", 3)), K2ERR_FILE_WRITE);
    EXPECT_EQ(store.DeleteMemory("A"), K2ERR_FILE_WRITE);
    EXPECT_NE(store.PushStackRegister(Memory("", 4)), 0u);

    EXPECT_EQ(Bytes(Main()), main);
    EXPECT_EQ(Bytes(Backup()), backup);
    EXPECT_EQ(UsedNames(store), (std::vector<std::string>{"A", "B"}));
    RADIO_MEMORY_RECORD r;
    EXPECT_EQ(store.RecallStackRegister(r), K2ERR_STACK_EMPTY) << "the failed push is not kept";
    EXPECT_EQ(Leftovers(Dir()), std::vector<std::string>{});
    EXPECT_EQ(UsedNames(*std::make_unique<CK2MemoryCfg>(Open())),
              (std::vector<std::string>{"A", "B"}));
}

INSTANTIATE_TEST_SUITE_P(Steps, FailedWrite, ::testing::ValuesIn(kFailures), CaseName());

// Runs `body` in a child process and returns its wait status.
template <typename Body>
int InChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST_F(MemoryStore, AShortWriteOnAFullDiskKeepsTheOldFile) {
    {
        auto store = Open();
        ASSERT_EQ(store.AddMemory(Memory("A", 1)), 0u);
    }
    const std::string main = Bytes(Main());
    const int status = InChild([this] {
        std::signal(SIGXFSZ, SIG_IGN);
        auto store = Open();
        const rlimit limit{8000, 8000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(store.AddMemory(Memory("B", 2)) == K2ERR_FILE_WRITE ? 7 : 1);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(Bytes(Main()), main);
    EXPECT_TRUE(Leftovers(Dir()).empty());
}

class KilledWrite : public MemoryStore, public ::testing::WithParamInterface<FailCase> {};

TEST_P(KilledWrite, LeavesOldOrNewMemoriesWholeAndACleanBackup) {
    {
        auto store = Open();
        ASSERT_EQ(store.AddMemory(Memory("A", 1)), 0u);
    }
    const AtomicStep killing = GetParam().step;
    const int status = InChild([this, killing] {
        auto store = Open();
        store.SetWriteHook([killing](AtomicStep s) {
            if (s == killing)
                ::raise(SIGKILL);
            return true;
        });
        store.AddMemory(Memory("B", 2));
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(WTERMSIG(status), SIGKILL);

    auto store = Open();
    EXPECT_TRUE(store.StartUpMessages().empty());
    const auto names = UsedNames(store);
    EXPECT_TRUE(names == (std::vector<std::string>{"A"}) ||
                names == (std::vector<std::string>{"A", "B"}))
        << names.size();
    EXPECT_TRUE(Leftovers(Dir()).empty()) << "start-up removes what the killed write left";
    EXPECT_EQ(Bytes(Backup()).size(), 16168u);
}

INSTANTIATE_TEST_SUITE_P(Steps, KilledWrite, ::testing::ValuesIn(kFailures), CaseName());

// --- Files start-up cannot use as they stand, over both files -----------------

// One of the two files with its backup, and what a store holds of it.
struct StoreFile {
    const char* name;
    const char* file;
    const char* backup;
    std::size_t cutAt;  // a cut of a good file at this length keeps whole records only
    // What the good file and its cut load as: the memories' first snapshot
    // words in slot order, or five recalls from the ring.
    std::vector<std::int32_t> good;
    std::vector<std::int32_t> cut;
    // With a stray slot: register 2 holding slot 42, or memory 3 holding 57.
    std::vector<std::int32_t> stray;
};

std::vector<std::int32_t> Counting(std::int32_t from, std::int32_t to) {
    std::vector<std::int32_t> values;
    for (std::int32_t v = from; v <= to; ++v)
        values.push_back(v);
    return values;
}

bool IsRegisters(const StoreFile& f) {
    return std::string(f.file) == CK2MemoryCfg::kRegisterFile;
}

const StoreFile kMemoryFile{"Memories",
                            CK2MemoryCfg::kMemoryFile,
                            CK2MemoryCfg::kMemoryBackup,
                            10000,  // 61 whole records of 70
                            Counting(1000, 1069),
                            Counting(1000, 1060),
                            [] {
                                std::vector<std::int32_t> v = Counting(1000, 1069);
                                v.erase(v.begin() + 3);
                                return v;
                            }()};
// Five pushes of 1 to 5: the first fills all five registers, ring index 4.
const StoreFile kRegisterFile{"Registers",
                              CK2MemoryCfg::kRegisterFile,
                              CK2MemoryCfg::kRegisterBackup,
                              168 + 3 * 160 + 50,  // registers 0 to 2
                              {5, 4, 3, 2, 1},
                              {3, 2, 1, 3, 2},
                              {5, 4, 2, 1, 5}};

// What a store started on the folder shows, for one file.
std::vector<std::int32_t> Loaded(const StoreFile& f, CK2MemoryCfg& store) {
    std::vector<std::int32_t> values;
    RADIO_MEMORY_RECORD r;
    if (IsRegisters(f)) {
        for (int i = 0; i < 5 && store.RecallStackRegister(r) == 0; ++i)
            values.push_back(r.snapshot[0]);
        return values;
    }
    for (bool more = store.GetFirstMemory(r); more; more = store.GetNextMemory(r))
        values.push_back(r.snapshot[0]);
    return values;
}

std::uint32_t SaveOne(const StoreFile& f, CK2MemoryCfg& store) {
    return IsRegisters(f) ? store.PushStackRegister(Memory("", 9))
                          : store.AddMemory(Memory("New", 9));
}

// Every entry of a folder: name -> bytes ("<folder>" for a folder).
using Folder = std::map<std::string, std::string>;

Folder Snapshot(const fs::path& dir) {
    Folder found;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        found[name] = e.is_directory() ? "<folder>" : Bytes(e.path());
    }
    return found;
}

// Files in place of the good ones, with the good file's bytes at hand.
struct Scene {
    fs::path dir;
    const StoreFile& kind;
    std::string good;
    fs::path Main() const { return dir / kind.file; }
    fs::path Backup() const { return dir / kind.backup; }
    std::string Cut() const { return good.substr(0, kind.cutAt); }
};

enum class Save { Refused, Saved };

struct StartUpCase {
    const char* name;
    enum Files { Both, MemoriesOnly, RegistersOnly } files;
    // Nobody: needs a file the store cannot read, or one of root's that the
    // store may read but, by the kernel's protected hard links, not link:
    // the store runs as nobody.
    enum RunAs { Owner, Nobody, NobodyLinkRefused } runAs;
    void (*arrange)(const Scene&);
    // {F} and {B} stand for the file and backup names.
    const char* message;
    enum Loads { Nothing, Good, Cut, Stray } loads;
    bool mainWritten;         // start-up writes a whole main file
    const char* asideOfMain;  // the old main file's bytes under this name ("" none)
    const char* asideOfBackup;
    bool backupKept;  // the backup is still there, byte for byte
    Save save;
};

void Unreadable(const fs::path& path) {
    fs::permissions(path, fs::perms::none);
}

const StartUpCase kStartUps[] = {
    {"MainMissingBackupCutShort", StartUpCase::Both, StartUpCase::Owner,
     [](const Scene& s) { Put(s.Backup(), s.Cut()); },
     "Unable to Read {B}, Error: 0x0100000d! Kept as {B}.damaged; restored {F} from its whole "
     "records",
     StartUpCase::Cut, true, "", "{B}.damaged", false, Save::Saved},
    {"MainMissingBackupUnreadable", StartUpCase::Both, StartUpCase::Nobody,
     [](const Scene& s) {
         Put(s.Backup(), s.good);
         Unreadable(s.Backup());
     },
     "{F} cannot be read ({B}: Permission denied): memories are not saved until Pelorin is "
     "restarted with a readable file.",
     StartUpCase::Nothing, false, "", "", true, Save::Refused},
    {"MainUnreadable", StartUpCase::Both, StartUpCase::Nobody,
     [](const Scene& s) {
         Put(s.Main(), s.good);
         Unreadable(s.Main());
         Put(s.Backup(), s.Cut());
     },
     "{F} cannot be read ({F}: Permission denied): memories are not saved until Pelorin is "
     "restarted with a readable file.",
     StartUpCase::Nothing, false, "", "", true, Save::Refused},
    {"MainDamagedBackupUnreadable", StartUpCase::Both, StartUpCase::Nobody,
     [](const Scene& s) {
         Put(s.Main(), s.Cut());
         Put(s.Backup(), s.good);
         Unreadable(s.Backup());
     },
     "{F} cannot be read ({B}: Permission denied): memories are not saved until Pelorin is "
     "restarted with a readable file.",
     StartUpCase::Cut, false, "", "", true, Save::Refused},
    {"MainDamagedBackupDamaged", StartUpCase::Both, StartUpCase::Owner,
     [](const Scene& s) {
         Put(s.Main(), s.good.substr(0, 100));
         Put(s.Backup(), s.Cut());
     },
     "Unable to Read {F}, Error: 0x0100000d! Kept as {F}.damaged; {B} kept as {B}.damaged",
     StartUpCase::Nothing, true, "{F}.damaged", "{B}.damaged", false, Save::Saved},
    {"MainAFolderBackupClean", StartUpCase::Both, StartUpCase::Owner,
     [](const Scene& s) {
         fs::create_directory(s.Main());
         Put(s.Backup(), s.good);
     },
     "Unable to Restore {F} from {B}, Error: 0x0100000e (Is a directory): memories are not saved "
     "until Pelorin is restarted.",
     StartUpCase::Good, false, "", "", true, Save::Refused},
    {"MainOfOneMegabyte", StartUpCase::Both, StartUpCase::Owner,
     [](const Scene& s) { Put(s.Main(), s.good + std::string((1 << 20) - s.good.size(), 'x')); },
     "Unable to Read {F}, Error: 0x01000012! Kept as {F}.damaged", StartUpCase::Good, true,
     "{F}.damaged", "", true, Save::Saved},
    {"RegisterWithAStraySlot", StartUpCase::RegistersOnly, StartUpCase::Owner,
     [](const Scene& s) {
         std::string bytes = s.good;
         SetWord(bytes, RecordAt(2) + 80, 42);
         Put(s.Main(), bytes);
     },
     "{F}: register 2 holds slot 42! Kept as {F}.damaged; register 2 is free", StartUpCase::Stray,
     true, "{F}.damaged", "", true, Save::Saved},
    {"MemoryWithAStraySlot", StartUpCase::MemoriesOnly, StartUpCase::Owner,
     [](const Scene& s) {
         std::string bytes = s.good;
         SetWord(bytes, RecordAt(3) + 80, 57);
         Put(s.Main(), bytes);
     },
     "{F}: memory 3 \"M3\" holds slot 57! Kept as {F}.damaged; memory 3 is free",
     StartUpCase::Stray, true, "{F}.damaged", "", true, Save::Saved},
    {"MainCutShortBackupClean", StartUpCase::Both, StartUpCase::Owner,
     [](const Scene& s) {
         Put(s.Main(), s.Cut());
         Put(s.Backup(), s.good);
     },
     "Unable to Read {F}, Error: 0x0100000d! Kept as {F}.damaged; loaded {B}", StartUpCase::Good,
     true, "{F}.damaged", "", true, Save::Saved},
    // Kept aside as a copy, which must not be readable by more users than
    // the file.
    {"MainCutShortOfAnotherOwner", StartUpCase::Both, StartUpCase::NobodyLinkRefused,
     [](const Scene& s) {
         Put(s.Main(), s.Cut());
         fs::permissions(s.Main(),
                         fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
     },
     "Unable to Read {F}, Error: 0x0100000d! Kept as {F}.damaged", StartUpCase::Cut, true,
     "{F}.damaged", "", true, Save::Saved},
};

// Rows again on a disk without room for the restored file: the message
// saves are refused with.
struct FullDiskCase {
    const char* row;
    const char* message;
};

const FullDiskCase kOnAFullDisk[] = {
    {"MainMissingBackupCutShort",
     "Unable to Read {B}, Error: 0x0100000d! Unable to restore {F} from its whole records, Error: "
     "0x0100000e (File too large): memories are not saved until Pelorin is restarted."},
    {"MainOfOneMegabyte",
     "Unable to Read {F}, Error: 0x01000012! Unable to restore {F} from its whole records, Error: "
     "0x0100000e (File too large): memories are not saved until Pelorin is restarted."},
    {"MainDamagedBackupDamaged",
     "Unable to Read {F}, Error: 0x0100000d! Unable to restore {F} from its whole records, Error: "
     "0x0100000e (File too large): memories are not saved until Pelorin is restarted."},
    {"MainCutShortBackupClean",
     "Unable to Read {F}, Error: 0x0100000d! Unable to restore {F} from {B}, Error: 0x0100000e "
     "(File too large): memories are not saved until Pelorin is restarted."},
    {"RegisterWithAStraySlot",
     "{F}: register 2 holds slot 42! Unable to write {F} without it, Error: 0x0100000e (File too "
     "large): memories are not saved until Pelorin is restarted."},
    {"MemoryWithAStraySlot",
     "{F}: memory 3 \"M3\" holds slot 57! Unable to write {F} without it, Error: 0x0100000e (File "
     "too large): memories are not saved until Pelorin is restarted."},
};

std::string Named(std::string text, const StoreFile& f) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{F}", f.file},
                                     std::pair<std::string, std::string>{"{B}", f.backup}}) {
        for (auto at = text.find(key); at != std::string::npos; at = text.find(key))
            text.replace(at, key.size(), value);
    }
    return text;
}

struct StartUpRow {
    std::string name;
    const StoreFile* kind;
    const StartUpCase* row;
    const char* fullDisk;  // the first start-up's refusal on a full disk; nullptr: room
};
ROW_NAME(StartUpRow, row.name);

std::vector<StartUpRow> StartUpRows() {
    std::vector<StartUpRow> rows;
    for (const StartUpCase& row : kStartUps) {
        for (const StoreFile* kind : {&kMemoryFile, &kRegisterFile}) {
            if (row.files ==
                (IsRegisters(*kind) ? StartUpCase::MemoriesOnly : StartUpCase::RegistersOnly)) {
                continue;
            }
            const std::string name = std::string(kind->name) + row.name;
            rows.push_back({name, kind, &row, nullptr});
            for (const FullDiskCase& full : kOnAFullDisk) {
                if (std::string(full.row) == row.name)
                    rows.push_back({name + "OnAFullDisk", kind, &row, full.message});
            }
        }
    }
    return rows;
}

// Smaller than either file: a restore cannot be written.
constexpr rlim_t kNoRoomForARestore = 500;

// Lines between a store run in a child process and the test: the child
// starts the store, reports, waits for the test to look at the folder, saves
// and reports again.
class StoreChild {
  public:
    // sizeLimit: the largest file the store may write (0: no limit).
    StoreChild(const fs::path& dir, const StoreFile& kind, bool asNobody, rlim_t sizeLimit = 0) {
        int down[2];
        int up[2];
        if (::pipe(down) != 0 || ::pipe(up) != 0)
            std::abort();
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(down[1]);
            ::close(up[0]);
            if (asNobody && ::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                 ::setresuid(65534, 65534, 65534) != 0)) {
                ::_exit(3);
            }
            if (sizeLimit != 0) {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{sizeLimit, sizeLimit};
                if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    ::_exit(6);
            }
            CK2MemoryCfg store(dir.string(), FixedTime);
            std::string report;
            for (const auto& m : store.StartUpMessages())
                report += "M " + m + "\n";
            const std::string& refusal =
                IsRegisters(kind) ? store.RegisterRefusal() : store.MemoryRefusal();
            if (!refusal.empty())
                report += "R " + refusal + "\n";
            for (std::int32_t v : Loaded(kind, store))
                report += "L " + std::to_string(v) + "\n";
            Send(up[1], report + "END\n");
            char go = 0;
            if (::read(down[0], &go, 1) != 1)
                ::_exit(4);
            report = "S " + std::to_string(SaveOne(kind, store)) + "\n";
            RADIO_MEMORY_RECORD r;
            if (IsRegisters(kind) ? store.RecallStackRegister(r) == 0
                                  : store.FindMemoryByName("New", r) == 0) {
                report += "A " + std::to_string(r.snapshot[0]) + "\n";
            }
            Send(up[1], report + "END\n");
            ::_exit(0);
        }
        ::close(down[0]);
        ::close(up[1]);
        m_down = down[1];
        m_up = up[0];
    }
    ~StoreChild() {
        ::close(m_down);
        ::close(m_up);
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }

    // The lines of the next report, by their letter.
    std::map<char, std::vector<std::string>> Report() {
        std::map<char, std::vector<std::string>> lines;
        std::string line;
        char c = 0;
        while (::read(m_up, &c, 1) == 1) {
            if (c != '\n') {
                line.push_back(c);
                continue;
            }
            if (line == "END")
                return lines;
            lines[line[0]].push_back(line.substr(2));
            line.clear();
        }
        lines['!'].push_back("the store's process ended early");
        return lines;
    }
    void Go() { Send(m_down, "g"); }

  private:
    static void Send(int fd, const std::string& text) {
        if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            ::_exit(5);
    }
    pid_t m_pid = -1;
    int m_down = -1;
    int m_up = -1;
};

class StartUp : public MemoryStore, public ::testing::WithParamInterface<StartUpRow> {};

bool HardLinksToOthersFilesRefused() {
    std::ifstream in("/proc/sys/fs/protected_hardlinks");
    int on = 0;
    return ::geteuid() == 0 && (in >> on) && on == 1;
}

// The permission bits, shown in octal when a check fails.
std::string ModeOf(const fs::path& path) {
    char text[8];
    std::snprintf(text, sizeof text, "%03o",
                  static_cast<unsigned>(fs::status(path).permissions() & fs::perms::mask));
    return text;
}

TEST_P(StartUp, NeverWritesOverWhatItCouldNotReadAndSaysWhy) {
    const StoreFile& kind = *GetParam().kind;
    const StartUpCase& row = *GetParam().row;
    if (row.runAs == StartUpCase::NobodyLinkRefused && !HardLinksToOthersFilesRefused()) {
        GTEST_SKIP() << "needs root and fs.protected_hardlinks = 1, so that the store (as nobody) "
                        "cannot link root's file and must copy it";
    }
    const bool asNobody = row.runAs != StartUpCase::Owner;
    std::string good;
    std::string otherFile;
    {
        const fs::path scratch = m_dir.path() / "scratch";
        auto store = CK2MemoryCfg(scratch.string(), FixedTime);
        if (IsRegisters(kind)) {
            for (std::int32_t v = 1; v <= 5; ++v)
                ASSERT_EQ(store.PushStackRegister(Memory("", v)), 0u);
        } else {
            for (std::int32_t i = 0; i < 70; ++i)
                ASSERT_EQ(store.AddMemory(Memory("M" + std::to_string(i), 1000 + i)), 0u);
        }
        good = Bytes(scratch / kind.file);
        otherFile = IsRegisters(kind) ? CK2MemoryCfg::kMemoryFile : CK2MemoryCfg::kRegisterFile;
        if (GetParam().fullDisk) {
            // The other file, which a full disk would keep from being made.
            fs::create_directories(Dir());
            fs::copy_file(scratch / otherFile, Dir() / otherFile);
        }
    }
    fs::create_directories(Dir());
    if (asNobody) {
        // Tests run as root, who reads every file: the store runs as nobody.
        fs::permissions(m_dir.path(),
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::permissions(Dir(), fs::perms::all);
    }
    const Scene scene{Dir(), kind, good};
    row.arrange(scene);
    const Folder before = Snapshot(Dir());
    const std::string mainMode = fs::exists(scene.Main()) ? ModeOf(scene.Main()) : "";
    const std::vector<std::int32_t> expected = row.loads == StartUpCase::Good  ? kind.good
                                               : row.loads == StartUpCase::Cut ? kind.cut
                                               : row.loads == StartUpCase::Stray
                                                   ? kind.stray
                                                   : std::vector<std::int32_t>{};
    const auto values = [](const std::vector<std::string>& lines) {
        std::vector<std::int32_t> v;
        for (const auto& line : lines)
            v.push_back(std::stoi(line));
        return v;
    };

    if (GetParam().fullDisk) {
        // No room for the restored file: every name keeps what it held and
        // saves are refused for the run; the next start-up, below, has room
        // and finds the same files.
        StoreChild full(Dir(), kind, asNobody, kNoRoomForARestore);
        auto started = full.Report();
        ASSERT_EQ(started.count('!'), 0u);
        const std::vector<std::string> refusal{Named(GetParam().fullDisk, kind)};
        EXPECT_EQ(started['M'], refusal);
        EXPECT_EQ(started['R'], refusal);
        EXPECT_EQ(values(started['L']), expected) << "shown, though not saved";
        EXPECT_EQ(Snapshot(Dir()), before) << "every file under its own name as it was";
        full.Go();
        auto saved = full.Report();
        ASSERT_EQ(saved.count('!'), 0u);
        EXPECT_EQ(saved['S'], std::vector<std::string>{std::to_string(K2ERR_STORE_READ_ONLY)});
        EXPECT_EQ(Snapshot(Dir()), before);
    }

    StoreChild child(Dir(), kind, asNobody);
    auto started = child.Report();
    ASSERT_EQ(started.count('!'), 0u);
    std::vector<std::string> messages = started['M'];
    // A store starting on an empty folder says nothing of the other file.
    EXPECT_EQ(messages, std::vector<std::string>{Named(row.message, kind)});
    const bool refused = row.save == Save::Refused;
    EXPECT_EQ(started['R'], refused ? std::vector<std::string>{Named(row.message, kind)}
                                    : std::vector<std::string>{});
    EXPECT_EQ(values(started['L']), expected);

    Folder after = Snapshot(Dir());
    const std::string main = kind.file;
    const std::string backup = kind.backup;
    if (*row.asideOfMain) {
        EXPECT_EQ(after[Named(row.asideOfMain, kind)], before.at(main)) << "kept byte for byte";
        EXPECT_EQ(ModeOf(Dir() / Named(row.asideOfMain, kind)), mainMode);
    }
    if (*row.asideOfBackup) {
        EXPECT_EQ(after[Named(row.asideOfBackup, kind)], before.at(backup)) << "kept byte for byte";
    }
    if (row.mainWritten) {
        EXPECT_EQ(after[main].size(), IsRegisters(kind) ? 968u : 16168u);
    } else {
        EXPECT_EQ(after.count(main), before.count(main));
        if (before.count(main)) {
            EXPECT_EQ(after[main], before.at(main)) << "the main file as it was";
        }
    }
    if (row.backupKept) {
        EXPECT_EQ(after.count(backup), before.count(backup));
        if (before.count(backup)) {
            EXPECT_EQ(after[backup], before.at(backup)) << "the backup as it was";
        }
    } else {
        EXPECT_EQ(after.count(backup), 0u);
    }

    child.Go();
    auto saved = child.Report();
    ASSERT_EQ(saved.count('!'), 0u);
    const Folder afterSave = Snapshot(Dir());
    const std::uint32_t status = static_cast<std::uint32_t>(std::stoul(saved['S'].at(0)));
    switch (row.save) {
        case Save::Refused:
            EXPECT_EQ(status, K2ERR_STORE_READ_ONLY);
            EXPECT_EQ(afterSave, after) << "a refused save changes nothing";
            break;
        case Save::Saved:
            EXPECT_EQ(status, 0u);
            EXPECT_EQ(saved['A'], std::vector<std::string>{"9"});
            EXPECT_EQ(afterSave.at(backup), after.at(main)) << "the first save keeps the old file";
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, StartUp, ::testing::ValuesIn(StartUpRows()), CaseName());

// --- Saves keep what the file was -----------------------------------------------

struct KeptCase {
    const char* name;
    // Makes what stands as K2Memory.Cfg in dir (the good file's bytes at
    // hand) and returns the file it stands for.
    fs::path (*arrange)(const fs::path& dir, const std::string& good);
    mode_t mode;
};
ROW_NAME(KeptCase, row.name);

const KeptCase kKept[] = {
    {"FileOfMode0600",
     [](const fs::path& d, const std::string& good) {
         Put(d / "K2Memory.Cfg", good);
         fs::permissions(d / "K2Memory.Cfg", fs::perms::owner_read | fs::perms::owner_write);
         return d / "K2Memory.Cfg";
     },
     0600},
    {"LinkIntoAnotherFolder",
     [](const fs::path& d, const std::string& good) {
         fs::create_directories(d.parent_path() / "synced");
         Put(d.parent_path() / "synced" / "K2Memory.Cfg", good);
         fs::permissions(d.parent_path() / "synced" / "K2Memory.Cfg",
                         fs::perms::owner_read | fs::perms::owner_write);
         fs::create_symlink("../synced/K2Memory.Cfg", d / "K2Memory.Cfg");
         return d.parent_path() / "synced" / "K2Memory.Cfg";
     },
     0600},
    {"LinkWhoseTargetFolderIsMissing",
     [](const fs::path& d, const std::string&) {
         fs::create_symlink(d.parent_path() / "gone" / "K2Memory.Cfg", d / "K2Memory.Cfg");
         return d.parent_path() / "gone" / "K2Memory.Cfg";
     },
     0644},
};

class KeptFile : public MemoryStore, public ::testing::WithParamInterface<KeptCase> {};

TEST_P(KeptFile, SavesKeepTheModeAndTheLinkWithTheBackupBesideTheTarget) {
    std::string good;
    {
        auto scratch = CK2MemoryCfg((m_dir.path() / "scratch").string(), FixedTime);
        ASSERT_EQ(scratch.AddMemory(Memory("A", 1)), 0u);
        good = Bytes(m_dir.path() / "scratch" / "K2Memory.Cfg");
    }
    fs::create_directories(Dir());
    const fs::path target = GetParam().arrange(Dir(), good);
    const bool link = fs::is_symlink(Main());
    const fs::path pointsTo = link ? fs::read_symlink(Main()) : fs::path();
    {
        auto store = Open();
        EXPECT_TRUE(store.StartUpMessages().empty()) << store.StartUpMessages().front();
        const std::string started = Bytes(target);
        ASSERT_EQ(store.AddMemory(Memory("B", 2)), 0u);
        EXPECT_EQ(fs::is_symlink(Main()), link);
        if (link) {
            EXPECT_EQ(fs::read_symlink(Main()), pointsTo);
            EXPECT_FALSE(fs::exists(fs::symlink_status(Backup())));
        }
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::mask,
                  static_cast<fs::perms>(GetParam().mode));
        const fs::path backup = target.parent_path() / CK2MemoryCfg::kMemoryBackup;
        EXPECT_EQ(Bytes(backup), started) << "the backup lies beside the target";
        EXPECT_EQ(fs::status(backup).permissions() & fs::perms::mask,
                  static_cast<fs::perms>(GetParam().mode));
    }
    auto again = Open();
    EXPECT_TRUE(again.StartUpMessages().empty());
    RADIO_MEMORY_RECORD r;
    EXPECT_EQ(again.FindMemoryByName("B", r), 0u) << "read back through the link";
}

INSTANTIATE_TEST_SUITE_P(Files, KeptFile, ::testing::ValuesIn(kKept), CaseName());

// Registers 0 to 4 hold 1 to 5, ring index 4, register 2 a stray slot: the
// other four stay in use, recalls pass over register 2 and a push replaces
// only the next register.
TEST_F(MemoryStore, AStrayRegisterIsFreedAloneAndPushesGoOnAsUsual) {
    {
        auto store = Open();
        for (std::int32_t v = 1; v <= 5; ++v)
            ASSERT_EQ(store.PushStackRegister(Memory("", v)), 0u);
    }
    const fs::path registers = File(CK2MemoryCfg::kRegisterFile);
    std::string bytes = Bytes(registers);
    SetWord(bytes, RecordAt(2) + 80, 42);
    Put(registers, bytes);

    auto store = Open();
    ASSERT_EQ(store.StartUpMessages().size(), 1u);
    ASSERT_EQ(store.PushStackRegister(Memory("", 9)), 0u);
    EXPECT_EQ(store.RingIndex(), 0);
    std::vector<std::int32_t> recalled;
    RADIO_MEMORY_RECORD r;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(store.RecallStackRegister(r), 0u);
        recalled.push_back(r.snapshot[0]);
    }
    EXPECT_EQ(recalled, (std::vector<std::int32_t>{9, 5, 4, 2, 9}));
    const std::string written = Bytes(registers);
    EXPECT_EQ(Word(written, 148), 4) << "four registers in use";
    EXPECT_EQ(Word(written, RecordAt(2) + 80), 9999);
}

TEST_F(MemoryStore, AFolderThatCannotBeMadeIsReported) {
    Put(m_dir.path() / "plain", "a file where the folder should be");
    CK2MemoryCfg store((m_dir.path() / "plain" / "Orvo").string(), FixedTime);
    EXPECT_EQ(store.StartUpMessages(),
              std::vector<std::string>{"Unable to Create K2Memory.Cfg, Error: 0x0100000c"});
    EXPECT_EQ(store.GetMemoryCount(), 0);
    EXPECT_NE(store.AddMemory(Memory("A", 1)), 0u);
}

}  // namespace
