// The window at creation, the start-up chain that the load raises, and what
// the user sees when the window is first shown.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "core/texts.h"
#include "form_test_support.h"
#include "window/form.h"
#include "window/layout.h"

namespace delaysub::window {
namespace {

using Reader = std::function<std::string(DelaySubForm&)>;
struct Shows {
  const char* control;
  Reader read;
  std::string expected;
};

Reader text1(int i) {
  return [i](DelaySubForm& f) { return f.Text1(i).text(); };
}
Reader label1(int i) {
  return [i](DelaySubForm& f) { return f.Label1(i).caption(); };
}
Reader label2(int i) {
  return [i](DelaySubForm& f) { return f.Label2(i).caption(); };
}
std::string selected(const OptionGroup& g) {
  return g.selected() < 0 ? "none" : g.captions()[static_cast<std::size_t>(g.selected())];
}

void expectShows(DelaySubForm& f, const std::vector<Shows>& table) {
  for (const Shows& row : table) {
    EXPECT_EQ(row.read(f), row.expected) << row.control;
  }
}

TEST(Creation, ControlsHoldTheirLayoutTextsAndTheStateIsZero) {
  DelaySubForm f;
  expectShows(
      f, {
             {"Combo0", [](DelaySubForm& form) { return form.Combo0.text(); }, "请选择频率"},
             {"Combo1", [](DelaySubForm& form) { return form.Combo1.text(); }, "9600"},
             {"Text1(4)", text1(4), "Text2\r\n"},
             {"Text1(0)", text1(0), ""},
             {"Text1(1)", text1(1), ""},
             {"Text1(3)", text1(3), ""},
             {"Text2", [](DelaySubForm& form) { return form.Text2.text(); }, ""},
             {"Label1(9)", label1(9), ""},
             {"Label1(6)", label1(6), "uS"},
             {"Label1(7)", label1(7), "D ="},
             {"Label1(10)", label1(10), "H"},
             {"Label1(3)", label1(3), "  使用一字节内存资源：BYT_DLY 变量 X 即 BYT_DLY 内的初值"},
             {"Label2(2)", label2(2), "TH1 初装值："},
             {"Option0", [](DelaySubForm& form) { return selected(form.Option0); }, "none"},
             {"Option1", [](DelaySubForm& form) { return selected(form.Option1); }, "none"},
             {"Option2", [](DelaySubForm& form) { return selected(form.Option2); }, "none"},
         });
  EXPECT_TRUE(f.Combo0.items().empty());
  EXPECT_TRUE(f.Combo1.items().empty());
  EXPECT_TRUE(f.frame(4).visible());
  EXPECT_EQ(f.windowState().loop_type, 0);
  EXPECT_EQ(f.windowState().cpu_type, 0);
  EXPECT_EQ(f.windowState().X, 0);
  EXPECT_EQ(f.windowState().Fosc, 0.0f);
  EXPECT_EQ(f.windowState().T, 0);
  EXPECT_EQ(f.Option2.captions(), (std::vector<std::string>{"单循环", "二循环", "三循环"}));
  EXPECT_EQ(f.Option0.captions(), (std::vector<std::string>{"MCS-51", "AVR", "W77E58"}));
  EXPECT_THROW(f.Text1(2), std::out_of_range);
  EXPECT_THROW(f.Label1(5), std::out_of_range);
  EXPECT_THROW(f.frame(5), std::out_of_range);
}

TEST(StartUp, TheWindowAsFirstShown) {
  DelaySubForm f;
  test_support::start(f);
  const std::int16_t mcs51 = 0;
  expectShows(f,
              {
                  {"Combo0", [](DelaySubForm& form) { return form.Combo0.text(); }, "12 MHz"},
                  {"Combo1", [](DelaySubForm& form) { return form.Combo1.text(); }, "9600"},
                  {"Option0", [](DelaySubForm& form) { return selected(form.Option0); }, "MCS-51"},
                  {"Option1", [](DelaySubForm& form) { return selected(form.Option1); }, "0"},
                  {"Option2", [](DelaySubForm& form) { return selected(form.Option2); }, "单循环"},
                  {"Label2(2)", label2(2), "TH1 初装值："},
                  {"Text2", [](DelaySubForm& form) { return form.Text2.text(); }, "不可实现"},
                  {"Text1(1)", text1(1), ""},
                  {"Label1(9)", label1(9), "0"},
                  {"Text1(0)", text1(0), "4"},
                  {"Label1(6)", label1(6), "uS"},
                  {"Label1(7)", label1(7), "D ="},
                  {"Text1(3)", text1(3), "T=[2X + 4] * (12 / Fosc)"},
                  {"Text1(4)", text1(4), std::string(core::PRG1(mcs51))},
              });
  EXPECT_EQ(f.Combo0.listIndex(), 5);
  EXPECT_EQ(f.Combo0.items(),
            (std::vector<std::string>{"4 MHz", "6 MHz", "8 MHz", "10 MHz", "11.0592MHz", "12 MHz",
                                      "16 MHz", "20 MHz", "22.1184MHz", "24 MHz", "32 MHz"}));
  EXPECT_EQ(f.Combo1.listIndex(), -1);
  EXPECT_EQ(f.Combo1.items(),
            (std::vector<std::string>{"300", "600", "1200", "2400", "4800", "9600", "14400",
                                      "19200", "28800", "33600", "57600", "115200"}));
  EXPECT_TRUE(f.frame(4).visible());
  EXPECT_EQ(f.windowState().loop_type, 0);
  EXPECT_EQ(f.windowState().cpu_type, 0);
  EXPECT_EQ(f.windowState().X, 0);
  EXPECT_EQ(f.windowState().Fosc, 12.0f);
  EXPECT_EQ(f.windowState().T, 4);
  EXPECT_EQ(f.errorReport(), "");
}

TEST(StartUp, HandlerCountsOfTheLoadAndTheFirstFocus) {
  RunCounter ran;
  DelaySubForm f(&ran);
  f.load();
  struct Count {
    const char* name;
    int RunCounts::*field;
    int afterLoad, afterShown;
  };
  const Count counts[] = {
      {"Form_Load", &RunCounts::Form_Load, 1, 1},
      {"Ini_Combo", &RunCounts::Ini_Combo, 1, 1},
      {"Combo0_Click", &RunCounts::Combo0_Click, 1, 1},
      {"Combo0_Change", &RunCounts::Combo0_Change, 0, 0},
      {"Combo1_Click", &RunCounts::Combo1_Click, 0, 0},
      {"Combo1_Change", &RunCounts::Combo1_Change, 0, 0},
      {"Option1_Click", &RunCounts::Option1_Click, 1, 1},
      {"Option0_Click", &RunCounts::Option0_Click, 1, 1},
      {"Option2_Click", &RunCounts::Option2_Click, 1, 2},
      {"Text1_Change", &RunCounts::Text1_Change, 3, 3},
      {"Label1_DblClick", &RunCounts::Label1_DblClick, 0, 0},
      {"BPS", &RunCounts::BPS, 3, 3},
      {"CALC_T", &RunCounts::CALC_T, 3, 3},
      {"W77E_T", &RunCounts::W77E_T, 0, 0},
  };
  for (const Count& c : counts) {
    EXPECT_EQ(ran.*c.field, c.afterLoad) << c.name << " (load)";
  }
  // Before the window is shown no nesting button is selected, yet the
  // single-loop texts are there already.
  EXPECT_EQ(f.Option2.selected(), -1);
  EXPECT_EQ(f.Text1(3).text(), "T=[2X + 4] * (12 / Fosc)");
  f.shown();
  for (const Count& c : counts) {
    EXPECT_EQ(ran.*c.field, c.afterShown) << c.name << " (shown)";
  }
  // Showing again (the focus coming back) selects nothing new.
  f.shown();
  EXPECT_EQ(ran.Option2_Click, 2);
}

TEST(StartUp, ChainRunsInTheOrderOfItsSteps) {
  // Every visible change, in order, by control; repeats in a row collapsed.
  DelaySubForm f;
  std::vector<std::string> trace;
  test_support::Updates tracer([&trace](const Control& c) {
    const std::string name =
        c.index() < 0 ? c.name() : c.name() + "(" + std::to_string(c.index()) + ")";
    if (trace.empty() || trace.back() != name) {
      trace.push_back(name);
    }
  });
  for (Control* c : std::initializer_list<Control*>{&f.Combo0, &f.Combo1, &f.Text2, &f.Option0,
                                                    &f.Option1, &f.Option2, &f.frame(4)}) {
    tracer.follow(*c);
  }
  for (int i : {0, 1, 3, 4}) {
    tracer.follow(f.Text1(i));
  }
  for (int i : {6, 9}) {
    tracer.follow(f.Label1(i));
  }
  tracer.follow(f.Label2(2));
  test_support::start(f);
  EXPECT_EQ(trace,
            (std::vector<std::string>{"Combo0", "Text2", "Combo1", "Option1", "Option0", "Text1(3)",
                                      "Label1(9)", "Text1(0)", "Text1(4)", "Option2"}));
}

TEST(StartUp, FirstBaudResultUsesTheLayoutBaudTextAndSmodOne) {
  // The crystal is chosen before the baud list is filled and before SMOD 0 is
  // selected; the load ends with SMOD 0. At 12 MHz both give the same text, so
  // check with the state the first run saw: 9600 baud from the layout text.
  // What the controls hold when Combo0_Click starts.
  struct AtCrystalClick : EventObserver {
    const DelaySubForm* form = nullptr;
    std::vector<std::string> seen;
    void handlerRan(std::string_view name) override {
      if (name == "Combo0_Click") {
        seen.push_back(form->Combo1.text() + "/" + std::to_string(form->Combo1.items().size()) +
                       "/" + (form->Option1.isSelected(0) ? "smod0" : "smod1"));
      }
    }
  } watcher;
  DelaySubForm f(&watcher);
  watcher.form = &f;
  const std::vector<std::string>& seen = watcher.seen;
  f.load();
  EXPECT_EQ(seen, std::vector<std::string>{"9600/0/smod1"});
  EXPECT_EQ(f.Text2.text(), "不可实现");
}

TEST(StartUp, DeepestNestingIsTheCoreClickChainUnderTheLoad) {
  // Load → Option0_Click → Option2_Click → Text1_Change → Text1_Change.
  DelaySubForm f;
  f.load();
  EXPECT_EQ(f.events.deepest(), 5);
  EXPECT_EQ(f.events.depth(), 0);
}

TEST(ControlLookup, EveryTableEntryFindsItsOwnControlAndNothingElseResolves) {
  DelaySubForm f;
  for (const ControlSpec& row : layoutTable()) {
    const Control& c = f.control(row.name, row.index);
    EXPECT_EQ(c.name(), row.name);
    // An option button's entry finds its whole group.
    EXPECT_EQ(c.index(), row.kind == Kind::OptionButton ? -1 : row.index) << row.name;
  }
  EXPECT_EQ(&f.control<Frame>("Frame4"), &f.frame(4));
  EXPECT_EQ(&f.control<TextBox>("Text1", 4), &f.Text1(4));
  struct Bad {
    std::string_view name;
    int index;
    const char* fault;
  };
  const Bad bad[] = {
      {"Text3", -1, "name"},  {"Frame5", -1, "name"}, {"Frame", -1, "name"},
      {"", -1, "name"},       {"Text1", 2, "index"},  {"Text1", -1, "index"},
      {"Text2", 0, "index"},  {"Frame2", 0, "index"}, {"Option0", 3, "index"},
      {"Label2", 1, "index"}, {"Combo1", 1, "index"},
  };
  for (const Bad& b : bad) {
    if (std::string_view(b.fault) == "name") {
      EXPECT_THROW(f.control(b.name, b.index), std::invalid_argument) << b.name << b.index;
    } else {
      EXPECT_THROW(f.control(b.name, b.index), std::out_of_range) << b.name << b.index;
    }
  }
  EXPECT_THROW(f.control<ComboBox>("Text2"), std::bad_cast);
}

}  // namespace
}  // namespace delaysub::window
