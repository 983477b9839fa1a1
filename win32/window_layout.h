// Where the Win32 window puts the controls of the layout table. The table
// gives twips relative to each control's frame; Win32 controls are all
// children of the window, so every frame's offset is added, each part
// scaled to pixels on its own (15 twips a pixel at 96 dpi, rounded down)
// as the Qt window places each widget in its frame.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window/layout.h"

namespace delaysub::win32 {

inline constexpr unsigned kBaseDpi = 96;

// Twips as pixels at dpi, rounded down.
int pixels(int twips, unsigned dpi);

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// The row's rectangle in the window's client area at dpi. An auto-sized
// label gets the table's size; the window fits it to its caption.
Rect placement(const window::ControlSpec& row, unsigned dpi);

// The frames that hold the row, innermost first ("Frame4", "Frame2").
std::vector<std::string_view> framesAround(const window::ControlSpec& row);

// Control ids: a row's position in the layout table after kFirstControlId;
// the error report has its own. 0 for a row that is not in the table.
inline constexpr int kFirstControlId = 100;
inline constexpr int kErrorReportId = 99;
int controlId(const window::ControlSpec& row);

// The rows in the order of the window's Z order, which is the order of the
// Tab key: the controls that take the focus by their place in the tab
// order, then the labels, then the frames (lowest, so that they never cover
// a control; inner frames above outer ones).
std::vector<window::ControlSpec> zOrder();

// A wrapping label's caption in lines no wider than width, as measure gives
// widths: broken after blanks and between Chinese characters (never before a
// closing sign such as "：" or "）", nor after an opening one), a word wider
// than a line wherever it must be. A line keeps the blanks it ends with.
std::vector<std::wstring> wrapLines(std::wstring_view text, int width,
                                    const std::function<int(std::wstring_view)>& measure);

}  // namespace delaysub::win32
