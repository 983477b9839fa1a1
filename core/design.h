// Design tools: from the result an engineer wants to the setting that gives
// it. The seed and nesting for a wanted delay, the nearest timer reload value
// for a wanted baud rate, and the texts the window shows for a seed. Every
// number comes from the same operations the window calls, so both agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace delaysub::core {

// ---- Names ------------------------------------------------------------------

// "MCS-51", "AVR", "W77E58"; "" for any other cpu_type.
std::string_view coreName(std::int16_t cpu_type);
// "single loop", "double loop", "triple loop"; "" for any other loop_type.
std::string_view nestingName(std::int16_t loop_type);

// The formula text (FORM1..FORM3) and the template (PRG1..PRG3) of a nesting
// depth; "" for a cpu_type or loop_type the window does not know.
std::string_view formulaOf(std::int16_t cpu_type, std::int16_t loop_type);
std::string_view templateOf(std::int16_t cpu_type, std::int16_t loop_type);

// ---- The delay of a seed, as the window shows it ---------------------------

// Fosc from the crystal box's text: number reading, then single rounding (not
// guarded, so a huge text gives an infinity).
float crystalFrequency(std::string_view crystalText);

// The shortest decimal text that reads back as this single: 11.0592, 12.
std::string singleText(float v);

// The delay of seed X in whole microseconds: W77E_T for W77E58 (cpu_type 2),
// CALC_T for the others, then the rounding conversion to 32 bits.
Result<std::int32_t> delayOf(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                             std::int32_t X);

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
SeedDelay delayOfSeedText(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                          std::string_view seedText);

// The seeds whose delay computes for a core and nesting depth: every 32-bit
// step of CALC_T (W77E_T for W77E58) fits, whatever the crystal. Found by
// asking the delay operation itself. None for a loop_type outside 0..2.
struct SeedRange {
  std::int32_t first = 0, last = 0;
  bool operator==(const SeedRange&) const = default;
};
std::optional<SeedRange> seedRange(std::int16_t cpu_type, std::int16_t loop_type);

// ---- Seed for a wanted delay ------------------------------------------------

// The seeds proposed: BYT_DLY is one byte, and a DJNZ started at 0 makes 256
// passes, which the formulas do not count, so 0 is never proposed.
inline constexpr std::int32_t kFirstSeed = 1;
inline constexpr std::int32_t kLastSeed = 255;

struct DepthSolution {
  std::int16_t loop_type = 0;
  // A seed of 1..255 whose delay the window cannot compute (a crystal of 0,
  // or one so slow that the delay leaves 32 bits): nothing else is valid.
  RunError error = RunError::None;
  std::int32_t minUs = 0, maxUs = 0;  // the delays of the first and last seed
  std::int32_t minX = 0, maxX = 0;    // the seeds that give them
  bool reachable = false;             // the target lies within minUs..maxUs
  // The seed whose delay is nearest the target (ties to the smaller seed),
  // its delay and (delay - target) / target * 100. Valid when reachable.
  std::int32_t X = 0;
  std::int32_t T = 0;
  double errorPercent = 0.0;
};

// For one core, crystal and nesting depth; targetUs must be above 0.
DepthSolution seedForDelay(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                           double targetUs);
// The reachable solution with the smallest |error|, ties to fewer loops.
std::optional<std::size_t> bestDepth(const std::vector<DepthSolution>& solutions);

// ---- Nearest reload value for a wanted baud rate ----------------------------

// Receiver tolerance for "within tolerance", in percent of the wanted rate.
inline constexpr double kBaudTolerancePercent = 2.0;

struct ReloadOption {
  int doubler = 0;          // SMOD for the 8051 cores, U2X for AVR
  std::int32_t reload = 0;  // TH1 in 0..255, UBRR in 0..4095
  std::string text;         // as the result box writes it: "TH1 = 0F9H", "UBRR = 67H"
  double actualBaud = 0.0;
  double errorPercent = 0.0;  // (actual - wanted) / wanted * 100
  bool withinTolerance = false;
};

// For SMOD (8051 cores) or U2X (AVR) 0 and 1, the whole reload value whose
// rate is nearest the wanted one (ties to the smaller reload value):
//   8051: 2^SMOD * Fosc * 10^6 / (384 * (256 - TH1)), TH1 in 0..255;
//   AVR:  Fosc * 10^6 / (16 * (UBRR + 1)), 8 instead of 16 with U2X.
// Empty for another cpu_type, a wanted rate or a crystal that is not above 0.
std::vector<ReloadOption> nearestReloads(std::int16_t cpu_type, float Fosc, double wantedBaud);
// The option with the smallest |error|, ties to SMOD 0 / U2X 0.
std::optional<std::size_t> bestReload(const std::vector<ReloadOption>& options);

// The baud result for one baud text: what the result box shows and the
// nearest options.
struct BaudAnswer {
  double wantedBaud = 0.0;  // the baud text read by the number rules
  bool smod0Selected = true;
  // The result box's text; an error as the window raises it; no text for a
  // cpu_type the window does not know.
  Result<std::optional<std::string>> window;
  std::vector<ReloadOption> options;
  std::optional<std::size_t> best;
};
BaudAnswer baudAnswer(std::int16_t cpu_type, float Fosc, std::string_view baudText,
                      bool smod0Selected);
// One answer for each rate of the window's baud list, with SMOD 0 selected.
std::vector<BaudAnswer> baudTable(std::int16_t cpu_type, float Fosc);

// An error in percent with its sign and two decimals: "+0.16 %", "-6.99 %".
std::string percentText(double percent);
// A rate with two decimals: "8928.57".
std::string twoDecimals(double v);
// A number for a person, in at most 15 significant digits: 9600, 0.5, 1e+300.
std::string shortNumber(double v);

// ---- Template for one seed --------------------------------------------------

// The assembler literal of a seed: "#64H", "#0C8H" (a 0 before a letter), "#00H".
std::string seedLiteral(std::uint8_t X);

// The window's template for the core and nesting (CR LF line breaks) with
// "#X" replaced by the seed's literal and the first, empty line by a comment
// naming the seed, its delay, the crystal, the core and the nesting. Empty
// for a cpu_type or loop_type the window does not know. Errors are those of
// the delay computation.
Result<std::string> seededTemplate(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                                   std::uint8_t X);
// The same for a template text of the caller's (one a user edited): every
// "#X" that no letter, digit or "_" follows becomes the literal, and the
// comment fills an empty first line or goes in a line of its own before the
// text. Empty for a cpu_type or loop_type the window does not know.
Result<std::string> seededTemplateOf(std::string_view text, std::int16_t cpu_type,
                                     std::int16_t loop_type, float Fosc, std::uint8_t X);
// Whether the text holds a "#X" that seededTemplateOf replaces.
bool hasSeedPlace(std::string_view text);

}  // namespace delaysub::core
