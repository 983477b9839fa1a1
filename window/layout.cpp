#include "window/layout.h"

#include <array>

namespace delaysub::window {

namespace {

constexpr Colour kDefault = Colour::none();
constexpr Colour kRed = Colour::rgb(255, 0, 0);
constexpr Colour kBlue = Colour::rgb(0, 0, 255);
constexpr Colour kDarkBlue = Colour::rgb(0, 0, 192);
constexpr Colour kNavy = Colour::rgb(0, 0, 128);
constexpr Colour kTeal = Colour::rgb(0, 128, 128);
constexpr Colour kHighlight = Colour::highlight();
constexpr Colour kCaptionText = Colour::captionText();

constexpr std::string_view kToggleHint = "双击可以切换";

using K = Kind;

// clang-format off
constexpr std::array kTable = {
  // The four frames on the client area, then the SMOD frame inside Frame2.
  ControlSpec{"Frame0", -1, K::Frame, "", "CPU 类型：", 120, 120, 3015, 975, kNavy, kDefault, kNoFlags, "", -1},
  ControlSpec{"Frame2", -1, K::Frame, "", "波特率计算：", 120, 1200, 3015, 975, kHighlight, kDefault, kNoFlags, "忠告：尽量用无误差主频", -1},
  ControlSpec{"Frame1", -1, K::Frame, "", "通用延时子程序参数：", 120, 2280, 3015, 1815, kHighlight, kDefault, kNoFlags, "", -1},
  ControlSpec{"Frame3", -1, K::Frame, "", "", 3240, 120, 3615, 3975, kDefault, kDefault, kNoFlags, "", -1},
  ControlSpec{"Frame4", -1, K::Frame, "Frame2", "SMOD", 2400, 120, 550, 765, kBlue, kDefault, kNoFlags, "", -1},

  // CPU type and crystal.
  ControlSpec{"Option0", 0, K::OptionButton, "Frame0", "MCS-51", 240, 240, 855, 180, kDarkBlue, kDefault, kNoFlags, "", 5},
  ControlSpec{"Option0", 1, K::OptionButton, "Frame0", "AVR", 1200, 240, 735, 180, kDarkBlue, kDefault, kNoFlags, "", 6},
  ControlSpec{"Option0", 2, K::OptionButton, "Frame0", "W77E58", 2040, 240, 855, 180, kDarkBlue, kDefault, kNoFlags, "", 7},
  ControlSpec{"Label1", 0, K::Label, "Frame0", "晶振频率：", 240, 620, 900, 180, kDarkBlue, kDefault, kAutoSize, "", -1, "Combo0"},
  ControlSpec{"Combo0", -1, K::ComboBox, "Frame0", "请选择频率", 1200, 560, 1695, 300, kRed, kDefault, kNoFlags, "", 14},

  // Baud-rate calculation.
  ControlSpec{"Label2", 0, K::Label, "Frame2", "波特率 Bps：", 120, 285, 1080, 180, kDarkBlue, kDefault, kAutoSize, "", -1, "Combo1"},
  ControlSpec{"Combo1", -1, K::ComboBox, "Frame2", "9600", 1200, 240, 1095, 300, kRed, kDefault, kNoFlags, "", 12},
  ControlSpec{"Label2", 2, K::Label, "Frame2", kTh1Caption, 120, 640, 1080, 180, kDarkBlue, kDefault, kAutoSize, "", -1, "Text2"},
  ControlSpec{"Text2", -1, K::TextBox, "Frame2", "", 1200, 600, 1095, 270, kRed, kDefault, kCentred, "", 13},

  // SMOD bit.
  ControlSpec{"Option1", 0, K::OptionButton, "Frame4", "0", 120, 240, 375, 255, kRed, kDefault, kNoFlags, "", 11},
  ControlSpec{"Option1", 1, K::OptionButton, "Frame4", "1", 120, 480, 375, 255, kRed, kDefault, kNoFlags, "", 10},

  // Delay parameters.
  ControlSpec{"Option2", 0, K::OptionButton, "Frame1", "单循环", 120, 240, 855, 255, kDarkBlue, kDefault, kNoFlags, "", 0},
  ControlSpec{"Option2", 1, K::OptionButton, "Frame1", "二循环", 1080, 240, 855, 255, kDarkBlue, kDefault, kNoFlags, "", 1},
  ControlSpec{"Option2", 2, K::OptionButton, "Frame1", "三循环", 2040, 240, 855, 255, kDarkBlue, kDefault, kNoFlags, "", 2},
  ControlSpec{"Label1", 2, K::Label, "Frame1", "延时种子： X=", 240, 600, 1170, 180, kDarkBlue, kDefault, kAutoSize, "", -1, "Text1", 1},
  ControlSpec{"Text1", 1, K::TextBox, "Frame1", "", 1440, 555, 525, 270, kBlue, kDefault, kCentred, "", 4},
  ControlSpec{"Label1", 7, K::Label, "Frame1", "D =", 1995, 600, 270, 180, kBlue, kDefault, kAutoSize, kToggleHint, -1},
  ControlSpec{"Label1", 9, K::Label, "Frame1", "", 2280, 600, 375, 240, kBlue, kCaptionText, kSunken | kRightAlign, kToggleHint, -1},
  ControlSpec{"Label1", 10, K::Label, "Frame1", "H", 2715, 600, 90, 180, kBlue, kDefault, kAutoSize, kToggleHint, -1},
  ControlSpec{"Label1", 1, K::Label, "Frame1", "延时时间： T=", 240, 960, 1170, 180, kDarkBlue, kDefault, kAutoSize, "", -1, "Text1", 0},
  ControlSpec{"Text1", 0, K::TextBox, "Frame1", "", 1440, 900, 1215, 270, kRed, kDefault, kCentred | kReadOnly, "", 3},
  ControlSpec{"Label1", 6, K::Label, "Frame1", "uS", 2715, 960, 180, 180, kBlue, kDefault, kAutoSize, kToggleHint, -1},
  ControlSpec{"Label1", 3, K::Label, "Frame1", "  使用一字节内存资源：BYT_DLY 变量 X 即 BYT_DLY 内的初值", 240, 1320, 2625, 420, kTeal, kDefault, kWordWrap, "", -1},

  // Formula and code template.
  ControlSpec{"Label1", 4, K::Label, "Frame3", "延时计算公式：", 120, 240, 1260, 180, kHighlight, kDefault, kAutoSize, "", -1, "Text1", 3},
  ControlSpec{"Text1", 3, K::TextBox, "Frame3", "", 120, 480, 3375, 495, kNavy, kDefault, kMultiLine | kReadOnly, "", 8},
  ControlSpec{"Label1", 8, K::Label, "Frame3", "延时子程序片断：", 120, 1080, 1440, 180, kHighlight, kDefault, kAutoSize, "", -1, "Text1", 4},
  ControlSpec{"Text1", 4, K::TextBox, "Frame3", "Text2\r\n", 120, 1320, 3375, 2535, kDefault, kDefault, kMultiLine, "", 9},
};

// In Frame3, right of the formula caption and above the formula box; red,
// right-aligned, wrapping on fixed lines.
constexpr ControlSpec kErrorReport{"errorReport", -1, K::Label, "Frame3", "", 1440, 30, 2100, 450, kRed, kDefault, kWordWrap | kRightAlign, "", -1};
// clang-format on

}  // namespace

std::span<const ControlSpec> layoutTable() {
  return kTable;
}

const ControlSpec& errorReportSpec() {
  return kErrorReport;
}

std::optional<ControlSpec> findControl(std::string_view name, std::int16_t index) {
  for (const ControlSpec& row : kTable) {
    if (row.name == name && row.index == index) {
      return row;
    }
  }
  return std::nullopt;
}

}  // namespace delaysub::window
