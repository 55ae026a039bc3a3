#include "client/base/queued_call.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include "tests/unit/platform/qt_core_app.h"

namespace {

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new platform::testing::QtCoreEnvironment);

// What the queued calls did, in order: "<object name>:<call>".
struct Journal {
    std::vector<std::string> entries;
    auto note(const char* what) {
        return [this, what](QObject& object) {
            entries.push_back(object.objectName().toStdString() + ":" + what);
        };
    }
};

std::unique_ptr<QObject> named(const char* name) {
    auto object = std::make_unique<QObject>();
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

TEST(QueueIfAlive, CallsRunAfterTheCallerOnTheirObjectInTheOrderQueued) {
    Journal journal;
    auto panel = named("panel");
    auto window = named("window");
    queueIfAlive(QPointer<QObject>(panel.get()), journal.note("first"));
    queueIfAlive(QPointer<QObject>(window.get()), journal.note("second"));
    queueIfAlive(QPointer<QObject>(panel.get()), journal.note("third"));
    EXPECT_TRUE(journal.entries.empty()) << "a call ran inside the code that queued it";

    QCoreApplication::processEvents();
    EXPECT_EQ(journal.entries,
              (std::vector<std::string>{"panel:first", "window:second", "panel:third"}));
}

TEST(QueueIfAlive, NothingRunsOnAnObjectGoneBeforeItsTurn) {
    Journal journal;
    auto kept = named("kept");
    auto closed = named("closed");
    auto closedByAnEarlierCall = named("closedByAnEarlierCall");
    QPointer<QObject> gone;

    queueIfAlive(QPointer<QObject>(closed.get()), journal.note("queued before it closed"));
    queueIfAlive(gone, journal.note("queued on nothing"));
    queueIfAlive(QPointer<QObject>(kept.get()), [&](QObject&) { closedByAnEarlierCall.reset(); });
    queueIfAlive(QPointer<QObject>(closedByAnEarlierCall.get()),
                 journal.note("queued before an earlier call closed it"));
    queueIfAlive(QPointer<QObject>(kept.get()), journal.note("still there"));
    closed.reset();

    QCoreApplication::processEvents();
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"kept:still there"}));
}

}  // namespace
