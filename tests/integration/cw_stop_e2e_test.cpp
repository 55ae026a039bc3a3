// The stops of keyboard CW end to end: Pelorin started in this process
// against Brakton and the K2 simulator keying at a real radio's pace.
//
// A text keyed to its end is not taken for a stop, however long a chunk
// takes; a radio that stops answering "KY" makes Brakton drop its text, and
// the window says so and ends its side within 9 s of Brakton's last report;
// and Abort reaches the radio while the panel believes the link is down.

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>

#include <string>
#include <vector>

#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/memory_key_store.h"
#include "controls/clr_button.h"
#include "controls/static_ex.h"
#include "tests/integration/pelorin_chain.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e_chain;

constexpr COLORREF kGrey = 0xC0C0C0;
constexpr const char* kStopped = "CW stopped by Brakton";

// The aborts ("KY @") the radio took from command `from` on.
std::vector<sim::CommandRecord> abortsFrom(const sim::K2Simulator& radio, std::size_t from) {
    std::vector<sim::CommandRecord> aborts;
    for (const auto& command : radio.commands()) {
        if (command.index >= from && command.text == "KY @") {
            aborts.push_back(command);
        }
    }
    return aborts;
}

class KeyboardCwStops : public PelorinChainTest {
  protected:
    // Runs the events until `done` holds, noting whether the status line
    // ever said that Brakton stopped the keying.
    bool pumpWatching(std::chrono::milliseconds timeout, const std::function<bool()>& done) {
        return pumpUntil(timeout, [&] {
            if (!m_stopSaid && panel().statusText().find(kStopped) != std::string::npos) {
                m_stopSaid = true;
                m_stopSaidAt = sim::Clock::now();
            }
            return done();
        });
    }

    bool m_stopSaid = false;
    sim::Clock::time_point m_stopSaidAt;
};

TEST_F(KeyboardCwStops, KeyedTextGoesToItsEndAndEveryStopIsSaidOrReachesTheRadio) {
    ASSERT_TRUE(WaitUntilConnected());
    sim::K2Simulator& radio = m_chain.radio();
    CCWTransmitDlg* window = openCwWindow();
    ASSERT_NE(window, nullptr);
    MemoryKeyStore& memories = m_pelorin->keyboardCw().memories();

    {
        SCOPED_TRACE("two chunks and a typed word keyed to the end");
        // At 20 wpm the first chunk keys for about 11 s without the pending
        // text changing: the reports alone show that Brakton is keying.
        const std::string memory = "CQ CQ CQ DE N0CALL N0CALL K";
        ASSERT_TRUE(memories.write(0, memory));
        const std::size_t from = radio.commandCount();
        const std::string keyedBefore = radio.keyedText();
        QTest::keyClick(window->typeInLine(), Qt::Key_F1);
        ASSERT_TRUE(pumpWatching(10s, [&] { return radio.kyPending() > 0; }));
        QTest::keyClicks(window->typeInLine(), "TEST ");
        const std::string all = memory + " TEST ";
        ASSERT_TRUE(pumpWatching(60s, [&] {
            return radio.keyedText().size() >= keyedBefore.size() + all.size() &&
                   window->pending().empty();
        })) << radio.keyedText();
        EXPECT_EQ(radio.keyedText().substr(keyedBefore.size()), all);
        EXPECT_FALSE(m_stopSaid) << panel().statusText();
        EXPECT_FALSE(radio.waitForCommand("KY @", 0ms, from).has_value());
        EXPECT_EQ(window->pendingView()->toPlainText(), QString());
    }

    {
        SCOPED_TRACE("the radio stops answering KY during autoplay");
        ASSERT_TRUE(memories.write(1, "VVV VVV VVV VVV VVV VVV"));
        const std::size_t from = radio.commandCount();
        window->autoplay().play(1, 5, 0);
        ASSERT_TRUE(window->autoplay().running());
        ASSERT_TRUE(radio.waitForCommand("KY V.*", 10s, from).has_value());
        radio.setKyAnswer(sim::KyAnswer::Never);
        // Brakton gives up after its own wait (its abort on the wire, then
        // its last report), once for each text autoplay has sent meanwhile.
        // The window aborts as it says the stop, so the aborts the radio took
        // before that are Brakton's.
        std::size_t braktonAborts = 0;
        ASSERT_TRUE(pumpWatching(30s, [&] {
            if (!m_stopSaid) {
                braktonAborts = abortsFrom(radio, from).size();
            }
            return m_stopSaid;
        }));
        ASSERT_GE(braktonAborts, 1u);
        // The window's own abort is the last; Brakton's last drop, and so its
        // last report, came before it. The window's call returns once Brakton
        // has queued the abort for its CW task, so the radio may take it only
        // after the window has said the stop.
        std::vector<sim::CommandRecord> aborts;
        ASSERT_TRUE(pumpUntil(kRadioBound, [&] {
            aborts = abortsFrom(radio, from);
            return aborts.size() > braktonAborts;
        })) << "no abort of the window's own at the radio";
        EXPECT_LT(m_stopSaidAt - aborts[braktonAborts - 1].time, 9s);
        EXPECT_EQ(panel().statusKind(), 2);
        EXPECT_EQ(panel().statusText().rfind(kStopped, 0), 0u) << panel().statusText();
        EXPECT_TRUE(window->pending().empty());
        EXPECT_EQ(window->pendingView()->toPlainText(), QString());
        EXPECT_FALSE(window->autoplay().running());
        EXPECT_EQ(window->autoplayLamp()->GetBkColor(), kGrey);
        EXPECT_TRUE(window->typeInLine()->isEnabled());
        radio.setKyAnswer(sim::KyAnswer::Normal);
    }

    {
        SCOPED_TRACE("abort while the panel believes the link is down");
        const std::string text = "VVV VVV THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456 ";
        const std::size_t from = radio.commandCount();
        QTest::keyClicks(window->typeInLine(), QString::fromStdString(text));
        ASSERT_TRUE(radio.waitForCommand("KY V.*", 10s, from).has_value());
        // One failed call, as a time-out leaves it: the panel is marked
        // disconnected while the reference, and Brakton's keying, go on.
        m_pelorin->proxy().reset();
        EXPECT_FALSE(panel().remote().EchoString("ping"));
        ASSERT_EQ(panel().model().m_bConnected, 0);
        ASSERT_TRUE(m_pelorin->proxy().resolve(5s));
        ASSERT_GT(radio.kyPending(), 0u);

        const auto abort = abortAtTheRadio(*window, from);
        ASSERT_TRUE(abort.has_value());
    }
    ExpectCleanBrakton();
}

}  // namespace
