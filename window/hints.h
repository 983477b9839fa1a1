// The hints the window gives beside its results, in the window's language:
// how near the nearest reload values come to the baud rate, which seeds the
// delay computes, and the template with the seed filled in. Pure functions of
// what the form holds; they read no control and raise nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/domain.h"
#include "core/result.h"
#include "window/form.h"

namespace delaysub::window::hints {

// A run-time error as the window reports it: "运行时错误 6：溢出".
std::string runErrorText(RunError error);

// The result box's hint: for each SMOD (U2X for AVR) value the nearest reload
// value, its rate, its error and whether it lies within the tolerance, the
// best one marked; or one sentence saying why no rate computes. The form's
// hint is "" for a cpu_type the window does not know.
std::string baudHint(core::Core core, float Fosc, std::string_view baudText, bool smod0Selected);
std::string baudHint(const DelaySubForm& form);

// "三循环的种子 X 须在 -1024..1023 之内".
std::string seedRangeNote(core::Core core, core::Nesting nesting);

// The seed box's hint: the seeds that compute for the core and nesting and
// the one-byte counter's range. The form's hint is "" for a cpu_type or
// loop_type the window does not know.
std::string seedHint(core::Core core, core::Nesting nesting);
std::string seedHint(const DelaySubForm& form);

// The template box's menu entry that copies the template with the seed in.
inline constexpr std::string_view kCopySeededCaption = "复制（代入 X）";

struct TemplateCopy {
  bool enabled = false;
  std::string caption;  // the entry's text; when disabled it says why
  std::string text;     // what it copies (CR LF line breaks), when enabled
};
// For the template text shown (boxText) and the seed box's text, read as the
// window reads it. The form's entry is disabled for a cpu_type or loop_type
// the window does not know.
TemplateCopy templateCopy(core::Core core, core::Nesting nesting, float Fosc,
                          std::string_view seedText, std::string_view boxText);
TemplateCopy templateCopy(const DelaySubForm& form);

}  // namespace delaysub::window::hints
