// delay: the delay of one seed, as the window shows it.
#include <string>

#include "calc/args.h"
#include "calc/subcommand.h"
#include "core/texts.h"

namespace delaysub::calc {

namespace {

class Delay : public Subcommand {
 public:
  void declare(CLI::App& sub) override {
    addCore(sub, core_);
    addLoops(sub, loops_, "nesting depth: 1, 2 or 3")->required();
    addCrystal(sub, crystal_, "crystal in MHz, e.g. \"12 MHz\"")->required();
    sub.add_option("--seed", seed_, "the seed X, e.g. 100 or &H64")->type_name("TEXT")->required();
    sub.add_option("--unit", unit_, "unit of the delay text: us (default) or ms")
        ->type_name("us|ms");
  }

  int run(Answer& a) override {
    const core::Core k = coreOf(core_);
    const core::Nesting nesting = nestingOf(loops_);
    const core::DelayUnit unit = unitOf(unit_);
    const float Fosc = core::crystalFrequency(crystal_);
    a.describeCore(k);
    a.json["loops"] = core::loopsOf(nesting);
    a.describeCrystal(Fosc);
    a.text += labelled("nesting", core::nestingName(nesting));

    const core::SeedDelay d = core::delayOfSeedText(k, nesting, Fosc, seed_);
    if (d.X) {
      a.json["seed"] = *d.X;
      a.json["seed_hex"] = d.seedHex;
    }
    if (d.error != core::RunError::None) {
      return a.fail(d.error);
    }
    const std::string delayText = core::delayText(d.T, unit);
    const std::string_view caption = core::unitCaption(unit);
    const std::string formula = withLineBreaks(core::formulaOf(k, nesting), false);
    a.json["delay_us"] = d.T;
    a.json["unit"] = caption;
    a.json["delay_text"] = delayText;
    a.json["formula"] = formula;
    a.text += labelled("seed", std::to_string(*d.X) + " (hex " + d.seedHex + ")");
    a.text += labelled("delay", delayText + " " + std::string(caption));
    a.text += labelled("formula", formula);
    a.noteDelaysOf(k);
    return a.done();
  }

 private:
  std::string core_, loops_, crystal_, seed_, unit_;
};

}  // namespace

std::unique_ptr<Subcommand> makeDelay() {
  return std::make_unique<Delay>();
}

}  // namespace delaysub::calc
