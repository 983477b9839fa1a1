// The arguments of the commands that write code for a chip: the chip, the
// crystal and times read exactly, the language, and the timer choices.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "codegen/exact.h"
#include "codegen/writers.h"
#include "mcu/chip.h"

namespace delaysub::calc {

// Each throws a UsageError naming its option.
const mcu::Chip& chipOf(const std::string& text);     // --chip: a name or alias
codegen::Ratio crystalHzOf(const std::string& text);  // --crystal: MHz, kHz or Hz
codegen::Ratio timeUsOf(const std::string& option, const std::string& text);  // us, ms, s
codegen::Ratio rateOf(const std::string& option, const std::string& text);    // a positive number
codegen::Language languageOf(const std::string& text);  // --lang: asm (or none), sdas, c
// A small whole number of the choices ("0|1|2"), or nothing for "".
std::optional<std::uint8_t> choiceOf(const std::string& option, const std::string& text,
                                     unsigned largest);
// The dividers of Fosc a timer counts (12, 6, 4, 1) and a baud rate
// generator besides (2: the 8052's timer 2).
inline constexpr std::uint32_t kTimerDividers[] = {12, 6, 4, 1};
inline constexpr std::uint32_t kBaudDividers[] = {12, 6, 4, 2, 1};
// --clock: one of the dividers, or nothing for "".
std::optional<std::uint32_t> dividerOf(const std::string& text,
                                       std::span<const std::uint32_t> dividers);

CLI::Option* addChip(CLI::App& sub, std::string& chip);
CLI::Option* addExactCrystal(CLI::App& sub, std::string& crystal);
CLI::Option* addLanguage(CLI::App& sub, std::string& language);

}  // namespace delaysub::calc
