#include "client/memory/k2_memory_cfg.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

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

INSTANTIATE_TEST_SUITE_P(Files, DamagedFile, ::testing::ValuesIn(kDamage),
                         [](const auto& row) { return std::string(row.param.name); });

struct RepairCase {
    const char* name;
    void (*edit)(std::string& memories, std::string& registers);
    std::vector<std::string> loaded;
    int ringIndex;
};

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
    {"SlotFortyTwoAtIndexThree",
     [](std::string& m, std::string&) {
         std::memcpy(m.data() + RecordAt(3), "Stray", 6);
         SetWord(m, RecordAt(3) + 80, 42);
     },
     {"A", "B"},
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
    EXPECT_EQ(slot, 2) << "a stray slot is free and the first free one is taken";
    ASSERT_EQ(store.PushStackRegister(Memory("", 5)), 0u);
    const std::string after = Bytes(Main());
    EXPECT_EQ(Word(after, 148), static_cast<std::int32_t>(GetParam().loaded.size()) + 1);
    EXPECT_EQ(Word(after, RecordAt(3) + 80), 9999);
    EXPECT_EQ(after[RecordAt(0) + 79], '\0');
    EXPECT_EQ(Word(Bytes(File(CK2MemoryCfg::kRegisterFile)), 160), GetParam().ringIndex + 1);
}

INSTANTIATE_TEST_SUITE_P(Files, RepairedFile, ::testing::ValuesIn(kRepairs),
                         [](const auto& row) { return std::string(row.param.name); });

// --- Failed and killed writes ---------------------------------------------------

struct FailCase {
    const char* name;
    AtomicStep step;
};

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

INSTANTIATE_TEST_SUITE_P(Steps, FailedWrite, ::testing::ValuesIn(kFailures),
                         [](const auto& row) { return std::string(row.param.name); });

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

INSTANTIATE_TEST_SUITE_P(Steps, KilledWrite, ::testing::ValuesIn(kFailures),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(MemoryStore, AFolderThatCannotBeMadeIsReported) {
    Put(m_dir.path() / "plain", "a file where the folder should be");
    CK2MemoryCfg store((m_dir.path() / "plain" / "Orvo").string(), FixedTime);
    EXPECT_EQ(store.StartUpMessages(),
              std::vector<std::string>{"Unable to Create K2Memory.Cfg, Error: 0x0100000c"});
    EXPECT_EQ(store.GetMemoryCount(), 0);
    EXPECT_NE(store.AddMemory(Memory("A", 1)), 0u);
}

}  // namespace
