// The design window's model without a display: for a table of inputs on
// every page, what it shows equals what delaysub-calc answers for the same
// arguments. The delay page is held to `delaysub-calc code --json`, run in
// process through runCalc (the program's own entry, option reading
// included), and so is every row of the serial-port page to `delaysub-calc
// uart --json` with that row's filters; the timer page to makeTimer, the
// function `delaysub-calc timer` prints, and to the published figures of
// their issue. Then the sentences that stand for an answer.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "calc/calc.h"
#include "codegen/timer_answer.h"
#include "designer/design_model.h"
#include "mcu/chip.h"

namespace {

using delaysub::designer::DelayInputs;
using delaysub::designer::DesignModel;
using delaysub::designer::Language;
using delaysub::designer::Rounding;
using delaysub::designer::TimerInputs;
using delaysub::designer::TimeUnit;
using delaysub::designer::UartInputs;
namespace codegen = delaysub::codegen;

std::size_t chipIndex(std::string_view name) {
  const auto list = delaysub::mcu::chips();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].name == name) {
      return i;
    }
  }
  ADD_FAILURE() << "no chip " << name;
  return 0;
}

nlohmann::json calcJson(const std::vector<std::string>& args, int* status = nullptr) {
  std::ostringstream out, err;
  std::vector<std::string> all = args;
  all.emplace_back("--json");
  const int exit = delaysub::calc::runCalc(all, out, err);
  if (status != nullptr) {
    *status = exit;
  }
  return nlohmann::json::parse(out.str());
}

struct DelayCase {
  const char* chip;
  const char* crystal;
  const char* time;
  TimeUnit unit;
  Rounding rounding;
  bool inlineCode;
  bool save;
  Language language;
};

constexpr const char* kRoundNames[] = {"nearest", "up", "down"};
constexpr const char* kLangNames[] = {"asm", "sdas", "c"};
constexpr const char* kUnitNames[] = {"us", "ms", "s"};

const DelayCase kDelayCases[] = {
    {"8051", "12 MHz", "10", TimeUnit::Ms, Rounding::Nearest, false, false, Language::Asm},
    {"8051", "11.0592MHz", "1", TimeUnit::Ms, Rounding::Up, false, true, Language::Sdas},
    {"8051-6t", "22.1184MHz", "250", TimeUnit::Us, Rounding::Down, false, false, Language::C},
    {"ds80c320", "33.1776MHz", "1.5", TimeUnit::Ms, Rounding::Nearest, true, false, Language::Asm},
    {"stc15", "24", "500", TimeUnit::Us, Rounding::Nearest, false, true, Language::Asm},
    {"stc8", "11.0592 MHz", "2", TimeUnit::S, Rounding::Up, false, false, Language::C},
    {"c8051f", "24.5MHz", "100", TimeUnit::Us, Rounding::Nearest, true, true, Language::Sdas},
    {"at89lp", "20 MHz", "10", TimeUnit::Ms, Rounding::Down, false, false, Language::Asm},
    {"8051", "6 MHz", "10", TimeUnit::S, Rounding::Nearest, false, false, Language::Asm},
};

TEST(DesignerDelay, CodeAndFiguresAreDelaysubCalcs) {
  for (const DelayCase& c : kDelayCases) {
    SCOPED_TRACE(std::string(c.chip) + " " + c.crystal + " " + c.time);
    DesignModel model(c.crystal, chipIndex(c.chip));
    model.setDelay({c.time, c.unit, c.rounding, c.inlineCode, c.save, c.language});
    std::vector<std::string> args = {"code",
                                     "--chip",
                                     c.chip,
                                     "--crystal",
                                     c.crystal,
                                     "--time",
                                     std::string(c.time) + kUnitNames[static_cast<int>(c.unit)],
                                     "--round",
                                     kRoundNames[static_cast<int>(c.rounding)],
                                     "--lang",
                                     kLangNames[static_cast<int>(c.language)]};
    if (c.inlineCode) {
      args.emplace_back("--inline");
    }
    if (c.save) {
      args.emplace_back("--save");
    }
    int status = -1;
    const nlohmann::json json = calcJson(args, &status);
    if (status != 0) {
      // No routine: no code, and the command's own line as the sentence.
      EXPECT_EQ(model.delay().code, "");
      EXPECT_NE(model.delay().figures.find(json["error"].get<std::string>()), std::string::npos)
          << model.delay().figures;
      continue;
    }
    EXPECT_EQ(model.delay().code, json["code"].get<std::string>());
    const std::string& figures = model.delay().figures;
    EXPECT_NE(figures.find("时钟数 " + std::to_string(json["clocks"].get<std::uint64_t>())),
              std::string::npos)
        << figures;
    EXPECT_NE(figures.find(std::to_string(json["bytes"].get<unsigned>()) + " 字节"),
              std::string::npos)
        << figures;
  }
}

TEST(DesignerDelay, FiguresOfKnownRoutines) {
  struct Row {
    const char* crystal;
    const char* time;
    const char* expected;  // a part of the figures
  } const rows[] = {
      {"12 MHz", "10", "时钟数 120000（要求 120000）　实际时间 10 ms"},
      {"11.0592MHz", "1", "要求 11059.2"},
  };
  for (const Row& r : rows) {
    DesignModel model(r.crystal, chipIndex("8051"));
    DelayInputs in;
    in.time = r.time;
    model.setDelay(in);
    EXPECT_NE(model.delay().figures.find(r.expected), std::string::npos) << model.delay().figures;
  }
}

struct UartCase {
  const char* chip;
  const char* crystal;
  const char* baud;
  Language language;
  std::size_t rowsWithCode;  // the rows within 2 %
};

const UartCase kUartCases[] = {
    {"8051", "11.0592MHz", "9600", Language::Asm, 3},
    {"8051", "12 MHz", "9600", Language::C, 1},
    {"8051-6t", "22.1184MHz", "19200", Language::Sdas, 3},
    {"ds80c320", "11.0592MHz", "19200", Language::Asm, 3},
    {"stc15", "22.1184MHz", "115200", Language::Sdas, 7},
    {"stc8", "24 MHz", "57600", Language::C, 4},
};

std::vector<std::string> uartArgs(const UartCase& c) {
  return {"uart",      "--chip",  c.chip,
          "--crystal", c.crystal, "--baud",
          c.baud,      "--lang",  kLangNames[static_cast<int>(c.language)]};
}

// The invocation that leaves only the way of option o.
std::vector<std::string> rowArgs(const UartCase& c, const nlohmann::json& o) {
  std::vector<std::string> args = uartArgs(c);
  for (const char* field : {"timer", "mode", "smod", "clock_divider"}) {
    if (!o[field].is_null()) {
      const std::string name = field == std::string_view("clock_divider") ? "clock" : field;
      args.insert(args.end(), {"--" + name, std::to_string(o[field].get<int>())});
    }
  }
  return args;
}

// A row's cells against the option of `delaysub-calc uart --json`.
void expectCells(const std::vector<std::string>& cells, const nlohmann::json& o) {
  EXPECT_TRUE(cells[0].starts_with(std::to_string(o["timer"].get<int>()))) << cells[0];
  EXPECT_EQ(cells[1], std::to_string(o["mode"].get<int>()));
  EXPECT_EQ(cells[2], codegen::clockText(o["clock_divider"].get<std::uint32_t>()));
  EXPECT_EQ(cells[3], o["smod"].is_null() ? "—" : std::to_string(o["smod"].get<int>()));
  if (cells[4] != "—") {
    EXPECT_EQ(std::stoul(cells[4], nullptr, 16), o["reload"].get<unsigned long>()) << cells[4];
    EXPECT_NEAR(std::stod(cells[5]), o["actual_baud"].get<double>(), 0.005) << cells[5];
  }
  EXPECT_EQ(cells[7], o["within_2_percent"].get<bool>() ? "是" : "否");
  EXPECT_EQ(cells[8], o["within_1_percent"].get<bool>() ? "是" : "否");
}

// Every row of the serial-port table is a row of `delaysub-calc uart`, and
// its code is what delaysub-calc prints with that row's --timer, --mode,
// --smod and --clock, or its line where that is not within 2 %.
TEST(DesignerUart, EveryRowIsDelaysubCalcs) {
  for (const UartCase& c : kUartCases) {
    SCOPED_TRACE(std::string(c.chip) + " " + c.crystal + " " + c.baud);
    DesignModel model(c.crystal, chipIndex(c.chip));
    model.setUart({c.baud, c.language});
    const nlohmann::json all = calcJson(uartArgs(c));
    const auto rows = model.uartTable().rows;
    ASSERT_EQ(rows.size(), all["options"].size());
    EXPECT_EQ(model.uartTable().best, all["best"].get<std::size_t>());
    EXPECT_EQ(model.uart().code, all["code"].get<std::string>());
    std::size_t withCode = 0;
    for (std::size_t row = 0; row < rows.size(); ++row) {
      SCOPED_TRACE("row " + std::to_string(row));
      const nlohmann::json& o = all["options"][row];
      expectCells(rows[row], o);
      model.selectUartRow(row);
      int status = -1;
      const nlohmann::json one = calcJson(rowArgs(c, o), &status);
      if (status != 0) {
        EXPECT_EQ(status, 1);
        EXPECT_EQ(model.uart().code, "");
        EXPECT_NE(model.uart().figures.find(one["error"].get<std::string>()), std::string::npos)
            << model.uart().figures;
        continue;
      }
      ASSERT_EQ(one["options"].size(), 1U);
      EXPECT_EQ(one["options"][0], o);
      EXPECT_EQ(model.uart().code, one["code"].get<std::string>());
      ++withCode;
    }
    EXPECT_EQ(withCode, c.rowsWithCode);
  }
}

// Every page after a change that gives no answer: no code, no table, one
// sentence that says why, and nothing of the answer before.
TEST(DesignerSentences, StandInForTheFigures) {
  struct Row {
    const char* what;
    void (*change)(DesignModel&);
    const char* sentence;  // a part of every page's sentence
  } const rows[] = {
      {"no chip", [](DesignModel& m) { m.setChip(std::nullopt); }, "请选择芯片"},
      {"crystal text", [](DesignModel& m) { m.setCrystal("abc"); }, "晶振频率“abc”读不出"},
      {"crystal 0", [](DesignModel& m) { m.setCrystal("0"); }, "晶振频率“0”读不出"},
      {"chip out of the list", [](DesignModel& m) { m.setChip(999); }, "请选择芯片"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    DesignModel model("12 MHz", chipIndex("8051"));
    ASSERT_TRUE(model.delay().answered());
    ASSERT_TRUE(model.timer().answered());
    ASSERT_TRUE(model.uart().answered());
    r.change(model);
    for (const auto* view : {&model.delay(), &model.timer(), &model.uart()}) {
      EXPECT_EQ(view->code, "");
      EXPECT_NE(view->figures.find(r.sentence), std::string::npos) << view->figures;
      EXPECT_EQ(view->figures.find("时钟数"), std::string::npos);
    }
    EXPECT_TRUE(model.timerTable().rows.empty());
    EXPECT_TRUE(model.uartTable().rows.empty());
    EXPECT_FALSE(model.timerTable().selected);
  }
}

TEST(DesignerSentences, PerPage) {
  struct Row {
    const char* time;
    TimeUnit unit;
    const char* sentence;
  } const rows[] = {
      {"", TimeUnit::Ms, "延时时间“”读不出"},
      {"-1", TimeUnit::Ms, "延时时间“-1”读不出"},
      {"10ms", TimeUnit::Ms, "延时时间“10ms”读不出"},
      {"0.1", TimeUnit::Us, "is below the shortest routine on 8051"},
      {"100000", TimeUnit::S, "is above the longest routine on 8051"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.time);
    DesignModel model("12 MHz", chipIndex("8051"));
    model.setDelay({r.time, r.unit});
    EXPECT_EQ(model.delay().code, "");
    EXPECT_NE(model.delay().figures.find(r.sentence), std::string::npos) << model.delay().figures;
    // The other pages keep their answers.
    EXPECT_TRUE(model.timer().answered());
  }
  DesignModel model("12 MHz", chipIndex("8051"));
  model.setTimer({"100", TimeUnit::S});
  EXPECT_EQ(model.timer().code, "");
  EXPECT_TRUE(model.timerTable().rows.empty());
  EXPECT_NE(model.timer().figures.find("is beyond what the timers of 8051"), std::string::npos);
  model.setUart({"9600x"});
  EXPECT_NE(model.uart().figures.find("波特率“9600x”读不出"), std::string::npos);
  model.setUart({"115200"});
  EXPECT_NE(model.uart().figures.find("115200 baud is not within 2 %"), std::string::npos)
      << model.uart().figures;
}

}  // namespace
