// How the Win32 window looks and what it is made of: its font at a DPI, the
// DPI functions that older Windows lacks, the layout's colours, and the
// Win32 control of each row of the layout table.
#pragma once

#include <windows.h>

#include "window/layout.h"

namespace delaysub::win32 {

// The window's font at dpi: 12 pixels to the em at 96 dpi, in the first face
// of NSimSun, SimSun, WenQuanYi Zen Hei Mono, Microsoft YaHei that is there.
HFONT createFont(unsigned dpi);

// The window's DPI (the system's before Windows 10).
unsigned windowDpi(HWND hwnd);
// The window rectangle of a client rectangle at dpi.
void adjustForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi);

// A layout colour; fallback is the system colour of the default.
COLORREF colourOf(const window::Colour& colour, int fallback);

struct ControlStyle {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle = 0;
};
// The Win32 control of a table row; firstOfGroup starts a group for the
// arrow keys.
ControlStyle styleOf(const window::ControlSpec& row, bool firstOfGroup);
// Creates it, last in the Z order so far (the order of creation is the Tab
// key's). Option buttons draw their captions without the visual style, which
// would ignore the layout's caption colours; the window draws the frames
// itself, for the same reason.
HWND createChild(HWND parent, HINSTANCE instance, const window::ControlSpec& row,
                 const ControlStyle& kind, int id);

}  // namespace delaysub::win32
