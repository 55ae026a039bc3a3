#include "platform/window_message.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "platform/window_message_receiver.h"
#include "qt_core_app.h"
#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::WindowMessage;
using platform::WindowMessageReceiver;
using platform::testing::runEventsUntil;

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new platform::testing::QtCoreEnvironment);

constexpr const char* kTitle = "Speak Freely";

TEST(WindowMessageCodec, ConnectNoticeBytes) {
    const std::string bytes = platform::encodeWindowMessage(WindowMessage{0x475, 0, 0, {}});
    std::string expected(24, '\0');
    expected[0] = '\x75';
    expected[1] = '\x04';
    EXPECT_EQ(bytes, expected);
}

TEST(WindowMessageCodec, RoundTripKeepsWideValuesAndBinaryPayload) {
    const WindowMessage message{0x4A, 0x0102030405060708ULL, 0xFFFFFFFFFFFFFFFFULL,
                                std::string("a\0b;\xff", 5)};
    const std::string bytes = platform::encodeWindowMessage(message);
    ASSERT_EQ(bytes.size(), 29u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 0x08);  // little-endian wParam
    EXPECT_EQ(platform::decodeWindowMessage(bytes), message);
}

TEST(WindowMessageCodec, ShortDatagramIsRejected) {
    EXPECT_FALSE(platform::decodeWindowMessage(std::string(23, '\0')).has_value());
    EXPECT_TRUE(platform::decodeWindowMessage(std::string(24, '\0')).has_value());
}

struct NameCase {
    const char* name;
    std::string title;
    std::string socket;
};
ROW_NAME(NameCase, row.name);

class WindowSocketName : public ::testing::TestWithParam<NameCase> {};

TEST_P(WindowSocketName, EscapesEverythingButSafeCharacters) {
    EXPECT_EQ(platform::windowSocketName(GetParam().title), GetParam().socket);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, WindowSocketName,
    ::testing::Values(NameCase{"Blank", "Speak Freely", "Speak%20Freely"},
                      NameCase{"Slash", "../etc/x", "..%2Fetc%2Fx"},
                      NameCase{"Percent", "100%", "100%25"},
                      NameCase{"Utf8", "K\xc3\xa9", "K%C3%A9"}, NameCase{"Empty", "", "%"},
                      NameCase{"DotDot", "..", "%.."},
                      NameCase{"Plain", "Elecraft_K2-Front.Panel", "Elecraft_K2-Front.Panel"}),
    CaseName());

TEST(WindowMessageDir, FallsBackToAPrivateTmpFolder) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved != nullptr ? saved : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(platform::windowMessageDir().string(),
              "/tmp/orvo-windows-" + std::to_string(::getuid()));
    ::setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(platform::windowMessageDir().string(),
              "/tmp/orvo-windows-" + std::to_string(::getuid()));
    if (saved != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    }
}

// Each test gets its own runtime folder.
class WindowMessages : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1); }

    std::filesystem::path folder() const { return m_runtime.path() / "orvo-windows"; }

    TempDir m_runtime;
};

TEST_F(WindowMessages, NoReceiverMeansNothingHappens) {
    EXPECT_FALSE(platform::postToWindow(kTitle, 0x475, 0, 0));
}

TEST_F(WindowMessages, ReceiverGetsMessagesInOrderWithPayloads) {
    std::vector<WindowMessage> got;
    WindowMessageReceiver receiver(kTitle, [&](const WindowMessage& m) { got.push_back(m); });
    ASSERT_TRUE(receiver.isListening()) << receiver.errorString();

    struct stat info {};
    ASSERT_EQ(::stat(folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    EXPECT_TRUE(platform::postToWindow(kTitle, 0x475, 0, 0));
    EXPECT_TRUE(platform::postToWindow(kTitle, 0x4A, 2, 76, std::string(76, 'x')));
    EXPECT_TRUE(platform::postToWindow(kTitle, 0x4A, 3, 0, std::string("\0;", 2)));
    ASSERT_TRUE(runEventsUntil([&] { return got.size() == 3; }));
    EXPECT_EQ(got[0], (WindowMessage{0x475, 0, 0, {}}));
    EXPECT_EQ(got[1], (WindowMessage{0x4A, 2, 76, std::string(76, 'x')}));
    EXPECT_EQ(got[2], (WindowMessage{0x4A, 3, 0, std::string("\0;", 2)}));

    // Another title is another window.
    EXPECT_FALSE(platform::postToWindow("Speak freely", 0x475, 0, 0));
}

TEST_F(WindowMessages, OversizedPayloadIsRefused) {
    std::vector<WindowMessage> got;
    WindowMessageReceiver receiver(kTitle, [&](const WindowMessage& m) { got.push_back(m); });
    ASSERT_TRUE(receiver.isListening());
    EXPECT_FALSE(
        platform::postToWindow(kTitle, 1, 0, 0, std::string(platform::kMaxWindowPayload + 1, 'x')));
    EXPECT_TRUE(
        platform::postToWindow(kTitle, 2, 0, 0, std::string(platform::kMaxWindowPayload, 'x')));
    ASSERT_TRUE(runEventsUntil([&] { return !got.empty(); }));
    EXPECT_EQ(got.front().message, 2u);
    EXPECT_EQ(got.front().payload.size(), platform::kMaxWindowPayload);
}

TEST_F(WindowMessages, ShortDatagramIsDroppedAndLaterMessagesStillArrive) {
    std::vector<WindowMessage> got;
    WindowMessageReceiver receiver(kTitle, [&](const WindowMessage& m) { got.push_back(m); });
    ASSERT_TRUE(receiver.isListening());

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, receiver.socketPath().c_str());
    ASSERT_EQ(
        ::sendto(fd, "short", 5, 0, reinterpret_cast<const sockaddr*>(&address), sizeof(address)),
        5);
    ::close(fd);
    EXPECT_TRUE(platform::postToWindow(kTitle, 7, 0, 0));
    ASSERT_TRUE(runEventsUntil([&] { return !got.empty(); }));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got.front().message, 7u);
}

TEST_F(WindowMessages, ClosingTheReceiverRemovesItsSocket) {
    std::string path;
    {
        WindowMessageReceiver receiver(kTitle, [](const WindowMessage&) {});
        ASSERT_TRUE(receiver.isListening());
        path = receiver.socketPath();
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(platform::postToWindow(kTitle, 0x475, 0, 0));
}

TEST_F(WindowMessages, StaleSocketIsReplacedButALiveOneIsNot) {
    // A receiver that died without cleaning up leaves its socket file behind.
    ASSERT_TRUE(platform::ensureWindowMessageDir());
    const std::string path = (folder() / platform::windowSocketName(kTitle)).string();
    {
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
    }
    EXPECT_FALSE(platform::postToWindow(kTitle, 1, 0, 0));

    int firstCount = 0;
    int secondCount = 0;
    WindowMessageReceiver first(kTitle, [&](const WindowMessage&) { ++firstCount; });
    ASSERT_TRUE(first.isListening()) << first.errorString();
    {
        WindowMessageReceiver second(kTitle, [&](const WindowMessage&) { ++secondCount; });
        EXPECT_FALSE(second.isListening());
        EXPECT_NE(second.errorString().find("already holds"), std::string::npos);
    }
    // The refused receiver must not have removed the live one's socket.
    EXPECT_TRUE(platform::postToWindow(kTitle, 1, 0, 0));
    ASSERT_TRUE(runEventsUntil([&] { return firstCount == 1; }));
    EXPECT_EQ(secondCount, 0);
}

TEST_F(WindowMessages, FolderOpenToOthersIsRefused) {
    ASSERT_EQ(::mkdir(folder().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder().c_str(), 0755), 0);
    WindowMessageReceiver receiver(kTitle, [](const WindowMessage&) {});
    EXPECT_FALSE(receiver.isListening());
    EXPECT_NE(receiver.errorString().find("private"), std::string::npos);
    EXPECT_FALSE(platform::postToWindow(kTitle, 1, 0, 0));
}

TEST_F(WindowMessages, FolderThatIsALinkIsRefused) {
    TempDir elsewhere;
    ASSERT_EQ(::chmod(elsewhere.path().c_str(), 0700), 0);
    std::filesystem::create_directory_symlink(elsewhere.path(), folder());
    WindowMessageReceiver receiver(kTitle, [](const WindowMessage&) {});
    EXPECT_FALSE(receiver.isListening());
    EXPECT_FALSE(platform::postToWindow(kTitle, 1, 0, 0));
}

}  // namespace
