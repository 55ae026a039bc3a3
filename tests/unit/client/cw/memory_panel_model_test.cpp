#include "client/cw/memory_panel_model.h"

#include <gtest/gtest.h>

namespace {

using cw::MemoryPanelModel;

MemoryPanelModel withTexts() {
    MemoryPanelModel model;
    for (int i = 0; i < MemoryPanelModel::kMemoryCount; ++i) {
        model.setCommitted(i, "F" + std::to_string(i + 1));
    }
    return model;
}

TEST(MemoryPanelModelTest, FocusOutCommitsThatMemoryOnlyAndLocksIt) {
    MemoryPanelModel model = withTexts();
    model.edit(2, "CQ TEST");
    model.edit(4, "DRAFT");
    const auto commit = model.commit(2);
    ASSERT_TRUE(commit);
    EXPECT_EQ(commit->index, 2);
    EXPECT_EQ(commit->text, "CQ TEST");
    EXPECT_TRUE(model.locked(2));
    EXPECT_EQ(model.committed(4), "F5");
    EXPECT_TRUE(model.changed(4));
    // Focus out of an unchanged memory stores nothing but locks it.
    EXPECT_FALSE(model.commit(7));
    EXPECT_TRUE(model.locked(7));
}

TEST(MemoryPanelModelTest, EnterCommitsTheFirstChangedMemoryEachTime) {
    MemoryPanelModel model = withTexts();
    model.edit(4, "FIVE");
    model.edit(1, "TWO");
    EXPECT_EQ(model.commitFirstChanged()->index, 1);
    EXPECT_EQ(model.commitFirstChanged()->index, 4);
    EXPECT_FALSE(model.commitFirstChanged());
}

TEST(MemoryPanelModelTest, CancelRevertsEveryDraftAndLocksEverything) {
    MemoryPanelModel model = withTexts();
    model.editKey(3);
    EXPECT_FALSE(model.locked(3));
    model.edit(3, "UNSTORED");
    model.cancel();
    EXPECT_EQ(model.draft(3), "F4");
    EXPECT_FALSE(model.changed(3));
    for (int i = 0; i < MemoryPanelModel::kMemoryCount; ++i) {
        EXPECT_TRUE(model.locked(i)) << i;
    }
    EXPECT_FALSE(model.commitFirstChanged());
}

TEST(MemoryPanelModelTest, TransmitSendsTheCommittedTextNotTheDraft) {
    MemoryPanelModel model = withTexts();
    model.edit(6, "DRAFT");
    EXPECT_EQ(model.transmit(6), "F7");
    EXPECT_EQ(model.draft(6), "DRAFT");
    EXPECT_TRUE(model.locked(0));
}

TEST(MemoryPanelModelTest, LockAllLocksEveryEditAndKeepsItsDraft) {
    MemoryPanelModel model = withTexts();
    model.editKey(3);
    model.edit(3, "DRAFT");
    model.lockAll();
    for (int i = 0; i < MemoryPanelModel::kMemoryCount; ++i) {
        EXPECT_TRUE(model.locked(i)) << i;
    }
    EXPECT_EQ(model.draft(3), "DRAFT");
    EXPECT_TRUE(model.changed(3));
    EXPECT_EQ(model.committed(3), "F4");
}

TEST(MemoryPanelModelTest, EditKeyUnlocksCommitsOrForgetsTheKey) {
    MemoryPanelModel model = withTexts();
    model.cancel();  // all locked
    EXPECT_FALSE(model.editKey(5));
    EXPECT_FALSE(model.locked(5));
    EXPECT_EQ(model.keyBeingEdited(), 5);
    model.edit(5, "SIX");
    EXPECT_FALSE(model.editKey(5));  // the same key: forgotten only
    EXPECT_EQ(model.keyBeingEdited(), MemoryPanelModel::kNoKey);
    const auto commit = model.editKey(5);
    ASSERT_TRUE(commit);
    EXPECT_EQ(commit->text, "SIX");
    EXPECT_TRUE(model.locked(5));
}

TEST(MemoryPanelModelTest, StoreChangesReplaceDraftsExceptUncommittedOnes) {
    MemoryPanelModel model = withTexts();
    model.edit(0, "MINE");
    model.setCommitted(0, "FROM PAGE");
    model.setCommitted(1, "ALSO FROM PAGE");
    EXPECT_EQ(model.draft(0), "MINE");
    EXPECT_EQ(model.committed(0), "FROM PAGE");
    EXPECT_EQ(model.draft(1), "ALSO FROM PAGE");
}

TEST(MemoryPanelModelTest, CommitAllStoresEveryChangedDraft) {
    MemoryPanelModel model = withTexts();
    model.edit(8, "NINE");
    model.edit(10, "ELEVEN");
    const auto commits = model.commitAll();
    ASSERT_EQ(commits.size(), 2U);
    EXPECT_EQ(commits[0].index, 8);
    EXPECT_EQ(commits[1].text, "ELEVEN");
    EXPECT_TRUE(model.commitAll().empty());
}

}  // namespace
