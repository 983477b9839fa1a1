// A subcommand of delaysub-calc: the options it declares and what it runs.
// Every subcommand lives in a file of its own and is registered in the one
// table of subcommands.cpp.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <span>
#include <string_view>

#include "calc/output.h"

namespace delaysub::calc {

class Subcommand {
 public:
  virtual ~Subcommand() = default;
  // Adds the options to the subcommand's parser, bound to the subcommand's
  // own fields. Options marked required() are checked after parsing.
  virtual void declare(CLI::App& sub) = 0;
  // Runs with the options parsed: writes the answer, returns the exit status.
  // Throws UsageError for an option value out of its range.
  virtual int run(Answer& answer) = 0;
};

struct SubcommandEntry {
  std::string_view name;
  std::string_view description;  // one line for the program's help
  std::unique_ptr<Subcommand> (*make)();
};

// Every subcommand, in the order of the program's help.
std::span<const SubcommandEntry> subcommands();

// The makers, one in each subcommand's file.
std::unique_ptr<Subcommand> makeDelay();
std::unique_ptr<Subcommand> makeSeed();
std::unique_ptr<Subcommand> makeCode();
std::unique_ptr<Subcommand> makeChips();
std::unique_ptr<Subcommand> makeBaud();
std::unique_ptr<Subcommand> makeTable();
std::unique_ptr<Subcommand> makeTemplate();

}  // namespace delaysub::calc
