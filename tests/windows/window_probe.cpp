// Reads the running calculator window from outside, as another program
// sees it, and says what the form model shows for the same input; the
// window test (window_test.sh) drives the window with real input and
// compares the two after every step.
//
//   window_probe read               every control's state in the window
//   window_probe model STEPS N      the same lines from the form model after
//                                   the first N steps of the step file
//   window_probe expect STEPS N     waits (5 s at most) until the window
//                                   shows what the model does; else the
//                                   lines that differ, exit status 1
//   window_probe where              each control's rectangle on the screen,
//                                   and a drop-down list's item height
//   window_probe layout [DPI]       the controls' places in the client area
//                                   against the layout table at DPI (96)
//   window_probe focus              the control that has the focus
//   window_probe tabchain           the Tab key's stops after start-up
//   window_probe clipboard STEPS N  the clipboard's text against the
//                                   template copy the model gives
//   window_probe hint STEPS N NAME INDEX   the tooltip shown against the
//                                   control's hint in the model
//   window_probe frame              the window's caption, borders and owner
//   window_probe close              closes the window
//
// Step file: one step a line, "#" comments: click NAME INDEX, retype NAME
// INDEX TEXT, pick NAME ITEM, dblclick NAME INDEX (INDEX -1 for single
// controls), and the window test's own checks, which change nothing.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "win32/text.h"
#include "win32/window.h"
#include "win32/window_layout.h"
#include "window/form.h"
#include "window/hints.h"
#include "window/layout.h"
#include "window_steps.h"

namespace {

using delaysub::window::ControlSpec;
using delaysub::window::DelaySubForm;
using delaysub::window::Kind;
namespace win32 = delaysub::win32;
using win32::test::modelLines;
using win32::test::nameOf;
using win32::test::quoted;
using win32::test::replay;
using win32::test::rowOf;

// ---- the window -----------------------------------------------------------------

HWND findWindow() {
  return FindWindowW(win32::kWindowClass, win32::toUtf16(delaysub::window::kWindowCaption).c_str());
}

LRESULT ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
  return static_cast<LRESULT>(result);
}

std::string textOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(ask(hwnd, WM_GETTEXTLENGTH)) + 1, L'\0');
  const LRESULT length = ask(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return win32::toUtf8(text);
}

std::string shownText(HWND hwnd) {
  return IsWindowVisible(hwnd) ? "shown" : "hidden";
}

std::vector<std::string> windowLines(HWND window) {
  std::vector<std::string> lines;
  for (const ControlSpec& row : delaysub::window::layoutTable()) {
    HWND hwnd = GetDlgItem(window, win32::controlId(row));
    std::string line = nameOf(row) + " ";
    if (!hwnd) {
      lines.push_back(line + "missing");
      continue;
    }
    if (row.kind == Kind::Label || row.kind == Kind::TextBox) {
      line += quoted(textOf(hwnd)) + " ";
    } else if (row.kind == Kind::ComboBox) {
      line += quoted(textOf(hwnd)) + " item " + std::to_string(ask(hwnd, CB_GETCURSEL)) + " of " +
              std::to_string(ask(hwnd, CB_GETCOUNT)) + " ";
    } else if (row.kind == Kind::OptionButton) {
      line += ask(hwnd, BM_GETCHECK) == BST_CHECKED ? "checked " : "unchecked ";
    }
    lines.push_back(line + shownText(hwnd));
  }
  HWND report = GetDlgItem(window, win32::kErrorReportId);
  lines.push_back("errorReport " + quoted(textOf(report)) + " " + shownText(report));
  return lines;
}

RECT clientRect(HWND window, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// ---- commands ---------------------------------------------------------------------

int expect(HWND window, const std::string& steps, std::size_t count) {
  DelaySubForm form;
  replay(form, steps, count);
  const std::vector<std::string> expected = modelLines(form);
  std::vector<std::string> seen;
  for (int attempt = 0; attempt < 50; ++attempt) {
    seen = windowLines(window);
    if (seen == expected) {
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (std::size_t i = 0; i < expected.size() && i < seen.size(); ++i) {
    if (seen[i] != expected[i]) {
      std::printf("  window: %s\n  model:  %s\n", seen[i].c_str(), expected[i].c_str());
    }
  }
  return 1;
}

void where(HWND window) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::printf("window -1 %ld %ld\n", origin.x, origin.y);
  for (const ControlSpec& row : delaysub::window::layoutTable()) {
    HWND hwnd = GetDlgItem(window, win32::controlId(row));
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    std::printf("%s %d %ld %ld %ld %ld %ld\n", std::string(row.name).c_str(), row.index, rect.left,
                rect.top, rect.right - rect.left, rect.bottom - rect.top,
                row.kind == Kind::ComboBox ? static_cast<long>(ask(hwnd, CB_GETITEMHEIGHT)) : 0L);
  }
  RECT report{};
  GetWindowRect(GetDlgItem(window, win32::kErrorReportId), &report);
  std::printf("errorReport -1 %ld %ld %ld %ld 0\n", report.left, report.top,
              report.right - report.left, report.bottom - report.top);
}

// Every control where the layout table puts it at dpi, within 2 pixels,
// which at 96 dpi is where the Qt window puts it at scale 1; auto-sized
// labels as wide as the table says (12 pixels a Chinese character, 6 a
// Latin one, at 96 dpi) and all as high as the font's line; the client area
// exactly the table's (462 x 280 at 96 dpi).
int layout(HWND window, unsigned dpi) {
  int failed = 0;
  RECT client{};
  GetClientRect(window, &client);
  const int clientWidth = win32::pixels(delaysub::window::kClientWidthTwips, dpi);
  const int clientHeight = win32::pixels(delaysub::window::kClientHeightTwips, dpi);
  if (client.right != clientWidth || client.bottom != clientHeight) {
    std::printf("client area %ldx%ld, not %dx%d\n", client.right, client.bottom, clientWidth,
                clientHeight);
    ++failed;
  }
  long labelHeight = -1;
  std::vector<ControlSpec> rows(delaysub::window::layoutTable().begin(),
                                delaysub::window::layoutTable().end());
  rows.push_back(delaysub::window::errorReportSpec());
  int worst = 0;
  for (const ControlSpec& row : rows) {
    const int id = row.name == "errorReport" ? win32::kErrorReportId : win32::controlId(row);
    const RECT seen = clientRect(window, GetDlgItem(window, id));
    const win32::Rect wanted = win32::placement(row, dpi);
    const bool autoSize = row.kind == Kind::Label && (row.flags & delaysub::window::kAutoSize);
    const long height = seen.bottom - seen.top;
    if (autoSize) {
      labelHeight = labelHeight < 0 ? height : labelHeight;
    }
    const long off[] = {seen.left - wanted.x, seen.top - wanted.y,
                        seen.right - seen.left - wanted.width,
                        autoSize ? height - labelHeight : height - wanted.height};
    for (long d : off) {
      worst = std::max(worst, static_cast<int>(d < 0 ? -d : d));
    }
    if (std::abs(off[0]) > 2 || std::abs(off[1]) > 2 || std::abs(off[2]) > 2 ||
        std::abs(off[3]) > 2 || (autoSize && height < wanted.height)) {
      std::printf("%s at %ld,%ld %ldx%ld, not %d,%d %dx%d\n", nameOf(row).c_str(), seen.left,
                  seen.top, seen.right - seen.left, height, wanted.x, wanted.y, wanted.width,
                  wanted.height);
      ++failed;
    }
  }
  std::printf("layout at %u dpi: %zu controls, %d out of place, largest difference %d px\n", dpi,
              rows.size(), failed, worst);
  return failed == 0 ? 0 : 1;
}

std::string focused(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  for (const ControlSpec& row : delaysub::window::layoutTable()) {
    HWND hwnd = GetDlgItem(window, win32::controlId(row));
    if (info.hwndFocus && (info.hwndFocus == hwnd || IsChild(hwnd, info.hwndFocus))) {
      return nameOf(row);
    }
  }
  return "none";
}

// After start-up: the controls of the layout table's tab order, an option
// group only at its selected button.
void tabChain() {
  DelaySubForm form;
  form.load();
  form.shown();
  std::vector<ControlSpec> chain(delaysub::window::layoutTable().begin(),
                                 delaysub::window::layoutTable().end());
  std::stable_sort(chain.begin(), chain.end(), [](const ControlSpec& a, const ControlSpec& b) {
    return a.tabOrder < b.tabOrder;
  });
  for (const ControlSpec& row : chain) {
    if (row.tabOrder < 0) {
      continue;
    }
    if (row.kind == Kind::OptionButton) {
      auto& group = form.control<delaysub::window::OptionGroup>(row.name, row.index);
      if (group.selected() >= 0 && !group.isSelected(row.index)) {
        continue;
      }
    }
    std::printf("%s\n", nameOf(row).c_str());
  }
}

int clipboard(const std::string& steps, std::size_t count) {
  DelaySubForm form;
  replay(form, steps, count);
  const std::string expected = delaysub::window::hints::templateCopy(form).text;
  std::string seen;
  for (int attempt = 0; attempt < 20 && seen != expected; ++attempt) {
    if (OpenClipboard(nullptr)) {
      if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        seen = win32::toUtf8(static_cast<const wchar_t*>(GlobalLock(data)));
        GlobalUnlock(data);
      }
      CloseClipboard();
    }
    if (seen != expected) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  if (seen != expected) {
    std::printf("clipboard %s\nexpected  %s\n", quoted(seen).c_str(), quoted(expected).c_str());
    return 1;
  }
  return 0;
}

// The tooltip the window shows now, "" when none.
std::string shownTip(HWND window) {
  struct Search {
    HWND owner;
    HWND tip = nullptr;
  } search{window};
  EnumWindows(
      [](HWND hwnd, LPARAM data) {
        auto* found = reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (std::wstring_view(name) == L"tooltips_class32" && IsWindowVisible(hwnd) &&
            GetWindow(hwnd, GW_OWNER) == found->owner) {
          found->tip = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.tip ? textOf(search.tip) : "";
}

// The tooltip that shows over a control (the mouse rests on it): the
// form's hint for the baud result and the seed box, else the table's.
int hint(HWND window, const std::string& steps, std::size_t count, const std::string& name,
         int index) {
  DelaySubForm form;
  replay(form, steps, count);
  namespace hints = delaysub::window::hints;
  const std::string expected = name == "Text2" ? hints::baudHint(form)
                               : name == "Text1" && index == 1
                                   ? hints::seedHint(form)
                                   : std::string(rowOf(name, index).tooltip);
  std::string seen;
  for (int attempt = 0; attempt < 30 && seen != expected; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    seen = shownTip(window);
  }
  if (seen != expected) {
    std::printf("tooltip  %s\nexpected %s\n", quoted(seen).c_str(), quoted(expected).c_str());
    return 1;
  }
  return 0;
}

// The window's frame: a caption with the close box and the system menu, no
// sizing border, no minimize or maximize box; an owner that is never shown,
// which keeps it out of the task bar.
int frame(HWND window) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  HWND owner = GetWindow(window, GW_OWNER);
  const std::vector<std::pair<const char*, bool>> facts = {
      {"a caption", (style & WS_CAPTION) == WS_CAPTION},
      {"a system menu and close box", (style & WS_SYSMENU) != 0},
      {"no sizing border", (style & WS_THICKFRAME) == 0},
      {"no minimize or maximize box", (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0},
      {"an owner never shown", owner != nullptr && !IsWindowVisible(owner)},
      {"no task bar button of its own", (exStyle & WS_EX_APPWINDOW) == 0},
  };
  int failed = 0;
  for (const auto& [what, holds] : facts) {
    if (!holds) {
      std::printf("the window lacks %s\n", what);
      ++failed;
    }
  }
  return failed == 0 ? 0 : 1;
}

// Closes the window as its close box does; 0 once it is gone.
int closeWindow(HWND window) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  for (int attempt = 0; attempt < 50 && IsWindow(window); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return IsWindow(window) ? 1 : 0;
}

// The commands that read the running window.
int windowCommand(HWND window, const std::vector<std::string>& args) {
  const std::string& command = args[0];
  const std::string steps = args.size() > 1 ? args[1] : "";
  const std::size_t count = args.size() > 2 ? std::stoul(args[2]) : 0;
  if (command == "read") {
    for (const std::string& line : windowLines(window)) {
      std::printf("%s\n", line.c_str());
    }
    return 0;
  }
  if (command == "expect") {
    return expect(window, steps, count);
  }
  if (command == "where") {
    where(window);
    return 0;
  }
  if (command == "layout") {
    return layout(window, args.size() > 1 ? static_cast<unsigned>(std::stoul(args[1])) : 96u);
  }
  if (command == "focus") {
    std::printf("%s\n", focused(window).c_str());
    return 0;
  }
  if (command == "clipboard") {
    return clipboard(steps, count);
  }
  if (command == "hint" && args.size() > 4) {
    return hint(window, steps, count, args[3], std::stoi(args[4]));
  }
  if (command == "frame") {
    return frame(window);
  }
  if (command == "close") {
    return closeWindow(window);
  }
  std::fprintf(stderr,
               "usage: window_probe read|model|expect|where|layout|focus|tabchain|\n"
               "       clipboard|hint|frame|close\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  _setmode(_fileno(stdout), _O_BINARY);  // LF line ends, for the shell that reads them
  // The window lives on wine's desktop window of this name, a desktop of
  // its own: the probe looks there.
  if (const wchar_t* name = _wgetenv(L"DELAYSUB_WINE_DESKTOP")) {
    if (HDESK desktop = OpenDesktopW(name, 0, FALSE, GENERIC_ALL)) {
      SetThreadDesktop(desktop);
    }
  }
  const std::vector<std::string> args = win32::utf8Arguments(argc, argv);
  if (args.empty()) {
    return windowCommand(nullptr, {""});
  }
  if (args[0] == "model") {
    DelaySubForm form;
    replay(form, args.size() > 1 ? args[1] : "", args.size() > 2 ? std::stoul(args[2]) : 0);
    for (const std::string& line : modelLines(form)) {
      std::printf("%s\n", line.c_str());
    }
    return 0;
  }
  if (args[0] == "tabchain") {
    tabChain();
    return 0;
  }
  HWND window = findWindow();
  if (!window) {
    std::fprintf(stderr, "window_probe: no window \"%s\"\n",
                 std::string(delaysub::window::kWindowCaption).c_str());
    return 2;
  }
  return windowCommand(window, args);
}
