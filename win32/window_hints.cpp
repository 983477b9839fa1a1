#include "win32/window_hints.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>

#include "win32/text.h"
#include "win32/window.h"
#include "win32/window_layout.h"
#include "window/hints.h"

namespace delaysub::win32 {

namespace hints = window::hints;

namespace {

using window::ControlSpec;
using window::Kind;

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT kCopySeeded = 0x8001;
// A tip's widest line: longer lines wrap, and the text's own line breaks
// break it.
constexpr int kTipWidthTwips = 9000;

// The template box's menu: the edit box's own entries, worded as Windows
// words them for Chinese, each sending the box the message that does it;
// the copy with the seed filled in comes after Copy.
struct MenuEntry {
  const wchar_t* caption;  // nullptr for a separator
  UINT message;
};
constexpr std::array<MenuEntry, 9> kTemplateMenu = {{
    {L"撤消(&U)", EM_UNDO},
    {nullptr, 0},
    {L"剪切(&T)", WM_CUT},
    {L"复制(&C)", WM_COPY},
    {L"", kCopySeeded},
    {L"粘贴(&P)", WM_PASTE},
    {L"删除(&D)", WM_CLEAR},
    {nullptr, 0},
    {L"全选(&A)", EM_SETSEL},
}};

TTTOOLINFOW toolFor(HWND window, HWND control) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  return tool;
}

// A frame lets the mouse through to the window: its tip is an area of the
// window, shown where no control of the frame is.
TTTOOLINFOW toolForArea(HWND window, const ControlSpec& frame, unsigned dpi) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = static_cast<UINT_PTR>(controlId(frame));
  const Rect area = placement(frame, dpi);
  tool.rect = {area.x, area.y, area.x + area.width, area.y + area.height};
  return tool;
}

bool copyText(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) {
    return false;
  }
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  bool copied = false;
  if (void* target = memory ? GlobalLock(memory) : nullptr) {
    std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(target));
    GlobalUnlock(memory);
    copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  }
  if (memory && !copied) {
    GlobalFree(memory);
  }
  CloseClipboard();
  return copied;
}

// Whether an entry of the box's menu can act, as the edit box's own menu says.
bool entryEnabled(HWND box, UINT message) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const bool selection = start != end;
  const bool editable = !(GetWindowLongPtrW(box, GWL_STYLE) & ES_READONLY);
  switch (message) {
    case EM_UNDO:
      return editable && SendMessageW(box, EM_CANUNDO, 0, 0);
    case WM_CUT:
    case WM_CLEAR:
      return editable && selection;
    case WM_COPY:
      return selection;
    case WM_PASTE:
      return editable && IsClipboardFormatAvailable(CF_UNICODETEXT);
    default:
      return GetWindowTextLengthW(box) > 0 &&
             (start != 0 || end != static_cast<DWORD>(GetWindowTextLengthW(box)));
  }
}

}  // namespace

HintsBinding::HintsBinding(CalculatorWindow& window, HINSTANCE instance)
    : window_(window),
      baudBox_(window.control("Text2")),
      seedBox_(window.control("Text1", 1)),
      templateBox_(window.control("Text1", 4)) {
  tooltip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, window.handle(), nullptr, instance, nullptr);
  for (const ControlSpec& row : window::layoutTable()) {
    if (row.tooltip.empty()) {
      continue;
    }
    std::wstring text = toUtf16(row.tooltip);
    TTTOOLINFOW tool = row.kind == Kind::Frame
                           ? toolForArea(window.handle(), row, window.dpi())
                           : toolFor(window.handle(), window.control(row.name, row.index));
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  addTool(baudBox_, hints::baudHint(window.form()));
  addTool(seedBox_, hints::seedHint(window.form()));
  SetWindowSubclass(templateBox_, templateBoxProcedure, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
  window.form().events.subscribe(*this);
  place();
}

HintsBinding::~HintsBinding() {
  window_.form().events.unsubscribe(*this);
  RemoveWindowSubclass(templateBox_, templateBoxProcedure, kSubclassId);
  DestroyWindow(tooltip_);
}

void HintsBinding::eventFinished(const std::vector<window::RunError>& /*errors*/) {
  update();
}

void HintsBinding::update() {
  setTool(baudBox_, hints::baudHint(window_.form()));
  setTool(seedBox_, hints::seedHint(window_.form()));
}

void HintsBinding::place() {
  SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(window_.font()), FALSE);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, pixels(kTipWidthTwips, window_.dpi()));
  for (const ControlSpec& row : window::layoutTable()) {
    if (row.kind == Kind::Frame && !row.tooltip.empty()) {
      TTTOOLINFOW tool = toolForArea(window_.handle(), row, window_.dpi());
      SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
}

void HintsBinding::addTool(HWND control, const std::string& text) {
  std::wstring wide = toUtf16(text);
  TTTOOLINFOW tool = toolFor(window_.handle(), control);
  tool.lpszText = wide.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void HintsBinding::setTool(HWND control, const std::string& text) {
  std::wstring wide = toUtf16(text);
  TTTOOLINFOW tool = toolFor(window_.handle(), control);
  tool.lpszText = wide.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK HintsBinding::templateBoxProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                    LPARAM lParam, UINT_PTR /*id*/,
                                                    DWORD_PTR self) {
  // The mouse's right button, the menu key and Shift+F10 all ask for it.
  if (message == WM_CONTEXTMENU) {
    reinterpret_cast<HintsBinding*>(self)->showTemplateMenu(lParam);
    return 0;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void HintsBinding::showTemplateMenu(LPARAM position) {
  POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (position == -1) {  // from the keyboard: at the caret
    GetCaretPos(&at);
    at.y += pixels(180, window_.dpi());
    ClientToScreen(templateBox_, &at);
  }
  SetFocus(templateBox_);
  const hints::TemplateCopy copy = hints::templateCopy(window_.form());
  const std::wstring seeded = toUtf16(copy.caption);
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& entry : kTemplateMenu) {
    if (!entry.caption) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const bool seededEntry = entry.message == kCopySeeded;
    const bool enabled = seededEntry ? copy.enabled : entryEnabled(templateBox_, entry.message);
    AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), entry.message,
                seededEntry ? seeded.c_str() : entry.caption);
  }
  const auto chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, templateBox_, nullptr));
  DestroyMenu(menu);
  if (chosen == kCopySeeded) {
    copyText(templateBox_, toUtf16(copy.text));
  } else if (chosen == EM_SETSEL) {
    SendMessageW(templateBox_, EM_SETSEL, 0, -1);
  } else if (chosen != 0) {
    SendMessageW(templateBox_, chosen, 0, 0);
  }
}

}  // namespace delaysub::win32
