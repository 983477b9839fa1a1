#include "core/design.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/baud.h"
#include "core/delay.h"
#include "core/lists.h"
#include "core/numbers.h"
#include "core/texts.h"

namespace delaysub::core {

namespace {

constexpr std::int16_t kW77e58 = 2;
constexpr std::int16_t kAvr = 1;

// The largest value the AVR UBRR register holds (12 bits).
constexpr std::int32_t kUbrrMax = 4095;
constexpr std::int32_t kTh1Max = 255;

bool is8051(std::int16_t cpu_type) {
  return cpu_type == 0 || cpu_type == kW77e58;
}

double errorPercentOf(double actual, double wanted) {
  return (actual - wanted) * 100.0 / wanted;
}

// Among the whole numbers first..last, the one whose value(i) is nearest the
// target; ties to the smaller one.
template <class Value>
std::int32_t nearestTo(double target, std::int32_t first, std::int32_t last, Value value) {
  std::int32_t best = first;
  double bestDistance = INFINITY;
  for (std::int32_t i = first; i <= last; ++i) {
    const double distance = std::fabs(value(i) - target);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

// The reload value 0..last whose rate(reload) is nearest the wanted rate.
template <class Rate>
ReloadOption nearest(int doubler, std::int32_t last, double wanted, Rate rate) {
  ReloadOption o;
  o.doubler = doubler;
  o.reload = nearestTo(wanted, 0, last, rate);
  o.actualBaud = rate(o.reload);
  o.errorPercent = errorPercentOf(o.actualBaud, wanted);
  o.withinTolerance = std::fabs(o.errorPercent) <= kBaudTolerancePercent;
  return o;
}

using TextOfCore = std::string_view (*)(const std::int16_t&);
constexpr std::array<TextOfCore, 3> kFormulas = {FORM1, FORM2, FORM3};
constexpr std::array<TextOfCore, 3> kTemplates = {PRG1, PRG2, PRG3};

std::string_view byDepth(const std::array<TextOfCore, 3>& texts, std::int16_t cpu_type,
                         std::int16_t loop_type) {
  if (loop_type < 0 || loop_type >= static_cast<std::int16_t>(texts.size())) {
    return "";
  }
  return texts[static_cast<std::size_t>(loop_type)](cpu_type);
}

// The template's line break, and the seed's place in its first instruction.
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kSeedPlace = "#X";

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The first "#X" from at on that no name character follows ("#XL" is another
// symbol); text.size() when there is none.
std::size_t seedPlaceAt(std::string_view text, std::size_t at) {
  for (std::size_t place = text.find(kSeedPlace, at); place != std::string_view::npos;
       place = text.find(kSeedPlace, place + 1)) {
    const std::size_t after = place + kSeedPlace.size();
    if (after == text.size() || !isNameCharacter(text[after])) {
      return place;
    }
  }
  return text.size();
}

// Whether the delay operation of the core computes seed X: every 32-bit step
// fits. The crystal only divides, so any non-zero one gives the same answer.
bool seedComputes(std::int16_t cpu_type, std::int16_t loop_type, std::int32_t X) {
  constexpr float kAnyCrystal = 1.0f;
  const Result<double> t =
      cpu_type == kW77e58 ? W77E_T(X, loop_type, kAnyCrystal) : CALC_T(X, loop_type, kAnyCrystal);
  return t.ok();
}

// The last seed from 'from' on towards 'to' that computes, when 'from' does
// and the seeds that compute are one run: a binary search.
std::int32_t lastComputing(std::int16_t cpu_type, std::int16_t loop_type, std::int32_t from,
                           std::int32_t to) {
  std::int64_t good = from;
  std::int64_t bad = static_cast<std::int64_t>(to) + (to >= from ? 1 : -1);
  while (std::llabs(bad - good) > 1) {
    const std::int64_t middle = good + (bad - good) / 2;
    if (seedComputes(cpu_type, loop_type, static_cast<std::int32_t>(middle))) {
      good = middle;
    } else {
      bad = middle;
    }
  }
  return static_cast<std::int32_t>(good);
}

}  // namespace

std::string_view coreName(std::int16_t cpu_type) {
  switch (cpu_type) {
    case 0:
      return "MCS-51";
    case kAvr:
      return "AVR";
    case kW77e58:
      return "W77E58";
    default:
      return "";
  }
}

std::string_view nestingName(std::int16_t loop_type) {
  switch (loop_type) {
    case 0:
      return "single loop";
    case 1:
      return "double loop";
    case 2:
      return "triple loop";
    default:
      return "";
  }
}

std::string_view formulaOf(std::int16_t cpu_type, std::int16_t loop_type) {
  return byDepth(kFormulas, cpu_type, loop_type);
}

std::string_view templateOf(std::int16_t cpu_type, std::int16_t loop_type) {
  return byDepth(kTemplates, cpu_type, loop_type);
}

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

Result<std::int32_t> delayOf(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                             std::int32_t X) {
  const Result<double> t =
      cpu_type == kW77e58 ? W77E_T(X, loop_type, Fosc) : CALC_T(X, loop_type, Fosc);
  if (!t.ok()) {
    return Result<std::int32_t>::failure(t.error);
  }
  return roundToInt32(t.value);
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

SeedDelay delayOfSeedText(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                          std::string_view seedText) {
  SeedDelay shown;
  const Result<std::int32_t> seed = roundToInt32(readNumber(seedText));
  if (!seed.ok()) {
    shown.error = seed.error;
    return shown;
  }
  shown.X = seed.value;
  shown.seedHex = hexText(seed.value);
  const Result<std::int32_t> t = delayOf(cpu_type, loop_type, Fosc, seed.value);
  shown.error = t.error;
  shown.T = t.ok() ? t.value : 0;
  return shown;
}

std::optional<SeedRange> seedRange(std::int16_t cpu_type, std::int16_t loop_type) {
  if (nestingName(loop_type).empty() || !seedComputes(cpu_type, loop_type, 0)) {
    return std::nullopt;
  }
  return SeedRange{lastComputing(cpu_type, loop_type, 0, INT32_MIN),
                   lastComputing(cpu_type, loop_type, 0, INT32_MAX)};
}

DepthSolution seedForDelay(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                           double targetUs) {
  DepthSolution s;
  s.loop_type = loop_type;
  std::array<std::int32_t, kLastSeed + 1> delays{};
  for (std::int32_t X = kFirstSeed; X <= kLastSeed; ++X) {
    const Result<std::int32_t> t = delayOf(cpu_type, loop_type, Fosc, X);
    if (!t.ok()) {
      s.error = t.error;
      return s;
    }
    delays[static_cast<std::size_t>(X)] = t.value;
  }
  const std::int32_t first = delays[kFirstSeed];
  const std::int32_t last = delays[kLastSeed];
  // A negative crystal gives negative delays: the last seed is the shortest.
  const bool rising = first <= last;
  s.minUs = rising ? first : last;
  s.maxUs = rising ? last : first;
  s.minX = rising ? kFirstSeed : kLastSeed;
  s.maxX = rising ? kLastSeed : kFirstSeed;
  s.reachable = s.minUs <= targetUs && targetUs <= s.maxUs;
  if (!s.reachable) {
    return s;
  }
  s.X = nearestTo(targetUs, kFirstSeed, kLastSeed, [&delays](std::int32_t X) {
    return static_cast<double>(delays[static_cast<std::size_t>(X)]);
  });
  s.T = delays[static_cast<std::size_t>(s.X)];
  s.errorPercent = errorPercentOf(s.T, targetUs);
  return s;
}

std::optional<std::size_t> bestDepth(const std::vector<DepthSolution>& solutions) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < solutions.size(); ++i) {
    const DepthSolution& s = solutions[i];
    if (s.error != RunError::None || !s.reachable) {
      continue;
    }
    if (!best) {
      best = i;
      continue;
    }
    const DepthSolution& b = solutions[*best];
    const double e = std::fabs(s.errorPercent);
    const double be = std::fabs(b.errorPercent);
    if (e < be || (e == be && s.loop_type < b.loop_type)) {
      best = i;
    }
  }
  return best;
}

std::vector<ReloadOption> nearestReloads(std::int16_t cpu_type, float Fosc, double wantedBaud) {
  std::vector<ReloadOption> options;
  // No crystal (or a negative one) gives no rate at all: nothing is nearest.
  if (!(wantedBaud > 0.0) || !std::isfinite(wantedBaud) || !(Fosc > 0.0f) || !std::isfinite(Fosc)) {
    return options;
  }
  const double hertz = static_cast<double>(Fosc) * 1e6;
  if (is8051(cpu_type)) {
    for (int smod = 0; smod <= 1; ++smod) {
      const double clock = std::ldexp(hertz, smod) / 384.0;
      ReloadOption o = nearest(smod, kTh1Max, wantedBaud,
                               [clock](std::int32_t th1) { return clock / (256 - th1); });
      o.text = th1Text(o.reload);
      options.push_back(std::move(o));
    }
  } else if (cpu_type == kAvr) {
    for (int u2x = 0; u2x <= 1; ++u2x) {
      const double clock = hertz / (u2x == 0 ? 16.0 : 8.0);
      ReloadOption o = nearest(u2x, kUbrrMax, wantedBaud,
                               [clock](std::int32_t ubrr) { return clock / (ubrr + 1); });
      o.text = ubrrText(o.reload);
      options.push_back(std::move(o));
    }
  }
  return options;
}

std::optional<std::size_t> bestReload(const std::vector<ReloadOption>& options) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (!best || std::fabs(options[i].errorPercent) < std::fabs(options[*best].errorPercent)) {
      best = i;
    }
  }
  return best;
}

BaudAnswer baudAnswer(std::int16_t cpu_type, float Fosc, std::string_view baudText,
                      bool smod0Selected) {
  BaudAnswer a;
  a.wantedBaud = readNumber(baudText);
  a.smod0Selected = smod0Selected;
  a.window = BPS_TEXT(cpu_type, Fosc, baudText, smod0Selected);
  a.options = nearestReloads(cpu_type, Fosc, a.wantedBaud);
  a.best = bestReload(a.options);
  return a;
}

std::vector<BaudAnswer> baudTable(std::int16_t cpu_type, float Fosc) {
  std::vector<BaudAnswer> rows;
  for (std::string_view baud : kBaudList) {
    rows.push_back(baudAnswer(cpu_type, Fosc, baud, true));
  }
  return rows;
}

namespace {

std::string printed(const char* format, double v) {
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), format, v);
  return buffer.data();
}

}  // namespace

std::string percentText(double percent) {
  // No "-0.00" for a negative zero.
  return printed("%+.2f %%", percent == 0.0 ? 0.0 : percent);
}

std::string twoDecimals(double v) {
  return printed("%.2f", v);
}

std::string shortNumber(double v) {
  return printed("%.15g", v);
}

std::string seedLiteral(std::uint8_t X) {
  // Two digits at least, and a 0 before a leading letter. Appended, not
  // inserted: g++ 12 warns falsely on inserting at -O3.
  const std::string hex = hexText(X);
  std::string literal("#");
  if (hex.size() < 2 || hex[0] >= 'A') {
    literal.push_back('0');
  }
  literal.append(hex);
  literal.push_back('H');
  return literal;
}

Result<std::string> seededTemplate(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                                   std::uint8_t X) {
  return seededTemplateOf(templateOf(cpu_type, loop_type), cpu_type, loop_type, Fosc, X);
}

Result<std::string> seededTemplateOf(std::string_view templ, std::int16_t cpu_type,
                                     std::int16_t loop_type, float Fosc, std::uint8_t X) {
  if (templateOf(cpu_type, loop_type).empty()) {
    return Result<std::string>::success("");
  }
  const Result<std::int32_t> t = delayOf(cpu_type, loop_type, Fosc, X);
  if (!t.ok()) {
    return Result<std::string>::failure(t.error);
  }
  const std::string literal = seedLiteral(X);
  std::string text;
  for (std::size_t at = 0; at < templ.size();) {
    const std::size_t place = seedPlaceAt(templ, at);
    text.append(templ.substr(at, place - at));
    if (place == templ.size()) {
      break;
    }
    text += literal;
    at = place + kSeedPlace.size();
  }
  std::string comment = "; BYT_DLY = " + literal.substr(1) + " (" + std::to_string(X) +
                        "): T = " + integerText(t.value) + " uS at " + singleText(Fosc) + " MHz, " +
                        std::string(coreName(cpu_type)) + ", " +
                        std::string(nestingName(loop_type));
  if (X == 0) {
    comment += " (DJNZ from 0 makes 256 passes: the routine runs longer)";
  }
  // The window's template begins with a line break: its first line is empty.
  if (!text.starts_with(kLineBreak)) {
    comment += kLineBreak;
  }
  text.insert(0, comment);
  return Result<std::string>::success(std::move(text));
}

bool hasSeedPlace(std::string_view text) {
  return seedPlaceAt(text, 0) != text.size();
}

}  // namespace delaysub::core
