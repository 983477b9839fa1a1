// table: the nearest reload values for every baud rate of the window's list.
#include <string>
#include <vector>

#include "calc/args.h"
#include "calc/reload_output.h"
#include "calc/subcommand.h"
#include "design/texts.h"

namespace delaysub::calc {

namespace {

std::string header() {
  return "\n" + padLeft("baud", 6) + "  " + padRight("window", 12) + padRight("nearest", 21) +
         padLeft("actual", 10) + std::string(7, ' ') + padLeft("error", 9) + "  within " +
         design::shortNumber(design::kBaudTolerancePercent) + " %\n";
}

class Table : public Subcommand {
 public:
  void declare(CLI::App& sub) override {
    addCore(sub, core_);
    addCrystal(sub, crystal_, "crystal in MHz")->required();
  }

  int run(Answer& a) override {
    const core::Core k = coreOf(core_);
    const float Fosc = core::crystalFrequency(crystal_);
    a.describeCore(k);
    a.describeCrystal(Fosc);
    const std::vector<design::BaudAnswer> rows = design::baudTable(k, Fosc);
    Json list = Json::array();
    a.text += header();
    for (const design::BaudAnswer& row : rows) {
      if (!row.window.ok()) {
        return a.fail(row.window.error);
      }
      list.push_back(baudJson(k, row));
      a.text +=
          padLeft(design::shortNumber(row.wantedBaud), 6) + "  " + padRight(row.window.value, 12);
      if (row.best) {
        const design::ReloadOption& b = row.options[*row.best];
        a.text += optionLine(k, b) + "  " + (b.withinTolerance ? "yes" : "no");
      }
      a.text += "\n";
    }
    a.json["rows"] = std::move(list);
    return a.done();
  }

 private:
  std::string core_, crystal_;
};

}  // namespace

std::unique_ptr<Subcommand> makeTable() {
  return std::make_unique<Table>();
}

}  // namespace delaysub::calc
