#include "win32/window_look.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <array>
#include <cwchar>

#include "win32/text.h"
#include "win32/window_layout.h"

namespace delaysub::win32 {

using window::ControlSpec;
using window::Kind;

namespace {

// Faces with 12-pixel Chinese and 6-pixel Latin in one fixed pitch, as the
// window is drawn, in the order tried: NSimSun, which every Windows has;
// WenQuanYi Zen Hei Mono, which the tests put into wine; Microsoft YaHei,
// proportional, should neither be there.
constexpr std::array<const wchar_t*, 4> kFaces = {L"NSimSun", L"SimSun", L"WenQuanYi Zen Hei Mono",
                                                  L"Microsoft YaHei"};

int CALLBACK faceFound(const LOGFONTW* /*font*/, const TEXTMETRICW* /*metrics*/, DWORD /*type*/,
                       LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

const wchar_t* windowFace() {
  HDC dc = GetDC(nullptr);
  const wchar_t* chosen = kFaces.back();
  for (const wchar_t* face : kFaces) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(query.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, faceFound, reinterpret_cast<LPARAM>(&found), 0);
    if (found) {
      chosen = face;
      break;
    }
  }
  ReleaseDC(nullptr, dc);
  return chosen;
}

}  // namespace

HFONT createFont(unsigned dpi) {
  static const wchar_t* const face = windowFace();
  LOGFONTW font{};
  font.lfHeight = -MulDiv(12, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

namespace {

// A function of user32 that older Windows lacks (Windows 10 brought the
// per-monitor DPI functions), nullptr there.
template <class Function>
Function user32Function(const char* name) {
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

unsigned windowDpi(HWND hwnd) {
  using GetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpi = user32Function<GetDpiForWindow>("GetDpiForWindow");
  if (getDpi) {
    return getDpi(hwnd);
  }
  HDC dc = GetDC(hwnd);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(hwnd, dc);
  return static_cast<unsigned>(dpi);
}

void adjustForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi) {
  using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = user32Function<Adjust>("AdjustWindowRectExForDpi");
  if (adjust) {
    adjust(&rect, style, FALSE, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
}

// The layout's system colours: the highlight colour, and the colour of the
// text on a title bar, white in the classic schemes. Since Windows 10 title
// bars are light and COLOR_CAPTIONTEXT black, which under the hex label's
// blue text leaves it unreadable; like the Qt window, this one takes the
// colour of text on the highlight, white in the standard schemes.
COLORREF colourOf(const window::Colour& colour, int fallback) {
  switch (colour.type) {
    case window::Colour::Type::Rgb:
      return RGB(colour.r, colour.g, colour.b);
    case window::Colour::Type::System:
      return GetSysColor(colour.system == window::Colour::System::Highlight ? COLOR_HIGHLIGHT
                                                                            : COLOR_HIGHLIGHTTEXT);
    case window::Colour::Type::Default:
      break;
  }
  return GetSysColor(fallback);
}

ControlStyle styleOf(const ControlSpec& row, bool firstOfGroup) {
  const DWORD common = WS_CHILD | WS_VISIBLE | (firstOfGroup ? WS_GROUP : 0);
  switch (row.kind) {
    case Kind::Frame:  // drawn by the window: drawFrame
      return {L"STATIC", common | SS_OWNERDRAW | WS_CLIPSIBLINGS};
    case Kind::OptionButton:
      // Automatic, so that the arrow keys select as they move, as the
      // dialog manager does it for these; the form's control still decides
      // what shows checked.
      return {L"BUTTON", common | BS_AUTORADIOBUTTON | BS_NOTIFY | WS_TABSTOP};
    case Kind::ComboBox:
      return {L"COMBOBOX", common | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP};
    case Kind::TextBox: {
      DWORD style = common | WS_TABSTOP;
      style |= (row.flags & window::kMultiLine) ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN
                                                : ES_AUTOHSCROLL;
      style |= (row.flags & window::kCentred) ? ES_CENTER : ES_LEFT;
      style |= (row.flags & window::kReadOnly) ? ES_READONLY : 0;
      return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case Kind::Label:
      break;
  }
  if (row.flags & window::kWordWrap) {  // drawn by the window: drawWrapped
    return {L"STATIC", common | SS_OWNERDRAW | SS_NOTIFY};
  }
  DWORD style = common | SS_NOTIFY | SS_NOPREFIX;
  if (row.flags & window::kRightAlign) {
    style |= SS_RIGHT | SS_CENTERIMAGE;
  } else {
    style |= (row.flags & window::kAutoSize) ? SS_LEFTNOWORDWRAP : SS_LEFT;
  }
  return {L"STATIC", style, (row.flags & window::kSunken) ? WS_EX_CLIENTEDGE : 0u};
}

HWND createChild(HWND parent, HINSTANCE instance, const ControlSpec& row, const ControlStyle& kind,
                 int id) {
  HWND hwnd = CreateWindowExW(kind.exStyle, kind.className, toUtf16(row.text).c_str(), kind.style,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              instance, nullptr);
  // Last in the Z order so far: the order of creation is the Tab key's.
  SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (row.kind == Kind::OptionButton) {
    SetWindowTheme(hwnd, L"", L"");
  }
  if (row.kind == Kind::TextBox) {
    SendMessageW(hwnd, EM_LIMITTEXT, 0, 0);  // as long as the text is: nothing is cut off
  }
  return hwnd;
}

}  // namespace delaysub::win32
