#include "calc/chip_args.h"

#include "calc/args.h"

namespace delaysub::calc {

namespace {

std::string chipNames() {
  std::string names;
  for (const mcu::Chip& chip : mcu::chips()) {
    names += (names.empty() ? "" : ", ") + std::string(chip.name);
  }
  return names;
}

codegen::Ratio readOrThrow(const codegen::Reading& r, const std::string& option,
                           const std::string& text, const std::string& form) {
  if (!r.value) {
    throw UsageError{option + ": " + argText(text) + " " + r.problem + "; use " + form};
  }
  return *r.value;
}

}  // namespace

const mcu::Chip& chipOf(const std::string& text) {
  if (const mcu::Chip* chip = mcu::findChip(text)) {
    return *chip;
  }
  throw UsageError{"--chip: " + argText(text) + " is no chip; use " + chipNames()};
}

codegen::Ratio crystalHzOf(const std::string& text) {
  return readOrThrow(codegen::readFrequency(text), "--crystal", text,
                     "a number of MHz with an optional unit MHz, kHz or Hz");
}

codegen::Ratio timeUsOf(const std::string& option, const std::string& text) {
  return readOrThrow(codegen::readTime(text), option, text,
                     "a number with an optional unit us, ms or s");
}

codegen::Ratio rateOf(const std::string& option, const std::string& text) {
  // A plain number: read as a frequency in Hz, so that any unit is refused.
  return readOrThrow(codegen::readFrequency(text + "Hz"), option, text, "a number, e.g. 9600");
}

codegen::Language languageOf(const std::string& text) {
  if (text.empty() || text == "asm") {
    return codegen::Language::Asm;
  }
  if (text == "sdas") {
    return codegen::Language::Sdas;
  }
  if (text == "c") {
    return codegen::Language::C;
  }
  throw UsageError{"--lang: " + argText(text) + " is no language; use asm, sdas or c"};
}

std::optional<std::uint8_t> choiceOf(const std::string& option, const std::string& text,
                                     unsigned largest) {
  if (text.empty()) {
    return std::nullopt;
  }
  if (text.size() == 1 && text[0] >= '0' && static_cast<unsigned>(text[0] - '0') <= largest) {
    return static_cast<std::uint8_t>(text[0] - '0');
  }
  std::string choices;
  for (unsigned i = 0; i <= largest; ++i) {
    choices += (i == 0 ? "" : i == largest ? " or " : ", ") + std::to_string(i);
  }
  throw UsageError{option + ": " + argText(text) + " is none of " + choices};
}

std::optional<std::uint32_t> dividerOf(const std::string& text,
                                       std::span<const std::uint32_t> dividers) {
  if (text.empty()) {
    return std::nullopt;
  }
  std::string choices;
  for (std::size_t i = 0; i < dividers.size(); ++i) {
    if (text == std::to_string(dividers[i])) {
      return dividers[i];
    }
    choices += (i == 0                     ? ""
                : i + 1 == dividers.size() ? " or "
                                           : ", ") +
               std::to_string(dividers[i]);
  }
  throw UsageError{"--clock: " + argText(text) +
                   " is no timer clock; use the divider of Fosc: " + choices};
}

CLI::Option* addChip(CLI::App& sub, std::string& chip) {
  return sub.add_option("--chip", chip, "the chip: see 'delaysub-calc chips'")->type_name("NAME");
}

CLI::Option* addExactCrystal(CLI::App& sub, std::string& crystal) {
  return sub.add_option("--crystal", crystal, "the crystal: MHz, or with a unit MHz, kHz or Hz")
      ->type_name("TEXT");
}

CLI::Option* addLanguage(CLI::App& sub, std::string& language) {
  return sub.add_option("--lang", language, "the code's language: asm (default), sdas or c")
      ->type_name("asm|sdas|c");
}

}  // namespace delaysub::calc
