// The timer and serial-port pages of the design window's model: the rows of
// their tables carry the published figures, the best row is the one
// delaysub-calc picks, and the code of every timer row is what makeTimer
// writes for that row's choice, the function `delaysub-calc timer` prints
// (the serial-port rows are held to `delaysub-calc uart` itself in
// designer_model_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "codegen/timer_answer.h"
#include "designer/design_model.h"
#include "designer/design_pages.h"
#include "mcu/chip.h"

namespace {

using delaysub::designer::DesignModel;
using delaysub::designer::Language;
using delaysub::designer::TimeUnit;
namespace codegen = delaysub::codegen;

const delaysub::mcu::Chip* chipNamed(std::string_view name) {
  return delaysub::mcu::findChip(name);
}

std::size_t chipIndex(std::string_view name) {
  return static_cast<std::size_t>(chipNamed(name) - delaysub::mcu::chips().data());
}

codegen::Ratio readOrFail(const codegen::Reading& r) {
  EXPECT_TRUE(r.value) << r.problem;
  return r.value.value_or(codegen::Ratio::whole(1));
}

// The rows whose cells start with the given texts (empty: any).
std::vector<std::size_t> rowsWith(const std::vector<std::vector<std::string>>& rows,
                                  const std::vector<std::string>& start) {
  std::vector<std::size_t> found;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    bool all = true;
    for (std::size_t c = 0; c < start.size(); ++c) {
      all = all && rows[r][c].starts_with(start[c]);
    }
    if (all) {
      found.push_back(r);
    }
  }
  return found;
}

struct TableCase {
  const char* chip;
  const char* crystal;
  const char* input;                 // the period in us, or the baud rate
  std::vector<std::string> choice;   // the first cells of the row
  std::vector<std::string> figures;  // the cells after them
  bool best;                         // the row is the one delaysub-calc picks
};

TEST(DesignerTimer, PublishedFigures) {
  const TableCase cases[] = {
      {"8051",
       "12 MHz",
       "1000",
       {"0", "1（16 位）", "Fosc/12"},
       {"0FC18H", "1 ms", "0.00 %", "否"},
       true},
      {"8051",
       "11.0592MHz",
       "250",
       {"0", "2（8 位）", "Fosc/12"},
       {"1AH", "249.566 us", "-0.17 %", "是"},
       true},
  };
  for (const TableCase& c : cases) {
    SCOPED_TRACE(std::string(c.chip) + " " + c.crystal + " " + c.input);
    DesignModel model(c.crystal, chipIndex(c.chip));
    model.setTimer({c.input, TimeUnit::Us});
    const auto rows = rowsWith(model.timerTable().rows, c.choice);
    ASSERT_EQ(rows.size(), 1U);
    const auto& cells = model.timerTable().rows[rows[0]];
    EXPECT_EQ(std::vector<std::string>(cells.begin() + 3, cells.end()), c.figures);
    EXPECT_EQ(model.timerTable().best == rows[0], c.best);
  }
}

TEST(DesignerUart, PublishedFigures) {
  const TableCase cases[] = {
      {"8051",
       "11.0592MHz",
       "9600",
       {"1", "2", "Fosc/12", "0"},
       {"0FDH", "9600.00", "0.00 %", "是", "是"},
       true},
      {"8051", "12 MHz", "9600", {"2"}, {"0FFD9H", "9615.38", "+0.16 %", "是", "是"}, true},
  };
  for (const TableCase& c : cases) {
    SCOPED_TRACE(std::string(c.chip) + " " + c.crystal + " " + c.input);
    DesignModel model(c.crystal, chipIndex(c.chip));
    model.setUart({c.input});
    const auto rows = rowsWith(model.uartTable().rows, c.choice);
    ASSERT_EQ(rows.size(), 1U);
    const auto& cells = model.uartTable().rows[rows[0]];
    EXPECT_EQ(std::vector<std::string>(cells.begin() + 4, cells.end()), c.figures);
    EXPECT_EQ(model.uartTable().best == rows[0], c.best);
  }
}

struct CodeCase {
  const char* chip;
  const char* crystal;
  const char* input;
  Language language;
};

const CodeCase kTimerCodeCases[] = {
    {"8051", "12 MHz", "1000", Language::Asm},      {"8051", "11.0592MHz", "250", Language::C},
    {"8051-6t", "24 MHz", "5000", Language::Sdas},  {"ds80c320", "33.1776MHz", "100", Language::C},
    {"stc15", "11.0592MHz", "1000", Language::Asm}, {"stc8", "24 MHz", "20000", Language::Sdas},
};

TEST(DesignerTimer, EveryRowsCodeIsDelaysubCalcs) {
  for (const CodeCase& c : kTimerCodeCases) {
    SCOPED_TRACE(std::string(c.chip) + " " + c.crystal + " " + c.input);
    DesignModel model(c.crystal, chipIndex(c.chip));
    model.setTimer({c.input, TimeUnit::Us, c.language});
    codegen::TimerRequest r{chipNamed(c.chip),
                            readOrFail(codegen::readFrequency(c.crystal)),
                            readOrFail(codegen::readTime(c.input)),
                            {},
                            c.language};
    const auto whole = std::get<codegen::TimerAnswer>(codegen::makeTimer(r));
    ASSERT_EQ(model.timerTable().rows.size(), whole.plan.options.size());
    EXPECT_EQ(model.timerTable().best, whole.best);
    EXPECT_EQ(model.timer().code, whole.code);
    for (std::size_t row = 0; row < whole.plan.options.size(); ++row) {
      const codegen::TimerOption& o = whole.plan.options[row];
      model.selectTimerRow(row);
      r.filter = {o.timer->number, o.mode->mode, o.clock->divider};
      const auto one = codegen::makeTimer(r);
      if (const auto* a = std::get_if<codegen::TimerAnswer>(&one)) {
        EXPECT_EQ(model.timer().code, a->code) << "row " << row;
      } else {
        EXPECT_EQ(model.timer().code, "") << "row " << row;
        EXPECT_NE(model.timer().figures.find(std::get<codegen::TimerError>(one).message),
                  std::string::npos);
      }
    }
  }
}

// A row past the table (pages are functions others may call): a sentence,
// no code, no exception.
TEST(DesignerTables, RowPastTheTable) {
  namespace pages = delaysub::designer::pages;
  const auto setting = pages::settingOf(chipIndex("8051"), "12 MHz");
  ASSERT_TRUE(std::holds_alternative<pages::Setting>(setting));
  const pages::Setting& s = std::get<pages::Setting>(setting);
  for (const auto& view : {pages::timerRowCode(s, {}, 99), pages::uartRowCode(s, {}, 99)}) {
    EXPECT_EQ(view.code, "");
    EXPECT_NE(view.figures.find("表中没有第 100 行"), std::string::npos) << view.figures;
  }
}

// A change of crystal or chip recomputes every page at once.
TEST(DesignerModel, SharedInputsRecomputeEveryPage) {
  DesignModel model("12 MHz", chipIndex("8051"));
  const std::string delay = model.delay().code, timer = model.timer().code;
  const auto uartRows = model.uartTable().rows;
  model.setCrystal("11.0592MHz");
  EXPECT_NE(model.delay().code, delay);
  EXPECT_NE(model.timer().code, timer);
  EXPECT_NE(model.uartTable().rows, uartRows);
  model.setChip(chipIndex("stc15"));
  EXPECT_NE(model.delay().code.find("stc15"), std::string::npos);
  EXPECT_NE(model.timer().code.find("stc15"), std::string::npos);
  EXPECT_NE(model.uart().code.find("stc15"), std::string::npos);
}

TEST(DesignerModel, ChipOfTheMainWindowsCore) {
  using delaysub::core::Core;
  EXPECT_EQ(delaysub::designer::chipForCore(Core::Mcs51), chipIndex("8051"));
  EXPECT_FALSE(delaysub::designer::chipForCore(Core::Avr));
  EXPECT_FALSE(delaysub::designer::chipForCore(Core::W77e58));
  const auto choices = delaysub::designer::chipChoices();
  ASSERT_EQ(choices.size(), delaysub::mcu::chips().size());
  for (std::size_t i = 0; i < choices.size(); ++i) {
    EXPECT_NE(choices[i].caption.find(delaysub::mcu::chips()[i].description), std::string::npos);
  }
}

}  // namespace
