#include "fuzz/form_invariants.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/baud.h"
#include "core/delay.h"
#include "core/numbers.h"
#include "core/texts.h"
#include "fuzz/fuzz_check.h"
#include "window/layout.h"

namespace delaysub::fuzz {

namespace {

using window::DelaySubForm;
using window::RunError;

// Where a check failed: the rest of the checks do not run.
struct Broken {
  const char* file;
  int line;
};

void check(bool holds, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  if (!holds) {
    throw Broken{file, line};
  }
}

bool sameFloat(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// "不可实现", "TH1 = 0<hex>H" or "UBRR = <hex>H".
bool isBaudResult(std::string_view t) {
  if (t == core::kNotAchievable) {
    return true;
  }
  for (std::string_view prefix : {core::kTh1Prefix, core::kUbrrPrefix}) {
    if (t.size() > prefix.size() + 1 && t.substr(0, prefix.size()) == prefix && t.back() == 'H' &&
        isUpperHex(t.substr(prefix.size(), t.size() - prefix.size() - 1))) {
      return true;
    }
  }
  return false;
}

std::string delayText(std::int32_t T, std::string_view unit) {
  return unit == "uS" ? core::integerText(T) : core::decimalText(T / 1000.0);
}

void checkErrorReport(const DelaySubForm& form, const EventWatch& watch) {
  const std::string& report = form.errorReport();
  check(watch.lastErrors().empty() == report.empty());
  for (RunError e : watch.lastErrors()) {
    check(e == RunError::Overflow || e == RunError::DivisionByZero);
    const std::string piece = "运行时错误 " + std::to_string(core::errorNumber(e)) + "：" +
                              std::string(core::errorMeaningZh(e));
    check(report.find(piece) != std::string::npos);
  }
}

void checkInvariants(DelaySubForm& form, const EventWatch& watch) {
  const window::WindowState& s = form.windowState();
  const window::RunCounts& ran = watch;
  const window::RunCounts& before = watch.before();
  check(form.events.depth() == 0);
  check(form.events.deepest() <= kMaxDepth);
  if (watch.finished()) {
    checkErrorReport(form, watch);
  }

  // The option buttons, the formula and what follows the core.
  check(s.cpu_type == form.Option0.selected());
  check(s.loop_type == form.Option2.selected());
  check(s.cpu_type >= 0 && s.cpu_type <= 2 && s.loop_type >= 0 && s.loop_type <= 2);
  using TextOfCore = std::string_view (*)(const std::int16_t&);
  constexpr TextOfCore kFormulas[] = {core::FORM1, core::FORM2, core::FORM3};
  check(form.Text1(3).text() == kFormulas[s.loop_type](s.cpu_type));
  check(form.frame(4).visible() == (s.cpu_type != 1));
  check(form.Label2(2).caption() == (s.cpu_type == 1 ? window::kUbrrCaption : window::kTh1Caption));

  // The shown crystal is the stored one.
  const float Fosc = core::singleRound(core::readNumber(form.Combo0.text()));
  check(sameFloat(s.Fosc, Fosc));

  // The delay box shows the stored T in the unit that Label1(6) names, and
  // the hex label shows X.
  const std::string& unit = form.Label1(6).caption();
  check(unit == "uS" || unit == "mS");
  check(form.Text1(0).text() == delayText(s.T, unit));
  check(form.Label1(9).caption() == core::hexText(s.X));

  // Every change of the seed, crystal, core or nesting reruns Text1_Change,
  // so X and T are what the shown inputs give whenever that run succeeds.
  const bool delayRan = ran.Text1_Change != before.Text1_Change;
  const core::Result<std::int32_t> X = core::roundToInt32(core::readNumber(form.Text1(1).text()));
  RunError delayError = X.error;
  if (X.ok()) {
    check(s.X == X.value);
    const core::Result<double> time = s.cpu_type == 2 ? core::W77E_T(X.value, s.loop_type, Fosc)
                                                      : core::CALC_T(X.value, s.loop_type, Fosc);
    delayError = time.error;
    if (time.ok()) {
      const core::Result<std::int32_t> T = core::roundToInt32(time.value);
      delayError = T.error;
      if (T.ok()) {
        check(s.T == T.value);
      }
    }
  }
  if (delayRan && watch.finished()) {
    // A failing run is reported, a successful one is not.
    check(delayError == RunError::None || watch.reported(delayError));
  }

  // Likewise the baud box follows the shown crystal, baud text, SMOD and core,
  // unless the user typed into it since the last result.
  const auto baud =
      core::BPS_TEXT(s.cpu_type, Fosc, form.Combo1.text(), form.Option1.isSelected(0));
  check(watch.baudBoxEdited() || isBaudResult(form.Text2.text()));
  if (baud.ok() && !watch.baudBoxEdited()) {
    check(baud.value.has_value() && form.Text2.text() == *baud.value);
    const bool avr = form.Text2.text().rfind(core::kUbrrPrefix, 0) == 0;
    check(form.Text2.text() == core::kNotAchievable || avr == (s.cpu_type == 1));
  } else if (ran.BPS != before.BPS && watch.finished()) {
    check(watch.reported(baud.error));
  }
  if (watch.finished() && watch.clean()) {
    check(!delayRan || delayError == RunError::None);
    check(ran.BPS == before.BPS || baud.ok());
  }
}

}  // namespace

void EventWatch::startStep(window::DelaySubForm& form) {
  before_ = *this;
  baudBoxBefore_ = form.Text2.text();
  finished_ = false;
  last_.clear();
  all_.clear();
  form.events.resetDeepest();
}

bool EventWatch::reported(window::RunError error) const {
  return std::find(all_.begin(), all_.end(), error) != all_.end();
}

void EventWatch::eventFinished(const std::vector<window::RunError>& errors) {
  finished_ = true;
  last_ = errors;
  all_.insert(all_.end(), errors.begin(), errors.end());
}

std::string brokenInvariant(window::DelaySubForm& form, EventWatch& watch) {
  // A result written in this step replaces what the user typed; a change
  // without one is the user's.
  const window::WindowState& s = form.windowState();
  const bool wrote =
      watch.BPS != watch.before().BPS &&
      core::BPS_TEXT(s.cpu_type, s.Fosc, form.Combo1.text(), form.Option1.isSelected(0)).ok();
  if (wrote) {
    watch.baudBoxEdited_ = false;
  } else if (form.Text2.text() != watch.baudBoxBefore_) {
    watch.baudBoxEdited_ = true;
  }
  try {
    checkInvariants(form, watch);
  } catch (const Broken& broken) {
    return std::string(broken.file) + ":" + std::to_string(broken.line);
  }
  return {};
}

}  // namespace delaysub::fuzz
