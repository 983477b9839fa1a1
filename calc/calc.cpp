#include "calc/calc.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "calc/args.h"
#include "calc/output.h"
#include "calc/subcommand.h"

#ifndef DELAYSUB_VERSION
#define DELAYSUB_VERSION "0"
#endif

namespace delaysub::calc {

namespace {

constexpr std::string_view kFooter =
    "Crystal, seed and baud texts are read as the calculator window reads its boxes:\n"
    "\"11.0592MHz\", \"&H64\" and \"9600 bps\" all work, a text without a number reads 0.\n"
    "Exit status: 0 done; 1 a run-time error of the calculation (\"error 6: overflow\",\n"
    "\"error 11: division by zero\") or no nesting depth reaches the time (code: no\n"
    "routine of the chip); 2 a usage error.";

// The parsers of the program and of each subcommand, with what each runs.
struct Parsed {
  bool json = false;
  std::vector<std::pair<CLI::App*, std::unique_ptr<Subcommand>>> commands;
  std::vector<std::pair<const CLI::App*, const CLI::Option*>> required;  // checked after parsing
};

// The options, --json and --help of one subcommand. Missing options are
// checked after parsing, so that an unknown option is the one named when both
// are wrong.
void finish(CLI::App& sub, Parsed& parsed) {
  for (CLI::Option* option : sub.get_options()) {
    if (option->get_required()) {
      option->required(false);
      option->description(option->get_description() + " (required)");
      parsed.required.emplace_back(&sub, option);
    }
  }
  sub.add_flag("--json", parsed.json, "print one JSON object");
  sub.set_help_flag("-h,--help", "print this help and exit");
  if (sub.get_footer().empty()) {  // a subcommand may say its own
    sub.footer(std::string(kFooter));
  }
}

void build(CLI::App& app, Parsed& parsed) {
  app.description(
      "Delay subroutines and baud-rate reload values for 8051-family and AVR "
      "microcontrollers, as the DelaySUB window computes them.");
  app.footer(std::string(kFooter));
  app.set_version_flag("--version", std::string(kProgram) + " " + DELAYSUB_VERSION,
                       "print the version and exit");
  app.set_help_flag("-h,--help", "print this help and exit");
  app.require_subcommand(1);
  for (const SubcommandEntry& entry : subcommands()) {
    CLI::App* sub = app.add_subcommand(std::string(entry.name), std::string(entry.description));
    std::unique_ptr<Subcommand> command = entry.make();
    command->declare(*sub);
    finish(*sub, parsed);
    parsed.commands.emplace_back(sub, std::move(command));
  }
}

// "a command is needed: delay, seed, baud, table or template".
std::string commandNeeded() {
  std::string names;
  const auto all = subcommands();
  for (std::size_t i = 0; i < all.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == all.size() ? " or " : ", ") + std::string(all[i].name);
  }
  return "a command is needed: " + names;
}

std::string helpHint(const CLI::App& app) {
  std::string command;
  for (const CLI::App* sub : app.get_subcommands()) {
    command = " " + sub->get_name();
  }
  return "; see '" + std::string(kProgram) + command + " --help'";
}

bool isCommand(const std::string& name) {
  for (const SubcommandEntry& entry : subcommands()) {
    if (entry.name == name) {
      return true;
    }
  }
  return false;
}

int usage(std::ostream& err, const std::string& message, const std::string& hint) {
  err << kProgram << ": " << oneLine(message) << hint << "\n";
  return kExitUsage;
}

// Parses the arguments; the exit status when that ends the run (help,
// version, a usage error), nothing when a subcommand is to run.
std::optional<int> parse(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
  const std::string mainHint = "; see '" + std::string(kProgram) + " --help'";
  if (args.empty()) {
    return usage(err, commandNeeded(), mainHint);
  }
  if (!args[0].starts_with("-") && !isCommand(args[0])) {
    return usage(err, "unknown command " + argText(args[0]), mainHint);
  }
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << "\n";
    return kExitOk;
  } catch (const CLI::RequiredError& e) {
    if (app.get_subcommands().empty()) {
      return usage(err, commandNeeded(), mainHint);
    }
    return usage(err, e.what(), helpHint(app));
  } catch (const CLI::ParseError& e) {
    return usage(err, e.what(), helpHint(app));
  }
  return std::nullopt;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Parsed parsed;
  CLI::App app{"", std::string(kProgram)};
  build(app, parsed);
  if (const std::optional<int> status = parse(app, args, out, err)) {
    return *status;
  }
  Answer answer(out, err, parsed.json);
  try {
    for (const auto& [sub, option] : parsed.required) {
      if (sub->parsed() && option->count() == 0) {
        throw UsageError{option->get_name() + " is required"};
      }
    }
    for (const auto& [sub, command] : parsed.commands) {
      if (sub->parsed()) {
        return command->run(answer);
      }
    }
    return usage(err, commandNeeded(), helpHint(app));
  } catch (const UsageError& e) {
    return usage(err, e.message, helpHint(app));
  }
}

}  // namespace

int runCalc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    return run(args, out, err);
  } catch (const std::exception& e) {
    err << kProgram << ": " << oneLine(e.what()) << "\n";
  } catch (...) {
    err << kProgram << ": unexpected failure\n";
  }
  return kExitFailed;
}

}  // namespace delaysub::calc
