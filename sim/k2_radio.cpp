#include "sim/k2_radio.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace sim {
namespace {

// VFO A frequencies the band keys step through, lowest first.
constexpr std::array<std::uint64_t, 9> kBandFrequencies{
    1810000, 3560000, 7040000, 10116000, 14060000, 18086000, 21060000, 24906000, 28060000};

// Tuning steps of UP/DN n.
constexpr std::array<int, 4> kTuneSteps{10, 20, 50, 1000};

constexpr int kMaxOffset = 9990;

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

// The value of a field of exactly `width` digits, else nothing.
std::optional<std::uint64_t> digits(std::string_view field, std::size_t width) {
    if (field.size() != width) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::optional<int> digit(std::string_view field) {
    auto value = digits(field, 1);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

template <typename... Args>
std::string format(const char* fmt, Args... args) {
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, fmt, args...);
    return std::string(buffer, static_cast<std::size_t>(std::clamp(n, 0, 63)));
}

}  // namespace

K2Radio::K2Radio(std::size_t kyCapacity, double timeScale)
    : m_kyCapacity(kyCapacity), m_timeScale(timeScale > 0 ? timeScale : 1.0) {}

void K2Radio::setTimeScale(double scale) {
    if (scale > 0) {
        m_timeScale = scale;
    }
}

void K2Radio::setDisplayFrames(std::vector<DisplayFrame> frames) {
    m_frames = std::move(frames);
    m_nextFrame = 0;
}

void K2Radio::setBarGraph(int level, BarMode mode) {
    m_state.barLevel = std::clamp(level, 0, 10);
    m_state.barMode = mode;
}

void K2Radio::setKyAnswer(KyAnswer answer, Clock::duration late) {
    m_kyAnswer = answer;
    m_kyLate = late;
}

void K2Radio::reply(std::string text) {
    m_out.push_back(Output{Output::Kind::Reply, std::move(text), {}});
}

void K2Radio::error() {
    ++m_errorReplies;
    reply("?;");
}

std::vector<Output> K2Radio::overflow() {
    m_out.clear();
    if (m_state.powerOn) {
        error();
    }
    return std::exchange(m_out, {});
}

void K2Radio::changed(const std::string& item, bool withIf, bool bandChange) {
    int ai = m_state.autoInfo;
    if (ai == 2 || ai == 3) {
        if (!item.empty()) {
            m_out.push_back(Output{Output::Kind::AutoInfo, item, {}});
        }
    }
    if ((ai == 1 || ai == 3) && withIf) {
        m_out.push_back(Output{Output::Kind::AutoInfo, ifReply(bandChange), {}});
    }
}

// IF, counted from the character after "IF":
//   0         1         2         3
//   01234567890123456789012345678901234
//   00014039310     +007000 0002000001 ;
//   frequency  blanks offset RIT XIT, "00", TX mode VFO scan split b "01"
std::string K2Radio::ifReply(bool bandChange) const {
    const K2State& s = m_state;
    std::uint64_t freq = s.rxVfo == 1 ? s.vfoB : s.vfoA;
    int mode = s.mode;
    if (s.k2Mode == 1 || s.k2Mode == 3) {
        mode = mode == 6 ? 1 : mode == 9 ? 2 : mode;
    }
    bool split = s.txVfo != s.rxVfo;
    bool b = extended() && bandChange;
    return format("IF%011llu     %c%04d%d%d 00%d%d%d0%d%d01 ;",
                  static_cast<unsigned long long>(freq % 100000000000ULL), s.offset < 0 ? '-' : '+',
                  std::abs(s.offset), s.rit ? 1 : 0, s.xit ? 1 : 0, s.transmitting ? 1 : 0, mode,
                  s.rxVfo, split ? 1 : 0, b ? 1 : 0);
}

// DS: "DS", 8 display bytes, annunciator byte, blink byte, ";".
// The radio's own display is the receive VFO in 10 Hz units, right-aligned
// with leading blanks (0x40) and a point (bit 7) before the last two digits:
// 14 060 000 Hz shows 0x40 "14060" 0xB0 "0".
std::string K2Radio::dsReply() {
    const K2State& s = m_state;
    std::array<std::uint8_t, 8> display{};
    display.fill(0x40);
    // At least "0.00"; a frequency too long for the display loses its top.
    std::string units = std::to_string((s.rxVfo == 1 ? s.vfoB : s.vfoA) / 10);
    if (units.size() < 3) {
        units.insert(0, 3 - units.size(), '0');
    }
    if (units.size() > display.size()) {
        units.erase(0, units.size() - display.size());
    }
    std::copy(units.begin(), units.end(),
              display.end() - static_cast<std::ptrdiff_t>(units.size()));
    display[6] |= 0x80;

    std::uint8_t annunciator = 0x80;
    if (s.noiseBlanker != 0)
        annunciator |= 0x40;
    if (s.antenna == 2)
        annunciator |= 0x20;
    if (s.preamp)
        annunciator |= 0x10;
    if (s.attenuator)
        annunciator |= 0x08;
    if (s.rxVfo == 1)
        annunciator |= 0x04;
    if (s.rit)
        annunciator |= 0x02;
    if (s.xit)
        annunciator |= 0x01;
    std::uint8_t blink = 0x80;
    if (s.nbThresholdLow)
        blink |= 0x40;
    if (s.txVfo != s.rxVfo)
        blink |= 0x04;

    if (!m_frames.empty()) {
        const DisplayFrame& frame = m_frames[m_nextFrame];
        m_nextFrame = (m_nextFrame + 1) % m_frames.size();
        display = frame.display.value_or(display);
        annunciator = frame.annunciator.value_or(annunciator);
        blink = frame.blink.value_or(blink);
    }

    std::string text = "DS";
    text.append(display.begin(), display.end());
    text.push_back(static_cast<char>(annunciator));
    text.push_back(static_cast<char>(blink));
    text.push_back(';');
    return text;
}

Clock::duration K2Radio::charDuration() const {
    // Every character, blank included, takes 10 dot units of 1200/WPM ms.
    double ms = 10.0 * 1200.0 / std::max(m_state.wpm, 1) / m_timeScale;
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(ms));
}

void K2Radio::advanceKeyer(Clock::time_point now) {
    Clock::duration length = charDuration();
    while (!m_kyBuffer.empty() && m_frontStart + length <= now) {
        m_keyed.push_back(KeyedChar{m_kyBuffer.front(), m_frontStart, m_frontStart + length});
        m_kyBuffer.pop_front();
        m_frontStart += length;
    }
}

void K2Radio::keyText(std::string_view text, Clock::time_point now) {
    if (text.find('@') != std::string_view::npos) {
        m_kyBuffer.clear();
        return;
    }
    for (char c : text) {
        if (m_kyBuffer.size() >= m_kyCapacity) {
            ++m_overruns;
            continue;
        }
        if (m_kyBuffer.empty()) {
            m_frontStart = now;
        }
        m_kyBuffer.push_back(c);
    }
}

std::string K2Radio::kyStatusReply() const {
    std::size_t pending = m_kyBuffer.size();
    int status;
    if (pending == 0 && extended()) {
        status = 2;
    } else if (pending * 4 >= m_kyCapacity * 3 && pending > 0) {
        status = 1;
    } else {
        status = 0;
    }
    return format("KY%d;", status);
}

std::string K2Radio::query(std::string_view mn) const {
    const K2State& s = m_state;
    bool ext = extended();
    if (mn == "AI")
        return format("AI%d;", s.autoInfo);
    if (mn == "K2")
        return format("K2%d;", s.k2Mode);
    if (mn == "FA")
        return format("FA%011llu;", static_cast<unsigned long long>(s.vfoA));
    if (mn == "FB")
        return format("FB%011llu;", static_cast<unsigned long long>(s.vfoB));
    if (mn == "FR")
        return format("FR%d;", s.rxVfo);
    if (mn == "FT")
        return format("FT%d;", s.txVfo);
    if (mn == "MD") {
        int mode = s.mode;
        if (s.k2Mode == 1 || s.k2Mode == 3) {
            mode = mode == 6 ? 1 : mode == 9 ? 2 : mode;
        }
        return format("MD%d;", mode);
    }
    if (mn == "FW") {
        int bandwidth = s.slotBandwidth[static_cast<std::size_t>(s.filterSlot - 1)];
        return ext ? format("FW%04d%d%d;", bandwidth, s.filterSlot, s.audioFilter)
                   : format("FW%04d;", bandwidth);
    }
    if (mn == "GT") {
        return ext ? format("GT%03d%d;", s.agcSpeed, s.agcOn ? 1 : 0)
                   : format("GT%03d;", s.agcSpeed);
    }
    if (mn == "NB") {
        return ext ? format("NB%d%d;", s.noiseBlanker, s.nbThresholdLow ? 1 : 0)
                   : format("NB%d;", s.noiseBlanker != 0 ? 1 : 0);
    }
    if (mn == "PA")
        return format("PA%d;", s.preamp ? 1 : 0);
    if (mn == "LK")
        return format("LK%d;", s.locked ? 1 : 0);
    if (mn == "RT")
        return format("RT%d;", s.rit ? 1 : 0);
    if (mn == "XT")
        return format("XT%d;", s.xit ? 1 : 0);
    if (mn == "RA")
        return format("RA%02d;", s.attenuator ? 1 : 0);
    if (mn == "AN")
        return format("AN%d;", s.antenna);
    if (mn == "KS")
        return format("KS%03d;", s.wpm);
    if (mn == "PC") {
        return ext ? format("PC%03d%d;", s.power, s.powerRange) : format("PC%03d;", s.power);
    }
    if (mn == "SQ")
        return format("SQ%03d;", s.squelch);
    return {};
}

void K2Radio::stepReceiveVfo(std::int64_t hz) {
    std::uint64_t& vfo = m_state.rxVfo == 1 ? m_state.vfoB : m_state.vfoA;
    std::int64_t value = static_cast<std::int64_t>(vfo) + hz;
    vfo = static_cast<std::uint64_t>(std::max<std::int64_t>(value, 0));
}

void K2Radio::moveBand(bool up) {
    std::uint64_t freq = m_state.vfoA;
    if (up) {
        auto next = std::upper_bound(kBandFrequencies.begin(), kBandFrequencies.end(), freq);
        m_state.vfoA = next == kBandFrequencies.end() ? kBandFrequencies.front() : *next;
    } else {
        auto next = std::lower_bound(kBandFrequencies.begin(), kBandFrequencies.end(), freq);
        m_state.vfoA = next == kBandFrequencies.begin() ? kBandFrequencies.back() : *(next - 1);
    }
}

std::vector<Output> K2Radio::turnVfoStep(int hz) {
    m_out.clear();
    if (m_state.powerOn) {
        stepReceiveVfo(hz);
        changed(query(m_state.rxVfo == 1 ? "FB" : "FA"), true);
    }
    return std::exchange(m_out, {});
}

std::vector<Output> K2Radio::pressModeKey() {
    m_out.clear();
    if (m_state.powerOn) {
        // LSB, USB, CW, RTTY and round again; the reverse modes go on from
        // their plain twin.
        switch (m_state.mode) {
            case 1:
                m_state.mode = 2;
                break;
            case 2:
                m_state.mode = 3;
                break;
            case 3:
            case 7:
                m_state.mode = 6;
                break;
            default:
                m_state.mode = 1;
                break;
        }
        changed(query("MD"), true);
    }
    return std::exchange(m_out, {});
}

std::vector<Output> K2Radio::pressBandKey(bool up) {
    m_out.clear();
    if (m_state.powerOn) {
        moveBand(up);
        changed(query("FA"), true, true);
    }
    return std::exchange(m_out, {});
}

std::vector<Output> K2Radio::handleCommand(std::string_view command, Clock::time_point now) {
    m_out.clear();
    if (!m_state.powerOn) {
        return {};
    }
    advanceKeyer(now);
    if (command.size() < 2) {
        error();
        return std::exchange(m_out, {});
    }
    const std::string mn = upper(command.substr(0, 2));
    const std::string_view rawParams = command.substr(2);
    const std::string p = upper(rawParams);
    K2State& s = m_state;

    // Commands with a query form: the bare mnemonic asks.
    static constexpr std::array<std::string_view, 19> kQueryable{
        "AI", "K2", "FA", "FB", "FR", "FT", "MD", "FW", "GT", "NB",
        "PA", "LK", "RT", "XT", "RA", "AN", "KS", "PC", "SQ"};
    bool queryable = std::find(kQueryable.begin(), kQueryable.end(), mn) != kQueryable.end();
    if (queryable && p.empty()) {
        reply(query(mn));
        return std::exchange(m_out, {});
    }

    auto flag = [&](bool& field, bool withIf) {
        auto v = digit(p);
        if (!v || *v > 1) {
            return error();
        }
        field = *v == 1;
        changed(query(mn), withIf);
    };

    if (mn == "AI" || mn == "K2") {
        auto v = digit(p);
        if (!v || *v > 3) {
            error();
        } else {
            (mn == "AI" ? s.autoInfo : s.k2Mode) = *v;
        }
    } else if (mn == "FA" || mn == "FB") {
        auto v = digits(p, 11);
        if (!v) {
            error();
        } else {
            (mn == "FA" ? s.vfoA : s.vfoB) = *v;
            changed(query(mn), true);
        }
    } else if (mn == "FR" || mn == "FT") {
        auto v = digit(p);
        if (!v || *v > 1) {
            error();
        } else {
            s.txVfo = *v;
            if (mn == "FR") {
                s.rxVfo = *v;
            }
            changed(query(mn), true);
        }
    } else if (mn == "MD") {
        auto v = digit(p);
        if (!v || (*v != 1 && *v != 2 && *v != 3 && *v != 6 && *v != 7 && *v != 9)) {
            error();
        } else {
            s.mode = *v;
            changed(query(mn), true);
        }
    } else if (mn == "FW") {
        auto bandwidth = digits(p.substr(0, 4), 4);
        // Filled by assignment: a conditional-expression initialiser trips
        // GCC's maybe-uninitialized check on std::optional at -O2.
        std::optional<int> slot;
        if (p.size() >= 5) {
            slot = digit(p.substr(4, 1));
        }
        std::optional<int> audio;
        if (p.size() == 6) {
            audio = digit(p.substr(5, 1));
        }
        bool ok = bandwidth && slot && *slot >= 1 && *slot <= 4 &&
                  (p.size() == 5 || (p.size() == 6 && audio && *audio <= 2));
        if (!ok) {
            error();
        } else {
            s.filterSlot = *slot;
            if (*bandwidth != 0) {
                s.slotBandwidth[static_cast<std::size_t>(*slot - 1)] = static_cast<int>(*bandwidth);
            }
            if (audio) {
                s.audioFilter = *audio;
            }
            changed(query(mn), false);
        }
    } else if (mn == "GT") {
        auto speed = digits(p.substr(0, 3), 3);
        auto on = p.size() == 4 ? digit(p.substr(3, 1)) : std::nullopt;
        if (!speed || !on || *on > 1 || (*on == 1 && *speed != 2 && *speed != 4)) {
            error();
        } else {
            s.agcOn = *on == 1;
            if (s.agcOn) {
                s.agcSpeed = static_cast<int>(*speed);
            }
            changed(query(mn), false);
        }
    } else if (mn == "NB") {
        if (!digit(p)) {
            error();
        } else {
            s.noiseBlanker = (s.noiseBlanker + 1) % 3;
            changed(query(mn), false);
        }
    } else if (mn == "PA") {
        flag(s.preamp, false);
    } else if (mn == "LK") {
        flag(s.locked, false);
    } else if (mn == "RT") {
        flag(s.rit, true);
    } else if (mn == "XT") {
        flag(s.xit, true);
    } else if (mn == "RA") {
        auto v = digits(p, 2);
        if (!v || *v > 1) {
            error();
        } else {
            s.attenuator = *v == 1;
            changed(query(mn), false);
        }
    } else if (mn == "AN") {
        auto v = digit(p);
        if (!v || *v < 1 || *v > 2) {
            error();
        } else {
            s.antenna = *v;
            changed(query(mn), false);
        }
    } else if (mn == "KS") {
        auto v = digits(p, 3);
        if (!v || *v < 9 || *v > 50) {
            error();
        } else {
            s.wpm = static_cast<int>(*v);
            changed(query(mn), false);
        }
    } else if (mn == "PC") {
        auto power = digits(p.substr(0, 3), 3);
        std::optional<int> range;
        if (p.size() == 4) {
            range = digit(p.substr(3, 1));
        }
        if (!power || (p.size() != 3 && (p.size() != 4 || !range || *range > 1))) {
            error();
        } else {
            s.power = static_cast<int>(std::min<std::uint64_t>(*power, 150));
            if (range) {
                s.powerRange = *range;
            }
            changed(query(mn), false);
        }
    } else if (mn == "SQ") {
        auto v = digits(p, 3);
        if (!v || *v > 250) {
            error();
        } else {
            s.squelch = static_cast<int>(*v);
            changed(query(mn), false);
        }
    } else if (mn == "RU" || mn == "RD" || mn == "RC") {
        if (!p.empty()) {
            error();
        } else {
            s.offset = mn == "RC"   ? 0
                       : mn == "RU" ? std::min(s.offset + 10, kMaxOffset)
                                    : std::max(s.offset - 10, -kMaxOffset);
            changed({}, true);
        }
    } else if (mn == "UP" || mn == "DN") {
        std::optional<int> n = p.empty() ? std::optional<int>(1) : digit(p);
        if (!n || *n < 1 || *n > 4) {
            error();
        } else {
            int step = kTuneSteps[static_cast<std::size_t>(*n - 1)];
            stepReceiveVfo(mn == "UP" ? step : -step);
            changed(query(s.rxVfo == 1 ? "FB" : "FA"), true);
        }
    } else if (mn == "SW") {
        auto v = digits(p, 2);
        if (!v || *v < 1 || *v > 69) {
            error();
        } else {
            int code = static_cast<int>(*v);
            s.keySwitches.push_back(code);
            if (code == 1 || code == 3) {
                moveBand(code == 1);
                changed(query("FA"), true, true);
            } else if (code == 22) {
                s.nbThresholdLow = !s.nbThresholdLow;
                changed(query("NB"), false);
            } else if (code == 29) {
                s.audioFilter = (s.audioFilter + 1) % 3;
                changed(query("FW"), false);
            }
        }
    } else if (mn == "TX") {
        if (!p.empty() || (s.mode != 1 && s.mode != 2 && s.mode != 6 && s.mode != 9)) {
            error();
        } else {
            s.transmitting = true;
        }
    } else if (mn == "RX") {
        if (!p.empty()) {
            error();
        } else {
            s.transmitting = false;
        }
    } else if (mn == "IF" || mn == "DS" || mn == "BG" || mn == "SM" || mn == "PS" || mn == "ID") {
        if (!p.empty()) {
            error();
        } else if (mn == "IF") {
            reply(ifReply());
        } else if (mn == "DS") {
            reply(dsReply());
        } else if (mn == "BG") {
            int level = s.barLevel + (s.barMode == BarMode::Bar ? 12 : 0);
            reply(format("BG%02d;", level));
        } else if (mn == "SM") {
            reply(format("SM%04d;", s.barLevel));
        } else if (mn == "PS") {
            reply("PS1;");
        } else {
            reply("ID017;");
        }
    } else if (mn == "KY") {
        if (p.empty()) {
            switch (m_kyAnswer) {
                case KyAnswer::Normal:
                    reply(kyStatusReply());
                    break;
                case KyAnswer::Never:
                    break;
                case KyAnswer::Seven:
                    reply("KY7;");
                    break;
                case KyAnswer::NoDigit:
                    reply("KY;");
                    break;
                case KyAnswer::AlwaysTwo:
                    reply("KY2;");
                    break;
                case KyAnswer::Late:
                    m_out.push_back(Output{Output::Kind::Reply, kyStatusReply(), m_kyLate});
                    break;
            }
        } else if (rawParams.front() != ' ' || rawParams.size() - 1 > kMaxKyText) {
            error();
        } else {
            keyText(rawParams.substr(1), now);
        }
    } else {
        error();
    }
    return std::exchange(m_out, {});
}

}  // namespace sim
