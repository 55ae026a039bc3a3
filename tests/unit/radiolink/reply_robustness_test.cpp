// Random bytes and damaged real replies through framing, display translation
// and every decoder. The sanitizer build is the judge for memory errors; the
// test itself checks what framing promises and that the stream recovers.
// The seed is printed; set REPLY_FUZZ_SEED to replay a run.

#include "radiolink/display_reply.h"
#include "radiolink/k2_reply_codes.h"
#include "radiolink/k2_reply_decoders.h"
#include "radiolink/reply_framer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_literals;

const std::vector<std::string> kRealReplies = {
    "IF00014039310     +007000 0002000001 ",
    "IF00007040000     -002010 0003101001 ",
    "FA00014060000",
    "FB00007040000",
    "FW040012",
    "GT0041",
    "PC0501",
    "RA01",
    "KS020",
    "KY2",
    "MD3",
    "BG05",
    "AN1",
    "NB0",
    "PA1",
    "FR0",
    "FT1",
    "LK0",
    "SQ005",
    "DS@@7040\xB0"
    "0\xC1\x00"s,
    "DS@@@@@@@@\x3B\x3B",
    "DS\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xDB\x00\x3B"s,
};

std::uint64_t pickSeed() {
    if (const char* fixed = std::getenv("REPLY_FUZZ_SEED")) {
        return std::strtoull(fixed, nullptr, 10);
    }
    std::random_device device;
    return (std::uint64_t{device()} << 32) | device();
}

class Noise {
  public:
    explicit Noise(std::uint64_t seed) : m_rng(seed) {}

    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng);
    }

    // Bytes biased towards the ones framing treats specially.
    char byte() {
        static const std::string kSpecial = ";DS0123456789 +-@\x00\x80\xFF"s;
        if (below(2) == 0) {
            return kSpecial[below(kSpecial.size())];
        }
        return static_cast<char>(below(256));
    }

    std::string randomBytes(std::size_t maxLength) {
        std::string out(below(maxLength + 1), '\0');
        for (char& c : out) {
            c = byte();
        }
        return out;
    }

    std::string mutated(std::string reply) {
        const std::size_t edits = 1 + below(4);
        for (std::size_t i = 0; i < edits; ++i) {
            switch (below(5)) {
                case 0:
                    if (!reply.empty()) {
                        reply[below(reply.size())] = byte();
                    }
                    break;
                case 1:
                    reply.insert(
                        reply.begin() + static_cast<std::ptrdiff_t>(below(reply.size() + 1)),
                        byte());
                    break;
                case 2:
                    if (!reply.empty()) {
                        reply.erase(below(reply.size()), 1);
                    }
                    break;
                case 3:
                    reply.resize(below(reply.size() + 1));
                    break;
                default:
                    reply += reply.substr(below(reply.size() + 1));
                    break;
            }
        }
        return reply;
    }

    const std::string& realReply() { return kRealReplies[below(kRealReplies.size())]; }

    const std::string& realTextReply() {
        for (;;) {
            const std::string& r = realReply();
            if (r.rfind("DS", 0) != 0) {
                return r;
            }
        }
    }

    // Cuts `bytes` into reads of random sizes.
    std::vector<std::string_view> reads(std::string_view bytes) {
        std::vector<std::string_view> out;
        while (!bytes.empty()) {
            const std::size_t n = 1 + below(std::min<std::size_t>(bytes.size(), 120));
            out.push_back(bytes.substr(0, n));
            bytes.remove_prefix(n);
        }
        return out;
    }

  private:
    std::mt19937_64 m_rng;
};

bool isLowerHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Every consumer of a reply, on a heap block of exactly the reply's size so
// that a read past its end is caught.
void consume(std::string_view text) {
    const auto block = std::make_unique<char[]>(text.size());
    std::copy(text.begin(), text.end(), block.get());
    const std::string_view reply(block.get(), text.size());

    const int code = LookupK2Cmd(reply);
    ASSERT_GE(code, K2_CMD_UNKNOWN);
    ASSERT_LE(code, kK2CmdCount);
    if (code != K2_CMD_UNKNOWN) {
        ASSERT_EQ(reply.substr(0, 2), K2CmdName(code));
    }

    if (const auto display = TranslateDisplayReply(reply)) {
        ASSERT_GE(reply.size(), 12u);
        ASSERT_GE(display->size(), 14u);
        ASSERT_LE(display->size(), 22u);
        ASSERT_EQ(display->substr(0, 2), reply.substr(0, 2));
        ASSERT_TRUE(std::all_of(display->end() - 4, display->end(), isLowerHex));
    } else {
        ASSERT_LT(reply.size(), 12u);
    }

    for (const std::string_view body :
         {reply, reply.substr(std::min<std::size_t>(2, reply.size()))}) {
        if (const auto f = ParseIFReply(body)) {
            for (const std::int32_t digit : {f->ritOn, f->xitOn, f->digit26, f->mode, f->activeVfo,
                                             f->digit29, f->split, f->digit31}) {
                ASSERT_GE(digit, 0);
                ASSERT_LE(digit, 9);
            }
            ASSERT_LE(f->offset, 99999);  // five columns: a sign or a digit, then four digits
            ASSERT_GE(f->offset, -9999);
        }
        if (const auto f = ParseFWReply(body)) {
            ASSERT_LE(f->bandwidth, 9999);
        }
        if (const auto f = ParsePCReply(body)) {
            ASSERT_LE(f->range, 1);
        }
        for (auto digit : {ParseNBReply, ParseANReply, ParseMDReply, ParseKYReply}) {
            if (const auto v = digit(body)) {
                ASSERT_GE(*v, 0);
                ASSERT_LE(*v, 9);
            }
        }
        for (auto flag : {ParsePAReply, ParseFRReply, ParseFTReply, ParseLKReply, ParseRAReply}) {
            if (const auto v = flag(body)) {
                ASSERT_TRUE(*v == 0 || *v == 1);
            }
        }
        if (const auto v = ParseGTReply(body)) {
            ASSERT_GE(*v, -99);
            ASSERT_LE(*v, 999);
        }
        for (auto decimal : {ParseFreqReply, ParseKSReply, ParseSQReply, ParseBGReply}) {
            (void)decimal(body);
        }
    }
}

// What framing promises for every reply it yields.
void checkFramed(const ReplyFramer::Event& event) {
    if (event.kind == ReplyFramer::Event::kDropped) {
        ASSERT_FALSE(event.text.empty());
        return;
    }
    const std::string& r = event.text;
    ASSERT_FALSE(r.empty());
    if (r.rfind("DS", 0) == 0) {
        ASSERT_EQ(r.size(), ReplyFramer::kDisplayReplyLength);
    } else {
        ASSERT_LE(r.size(), ReplyFramer::kMaxReplyLength);
        ASSERT_EQ(r.find(';'), std::string::npos);
    }
    consume(r);
}

TEST(ReplyRobustness, NoiseAndDamagedReplies) {
    const std::uint64_t seed = pickSeed();
    std::cout << "REPLY_FUZZ_SEED=" << seed << std::endl;
    RecordProperty("seed", std::to_string(seed));
    SCOPED_TRACE("REPLY_FUZZ_SEED=" + std::to_string(seed));
    Noise noise(seed);

    for (int round = 0; round < 2000; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string stream;
        const std::size_t pieces = 1 + noise.below(6);
        for (std::size_t p = 0; p < pieces; ++p) {
            switch (noise.below(3)) {
                case 0:
                    stream += noise.randomBytes(300);
                    break;
                case 1: {
                    const std::string damaged = noise.mutated(noise.realReply());
                    consume(damaged);
                    if (::testing::Test::HasFatalFailure()) {
                        return;
                    }
                    stream += damaged;
                    if (noise.below(2) == 0) {
                        stream += ';';
                    }
                    break;
                }
                default:
                    stream += noise.realReply() + ";";
                    break;
            }
        }

        ReplyFramer framer;
        for (const std::string_view read : noise.reads(stream)) {
            for (const auto& event : framer.feed(read)) {
                checkFramed(event);
                if (::testing::Test::HasFatalFailure()) {
                    return;
                }
            }
        }

        // Whatever state the noise left, framing is clean again after the
        // first ";" that is at least a display reply's length into the valid
        // stream: a repeated valid reply loses only the copies within that
        // span, and every later copy comes out whole.
        const std::string valid = noise.realTextReply();
        const std::size_t copySize = valid.size() + 1;
        const std::size_t mayLose = (ReplyFramer::kDisplayReplyLength + copySize - 1) / copySize;
        const std::size_t copies = mayLose + 2;
        std::string tail;
        for (std::size_t i = 0; i < copies; ++i) {
            tail += valid + ";";
        }
        std::vector<ReplyFramer::Event> after;
        for (const std::string_view read : noise.reads(tail)) {
            for (auto& event : framer.feed(read)) {
                after.push_back(std::move(event));
            }
        }
        const ReplyFramer::Event whole{ReplyFramer::Event::kReply, valid};
        const auto trailing =
            static_cast<std::size_t>(std::find_if(after.rbegin(), after.rend(),
                                                  [&](const auto& e) { return !(e == whole); }) -
                                     after.rbegin());
        ASSERT_GE(trailing, copies - mayLose) << "valid reply: " << valid;
        ASSERT_EQ(framer.pendingLength(), 0u);
    }
}

}  // namespace
