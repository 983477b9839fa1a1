// Fuzz target for the window's controls layer: a loaded and shown window
// (no display) receives a random sequence of user events, and after every
// event the window must still hold together.
//
// Input: one event per line, "<op><target><argument>". In the argument \n, \r,
// \t and \\ stand for LF, CR, tab and a backslash. Targets of the text ops:
// '1' seed box, '4' template box, 'C' crystal combo, 'B' baud combo.
//   T<box><text>   type the text, one keystroke (code point) per event
//   D<box><n>      n backspaces at the end (one when n is missing)
//   K<box><n>      the Delete key on the code point at position n
//   S<box><text>   paste the text over the whole box (one event)
//   L<combo><n>    pick list item n of the crystal (C) or baud (B) combo
//   O<group><n>    click button n of Option0, Option1 or Option2 ('0'..'2')
//   M<n>           double-click Label1 element n (taken modulo the elements)
// Unknown lines are skipped; at most kMaxEvents events run per input.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/baud.h"
#include "core/delay.h"
#include "core/numbers.h"
#include "core/texts.h"
#include "fuzz/fuzz_check.h"
#include "window/form.h"
#include "window/layout.h"
#include "window/run_counts.h"

namespace {

using namespace delaysub;
using delaysub::fuzz::check;
using delaysub::fuzz::isUpperHex;
using window::DelaySubForm;
using window::RunError;

constexpr int kMaxEvents = 400;
constexpr int kMaxDepth = 4;  // Option0_Click, Option2_Click, Text1_Change, Text1_Change
constexpr int kLabel1Indices[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 10};

std::string unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      const char c = s[++i];
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

int number(std::string_view s, int fallback) {
  if (s.empty()) {
    return fallback;
  }
  long v = 0;
  bool negative = false;
  std::size_t i = 0;
  if (s[0] == '-') {
    negative = true;
    ++i;
  }
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = std::min(v * 10 + (s[i] - '0'), 100000L);
  }
  return static_cast<int>(negative ? -v : v);
}

// Length of the UTF-8 sequence that starts with c (1 for a stray byte).
std::size_t sequenceLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) {
    return 4;
  }
  if (c >= 0xE0) {
    return c >= 0xF5 ? 1 : 3;
  }
  if (c >= 0xC2) {
    return 2;
  }
  return 1;
}

// Start of the code point that ends at the end of s.
std::size_t lastCodePoint(std::string_view s) {
  std::size_t start = s.size() - 1;
  while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0u) == 0x80u) {
    --start;
  }
  return start;
}

// Byte offset of code point n of s, or npos past the end.
std::size_t codePointAt(std::string_view s, int n) {
  std::size_t i = 0;
  for (int k = 0; k < n && i < s.size(); ++k) {
    i += std::min(sequenceLength(static_cast<unsigned char>(s[i])), s.size() - i);
  }
  return i < s.size() ? i : std::string_view::npos;
}

// Text box or combo box edit field, as the user sees it.
struct EditField {
  std::string_view (*text)(DelaySubForm&);
  void (*set)(DelaySubForm&, std::string_view);
};

std::optional<EditField> field(char target) {
  switch (target) {
    case '1':
      return EditField{[](DelaySubForm& f) { return std::string_view(f.Text1(1).text()); },
                       [](DelaySubForm& f, std::string_view t) { f.Text1(1).setText(t); }};
    case '4':
      return EditField{[](DelaySubForm& f) { return std::string_view(f.Text1(4).text()); },
                       [](DelaySubForm& f, std::string_view t) { f.Text1(4).setText(t); }};
    case 'C':
      return EditField{[](DelaySubForm& f) { return std::string_view(f.Combo0.text()); },
                       [](DelaySubForm& f, std::string_view t) { f.Combo0.setText(t); }};
    case 'B':
      return EditField{[](DelaySubForm& f) { return std::string_view(f.Combo1.text()); },
                       [](DelaySubForm& f, std::string_view t) { f.Combo1.setText(t); }};
    default:
      return std::nullopt;
  }
}

// What the last finished event reported through the dispatcher.
struct EventLog {
  bool finished = false;
  std::vector<RunError> errors;

  bool has(RunError e) const {
    for (RunError seen : errors) {
      if (seen == e) {
        return true;
      }
    }
    return false;
  }
};

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

void checkErrorReport(const DelaySubForm& form, const EventLog& log) {
  const std::string& report = form.errorReport();
  check(log.errors.empty() == report.empty());
  for (RunError e : log.errors) {
    check(e == RunError::Overflow || e == RunError::DivisionByZero);
    const std::string piece = "运行时错误 " + std::to_string(core::errorNumber(e)) + "：" +
                              std::string(core::errorMeaningZh(e));
    check(report.find(piece) != std::string::npos);
  }
}

// The invariants after every event: ran holds the run counts now, before
// those at its start.
void checkInvariants(DelaySubForm& form, const window::RunCounts& ran,
                     const window::RunCounts& before, const EventLog& log) {
  const window::WindowState& s = form.state;
  check(form.events.depth() == 0);
  check(form.events.deepest() <= kMaxDepth);
  if (log.finished) {
    checkErrorReport(form, log);
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
  if (delayRan && log.finished) {
    // A failing run is reported, a successful one is not.
    check(delayError == RunError::None || log.has(delayError));
  }

  // Likewise the baud box follows the shown crystal, baud text, SMOD and core.
  check(isBaudResult(form.Text2.text()));
  const auto baud =
      core::BPS_TEXT(s.cpu_type, Fosc, form.Combo1.text(), form.Option1.isSelected(0));
  if (baud.ok()) {
    check(baud.value.has_value() && form.Text2.text() == *baud.value);
    const bool avr = form.Text2.text().rfind(core::kUbrrPrefix, 0) == 0;
    check(form.Text2.text() == core::kNotAchievable || avr == (s.cpu_type == 1));
  } else if (ran.BPS != before.BPS && log.finished) {
    check(log.has(baud.error));
  }
  if (log.finished && log.errors.empty()) {
    check(!delayRan || delayError == RunError::None);
    check(ran.BPS == before.BPS || baud.ok());
  }
}

class Session : private window::EventObserver {
 public:
  Session() {
    form_.events.subscribe(ran_);
    form_.events.subscribe(*this);
    form_.load();
    form_.shown();
    check(form_.Option2.selected() == 0 && form_.state.T == 4);
  }

  bool exhausted() const { return events_ >= kMaxEvents; }

  // One user event, then the checks.
  template <class Event>
  void run(Event&& event) {
    if (exhausted()) {
      return;
    }
    ++events_;
    const window::RunCounts before = ran_;
    log_ = EventLog{};
    form_.events.resetDeepest();
    event(form_);
    checkInvariants(form_, ran_, before, log_);
  }

  void perform(std::string_view line) {
    if (line.empty()) {
      return;
    }
    const char op = line[0];
    const char target = line.size() > 1 ? line[1] : '\0';
    const std::string_view rest = line.size() > 2 ? line.substr(2) : std::string_view();
    const std::optional<EditField> edit = field(target);
    switch (op) {
      case 'T':
        if (edit) {
          const std::string text = unescape(rest);
          for (std::size_t i = 0; i < text.size() && !exhausted();) {
            const std::size_t n =
                std::min(sequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
            const std::string typed = std::string(edit->text(form_)) + text.substr(i, n);
            run([&](DelaySubForm& f) { edit->set(f, typed); });
            i += n;
          }
        }
        break;
      case 'D':
        if (edit) {
          for (int k = number(rest, 1); k > 0 && !exhausted(); --k) {
            const std::string_view now = edit->text(form_);
            if (now.empty()) {
              break;
            }
            const std::string shorter(now.substr(0, lastCodePoint(now)));
            run([&](DelaySubForm& f) { edit->set(f, shorter); });
          }
        }
        break;
      case 'K':
        if (edit) {
          const std::string_view now = edit->text(form_);
          const std::size_t at = codePointAt(now, number(rest, 0));
          if (at != std::string_view::npos) {
            std::string after(now);
            after.erase(
                at, std::min(sequenceLength(static_cast<unsigned char>(now[at])), now.size() - at));
            run([&](DelaySubForm& f) { edit->set(f, after); });
          }
        }
        break;
      case 'S':
        if (edit) {
          const std::string text = unescape(rest);
          run([&](DelaySubForm& f) { edit->set(f, text); });
        }
        break;
      case 'L':
        if (target == 'C' || target == 'B') {
          const int index = number(rest, 0);
          run([&](DelaySubForm& f) { (target == 'C' ? f.Combo0 : f.Combo1).setListIndex(index); });
        }
        break;
      case 'O':
        if (target >= '0' && target <= '2') {
          const int index = number(rest, 0);
          run([&](DelaySubForm& f) {
            window::OptionGroup& group = target == '0'   ? f.Option0
                                         : target == '1' ? f.Option1
                                                         : f.Option2;
            group.select(index);
          });
        }
        break;
      case 'M': {
        const int n = number(line.substr(1), 6);
        const int index = kLabel1Indices[static_cast<unsigned>(n) % std::size(kLabel1Indices)];
        run([&](DelaySubForm& f) { f.Label1(index).doubleClick(); });
        break;
      }
      default:
        break;
    }
  }

 private:
  void eventFinished(const std::vector<RunError>& errors) override {
    log_.finished = true;
    log_.errors = errors;
  }

  window::RunCounter ran_;
  EventLog log_;
  DelaySubForm form_;  // after what it tells
  int events_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Session session;
  std::size_t start = 0;
  while (start <= input.size() && !session.exhausted()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string_view::npos) {
      end = input.size();
    }
    session.perform(input.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}
