#pragma once

// The pseudo-random sequence the shaded buttons' noise patterns are drawn
// from: a linear congruential generator (x = x * 214013 + 2531011 mod 2^32,
// result (x >> 16) & 0x7FFF, 0 .. 32767), first seed 1. One process-wide
// generator feeds every button in creation order, so a dialog's faces come out
// the same on every run. Nothing reseeds it; tests may swap the source.
//
// GUI thread only (no lock).

#include <cstdint>
#include <functional>

namespace classic_rand {

inline constexpr int kRandMax = 32767;

class Generator {
  public:
    explicit Generator(std::uint32_t seed = 1) : m_state(seed) {}

    int next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }
    int operator()() { return next(); }

  private:
    std::uint32_t m_state;
};

// The next number of the process-wide sequence (or of the injected source).
int rand();

// Replaces the source of rand(); an empty source restores the process-wide
// generator, which carries on where it stopped. Returns the previous source
// (empty when it was the process-wide generator).
using Source = std::function<int()>;
Source setSource(Source source);

}  // namespace classic_rand
