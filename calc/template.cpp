// template: the assembly template of the delay routine, with a seed filled in
// when one is given.
#include <string>

#include "calc/args.h"
#include "calc/subcommand.h"
#include "core/texts.h"
#include "design/template.h"

namespace delaysub::calc {

namespace {

// The crystal of the comment's delay when only the seed is given.
constexpr std::string_view kDefaultCrystal = "12 MHz";

class Template : public Subcommand {
 public:
  void declare(CLI::App& sub) override {
    addCore(sub, core_);
    addLoops(sub, loops_, "nesting depth: 1, 2 or 3")->required();
    seedOption_ =
        sub.add_option("--seed", seed_, "put this seed (0..255) and a comment into the template")
            ->type_name("TEXT");
    crystalOption_ =
        addCrystal(sub, crystal_, "crystal of the comment's delay (default \"12 MHz\")");
    sub.add_flag("--crlf", crlf_, "CR LF line breaks, as the window copies them");
  }

  int run(Answer& a) override {
    const bool seedGiven = seedOption_->count() > 0;
    const bool crystalGiven = crystalOption_->count() > 0;
    const core::Core k = coreOf(core_);
    const core::Nesting nesting = nestingOf(loops_);
    a.describeCore(k);
    a.json["loops"] = core::loopsOf(nesting);
    a.text.clear();
    std::string text(core::templateOf(k, nesting));
    if (seedGiven || crystalGiven) {
      const float Fosc = core::crystalFrequency(crystalGiven ? crystal_ : kDefaultCrystal);
      a.json["crystal_mhz"] = static_cast<double>(Fosc);
      if (seedGiven) {
        const std::uint8_t X = byteSeedOf(seed_);
        a.json["seed"] = X;
        const core::Result<std::string> t = design::seededTemplate(k, nesting, Fosc, X);
        if (!t.ok()) {
          return a.fail(t.error);
        }
        text = t.value;
      }
    }
    text = withLineBreaks(text, crlf_);
    a.json["template"] = text;
    a.text = text + (crlf_ ? "\r\n" : "\n");
    return a.done();
  }

 private:
  std::string core_, loops_, seed_, crystal_;
  bool crlf_ = false;
  const CLI::Option* seedOption_ = nullptr;
  const CLI::Option* crystalOption_ = nullptr;
};

}  // namespace

std::unique_ptr<Subcommand> makeTemplate() {
  return std::make_unique<Template>();
}

}  // namespace delaysub::calc
