// Keyboard CW end to end: Pelorin started in this process against Brakton and
// the K2 simulator. Typed words and memories must reach the radio's keyer once
// and in order, Brakton's chunk notices must shrink the pending text in the
// order the radio was given the chunks, the serial number must be stepped on
// disk, and Abort must stop the keying at the radio.

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>

#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/cw/memory_key_store.h"
#include "controls/clr_button.h"
#include "tests/integration/pelorin_chain.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e_chain;

constexpr COLORREF kGreyFace = 0xC0C0C0;
// The keyer runs this many times faster than a real radio, except where a
// test slows it down to act while it keys.
constexpr double kFastKeying = 20.0;

// The texts of the radio's "KY <text>" commands from `from` on, in order;
// polls ("KY") and aborts ("KY @") are not chunks.
std::vector<std::string> kyChunks(const sim::K2Simulator& radio, std::size_t from = 0) {
    std::vector<std::string> chunks;
    for (const auto& text : commandTexts(radio, from)) {
        if (text.size() > 3 && text.compare(0, 3, "KY ") == 0 && text != "KY @") {
            chunks.push_back(text.substr(3));
        }
    }
    return chunks;
}

std::string joined(const std::vector<std::string>& pieces) {
    std::string text;
    for (const auto& piece : pieces) {
        text += piece;
    }
    return text;
}

class KeyboardCwEndToEnd : public PelorinChainTest {
  protected:
    KeyboardCwEndToEnd() : PelorinChainTest(kFastKeying) {}

    // Every text the pending view shows from now on.
    void recordPending(CCWTransmitDlg& window) {
        QObject::connect(
            window.pendingView(), &QPlainTextEdit::textChanged, window.pendingView(),
            [this, &window] {
                m_pendingSeen.push_back(window.pendingView()->toPlainText().toStdString());
            });
    }

    // Until the radio has keyed `count` characters in all.
    bool waitUntilKeyed(std::size_t count, std::chrono::milliseconds timeout = 20s) {
        return pumpUntil(timeout, [&] { return m_chain.radio().keyedText().size() >= count; });
    }

    std::vector<std::string> m_pendingSeen;
};

TEST_F(KeyboardCwEndToEnd, TypedMemoryAndAbortedTextsReachTheRadioAsTheWindowShowsThem) {
    ASSERT_TRUE(WaitUntilConnected());
    sim::K2Simulator& radio = m_chain.radio();
    // The serial number is read when the window is made.
    {
        pelorin::CRegistryStore settings;
        ASSERT_TRUE(settings.WriteCounterSettings(1, 3));
    }
    CCWTransmitDlg* window = openCwWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->abortButton()->FaceColor(), kGreyFace);

    // Typed words, each handed on at its separator.
    const std::string typed = "CQ CQ DE N0CALL K ";
    {
        SCOPED_TRACE("typed words");
        const std::size_t from = radio.commandCount();
        QTest::keyClicks(window->typeInLine(), QString::fromStdString(typed));
        EXPECT_EQ(window->pending().text(), typed);
        recordPending(*window);
        ASSERT_TRUE(waitUntilKeyed(typed.size())) << radio.keyedText();
        ASSERT_TRUE(pumpUntil(kPanelBound, [&] {
            return window->pending().empty() && window->abortButton()->FaceColor() == kGreyFace;
        })) << window->pending().text();

        const auto chunks = kyChunks(radio, from);
        EXPECT_EQ(joined(chunks), typed);
        EXPECT_EQ(radio.keyedText(), typed);
        // Each notice takes its chunk off the front, in the radio's order.
        std::vector<std::string> expected;
        std::string left = typed;
        for (const auto& chunk : chunks) {
            left.erase(0, chunk.size());
            expected.push_back(left);
        }
        EXPECT_EQ(m_pendingSeen, expected);
        EXPECT_EQ(window->pendingView()->toPlainText(), QString());
    }

    // F1 with a serial-number macro, the number in three digits.
    {
        SCOPED_TRACE("memory key with a serial number");
        ASSERT_TRUE(m_pelorin->keyboardCw().memories().write(0, "TEST ~SN+"));
        ASSERT_EQ(window->counter().value(), 1);
        const std::size_t keyedBefore = radio.keyedText().size();
        const std::size_t from = radio.commandCount();
        QTest::keyClick(window->typeInLine(), Qt::Key_F1);
        ASSERT_TRUE(waitUntilKeyed(keyedBefore + 9)) << radio.keyedText();
        EXPECT_EQ(radio.keyedText().substr(keyedBefore), "TEST 001 ");
        EXPECT_EQ(joined(kyChunks(radio, from)), "TEST 001 ");
        int value = 0;
        int mode = 0;
        pelorin::CRegistryStore reread;
        ASSERT_TRUE(reread.ReadCounterSettings(value, mode));
        EXPECT_EQ(value, 2);
        EXPECT_EQ(mode, 3);
        ASSERT_TRUE(pumpUntil(kPanelBound, [&] { return window->pending().empty(); }));
    }

    // A long text keyed at the radio's own pace, aborted at its first chunk.
    {
        SCOPED_TRACE("abort");
        radio.setTimeScale(1.0);
        const std::string text = "VVV VVV THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456 ";
        ASSERT_EQ(text.size(), 60u);
        const std::string keyedBefore = radio.keyedText();
        const std::size_t from = radio.commandCount();
        QTest::keyClicks(window->typeInLine(), QString::fromStdString(text));
        ASSERT_EQ(window->pending().text(), text);
        ASSERT_TRUE(pumpUntil(20s, [&] { return window->pending().text().size() < text.size(); }))
            << "no chunk notice";

        const auto abort = abortAtTheRadio(*window, from);
        ASSERT_TRUE(abort.has_value());

        // Brakton polls the radio's status again once its CW queue is gone,
        // so anything it still had to key would have come before that poll.
        ASSERT_TRUE(radio.waitForCommand("DS", 10s, abort->index + 1).has_value());
        EXPECT_TRUE(kyChunks(radio, abort->index + 1).empty())
            << joined(kyChunks(radio, abort->index + 1));
        EXPECT_EQ(radio.kyPending(), 0u);
        const std::string keyed = radio.keyedText();
        ASSERT_GE(keyed.size(), keyedBefore.size());
        const std::string sent = keyed.substr(keyedBefore.size());
        EXPECT_LT(sent.size(), text.size());
        EXPECT_EQ(text.substr(0, sent.size()), sent);
        for (const auto& c : radio.keyedChars()) {
            EXPECT_LE(c.start, abort->time) << "'" << c.c << "' started after the abort";
        }
    }
    ExpectCleanBrakton();
}

}  // namespace
