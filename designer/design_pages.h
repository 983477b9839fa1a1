// The pages of the design window as functions of their inputs: what each
// page shows for a chip, a crystal and the page's own inputs. The model
// (design_model.h) keeps the inputs and calls these on every change.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "codegen/exact.h"
#include "codegen/uart_options.h"
#include "designer/design_model.h"
#include "mcu/chip.h"

namespace delaysub::designer::pages {

// The chip and crystal every page starts from.
struct Setting {
  const mcu::Chip* chip;
  codegen::Ratio crystalHz;
};
// The setting, or the sentence why there is none (no chip, a crystal that
// is no positive number).
std::variant<Setting, std::string> settingOf(std::optional<std::size_t> chip,
                                             const std::string& crystal);

// A time typed as a number and a unit, in microseconds, or the sentence why
// it is none; what names the quantity in the sentence ("延时时间").
std::variant<codegen::Ratio, std::string> timeOf(const std::string& number, TimeUnit unit,
                                                 std::string_view what);

CodeView delayPage(const Setting& s, const DelayInputs& in);

// The table of a page and the code of its best row.
struct TablePage {
  CodeView code;
  ChoiceTable table;
};
TablePage timerPage(const Setting& s, const TimerInputs& in);
// The code of one row: what delaysub-calc prints with that row's --timer,
// --mode and --clock.
CodeView timerRowCode(const Setting& s, const TimerInputs& in, std::size_t row);

TablePage uartPage(const Setting& s, const UartInputs& in);
// The code of one row: what delaysub-calc prints with that row's filter
// (uartRowFilter), or its line where the row is not within 2 %.
CodeView uartRowCode(const Setting& s, const UartInputs& in, std::size_t row);
// The filter that leaves one row, the option o: its --timer, --mode, --smod
// (where SMOD takes part) and --clock.
codegen::UartFilter uartRowFilter(const codegen::UartOption& o);

// The sentence that stands for the figures where a page has no answer.
CodeView noAnswer(std::string sentence);

}  // namespace delaysub::designer::pages
