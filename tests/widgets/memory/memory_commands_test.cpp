// The panel's memory and stacking-register commands with their real dialogs
// driven while modal, on a recording fake server and real memory files.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTableWidget>

#include <algorithm>
#include <string>
#include <vector>

#include "client/memory/memory_recall_dlg.h"
#include "client/memory/saving_memory_location_dlg.h"
#include "memory_fixture.h"
#include "platform/message_service.h"

namespace {

using Save = CSavingMemoryLocationDlg;

class MemoryCommandsTest : public MemoryWindowsFixture {
  protected:
    // Each run of a dialog gets the next step.
    void steps(std::vector<std::function<void(QDialog&)>> each) {
        m_steps = std::move(each);
        m_runs = 0;
        m_commands->SetDialogHook([this](QDialog& dialog) {
            ASSERT_LT(m_runs, m_steps.size()) << "a dialog more than expected";
            auto step = m_steps[m_runs++];
            driveModal(dialog, [step, &dialog] { step(dialog); });
        });
    }
    static bool contains(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::vector<std::function<void(QDialog&)>> m_steps;
    std::size_t m_runs = 0;
};

Save& saveDialog(QDialog& d) {
    return static_cast<Save&>(d);
}

TEST_F(MemoryCommandsTest, AnEmptyNameTakesTheFirstDefaultNameNotInUse) {
    panelWithCommands();
    ASSERT_EQ(m_memories->AddMemory(memory("Memory 1", 7000000)), 0u);
    steps({[](QDialog& d) { d.accept(); }});
    m_commands->SaveMemory();
    EXPECT_EQ(m_runs, 1u);
    RADIO_MEMORY_RECORD saved;
    EXPECT_EQ(m_memories->FindMemoryByName("Memory 2", saved), 0u);
    EXPECT_EQ(m_panel->statusText(), "Saved Mem \"Memory 2\"");
    EXPECT_EQ(m_panel->statusKind(), 1);
}

TEST_F(MemoryCommandsTest, ATakenNameWarnsAndAsksAgainWithTheTypedValuesKept) {
    panelWithCommands();
    ASSERT_EQ(m_memories->AddMemory(memory("DX", 7000000)), 0u);
    QString vfoAOnSecondRun;
    steps({[](QDialog& d) {
               setText(saveDialog(d).control(Save::IDC_MEMORY_NAME), "DX");
               setText(saveDialog(d).control(Save::IDC_VFOA), "14025.37");
               d.accept();
           },
           [&vfoAOnSecondRun](QDialog& d) {
               vfoAOnSecondRun = textOf(saveDialog(d).control(Save::IDC_VFOA));
               setText(saveDialog(d).control(Save::IDC_MEMORY_NAME), "DX 2");
               d.accept();
           }});
    m_commands->SaveMemory();
    EXPECT_EQ(m_runs, 2u);
    EXPECT_TRUE(contains(messages(), "warning\tMemory Name is Not Unique!"));
    EXPECT_EQ(vfoAOnSecondRun.trimmed(), "14025.37");
    RADIO_MEMORY_RECORD saved;
    ASSERT_EQ(m_memories->FindMemoryByName("DX 2", saved), 0u);
    EXPECT_EQ(saved.snapshot[0], 14025370);
    EXPECT_EQ(m_memories->GetMemoryCount(), 2);
}

TEST_F(MemoryCommandsTest, ANameTakenInItsFirst79BytesIsTaken) {
    panelWithCommands();
    const std::string stored(79, 'n');
    ASSERT_EQ(m_memories->AddMemory(memory(stored, 7000000)), 0u);
    steps({[&stored](QDialog& d) {
               // The edit keeps 79 bytes; what it stores is what is compared.
               setText(saveDialog(d).control(Save::IDC_MEMORY_NAME), (stored + "x").c_str());
               d.accept();
           },
           [](QDialog& d) { d.reject(); }});
    m_commands->SaveMemory();
    EXPECT_EQ(m_runs, 2u);
    EXPECT_EQ(m_memories->GetMemoryCount(), 1);
}

TEST_F(MemoryCommandsTest, CancelSavesNothing) {
    panelWithCommands();
    steps({[](QDialog& d) { d.reject(); }});
    m_commands->SaveMemory();
    EXPECT_EQ(m_memories->GetMemoryCount(), 0);
    EXPECT_EQ(m_panel->statusText(), "");
}

TEST_F(MemoryCommandsTest, AStoreFullOfDefaultNamesReportsFullWithoutHanging) {
    panelWithCommands();
    for (int n = 0; n < CK2MemoryCfg::kMemoryCapacity; ++n) {
        ASSERT_EQ(m_memories->AddMemory(memory("Memory " + std::to_string(n), 7000000)), 0u);
    }
    steps({[](QDialog& d) { d.accept(); }});
    m_commands->SaveMemory();
    EXPECT_EQ(m_panel->statusText(), "Save memory, Error: 0x01000025");
    EXPECT_EQ(m_panel->statusKind(), 2);
}

TEST_F(MemoryCommandsTest, AFullStoreIsReportedAfterTheDialog) {
    panelWithCommands();
    for (int n = 0; n < CK2MemoryCfg::kMemoryCapacity; ++n) {
        ASSERT_EQ(m_memories->AddMemory(memory("M" + std::to_string(n), 7000000)), 0u);
    }
    steps({[](QDialog& d) {
        setText(saveDialog(d).control(Save::IDC_MEMORY_NAME), "New");
        d.accept();
    }});
    m_commands->SaveMemory();
    EXPECT_EQ(m_panel->statusText(), "Save memory, Error: 0x01000025");
}

TEST_F(MemoryCommandsTest, AFailedStackRegisterSaveIsReportedAndNotKept) {
    panelWithCommands();
    m_memories->SetWriteHook([](platform::AtomicStep) { return false; });
    m_commands->SaveStackRegister();
    EXPECT_EQ(m_panel->statusText(), "Save StackReg Mem, Error: 0x0100000e");
    EXPECT_EQ(m_panel->statusKind(), 2);
    m_memories->SetWriteHook({});
    m_commands->RecallStackRegister();
    EXPECT_EQ(m_panel->statusText(), "Recall StackReg Mem, Error: 0x01000023");
}

TEST_F(MemoryCommandsTest, AnEmptyRingRecallsNothingAndSendsNothing) {
    panelWithCommands();
    m_commands->RecallStackRegister();
    EXPECT_EQ(m_panel->statusText(), "Recall StackReg Mem, Error: 0x01000023");
    EXPECT_EQ(m_panel->statusKind(), 2);
    EXPECT_TRUE(m_rec.m_downloads.empty());
}

TEST_F(MemoryCommandsTest, ASavedRegisterComesBackToTheRadio) {
    panelWithCommands();
    m_commands->SaveStackRegister();
    // The panel's start-up VFO A, in kHz ten wide with two decimals.
    EXPECT_EQ(m_panel->statusText(), "Save StackReg Mem:   28060.00KHz");
    m_commands->RecallStackRegister();
    ASSERT_EQ(m_rec.m_downloads.size(), 1u);
    const RADIO_SNAPSHOT now = m_panel->BuildRadioSnapshot();
    EXPECT_EQ(m_rec.m_downloads[0].ulVFOA_Freq, now.words[0]);
    EXPECT_EQ(m_panel->statusText(), "Recall StackReg Mem:   28060.00KHz");
    EXPECT_EQ(m_panel->statusKind(), 1);
}

TEST_F(MemoryCommandsTest, RecallSendsWordsUpToXitOfThePickedSlot) {
    panelWithCommands();
    // Equal names: the row picked is the memory sent.
    ASSERT_EQ(m_memories->AddMemory(memory("Twin", 7010000)), 0u);
    ASSERT_EQ(m_memories->AddMemory(memory("Twin", 14020000)), 0u);
    steps({[](QDialog& d) {
        auto& recall = static_cast<CMemoryRecallDlg&>(d);
        recall.list()->selectRow(1);
        d.accept();
    }});
    m_commands->RecallMemory();
    ASSERT_EQ(m_rec.m_downloads.size(), 1u);
    const RadioMemInfo& sent = m_rec.m_downloads[0];
    const RADIO_MEMORY_RECORD expected = memory("Twin", 14020000);
    const auto& w = expected.snapshot;
    const std::vector<int> got = {sent.ulVFOA_Freq,     sent.ulVFOB_Freq, sent.uiOpMode,
                                  sent.uiXFIL,          sent.uiCurXFILBW, sent.uiAFIL,
                                  sent.uiAGC,           sent.uiNB,        sent.uiCWSpeed,
                                  sent.uiAntPos,        sent.iRFPower,    sent.uiActiveRxVFO,
                                  sent.uiActiveTxVFO,   sent.bPreAmpMode, sent.bAttMode,
                                  sent.iIncTuneReading, sent.bRITEnable,  sent.bXITEnable};
    EXPECT_EQ(got, std::vector<int>(w.begin(), w.begin() + 18));
    EXPECT_EQ(m_panel->statusText(), "Recall Mem \"Twin\"");
}

TEST_F(MemoryCommandsTest, ARefusedRecallShowsOnlyItsNotSentText) {
    panelWithCommands();
    ASSERT_EQ(m_memories->AddMemory(memory("Forty", 7025000)), 0u);
    m_commands->SaveStackRegister();
    m_rec.m_downloadStatus = 0x2000003;  // the radio port is not open
    steps({[](QDialog& d) {
        static_cast<CMemoryRecallDlg&>(d).list()->selectRow(0);
        d.accept();
    }});
    m_commands->RecallMemory();
    EXPECT_EQ(m_panel->statusText(), "Recall Mem \"Forty\" not sent: Radio port not open");
    EXPECT_EQ(m_panel->statusKind(), 2);
    m_rec.m_downloadStatus = 0x1000004;
    m_commands->RecallStackRegister();
    EXPECT_NE(m_panel->statusText().find("KHz not sent: Not connected to Brakton"),
              std::string::npos)
        << m_panel->statusText();
    EXPECT_EQ(m_panel->statusKind(), 2);
}

TEST_F(MemoryCommandsTest, AFailedRecallCallLeavesTheLostConnectionText) {
    panelWithCommands();
    ASSERT_EQ(m_memories->AddMemory(memory("Forty", 7025000)), 0u);
    m_rec.m_failing.insert("DownloadRadioInfo");
    steps({[](QDialog& d) {
        static_cast<CMemoryRecallDlg&>(d).list()->selectRow(0);
        d.accept();
    }});
    m_commands->RecallMemory();
    EXPECT_EQ(m_panel->statusText(), CK2FrontPanelControlDlg::kLostConnectionStatus);
}

TEST_F(MemoryCommandsTest, SelectWithoutARowRecallsNothing) {
    panelWithCommands();
    ASSERT_EQ(m_memories->AddMemory(memory("Forty", 7025000)), 0u);
    steps({[](QDialog& d) { d.accept(); }});
    m_commands->RecallMemory();
    EXPECT_EQ(m_panel->statusText(), "Recall Mem, Error: 0x01000024");
    EXPECT_TRUE(m_rec.m_downloads.empty());
}

TEST_F(MemoryCommandsTest, AnEmptyStoreOpensNoRecallDialog) {
    panelWithCommands();
    steps({});
    m_commands->RecallMemory();
    EXPECT_EQ(m_runs, 0u);
}

TEST_F(MemoryCommandsTest, TheMenuReachesTheCommands) {
    panelWithCommands(false);
    m_panel->OnMenuCommand(CK2FrontPanelControlDlg::ID_SAVE_STACK_REGISTER);
    m_panel->OnMenuCommand(CK2FrontPanelControlDlg::ID_RECALL_STACK_REGISTER);
    // Not connected: the ring steps, nothing goes out.
    EXPECT_TRUE(m_rec.m_downloads.empty());
    EXPECT_EQ(m_panel->statusText().rfind("Recall StackReg Mem: ", 0), 0u);
}

}  // namespace
