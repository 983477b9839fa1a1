// timer: every timer, mode and clock of a chip that makes a wanted period,
// the best of them, and its set-up and interrupt code.
#include <string>

#include "calc/args.h"
#include "calc/chip_args.h"
#include "calc/code_output.h"
#include "calc/subcommand.h"
#include "codegen/timer_answer.h"

namespace delaysub::calc {

namespace {

using namespace codegen;

Json optionJson(const TimerOption& o) {
  return Json{{"timer", o.timer->number},
              {"mode", o.mode->mode},
              {"clock_divider", o.clock->divider},
              {"count", o.count.count},
              {"reload", o.count.reload},
              {"registers", registersJson(o.registers)},
              {"actual_us", toDouble(o.count.actualUs)},
              {"error_us", signedDouble(o.count.errorUs)},
              {"error_percent", signedDouble(o.count.errorPercent)},
              {"fits", o.count.fits},
              {"auto_reload", o.mode->autoReload}};
}

// One row of the table: the choice, its count, period and error, whether it
// reloads itself, the register bytes.
std::string optionLine(const TimerOption& o, bool best) {
  std::string line = padRight(std::to_string(o.timer->number), 6) +
                     padRight(std::to_string(o.mode->mode), 5) +
                     padRight(clockText(o.clock->divider), 9);
  if (!o.count.fits) {
    return line + "out of reach: " +
           (o.count.count == 1 ? std::string("below one count")
                               : std::to_string(o.count.count) + " counts at most");
  }
  line += padLeft(std::to_string(o.count.count), 6) +
          padLeft(fixedText(o.count.actualUs, 3) + " us", 16) +
          padLeft(fixedText(o.count.errorPercent, 2) + " %", 10) + "  " +
          padRight(o.mode->autoReload ? "yes" : "no", 6) + registersText(o.registers);
  if (!o.timer->onlyOn.empty()) {
    line += " (8052-class parts)";
  }
  return line + (best ? "  best" : "");
}

class Timer : public Subcommand {
 public:
  void declare(CLI::App& sub) override {
    addChip(sub, chip_)->required();
    addExactCrystal(sub, crystal_)->required();
    sub.add_option("--period", period_, "the period: us (default), ms or s")
        ->type_name("TIME")
        ->required();
    sub.add_option("--timer", timer_, "only this timer")->type_name("0|1|2");
    sub.add_option("--mode", mode_, "only this mode")->type_name("0|1|2");
    sub.add_option("--clock", clock_, "only this timer clock, as the divider of Fosc")
        ->type_name("12|6|4|1");
    addLanguage(sub, lang_);
    sub.footer(
        "Exit status: 0 done; 1 no choice reaches the period (the choices are still listed),\n"
        "or no timer data for the chip; 2 a usage error, also a filter that leaves no choice.");
  }

  int run(Answer& a) override {
    TimerRequest r;
    r.chip = &chipOf(chip_);
    r.crystalHz = crystalHzOf(crystal_);
    r.periodUs = timeUsOf("--period", period_);
    r.filter = {choiceOf("--timer", timer_, 2), choiceOf("--mode", mode_, 2),
                dividerOf(clock_, kTimerDividers)};
    r.language = languageOf(lang_);
    const auto outcome = makeTimer(r);
    describeChip(a, *r.chip, r.crystalHz);
    a.json["period_us"] = toDouble(r.periodUs);
    a.text += labelled("period", periodText(r.periodUs));
    if (const auto* e = std::get_if<TimerError>(&outcome)) {
      return failure(a, *e, [&] { listOptions(a, planOf(r), std::nullopt); });
    }
    const TimerAnswer& t = std::get<TimerAnswer>(outcome);
    listOptions(a, t.plan, t.best);
    if (t.isrReload) {
      a.json["isr_reload"] = t.isrReload->reload;
      a.json["isr_note"] = t.isrReload->note;
    }
    return withCode(a, r.language, t.code);
  }

 private:
  static TimerPlan planOf(const TimerRequest& r) {
    const mcu::TimerSet* set = mcu::timersOf(*r.chip);
    return set != nullptr ? planTimer(*set, r.crystalHz, r.periodUs, r.filter) : TimerPlan{};
  }

  static void listOptions(Answer& a, const TimerPlan& plan, std::optional<std::size_t> best) {
    listChoices(a, "timer mode clock     count          actual     error  auto  registers",
                plan.options, best, optionLine, optionJson);
  }

  std::string chip_, crystal_, period_, timer_, mode_, clock_, lang_;
};

}  // namespace

std::unique_ptr<Subcommand> makeTimer() {
  return std::make_unique<Timer>();
}

}  // namespace delaysub::calc
