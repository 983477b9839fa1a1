#include <array>

#include "calc/subcommand.h"

namespace delaysub::calc {

// The subcommands, in the order of the program's help. To add one ("chips",
// "timer", ...):
//   1. write calc/<name>.cpp with a class derived from Subcommand (declare()
//      adds its options, run() writes its answer through Answer) and its
//      maker, std::unique_ptr<Subcommand> make<Name>();
//   2. declare the maker in subcommand.h;
//   3. add a row here and the file to delaysub_calc in calc/CMakeLists.txt;
//   4. describe it in delaysub-calc.1 and test it in tests/calc_test.cpp.
// The parser, --json, --help, the required options, the usage errors and the
// exit statuses come with the row.
constexpr std::array kSubcommands = {
    SubcommandEntry{"delay", "the delay of one seed, as the window shows it", &makeDelay},
    SubcommandEntry{"seed", "the seed and nesting nearest a wanted delay", &makeSeed},
    SubcommandEntry{"code", "a delay routine for a chip, exact to the clock, in asm or C",
                    &makeCode},
    SubcommandEntry{"chips", "the chips that code writes routines for", &makeChips},
    SubcommandEntry{"baud", "the reload value for a baud rate, and the nearest ones", &makeBaud},
    SubcommandEntry{"table", "the nearest reload values for every baud rate of the list",
                    &makeTable},
    SubcommandEntry{"template", "the assembly template of the delay routine", &makeTemplate},
};

std::span<const SubcommandEntry> subcommands() {
  return kSubcommands;
}

}  // namespace delaysub::calc
