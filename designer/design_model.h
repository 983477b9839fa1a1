// The design window without its widgets: the chip and crystal at the top,
// the inputs of its three pages (delay code, periodic timer, serial port),
// and what each page shows. Every change recomputes the pages it touches at
// once, through the same codegen functions that delaysub-calc's `code`,
// `timer` and `uart` call; the model adds no calculation of its own. An input
// that gives no answer leaves one sentence in place of the figures and no
// code, never the figures of an earlier input.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/planner.h"
#include "codegen/writers.h"
#include "core/domain.h"

namespace delaysub::designer {

using codegen::Language;
using codegen::Rounding;

// The units a time is typed in, as the unit list shows them and as the
// time reader takes them.
enum class TimeUnit { Us, Ms, S };
inline constexpr std::array<std::string_view, 3> kUnitCaptions = {"µs", "ms", "s"};
inline constexpr std::array<std::string_view, 3> kUnitSuffixes = {"us", "ms", "s"};
// The lists of the choices, in the order of their enumerations.
inline constexpr std::array<std::string_view, 3> kRoundingCaptions = {"最接近", "不少于", "不超过"};
inline constexpr std::array<std::string_view, 3> kLanguageCaptions = {"A51 汇编", "SDCC 汇编",
                                                                      "C（Keil C51 / SDCC）"};
inline constexpr std::array<std::string_view, 2> kFormCaptions = {"子程序（LCALL 调用）",
                                                                  "内联（不调用）"};

// One entry of the chip list: the chip's name and what it is.
struct ChipChoice {
  std::string_view name;
  std::string caption;  // "8051 — classic 12-clock MCS-51: ..."
};
// Every chip, in the order `delaysub-calc chips` lists them.
std::vector<ChipChoice> chipChoices();
// The chip of the main window's core: 8051 for MCS-51; none for AVR and
// W77E58, which no chip here describes.
std::optional<std::size_t> chipForCore(core::Core core);

// What a page shows under its inputs.
struct CodeView {
  std::string code;     // exactly what delaysub-calc prints as the code; "" without an answer
  std::string figures;  // the figures that go with the code, or the sentence why there are none
  bool answered() const { return !code.empty(); }
};

// A table of choices: one row of cell texts per choice.
struct ChoiceTable {
  std::vector<std::vector<std::string>> rows;
  std::optional<std::size_t> best;      // the row delaysub-calc picks
  std::optional<std::size_t> selected;  // the row whose code the page shows
};

struct DelayInputs {
  std::string time = "10";
  TimeUnit unit = TimeUnit::Ms;
  Rounding rounding = Rounding::Nearest;
  bool inlineCode = false;
  bool save = false;
  Language language = Language::Asm;
};

struct TimerInputs {
  std::string period = "1";
  TimeUnit unit = TimeUnit::Ms;
  Language language = Language::Asm;
};

struct UartInputs {
  std::string baud = "9600";
  Language language = Language::Asm;
};

// The columns of the two tables.
inline constexpr std::array<std::string_view, 7> kTimerColumns = {
    "定时器", "方式", "时钟", "重装值", "实际周期", "误差", "自动重装"};
inline constexpr std::array<std::string_view, 9> kUartColumns = {
    "定时器", "方式", "时钟", "SMOD", "重装值", "实际波特率", "误差", "2 % 内", "1 % 内"};

class DesignModel {
 public:
  // The crystal as the user writes it ("12 MHz", "11.0592MHz", "24"), the
  // chip as an index into chipChoices() or none.
  explicit DesignModel(std::string crystal = "12 MHz",
                       std::optional<std::size_t> chip = std::size_t{0});

  void setChip(std::optional<std::size_t> chip);
  void setCrystal(std::string crystal);
  void setDelay(const DelayInputs& inputs);
  void setTimer(const TimerInputs& inputs);
  void setUart(const UartInputs& inputs);
  // Shows the code of that row of the table (out of range: ignored).
  void selectTimerRow(std::size_t row);
  void selectUartRow(std::size_t row);

  std::optional<std::size_t> chip() const { return chip_; }
  const std::string& crystal() const { return crystal_; }
  const DelayInputs& delayInputs() const { return delayIn_; }
  const TimerInputs& timerInputs() const { return timerIn_; }
  const UartInputs& uartInputs() const { return uartIn_; }

  const CodeView& delay() const { return delay_; }
  const ChoiceTable& timerTable() const { return timerTable_; }
  const CodeView& timer() const { return timer_; }
  const ChoiceTable& uartTable() const { return uartTable_; }
  const CodeView& uart() const { return uart_; }

 private:
  void recomputeAll();
  void recomputeDelay();
  void recomputeTimer();
  void recomputeUart();
  void showTimerRow();
  void showUartRow();

  std::optional<std::size_t> chip_;
  std::string crystal_;
  DelayInputs delayIn_;
  TimerInputs timerIn_;
  UartInputs uartIn_;
  CodeView delay_, timer_, uart_;
  ChoiceTable timerTable_, uartTable_;
};

}  // namespace delaysub::designer
