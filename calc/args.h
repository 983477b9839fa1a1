// Reading delaysub-calc's arguments: the values of the options, each checked
// once, and the usage error that names the option.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/display.h"
#include "core/domain.h"

namespace delaysub::calc {

// A usage error: the message names the option, the command tells which help.
struct UsageError {
  std::string message;
};

// Argument bytes in a message: quoted, one line, no control characters, not
// too long.
std::string argText(std::string_view text);
// A message on one line: line breaks become blanks, control characters "?".
std::string oneLine(std::string_view text);

// The option values; each throws a UsageError naming its option.
core::Core coreOf(const std::string& text);        // --core mcs51, avr, w77e58
core::Nesting nestingOf(const std::string& text);  // --loops 1, 2, 3
core::DelayUnit unitOf(const std::string& text);   // --unit us (or none), ms
bool smod0Of(const std::string& text);             // --smod 0 (or none), 1
double targetOf(const std::string& text);          // --time, in microseconds
// --seed of the template: the one-byte seed, read as the window reads the
// seed box.
std::uint8_t byteSeedOf(const std::string& text);

// The options that several subcommands share.
CLI::Option* addCore(CLI::App& sub, std::string& core);
CLI::Option* addCrystal(CLI::App& sub, std::string& crystal, const char* what);
CLI::Option* addLoops(CLI::App& sub, std::string& loops, const char* what);

}  // namespace delaysub::calc
