#include "core/display.h"

#include <array>
#include <charconv>

#include "core/delay.h"
#include "core/numbers.h"

namespace delaysub::core {

float crystalFrequency(std::string_view crystalText) {
  return singleRound(readNumber(crystalText));
}

std::string singleText(float v) {
  std::array<char, 64> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
  if (ec != std::errc()) {
    return "?";
  }
  return std::string(buffer.data(), end);
}

std::string_view unitCaption(DelayUnit unit) {
  return unit == DelayUnit::Milliseconds ? kMillisecondsCaption : kMicrosecondsCaption;
}

std::string delayText(std::int32_t T, DelayUnit unit) {
  if (unit == DelayUnit::Milliseconds) {
    // The division is a guarded step that cannot fail for a 32-bit T.
    return decimalText(T / 1000.0);
  }
  return integerText(T);
}

SeedDelay delayOfSeedText(Core core, Nesting nesting, float Fosc, std::string_view seedText) {
  SeedDelay shown;
  const Result<std::int32_t> seed = roundToInt32(readNumber(seedText));
  if (!seed.ok()) {
    shown.error = seed.error;
    return shown;
  }
  shown.X = seed.value;
  shown.seedHex = hexText(seed.value);
  const Result<std::int32_t> t = delayOf(core, nesting, Fosc, seed.value);
  shown.error = t.error;
  shown.T = t.ok() ? t.value : 0;
  return shown;
}

}  // namespace delaysub::core
