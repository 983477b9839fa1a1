#include "calc/args.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "calc/calc.h"
#include "core/numbers.h"

namespace delaysub::calc {

std::string argText(std::string_view text) {
  constexpr std::size_t kLongest = 40;
  // Cut at a character's start, so that a long UTF-8 text shows whole
  // characters only.
  std::size_t cut = std::min(text.size(), kLongest);
  while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  std::string shown;
  for (char c : text.substr(0, cut)) {
    const auto u = static_cast<unsigned char>(c);
    shown += (u < 0x20 || u == 0x7F) ? '?' : c;
  }
  if (text.size() > kLongest) {
    shown += "...";
  }
  return "'" + shown + "'";
}

std::string oneLine(std::string_view text) {
  std::string line;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n' || c == '\r') {
      if (!line.empty() && line.back() != ' ') {
        line += ' ';
      }
    } else {
      line += (u < 0x20 || u == 0x7F) ? '?' : c;
    }
  }
  while (!line.empty() && line.back() == ' ') {
    line.pop_back();
  }
  return line;
}

core::Core coreOf(const std::string& text) {
  for (const core::CoreInfo& c : core::kCores) {
    if (text == c.key) {
      return c.core;
    }
  }
  throw UsageError{"--core: " + argText(text) + " is no core; use mcs51, avr or w77e58"};
}

core::Nesting nestingOf(const std::string& text) {
  for (const core::NestingInfo& n : core::kNestings) {
    if (text == std::to_string(n.loops)) {
      return n.nesting;
    }
  }
  throw UsageError{"--loops: " + argText(text) + " is no nesting depth; use 1, 2 or 3"};
}

core::DelayUnit unitOf(const std::string& text) {
  if (text.empty() || text == "us") {
    return core::DelayUnit::Microseconds;
  }
  if (text == "ms") {
    return core::DelayUnit::Milliseconds;
  }
  throw UsageError{"--unit: " + argText(text) + " is no unit; use us or ms"};
}

bool smod0Of(const std::string& text) {
  if (text.empty() || text == "0") {
    return true;
  }
  if (text == "1") {
    return false;
  }
  throw UsageError{"--smod: " + argText(text) + " is no SMOD bit; use 0 or 1"};
}

double targetOf(const std::string& text) {
  const std::optional<double> t = readTime(text);
  if (!t) {
    throw UsageError{"--time: " + argText(text) +
                     " is no time; use a number with an optional unit us, ms or s"};
  }
  if (!(*t > 0.0)) {
    throw UsageError{"--time: " + argText(text) + " is not above 0"};
  }
  return *t;
}

std::uint8_t byteSeedOf(const std::string& text) {
  const core::Result<std::uint8_t> X = core::toByte(core::readNumber(text));
  if (!X.ok()) {
    throw UsageError{"--seed: " + argText(text) +
                     " is outside 0..255, the values of the one-byte BYT_DLY"};
  }
  return X.value;
}

CLI::Option* addCore(CLI::App& sub, std::string& core) {
  return sub.add_option("--core", core, "the core: mcs51, avr or w77e58")
      ->type_name("C")
      ->required();
}

CLI::Option* addCrystal(CLI::App& sub, std::string& crystal, const char* what) {
  return sub.add_option("--crystal", crystal, what)->type_name("TEXT");
}

CLI::Option* addLoops(CLI::App& sub, std::string& loops, const char* what) {
  return sub.add_option("--loops", loops, what)->type_name("N");
}

std::optional<double> readTime(std::string_view text) {
  auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
  while (!text.empty() && blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && blank(text.back())) {
    text.remove_suffix(1);
  }
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
  }
  // Digits and a point first: from_chars alone would also take "inf" and "nan".
  if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.' || text[0] == '-')) {
    return std::nullopt;
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc()) {
    return std::nullopt;
  }
  std::string_view unit = text.substr(static_cast<std::size_t>(end - text.data()));
  while (!unit.empty() && blank(unit.front())) {
    unit.remove_prefix(1);
  }
  double scale = 1.0;
  if (unit == "ms") {
    scale = 1e3;
  } else if (unit == "s") {
    scale = 1e6;
  } else if (!unit.empty() && unit != "us") {
    return std::nullopt;
  }
  const double us = value * scale;
  if (!std::isfinite(us)) {
    return std::nullopt;
  }
  return us;
}

}  // namespace delaysub::calc
