// The operator's memories, stacking registers and key-switch panel end to
// end: Pelorin started in this process on a home folder whose memory file
// already holds "Forty", against Brakton and the K2 simulator. Each action
// must put its exact commands on the radio's line, the radio must end in the
// stored state, and what Pelorin writes must load in a second store.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/memory/k2_memory_cfg.h"
#include "client/memory/key_switch_emulation_panel1_dlg.h"
#include "client/memory/key_switch_emulation_panel2_dlg.h"
#include "client/memory/key_switch_emulation_panel_main_page_dlg.h"
#include "client/memory/memory_recall_dlg.h"
#include "client/memory/saving_memory_location_dlg.h"
#include "client/panel/front_panel_layout.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "tests/integration/pelorin_chain.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e_chain;
using Dlg = CK2FrontPanelControlDlg;

RADIO_MEMORY_RECORD memory(const std::string& name, std::int32_t vfoA, std::int32_t vfoB, int mode,
                           int xfil, int bandwidth, int wpm) {
    RADIO_MEMORY_RECORD r;
    r.SetName(name);
    auto& w = r.snapshot;
    w[0] = vfoA;
    w[1] = vfoB;
    w[2] = mode;
    w[3] = xfil;
    w[4] = bandwidth;
    w[6] = 2;
    w[8] = wpm;
    w[9] = 1;
    w[10] = 50;
    w[18] = 6;
    return r;
}

class MemoriesEndToEnd : public PelorinChainTest {
  protected:
    void PrepareHome(const std::filesystem::path& home) override {
        CK2MemoryCfg store((home / "Orvo").string());
        ASSERT_EQ(store.AddMemory(memory("Eighty", 3525000, 3530000, 3, 1, 400, 18)), 0u);
        ASSERT_EQ(store.AddMemory(memory("Forty", 7025000, 7040000, 2, 2, 700, 25)), 0u);
    }

    std::string orvo() const { return (m_home / "Orvo").string(); }

    // The next modal dialog, once it runs, gets `step`.
    void whenModal(std::function<void(QDialog&)> step) {
        auto* timer = new QTimer(m_app.get());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [timer, step] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                step(*dialog);
            }
        });
        timer->start();
    }

    // Waits for `commands` in this order from `from` on; the index after the
    // last one.
    std::size_t expectCommands(const std::vector<std::string>& commands, std::size_t from) {
        sim::K2Simulator& radio = m_chain.radio();
        std::size_t next = from;
        for (const auto& command : commands) {
            const auto seen = radio.waitForCommand(exactly(command), kRadioBound, next);
            EXPECT_TRUE(seen.has_value())
                << command << " after " << ::testing::PrintToString(commandTexts(radio, from));
            if (!seen) {
                return next;
            }
            next = seen->index + 1;
        }
        return next;
    }

    void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        button->click();
    }

    CKeySwitchEmulationPanelMainPageDlg* keySwitchWindow() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<CKeySwitchEmulationPanelMainPageDlg*>(w)) {
                return d;
            }
        }
        return nullptr;
    }
};

TEST_F(MemoriesEndToEnd, MemoriesRegistersAndKeysReachTheRadio) {
    sim::K2Simulator& radio = m_chain.radio();
    ASSERT_TRUE(WaitUntilConnected())
        << "status: " << panel().statusText() << "\nBrakton: " << m_chain.braktonStderr();
    ASSERT_TRUE(radio.waitForCommand("LK", kRadioBound).has_value());

    // Recall "Forty": the download, word by word, in the radio's order.
    std::size_t from = radio.commandCount();
    whenModal([](QDialog& d) {
        auto& recall = static_cast<CMemoryRecallDlg&>(d);
        const auto found = recall.list()->findItems(QStringLiteral("Forty"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        recall.list()->selectRow(found.first()->row());
        recall.accept();
    });
    panel().OnMenuCommand(Dlg::ID_RECALL_MEMORY);
    expectCommands(
        {"FA00007025000", "FB00007040000", "FR0", "FT0", "MD2", "FW07002", "FT0", "FR0", "KS025"},
        from);
    EXPECT_EQ(panel().statusText(), "Recall Mem \"Forty\"");
    sim::K2State state = radio.state();
    EXPECT_EQ(state.vfoA, 7025000u);
    EXPECT_EQ(state.vfoB, 7040000u);
    EXPECT_EQ(state.mode, 2);
    EXPECT_EQ(state.filterSlot, 2);
    EXPECT_EQ(state.wpm, 25);
    ASSERT_TRUE(pumpUntil(
        kPanelBound,
        [&] {
            return qobject_cast<QLineEdit*>(panel().control(front_panel::IDC_VFOA))->text() ==
                       QStringLiteral("   7025.00") &&
                   panel().model().m_nOpMode == 2;
        }))
        << "VFO A " << panel().model().m_ulVFOAFreq;

    // Save a stacking register: a second store reads all five.
    panel().OnMenuCommand(Dlg::ID_SAVE_STACK_REGISTER);
    {
        CK2MemoryCfg second(orvo());
        RADIO_MEMORY_RECORD reg;
        for (int i = 0; i < CK2MemoryCfg::kRegisterCapacity; ++i) {
            ASSERT_EQ(second.RecallStackRegister(reg), 0u);
            EXPECT_EQ(reg.snapshot[0], 7025000);
            EXPECT_EQ(reg.snapshot[2], 2);
        }
    }

    // CW, then the register brings USB back.
    from = radio.commandCount();
    click(qobject_cast<QAbstractButton*>(panel().control(front_panel::IDC_MODE_CW)));
    expectCommands({"MD3"}, from);
    ASSERT_TRUE(pumpUntil(kPanelBound, [&] { return panel().model().m_nOpMode == 3; }));
    from = radio.commandCount();
    panel().OnMenuCommand(Dlg::ID_RECALL_STACK_REGISTER);
    expectCommands({"FA00007025000", "FB00007040000", "FR0", "FT0", "MD2"}, from);
    EXPECT_EQ(radio.state().mode, 2);

    // Save "DX": a second store finds it.
    whenModal([](QDialog& d) {
        auto& save = static_cast<CSavingMemoryLocationDlg&>(d);
        qobject_cast<QLineEdit*>(save.control(CSavingMemoryLocationDlg::IDC_MEMORY_NAME))
            ->setText(QStringLiteral("DX"));
        save.accept();
    });
    panel().OnMenuCommand(Dlg::ID_SAVE_MEMORY);
    EXPECT_EQ(panel().statusText(), "Saved Mem \"DX\"");
    {
        CK2MemoryCfg second(orvo());
        RADIO_MEMORY_RECORD dx;
        ASSERT_EQ(second.FindMemoryByName("DX", dx), 0u);
        EXPECT_EQ(dx.snapshot[0], 7025000);
    }

    // The key-switch panel: AFIL held steps the audio filter.
    click(qobject_cast<QAbstractButton*>(panel().control(front_panel::IDC_SW_PANEL)));
    CKeySwitchEmulationPanelMainPageDlg* keys = keySwitchWindow();
    ASSERT_NE(keys, nullptr);
    CKeySwitchEmulationPanel1Dlg& basic = *keys->basicPage();
    const int filterBefore = radio.state().audioFilter;
    from = radio.commandCount();
    click(basic.button(1272));  // numeric
    click(basic.button(1272));  // hold
    EXPECT_EQ(basic.button(1284)->text(), "AFIL");
    click(basic.button(1284));
    QApplication::processEvents();
    expectCommands({"SW29"}, from);
    EXPECT_TRUE(pumpUntil(kPanelBound,
                          [&] { return radio.state().audioFilter == (filterBefore + 1) % 3; }));

    // A scan between two limits of 40 m.
    CKeySwitchEmulationPanel2Dlg& scan = *keys->scanPage();
    keys->sheet()->setCurrentIndex(1);
    scan.OnScan();
    ASSERT_TRUE(pumpUntil(kPanelBound, [&] { return !scan.lowEdit()->isReadOnly(); }));
    scan.lowEdit()->setText(QStringLiteral("7010.00"));
    scan.highEdit()->setText(QStringLiteral("7020.00"));
    from = radio.commandCount();
    scan.OnScan();
    QApplication::processEvents();
    expectCommands({"FA00007010000", "FB00007020000", "SW19", "SW25"}, from);
    state = radio.state();
    EXPECT_EQ(state.vfoA, 7010000u);
    EXPECT_EQ(state.vfoB, 7020000u);
    int low = 0;
    int high = 0;
    m_pelorin->store().ReadScanLimits(low, high);
    EXPECT_EQ(low, 7010000);
    EXPECT_EQ(high, 7020000);

    EXPECT_EQ(messages(), "") << "no message box on the way";
    ExpectCleanBrakton();
}

}  // namespace
