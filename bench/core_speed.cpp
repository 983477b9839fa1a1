// The calculation core alone: delay times and baud reload texts per second.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "bench/bench.h"
#include "core/baud.h"
#include "core/delay.h"

namespace delaysub::bench {

namespace {

// Keeps a result alive so that the call cannot be left out.
template <class T>
void keep(const T& value) {
  asm volatile("" : : "g"(&value) : "memory");
}

constexpr std::array<std::int32_t, 8> kSeeds = {1, 7, 100, 255, 1000, 4096, 65535, 250000};
constexpr std::array<float, 6> kCrystals = {4.0f, 6.0f, 11.0592f, 12.0f, 22.1184f, 24.0f};
constexpr std::array<std::string_view, 6> kBauds = {"300",  "1200",  "4800",
                                                    "9600", "19200", "115200"};

// Calls per second of call(i), i counting up, over one round of about
// `seconds`, measured in batches so that the clock is read rarely.
template <class Call>
double oneRound(const Call& call, double seconds) {
  constexpr std::size_t kBatch = 4096;
  const long long start = monotonicNs();
  const long long stop = start + static_cast<long long>(seconds * 1e9);
  std::size_t calls = 0;
  long long now = start;
  while (now < stop) {
    for (std::size_t i = 0; i < kBatch; ++i) {
      call(calls + i);
    }
    calls += kBatch;
    now = monotonicNs();
  }
  return static_cast<double>(calls) / (static_cast<double>(now - start) / 1e9);
}

template <class Call>
double callsPerSecond(const Call& call, int rounds, double seconds) {
  std::vector<double> rates;
  oneRound(call, seconds / 4);  // warm-up
  for (int r = 0; r < rounds; ++r) {
    rates.push_back(oneRound(call, seconds));
  }
  return summarize(std::move(rates)).median;
}

}  // namespace

std::vector<CoreRow> measureCore(int rounds, double secondsPerRound) {
  std::vector<CoreRow> rows;
  // Both delay routines over the same seeds, nestings and crystals; each is
  // passed as a closure of its own type so the call stays direct.
  const auto delayRow = [&](const char* name, auto delay) {
    return CoreRow{name,
                   callsPerSecond(
                       [delay](std::size_t i) {
                         keep(delay(kSeeds[i % kSeeds.size()], static_cast<std::int16_t>(i % 3),
                                    kCrystals[i % kCrystals.size()]));
                       },
                       rounds, secondsPerRound)};
  };
  rows.push_back(delayRow("delay, 12-clock core (CALC_T)",
                          [](const auto&... a) { return core::CALC_T(a...); }));
  rows.push_back(delayRow("delay, 4-clock core (W77E_T)",
                          [](const auto&... a) { return core::W77E_T(a...); }));
  rows.push_back({"baud reload text (BPS_TEXT)",
                  callsPerSecond(
                      [](std::size_t i) {
                        const auto cpu = static_cast<std::int16_t>(i % 3);
                        const auto text =
                            core::BPS_TEXT(cpu, kCrystals[i % kCrystals.size()],
                                           kBauds[(i / 3) % kBauds.size()], (i / 7) % 2 == 0);
                        keep(text);
                      },
                      rounds, secondsPerRound)});
  return rows;
}

}  // namespace delaysub::bench
