// What the window reads and shows around a delay: the crystal as it reads the
// crystal box, the delay box's text in either unit, and what the seed box's
// text gives. The command line shows the same.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/domain.h"
#include "core/result.h"

namespace delaysub::core {

// Fosc from the crystal box's text: number reading, then single rounding (not
// guarded, so a huge text gives an infinity).
float crystalFrequency(std::string_view crystalText);

// The shortest decimal text that reads back as this single: 11.0592, 12.
std::string singleText(float v);

enum class DelayUnit { Microseconds, Milliseconds };
// The unit label's captions.
inline constexpr std::string_view kMicrosecondsCaption = "uS";
inline constexpr std::string_view kMillisecondsCaption = "mS";
std::string_view unitCaption(DelayUnit unit);
// The delay box's text: "204" in microseconds, " .204" in milliseconds.
std::string delayText(std::int32_t T, DelayUnit unit);

// What the window shows after the seed box gets this text.
struct SeedDelay {
  // Reading the seed or computing the delay failed. The window has already
  // stored and shown X when only the delay computation fails.
  RunError error = RunError::None;
  std::optional<std::int32_t> X;  // the seed read, when it fits 32 bits
  std::string seedHex;            // hexadecimal text of X, when read
  std::int32_t T = 0;             // whole microseconds, when no error
};
SeedDelay delayOfSeedText(Core core, Nesting nesting, float Fosc, std::string_view seedText);

}  // namespace delaysub::core
