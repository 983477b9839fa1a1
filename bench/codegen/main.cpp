// How long delay planning takes: for every chip and crystal of the usual
// list, times spread evenly in their logarithm from 1 us to 100 s, the
// planner alone (planDelay) and the whole answer (makeDelay: planning, the
// executor's count of the routine, the text). Prints the median, the 99th
// percentile and the slowest per chip, in microseconds.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "codegen/delay.h"

namespace {

using namespace delaysub;
using namespace delaysub::codegen;
using Clock = std::chrono::steady_clock;

struct Figures {
  double median = 0;
  double p99 = 0;
  double slowest = 0;
};

Figures figuresOf(std::vector<double> us) {
  std::sort(us.begin(), us.end());
  const auto at = [&](double q) { return us[static_cast<std::size_t>(q * double(us.size() - 1))]; };
  return {at(0.5), at(0.99), us.back()};
}

double microsecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

}  // namespace

int main() {
  const std::vector<std::string> crystals{"6", "11.0592", "12", "22.1184", "24", "33.1776"};
  constexpr int kTimes = 400;  // per crystal, 1 us .. 100 s
  std::printf("%-10s %8s  %28s  %28s\n", "chip", "answers", "planDelay median/p99/max us",
              "makeDelay median/p99/max us");
  for (const mcu::Chip& chip : mcu::chips()) {
    // One untimed answer first: the first call pays for page faults.
    DelayRequest warm;
    warm.chip = &chip;
    warm.crystalHz = Ratio::whole(12000000);
    warm.timeUs = Ratio::whole(1000);
    (void)makeDelay(warm);
    std::vector<double> plan;
    std::vector<double> whole;
    for (const std::string& crystal : crystals) {
      const Ratio hz = *readFrequency(crystal).value;
      for (int i = 0; i < kTimes; ++i) {
        const double exponent = 8.0 * i / (kTimes - 1);  // 10^0 .. 10^8 us
        const auto ns = static_cast<std::uint64_t>(std::pow(10.0, exponent) * 1000.0);
        DelayRequest r;
        r.chip = &chip;
        r.crystalHz = hz;
        r.timeUs = Ratio::of(ns, 1000);
        const auto wanted = clocksOf(r.timeUs, hz);
        auto start = Clock::now();
        const auto p = planDelay(chip, {}, *wanted, r.rounding);
        const double planned = microsecondsSince(start);
        if (!p) {
          continue;  // below the shortest routine
        }
        plan.push_back(planned);
        start = Clock::now();
        const auto answer = makeDelay(r);
        whole.push_back(microsecondsSince(start));
        if (!std::holds_alternative<DelayAnswer>(answer)) {
          std::printf("%s: no answer for %s us\n", std::string(chip.name).c_str(),
                      decimalText(r.timeUs, 3).c_str());
        }
      }
    }
    const Figures a = figuresOf(plan);
    const Figures b = figuresOf(whole);
    std::printf("%-10s %8zu  %8.2f %8.2f %9.2f  %8.2f %8.2f %9.2f\n",
                std::string(chip.name).c_str(), plan.size(), a.median, a.p99, a.slowest, b.median,
                b.p99, b.slowest);
  }
  return 0;
}
