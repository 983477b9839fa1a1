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
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/form_invariants.h"
#include "fuzz/fuzz_check.h"
#include "window/form.h"

namespace {

using namespace delaysub;
using delaysub::fuzz::check;
using window::DelaySubForm;

constexpr int kMaxEvents = 400;
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

class Session {
 public:
  Session() {
    form_.events.subscribe(watch_);
    form_.load();
    form_.shown();
    check(form_.Option2.selected() == 0 && form_.windowState().T == 4);
  }

  bool exhausted() const { return events_ >= kMaxEvents; }

  // One user event, then the checks.
  template <class Event>
  void run(Event&& event) {
    if (exhausted()) {
      return;
    }
    ++events_;
    watch_.startStep(form_);
    event(form_);
    if (const std::string broken = fuzz::brokenInvariant(form_, watch_); !broken.empty()) {
      std::fprintf(stderr, "%s: invariant broken\n", broken.c_str());
      std::abort();
    }
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
  fuzz::EventWatch watch_;
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
