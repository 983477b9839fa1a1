// Where the Win32 window puts its controls, in what order, and how it wraps
// a label's caption: no display needed.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "win32/window_layout.h"

namespace delaysub::win32 {
// Rectangles in failure messages.
void PrintTo(const Rect& rect, std::ostream* out) {
  *out << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height;
}
}  // namespace delaysub::win32

namespace {

using delaysub::win32::placement;
using delaysub::win32::Rect;
using delaysub::window::ControlSpec;
using delaysub::window::errorReportSpec;
using delaysub::window::findControl;
using delaysub::window::Kind;
using delaysub::window::layoutTable;

struct Place {
  const char* name;
  int index;
  unsigned dpi;
  Rect rect;
};

ControlSpec rowOf(const std::string& name, int index) {
  if (name == "errorReport") {
    return errorReportSpec();
  }
  return findControl(name, static_cast<std::int16_t>(index)).value();
}

// At 96 dpi, the places and sizes the Qt window gives its widgets (measured
// in the window on Qt's offscreen platform); at 150 % and 200 % the same
// twips scaled, each frame's offset on its own.
const std::vector<Place> kPlaces = {
    {"Frame0", -1, 96, {8, 8, 201, 65}},         {"Frame4", -1, 96, {168, 88, 36, 51}},
    {"Option1", 0, 96, {176, 104, 25, 17}},      {"Combo0", -1, 96, {88, 45, 113, 20}},
    {"Label1", 0, 96, {24, 49, 60, 12}},  // an auto-sized label: the table's size
    {"Label1", 3, 96, {24, 240, 175, 28}},       {"Text1", 4, 96, {224, 96, 225, 169}},
    {"errorReport", -1, 96, {312, 10, 140, 30}}, {"Option1", 0, 144, {264, 156, 37, 25}},
    {"Text1", 4, 144, {336, 144, 337, 253}},     {"Label1", 0, 192, {48, 98, 120, 24}},
    {"Text1", 4, 192, {448, 192, 450, 338}},
};

TEST(WindowLayout, PlacesEveryControlAsTheQtWindowDoes) {
  for (const Place& place : kPlaces) {
    EXPECT_EQ(placement(rowOf(place.name, place.index), place.dpi), place.rect)
        << place.name << "(" << place.index << ") at " << place.dpi << " dpi";
  }
}

TEST(WindowLayout, EveryControlLiesInsideTheClientArea) {
  for (unsigned dpi : {96u, 120u, 144u, 192u}) {
    const int width = delaysub::win32::pixels(delaysub::window::kClientWidthTwips, dpi);
    const int height = delaysub::win32::pixels(delaysub::window::kClientHeightTwips, dpi);
    for (const ControlSpec& row : layoutTable()) {
      const Rect rect = placement(row, dpi);
      EXPECT_TRUE(rect.x >= 0 && rect.y >= 0 && rect.x + rect.width <= width &&
                  rect.y + rect.height <= height)
          << row.name << "(" << row.index << ") at " << dpi << " dpi";
    }
  }
}

TEST(WindowLayout, FramesAroundAControlInnermostFirst) {
  using Frames = std::vector<std::string_view>;
  EXPECT_EQ(delaysub::win32::framesAround(rowOf("Option1", 1)), (Frames{"Frame4", "Frame2"}));
  EXPECT_EQ(delaysub::win32::framesAround(rowOf("Frame4", -1)), (Frames{"Frame2"}));
  EXPECT_EQ(delaysub::win32::framesAround(rowOf("Frame0", -1)), Frames{});
  EXPECT_EQ(delaysub::win32::framesAround(rowOf("errorReport", -1)), (Frames{"Frame3"}));
}

// The Z order is the Tab key's: the focusable controls in the table's tab
// order, each option group together; no frame covers a control, and the
// SMOD frame lies above the baud-rate frame that holds it.
TEST(WindowLayout, ZOrderFollowsTheTabOrder) {
  const std::vector<ControlSpec> rows = delaysub::win32::zOrder();
  ASSERT_EQ(rows.size(), layoutTable().size());
  int lastTab = -1;
  bool pastFocusable = false;
  bool pastLabels = false;
  std::vector<std::string_view> frames;
  for (const ControlSpec& row : rows) {
    if (row.tabOrder >= 0) {
      EXPECT_FALSE(pastFocusable) << row.name;
      EXPECT_GT(row.tabOrder, lastTab) << row.name;
      lastTab = row.tabOrder;
    } else if (row.kind == Kind::Frame) {
      pastFocusable = pastLabels = true;
      frames.push_back(row.name);
    } else {
      EXPECT_FALSE(pastLabels) << row.name;
      pastFocusable = true;
    }
  }
  EXPECT_EQ(rows.front().name, "Option2");
  EXPECT_EQ(frames.front(), "Frame4");
  EXPECT_EQ(frames.size(), 5u);
}

TEST(WindowLayout, EveryControlHasItsOwnId) {
  std::set<int> ids{delaysub::win32::kErrorReportId};
  for (const ControlSpec& row : layoutTable()) {
    const int id = delaysub::win32::controlId(row);
    EXPECT_GE(id, delaysub::win32::kFirstControlId);
    EXPECT_TRUE(ids.insert(id).second) << row.name << "(" << row.index << ")";
  }
  EXPECT_EQ(delaysub::win32::controlId(errorReportSpec()), 0);
}

// Chinese characters 12 pixels wide, every other 6, as in the window's font.
int measure(std::wstring_view text) {
  int width = 0;
  for (wchar_t c : text) {
    width += c >= 0x2E80 ? 12 : 6;
  }
  return width;
}

struct Wrap {
  const wchar_t* text;
  int width;
  std::vector<std::wstring> lines;
};

const std::vector<Wrap> kWraps = {
    // Label1(3) in its 175 pixels, as the Qt window shows it.
    {L"  使用一字节内存资源：BYT_DLY 变量 X 即 BYT_DLY 内的初值",
     175,
     {L"  使用一字节内存资源：BYT_DLY ", L"变量 X 即 BYT_DLY 内的初值"}},
    {L"一二三四", 30, {L"一二", L"三四"}},
    {L"一二三：", 36, {L"一二", L"三："}},  // no line starts with a closing sign
    {L"（一）二", 36, {L"（一）", L"二"}},  // nor ends with an opening one
    {L"delay 10704 uS", 60, {L"delay ", L"10704 uS"}},
    {L"ABCDEFGH", 30, {L"ABCDE", L"FGH"}},  // a word wider than a line
    {L"中", 5, {L"中"}},                    // a character wider than a line
    {L"", 100, {}},
};

TEST(WindowLayout, WrapsCaptionsAtBlanksAndBetweenChineseCharacters) {
  for (const Wrap& wrap : kWraps) {
    EXPECT_EQ(delaysub::win32::wrapLines(wrap.text, wrap.width, measure), wrap.lines)
        << "width " << wrap.width;
  }
}

}  // namespace
