// The controls layer's event rules and the layout table.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "form_test_support.h"
#include "window/controls.h"
#include "window/layout.h"

namespace delaysub::window {
namespace {

using test_support::FinishedEvents;

// Records which handlers ran, in order, with what the control held then.
struct Log {
  std::vector<std::string> entries;
  void add(std::string entry) { entries.push_back(std::move(entry)); }
};

TEST(TextBoxRules, ChangeOnlyWhenTheTextDiffers) {
  struct Case {
    const char* initial;
    const char* written;
    bool raises;
  };
  const Case cases[] = {
      {"", "", false},
      {"", "4", true},
      {"4", "4", false},
      {"4", "204", true},
      {"204", " .204", true},
      {"Text2\r\n", "Text2\r\n", false},
      {"Text2\r\n", "Text2", true},
      {"uS", "us", true},
      {"abc", "", true},
  };
  for (const Case& c : cases) {
    EventDispatcher events;
    TextBox box(events, "Text1", 3, c.initial);
    int raised = 0;
    std::int16_t index = -1;
    box.onChange = [&](std::int16_t i) {
      ++raised;
      index = i;
      return RunError::None;
    };
    box.setText(c.written);
    EXPECT_EQ(box.text(), c.written);
    EXPECT_EQ(raised, c.raises ? 1 : 0) << '"' << c.initial << "\" -> \"" << c.written << '"';
    if (c.raises) {
      EXPECT_EQ(index, 3);
    }
  }
}

TEST(TextBoxRules, RaisedHandlerRunsInsideTheWriteAndReentryEnds) {
  // A handler that writes its own box again, as the delay box does: the
  // second write holds the same text, so the chain ends after one nesting.
  EventDispatcher events;
  TextBox box(events, "Text1", 0);
  Log log;
  box.onChange = [&](std::int16_t) {
    log.add("change:" + box.text() + "@" + std::to_string(events.depth()));
    box.setText("4");
    return RunError::None;
  };
  box.setText("x");
  log.add("after write");
  EXPECT_EQ(log.entries, (std::vector<std::string>{"change:x@1", "change:4@2", "after write"}));
  EXPECT_EQ(events.deepest(), 2);
  EXPECT_EQ(events.depth(), 0);
}

TEST(LabelRules, CaptionRaisesNothingDoubleClickRaisesWithIndex) {
  EventDispatcher events;
  Label label(events, "Label1", 6, "uS");
  std::vector<std::int16_t> clicks;
  label.onDblClick = [&](std::int16_t i) {
    clicks.push_back(i);
    return RunError::None;
  };
  int updates = 0;
  test_support::Updates counter([&](const Control&) { ++updates; });
  counter.follow(label);
  label.setCaption("mS");
  label.setCaption("mS");
  EXPECT_EQ(label.caption(), "mS");
  EXPECT_EQ(updates, 1);
  EXPECT_TRUE(clicks.empty());
  label.doubleClick();
  EXPECT_EQ(clicks, std::vector<std::int16_t>{6});
}

struct ComboFixture : ::testing::Test {
  EventDispatcher events;
  ComboBox combo{events, "Combo0", "请选择频率"};
  int clicks = 0, changes = 0;
  std::string textAtClick;
  void SetUp() override {
    combo.onClick = [this] {
      ++clicks;
      textAtClick = combo.text();
      return RunError::None;
    };
    combo.onChange = [this] {
      ++changes;
      return RunError::None;
    };
  }
};

TEST_F(ComboFixture, AppendingItemsRaisesNothingAndKeepsTextAndSelection) {
  for (const char* item : {"4 MHz", "6 MHz", "12 MHz"}) {
    combo.addItem(item);
  }
  EXPECT_EQ(combo.items(), (std::vector<std::string>{"4 MHz", "6 MHz", "12 MHz"}));
  EXPECT_EQ(combo.text(), "请选择频率");
  EXPECT_EQ(combo.listIndex(), -1);
  EXPECT_EQ(clicks + changes, 0);
}

TEST_F(ComboFixture, SelectingAnItemRaisesClickWithItsTextNotChange) {
  for (const char* item : {"4 MHz", "6 MHz", "12 MHz"}) {
    combo.addItem(item);
  }
  combo.setListIndex(2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(textAtClick, "12 MHz");  // the text is in place when Click runs
  EXPECT_EQ(combo.listIndex(), 2);
  // An index outside the list selects nothing and raises nothing.
  for (int bad : {-1, 3, 100}) {
    combo.setListIndex(bad);
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(combo.text(), "12 MHz");
}

TEST_F(ComboFixture, TypingRaisesChangeAtEveryDifferentTextAndDropsTheSelection) {
  for (const char* item : {"4 MHz", "12 MHz"}) {
    combo.addItem(item);
  }
  combo.setListIndex(1);
  combo.setText("12 MHz");  // the same text: nothing
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(combo.listIndex(), 1);
  for (const char* typed : {"1", "11", "11.", "11.0592"}) {
    combo.setText(typed);
  }
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(combo.listIndex(), -1);
  EXPECT_EQ(combo.text(), "11.0592");
}

TEST(OptionGroupRules, SelectRaisesClickOnlyForAButtonNotSelected) {
  EventDispatcher events;
  OptionGroup group(events, "Option0", {"MCS-51", "AVR", "W77E58"});
  std::vector<std::int16_t> clicks;
  group.onClick = [&](std::int16_t i) {
    clicks.push_back(i);
    EXPECT_EQ(group.selected(), i);  // selected before the handler runs
    return RunError::None;
  };
  const std::pair<int, int> steps[] = {
      // {select, selected afterwards}
      {0, 0}, {0, 0}, {2, 2}, {1, 1}, {1, 1}, {3, 1}, {-1, 1},
  };
  for (auto [index, after] : steps) {
    group.select(index);
    EXPECT_EQ(group.selected(), after) << "select " << index;
  }
  EXPECT_EQ(clicks, (std::vector<std::int16_t>{0, 2, 1}));
}

TEST(OptionGroupRules, FocusSelectsOnlyWhileNoButtonIsSelected) {
  EventDispatcher events;
  OptionGroup group(events, "Option2", {"单循环", "二循环", "三循环"});
  std::vector<std::int16_t> clicks;
  group.onClick = [&](std::int16_t i) {
    clicks.push_back(i);
    return RunError::None;
  };
  group.focus(0);
  group.focus(1);  // a button is selected now: focus moves, nothing is selected
  group.focus(0);
  EXPECT_EQ(group.selected(), 0);
  EXPECT_EQ(clicks, std::vector<std::int16_t>{0});
}

TEST(FrameRules, VisibilityChangesRaiseOnlyAnUpdate) {
  Frame frame("Frame4");
  int updates = 0;
  test_support::Updates counter([&](const Control&) { ++updates; });
  counter.follow(frame);
  EXPECT_TRUE(frame.visible());
  for (bool v : {true, false, false, true}) {
    frame.setVisible(v);
  }
  EXPECT_TRUE(frame.visible());
  EXPECT_EQ(updates, 2);
}

TEST(Dispatcher, ErrorsAreGatheredPerEventAndDoNotStopTheWriter) {
  EventDispatcher events;
  FinishedEvents log(events);
  const auto& finished = log.errors;
  TextBox inner(events, "Text1", 0);
  inner.onChange = [](std::int16_t) { return RunError::Overflow; };
  TextBox outer(events, "Text1", 3);
  bool wentOn = false;
  outer.onChange = [&](std::int16_t) {
    inner.setText("a");  // the raised handler fails ...
    inner.setText("b");  // ... twice with the same error
    wentOn = true;       // ... and the writer goes on
    return RunError::DivisionByZero;
  };
  outer.setText("x");
  EXPECT_TRUE(wentOn);
  outer.setText("x");  // no change: no event at all
  inner.setText("");   // a failing event of its own
  ASSERT_EQ(finished.size(), 2u);
  EXPECT_EQ(finished[0], (std::vector<RunError>{RunError::Overflow, RunError::DivisionByZero}));
  EXPECT_EQ(finished[1], std::vector<RunError>{RunError::Overflow});
}

TEST(Dispatcher, DirectCallReturnsItsErrorToTheCallerAndCountsDepth) {
  EventDispatcher events;
  FinishedEvents log(events);
  const auto& finished = log.errors;
  RunError seen = RunError::None;
  int depthInside = 0;
  events.raise([&] {
    seen = events.call([&] {
      depthInside = events.depth();
      return RunError::Overflow;
    });
    return RunError::None;  // the caller swallows it: nothing is reported
  });
  EXPECT_EQ(seen, RunError::Overflow);
  EXPECT_EQ(depthInside, 2);
  EXPECT_EQ(events.deepest(), 2);
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_TRUE(finished[0].empty());
  events.resetDeepest();
  EXPECT_EQ(events.deepest(), 0);
}

TEST(Dispatcher, NotedErrorIsReportedWithTheEvent) {
  EventDispatcher events;
  FinishedEvents log(events);
  events.raise([&] {
    events.note(RunError::Overflow);
    events.note(RunError::None);
    return RunError::DivisionByZero;
  });
  EXPECT_EQ(log.errors.back(),
            (std::vector<RunError>{RunError::Overflow, RunError::DivisionByZero}));
  events.raise([] { return RunError::None; });
  EXPECT_TRUE(log.errors.back().empty());
}

TEST(Dispatcher, EveryObserverHearsEveryHandlerAndEventUntilItLeaves) {
  EventDispatcher events;
  std::vector<std::string> heard;
  struct Listener : EventObserver {
    std::vector<std::string>& heard;
    std::string who;
    Listener(std::vector<std::string>& h, std::string w) : heard(h), who(std::move(w)) {}
    void handlerRan(std::string_view name) override {
      heard.push_back(who + " ran " + std::string(name));
    }
    void eventFinished(const std::vector<RunError>& e) override {
      heard.push_back(who + " finished " + std::to_string(e.size()));
    }
  };
  Listener first(heard, "a"), second(heard, "b");
  events.subscribe(first);
  events.subscribe(second);
  events.subscribe(first);  // once is enough
  events.raise([&] {
    events.ran("BPS");
    return RunError::Overflow;
  });
  events.unsubscribe(first);
  events.raise([&] {
    events.ran("CALC_T");
    return RunError::None;
  });
  EXPECT_EQ(heard, (std::vector<std::string>{"a ran BPS", "b ran BPS", "a finished 1",
                                             "b finished 1", "b ran CALC_T", "b finished 0"}));
}

TEST(Dispatcher, RunCountsKnowEveryHandlerOfTheWindowAndNoOther) {
  RunCounts counts;
  for (const char* name :
       {"Form_Load", "Ini_Combo", "Combo0_Click", "Combo0_Change", "Combo1_Click", "Combo1_Change",
        "Option0_Click", "Option1_Click", "Option2_Click", "Text1_Change", "Label1_DblClick", "BPS",
        "CALC_T", "W77E_T"}) {
    ++counts[name];
  }
  // Each name has a counter of its own.
  EXPECT_TRUE((counts == RunCounts{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_THROW(counts["Text1_Click"], std::invalid_argument);
}

// ---- The layout table ----

TEST(LayoutTable, EveryControlOnceWithItsKindAndContainer) {
  struct Entry {
    const char* name;
    std::int16_t index;
    Kind kind;
    const char* container;
  };
  const Entry entries[] = {
      {"Frame0", -1, Kind::Frame, ""},
      {"Frame2", -1, Kind::Frame, ""},
      {"Frame1", -1, Kind::Frame, ""},
      {"Frame3", -1, Kind::Frame, ""},
      {"Frame4", -1, Kind::Frame, "Frame2"},
      {"Option0", 0, Kind::OptionButton, "Frame0"},
      {"Option0", 1, Kind::OptionButton, "Frame0"},
      {"Option0", 2, Kind::OptionButton, "Frame0"},
      {"Label1", 0, Kind::Label, "Frame0"},
      {"Combo0", -1, Kind::ComboBox, "Frame0"},
      {"Label2", 0, Kind::Label, "Frame2"},
      {"Combo1", -1, Kind::ComboBox, "Frame2"},
      {"Label2", 2, Kind::Label, "Frame2"},
      {"Text2", -1, Kind::TextBox, "Frame2"},
      {"Option1", 0, Kind::OptionButton, "Frame4"},
      {"Option1", 1, Kind::OptionButton, "Frame4"},
      {"Option2", 0, Kind::OptionButton, "Frame1"},
      {"Option2", 1, Kind::OptionButton, "Frame1"},
      {"Option2", 2, Kind::OptionButton, "Frame1"},
      {"Label1", 2, Kind::Label, "Frame1"},
      {"Text1", 1, Kind::TextBox, "Frame1"},
      {"Label1", 7, Kind::Label, "Frame1"},
      {"Label1", 9, Kind::Label, "Frame1"},
      {"Label1", 10, Kind::Label, "Frame1"},
      {"Label1", 1, Kind::Label, "Frame1"},
      {"Text1", 0, Kind::TextBox, "Frame1"},
      {"Label1", 6, Kind::Label, "Frame1"},
      {"Label1", 3, Kind::Label, "Frame1"},
      {"Label1", 4, Kind::Label, "Frame3"},
      {"Text1", 3, Kind::TextBox, "Frame3"},
      {"Label1", 8, Kind::Label, "Frame3"},
      {"Text1", 4, Kind::TextBox, "Frame3"},
  };
  EXPECT_EQ(layoutTable().size(), std::size(entries));
  for (const Entry& e : entries) {
    const auto row = findControl(e.name, e.index);
    ASSERT_TRUE(row) << e.name << "(" << e.index << ")";
    EXPECT_EQ(row->kind, e.kind) << e.name << "(" << e.index << ")";
    EXPECT_EQ(row->container, e.container) << e.name << "(" << e.index << ")";
  }
  // No other indices: the gaps of the arrays stay gaps.
  for (auto [name, index] : {std::pair{"Text1", 2}, {"Label1", 5}, {"Label2", 1}, {"Option1", 2}}) {
    EXPECT_FALSE(findControl(name, static_cast<std::int16_t>(index))) << name << index;
  }
  // Every frame comes before what it holds.
  std::set<std::string_view> seen;
  for (const ControlSpec& row : layoutTable()) {
    if (!row.container.empty()) {
      EXPECT_TRUE(seen.count(row.container)) << row.name;
    }
    if (row.kind == Kind::Frame) {
      seen.insert(row.name);
    }
  }
}

TEST(LayoutTable, TabOrderRunsThroughTheFocusableControls) {
  const std::pair<const char*, std::int16_t> order[] = {
      {"Option2", 0}, {"Option2", 1}, {"Option2", 2}, {"Text1", 0},  {"Text1", 1},
      {"Option0", 0}, {"Option0", 1}, {"Option0", 2}, {"Text1", 3},  {"Text1", 4},
      {"Option1", 1}, {"Option1", 0}, {"Combo1", -1}, {"Text2", -1}, {"Combo0", -1},
  };
  for (std::size_t i = 0; i < std::size(order); ++i) {
    EXPECT_EQ(findControl(order[i].first, order[i].second)->tabOrder, static_cast<int>(i))
        << order[i].first << "(" << order[i].second << ")";
  }
  // Labels and frames never take the focus.
  for (const ControlSpec& row : layoutTable()) {
    if (row.kind == Kind::Label || row.kind == Kind::Frame) {
      EXPECT_EQ(row.tabOrder, -1) << row.name << "(" << row.index << ")";
    }
  }
  const auto focusable = std::count_if(layoutTable().begin(), layoutTable().end(),
                                       [](const ControlSpec& s) { return s.tabOrder >= 0; });
  EXPECT_EQ(focusable, static_cast<long>(std::size(order)));
}

TEST(LayoutTable, OuterFramesFillTheClientAreaWithTheirMargins) {
  // 120 from the left and top, 105 between frames and to the bottom, 75 short
  // of the right edge.
  const auto f0 = *findControl("Frame0"), f2 = *findControl("Frame2"), f1 = *findControl("Frame1"),
             f3 = *findControl("Frame3");
  EXPECT_EQ(f2.top, f0.top + f0.height + 105);
  EXPECT_EQ(f1.top, f2.top + f2.height + 105);
  EXPECT_EQ(f1.top + f1.height + 105, kClientHeightTwips);
  EXPECT_EQ(f3.top + f3.height + 105, kClientHeightTwips);
  EXPECT_EQ(f3.left, f0.left + f0.width + 105);
  EXPECT_EQ(f3.left + f3.width + 75, kClientWidthTwips);
  EXPECT_EQ(kClientWidthTwips / kTwipsPerPixel, 462);
  EXPECT_EQ(kClientHeightTwips / kTwipsPerPixel, 280);
}

}  // namespace
}  // namespace delaysub::window
