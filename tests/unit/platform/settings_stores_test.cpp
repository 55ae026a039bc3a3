// Brakton's and Pelorin's settings stores linked into one program, both over the shared settings
// layer, each with its own file in one temporary settings folder.

#include "client/base/radio_comm_proxy.h"
#include "client/base/registry_store.h"
#include "server/server_registry_store.h"

#include "platform/message_service.h"
#include "tests/support/settings_sandbox.h"

#include <QSettings>
#include <QString>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

// The server fills the client's band tables index by index.
static_assert(brakton::kBandCount == pelorin::kBandCount);

class BothStoresTest : public ::testing::Test {
  protected:
    // A value as it stands in one program's file, read past the stores.
    static std::string fileValue(const char* program, const char* key) {
        const QSettings file(QSettings::IniFormat, QSettings::UserScope,
                             QStringLiteral("N0CALL Software"), QString::fromLatin1(program));
        return file.value(QString::fromLatin1(key), QStringLiteral("<missing>"))
            .toString()
            .toStdString();
    }

    static void setFileValue(const char* program, const char* key, const std::string& value) {
        QSettings file(QSettings::IniFormat, QSettings::UserScope,
                       QStringLiteral("N0CALL Software"), QString::fromLatin1(program));
        file.setValue(QString::fromLatin1(key), QString::fromStdString(value));
    }

    std::vector<std::string> messages() const { return m_settings.messages(); }

    static std::string error(const char* text) {
        std::string line = MessageService::recordLine("error", text);
        line.pop_back();  // the line end
        return line;
    }

  private:
    SettingsSandbox m_settings{"both-stores"};
};

TEST_F(BothStoresTest, EachReadsBackWhatItWroteBesideTheOther) {
    brakton::CServerRegistryStore& server = brakton::theRegistryStore;
    pelorin::CRegistryStore& client = pelorin::theRegistryStore;

    // Brakton's file does not make Pelorin's first run any less of a first run.
    ASSERT_TRUE(server.WriteNameService("server.example", 2809));
    std::string host;
    int port = 0;
    client.ReadNameService(host, port);
    EXPECT_EQ(host + ":" + std::to_string(port), "localhost:10000");
    ASSERT_TRUE(client.WriteNameService("client.example", 2810));

    // 1010 pixels wide: too wide for Brakton's window (1000), not for Pelorin's (1024).
    ASSERT_TRUE(server.WriteWindowRect(-10, -5, 1000, 400));
    ASSERT_TRUE(client.WriteWindowRect(-10, -5, 1000, 400));

    std::uint32_t serverPort = 0;
    server.ReadNameService(host, serverPort);
    EXPECT_EQ(host + ":" + std::to_string(serverPort), "server.example:2809");
    client.ReadNameService(host, port);
    EXPECT_EQ(host + ":" + std::to_string(port), "client.example:2810");

    int left = 1, top = 1, right = 1, bottom = 1;
    server.ReadWindowRect(left, top, right, bottom);
    EXPECT_THAT((std::vector{left, top, right, bottom}), ElementsAre(0, 0, 639, 479));
    client.ReadWindowRect(left, top, right, bottom);
    EXPECT_THAT((std::vector{left, top, right, bottom}), ElementsAre(-10, -5, 1000, 400));

    EXPECT_NE(brakton::CServerRegistryStore::SettingsFilePath(),
              pelorin::CRegistryStore::SettingsFilePath());
    EXPECT_EQ(fileValue("Rig Control", "NS Host"), "server.example");
    EXPECT_EQ(fileValue("Pelorin", "NS Host"), "client.example");
    EXPECT_THAT(messages(), ::testing::IsEmpty());
}

TEST_F(BothStoresTest, EachRepairsItsOwnFileAndShowsItsOwnMessage) {
    brakton::CServerRegistryStore server;
    pelorin::CRegistryStore client;
    std::string firstRun;
    server.ReadHomeDir(firstRun);
    client.ReadHomeDir(firstRun);

    // Too long to read in either file; a port missing only in Brakton's.
    const std::string tooLong(80, 'A');
    setFileValue("Rig Control", "HomeDir", tooLong);
    setFileValue("Pelorin", "HomeDir", tooLong);
    setFileValue("Pelorin", "NS Port", "2810");
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("N0CALL Software"),
              QStringLiteral("Rig Control"))
        .remove(QStringLiteral("NS Port"));

    std::string serverHome = "kept", clientHome = "kept";
    EXPECT_FALSE(server.ReadHomeDir(serverHome));
    EXPECT_FALSE(client.ReadHomeDir(clientHome));
    EXPECT_EQ(serverHome, "kept");
    EXPECT_EQ(clientHome, "kept");
    EXPECT_THAT(messages(), ElementsAre(error("Unable to Read Orvo Home Directory!"),
                                        error("Unable to Read Pelorin Home Directory!")));

    std::string host;
    std::uint32_t port = 0;
    server.ReadNameService(host, port);
    EXPECT_EQ(port, 10000u);
    EXPECT_EQ(fileValue("Rig Control", "NS Port"), "10000");
    EXPECT_EQ(fileValue("Pelorin", "NS Port"), "2810");
}

}  // namespace
