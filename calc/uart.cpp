// uart: every way a chip's serial port makes a wanted baud rate, the best of
// them, and its set-up and send code.
#include <string>

#include "calc/args.h"
#include "calc/chip_args.h"
#include "calc/code_output.h"
#include "calc/subcommand.h"
#include "codegen/timer_answer.h"

namespace delaysub::calc {

namespace {

using namespace codegen;

Json optionJson(const UartOption& o) {
  return Json{{"timer", o.source->timer},
              {"mode", o.source->mode},
              {"clock_divider", o.clock->divider},
              {"smod", o.source->smod ? Json(*o.source->smod) : Json(nullptr)},
              {"reload", o.count.reload},
              {"registers", registersJson(o.registers)},
              {"actual_baud", toDouble(o.count.actualBaud)},
              {"error_percent", signedDouble(o.count.errorPercent)},
              {"within_2_percent", o.count.within2Percent},
              {"within_1_percent", o.count.within1Percent}};
}

// One row of the table: the choice, its rate and error, within 1 or 2 %,
// the register bytes.
std::string optionLine(const UartOption& o, bool best) {
  const std::string smod = o.source->smod ? std::to_string(*o.source->smod) : "-";
  std::string line = padRight(std::to_string(o.source->timer), 6) +
                     padRight(std::to_string(o.source->mode), 5) +
                     padRight(clockText(o.clock->divider), 9) + padRight(smod, 5);
  if (!o.count.fits) {
    return line + "out of reach";
  }
  const char* within = o.count.within1Percent ? "1 %" : (o.count.within2Percent ? "2 %" : "no");
  line += padLeft(fixedText(o.count.actualBaud, 2) + " baud", 16) +
          padLeft(fixedText(o.count.errorPercent, 2) + " %", 10) + "  " + padRight(within, 7) +
          registersText(o.registers);
  if (!o.source->onlyOn.empty()) {
    line += " (8052-class parts)";
  }
  return line + (best ? "  best" : "");
}

class Uart : public Subcommand {
 public:
  void declare(CLI::App& sub) override {
    addChip(sub, chip_)->required();
    addExactCrystal(sub, crystal_)->required();
    sub.add_option("--baud", baud_, "the baud rate, e.g. 9600")->type_name("RATE")->required();
    sub.add_option("--timer", timer_, "only the baud rates of this timer")->type_name("1|2");
    sub.add_option("--mode", mode_, "only the baud rates of the timer in this mode")
        ->type_name("0|1|2");
    sub.add_option("--smod", smod_, "only the baud rates with PCON's SMOD at this value")
        ->type_name("0|1");
    sub.add_option("--clock", clock_, "only this timer clock, as the divider of Fosc")
        ->type_name("12|6|4|2|1");
    addLanguage(sub, lang_);
    sub.footer(
        "The filters keep only the ways that match them all: --timer 1 --mode 2 --smod 1\n"
        "--clock 12 is one row of the table, and its code.\n"
        "Exit status: 0 done; 1 no way within 2 % of the rate (the ways are still listed),\n"
        "or no timer data for the chip; 2 a usage error, also a filter that leaves no way.");
  }

  int run(Answer& a) override {
    UartRequest r;
    r.chip = &chipOf(chip_);
    r.crystalHz = crystalHzOf(crystal_);
    r.baud = rateOf("--baud", baud_);
    r.filter = {choiceOf("--timer", timer_, 2), choiceOf("--mode", mode_, 2),
                choiceOf("--smod", smod_, 1), dividerOf(clock_, kBaudDividers)};
    r.language = languageOf(lang_);
    const auto outcome = makeUart(r);
    describeChip(a, *r.chip, r.crystalHz);
    a.json["baud"] = toDouble(r.baud);
    a.text += labelled("baud", decimalText(r.baud, 2));
    if (const auto* e = std::get_if<TimerError>(&outcome)) {
      return failure(a, *e, [&] { listOptions(a, planOf(r), std::nullopt); });
    }
    const UartAnswer& u = std::get<UartAnswer>(outcome);
    listOptions(a, u.plan, u.best);
    return withCode(a, r.language, u.code);
  }

 private:
  static UartPlan planOf(const UartRequest& r) {
    const mcu::TimerSet* set = mcu::timersOf(*r.chip);
    return set != nullptr ? planUart(*set, r.crystalHz, r.baud, r.filter) : UartPlan{};
  }

  static void listOptions(Answer& a, const UartPlan& plan, std::optional<std::size_t> best) {
    listChoices(a, "timer mode clock    SMOD          actual     error  within registers",
                plan.options, best, optionLine, optionJson);
  }

  std::string chip_, crystal_, baud_, timer_, mode_, smod_, clock_, lang_;
};

}  // namespace

std::unique_ptr<Subcommand> makeUart() {
  return std::make_unique<Uart>();
}

}  // namespace delaysub::calc
