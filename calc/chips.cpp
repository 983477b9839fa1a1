// chips: the chips that `code` writes delay routines for, with their clocks
// per machine cycle and where that number comes from.
#include <string>

#include "calc/subcommand.h"
#include "mcu/chip.h"

namespace delaysub::calc {

namespace {

constexpr std::size_t kNameColumn = 10;
constexpr std::size_t kClocksColumn = 8;

std::string aliasesText(const mcu::Chip& chip) {
  std::string text;
  for (const std::string_view alias : chip.aliases) {
    text += (text.empty() ? "" : ", ") + std::string(alias);
  }
  return text;
}

// "document; where" and, for a number that is not printed there, how it
// follows.
std::string sourceText(const mcu::Source& s) {
  std::string text = std::string(s.document) + "; " + std::string(s.where);
  if (s.inferred) {
    text += " (inferred: " + std::string(s.note) + ")";
  } else if (!s.note.empty()) {
    text += " (" + std::string(s.note) + ")";
  }
  return text;
}

Json sourceJson(const mcu::Source& s) {
  Json j{{"document", s.document}, {"where", s.where}, {"inferred", s.inferred}};
  if (!s.note.empty()) {
    j["note"] = s.note;
  }
  return j;
}

class Chips : public Subcommand {
 public:
  void declare(CLI::App& sub) override { sub.footer("Exit status: 0 done; 2 a usage error."); }

  int run(Answer& a) override {
    const std::string indent(kNameColumn + kClocksColumn, ' ');
    a.json = Json::array();
    a.text = padRight("name", kNameColumn) + padRight("clocks", kClocksColumn) + "what\n";
    for (const mcu::Chip& chip : mcu::chips()) {
      Json aliases = Json::array();
      for (const std::string_view alias : chip.aliases) {
        aliases.push_back(alias);
      }
      a.json.push_back(Json{{"name", chip.name},
                            {"aliases", std::move(aliases)},
                            {"description", chip.description},
                            {"clocks_per_cycle", chip.clocksPerCycle},
                            {"source", sourceJson(chip.source)}});
      a.text += padRight(chip.name, kNameColumn) +
                padRight(std::to_string(chip.clocksPerCycle), kClocksColumn) +
                std::string(chip.description) + "\n";
      a.text += indent + "aliases: " + aliasesText(chip) + "\n";
      a.text += indent + "source:  " + sourceText(chip.source) + "\n";
    }
    a.text +=
        "\nclocks: oscillator clocks per machine cycle. Give the name or an alias to\n"
        "'delaysub-calc code --chip'; the clocks of each instruction carry their own\n"
        "sources in the chip tables.\n";
    return a.done();
  }
};

}  // namespace

std::unique_ptr<Subcommand> makeChips() {
  return std::make_unique<Chips>();
}

}  // namespace delaysub::calc
