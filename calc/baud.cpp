// baud: the reload value for a baud rate, and the nearest ones.
#include <string>

#include "calc/args.h"
#include "calc/reload_output.h"
#include "calc/subcommand.h"
#include "design/texts.h"

namespace delaysub::calc {

namespace {

std::string withinLine(core::Core core, const design::BaudAnswer& a) {
  std::string names;
  for (const design::ReloadOption& o : a.options) {
    if (o.withinTolerance) {
      names += (names.empty() ? "" : ", ") + doublerName(core, o.doubler);
    }
  }
  return labelled("within", design::toleranceText(design::kBaudTolerancePercent) + ": " +
                                (names.empty() ? std::string("none") : names));
}

class Baud : public Subcommand {
 public:
  void declare(CLI::App& sub) override {
    addCore(sub, core_);
    addCrystal(sub, crystal_, "crystal in MHz")->required();
    sub.add_option("--baud", baud_, "the baud rate, e.g. 9600")->type_name("TEXT")->required();
    sub.add_option("--smod", smod_, "the SMOD bit of the window's result: 0 (default) or 1")
        ->type_name("0|1");
  }

  int run(Answer& a) override {
    const core::Core k = coreOf(core_);
    const bool smod0 = smod0Of(smod_);
    const float Fosc = core::crystalFrequency(crystal_);
    a.describeCore(k);
    a.describeCrystal(Fosc);
    const design::BaudAnswer answer = design::baudAnswer(k, Fosc, baud_, smod0);
    if (!answer.window.ok()) {
      a.json["baud"] = answer.wantedBaud;
      return a.fail(answer.window.error);
    }
    a.json.update(baudJson(k, answer));
    a.text += labelled("baud", design::shortNumber(answer.wantedBaud));
    std::string window = answer.window.value;
    if (!core::isAvr(k)) {
      window += std::string(" (SMOD ") + (smod0 ? "0" : "1") + ")";
    }
    a.text += labelled("window", window);
    for (std::size_t i = 0; i < answer.options.size(); ++i) {
      a.text += optionLine(k, answer.options[i]) + (answer.best == i ? "  best" : "") + "\n";
    }
    if (answer.options.empty()) {
      a.text += labelled("nearest", answer.wantedBaud > 0.0 ? "none: the crystal is not above 0"
                                                            : "none: the baud rate is not above 0");
    } else {
      a.text += withinLine(k, answer);
    }
    return a.done();
  }

 private:
  std::string core_, crystal_, baud_, smod_;
};

}  // namespace

std::unique_ptr<Subcommand> makeBaud() {
  return std::make_unique<Baud>();
}

}  // namespace delaysub::calc
