#include "win32/window.h"

#include <algorithm>
#include <functional>

#include "win32/text.h"
#include "win32/window_hints.h"
#include "win32/window_layout.h"
#include "win32/window_look.h"

namespace delaysub::win32 {

namespace {

using window::ControlSpec;
using window::Kind;

constexpr int kIconId = 1;
// The height of a line of text: the font's size, 9 points.
constexpr int kLineTwips = 180;
// Where a frame's caption starts, from the frame's left edge.
constexpr int kCaptionLeftTwips = 120;

std::wstring windowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

CalculatorWindow::CalculatorWindow(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.cbWndExtra = DLGWINDOWEXTRA;  // a dialog: DefDlgProc runs the keyboard
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);

  // The owner is never shown; an owned window gets no task bar button.
  owner_ =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  hwnd_ =
      CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kWindowClass,
                      toUtf16(window::kWindowCaption).c_str(),
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr, instance, this);
  // A fixed dialog: its system menu moves and closes it.
  HMENU system = GetSystemMenu(hwnd_, FALSE);
  for (UINT item : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) {
    DeleteMenu(system, item, MF_BYCOMMAND);
  }
  dpi_ = windowDpi(hwnd_);
  font_ = createFont(dpi_);
  createControls(instance);
  for (Control& control : controls_) {
    bind(control);
  }
  bindOptionGroups();
  bindFrames();
  bindErrorReport();
  hints_ = std::make_unique<HintsBinding>(*this, instance);
  form_.load();
  applyDpi(dpi_, nullptr);
}

CalculatorWindow::~CalculatorWindow() {
  hints_.reset();
  closing_ = true;
  if (IsWindow(hwnd_)) {
    DestroyWindow(hwnd_);
  }
  DestroyWindow(owner_);
  DeleteObject(font_);
}

void CalculatorWindow::createControls(HINSTANCE instance) {
  ++writing_;
  std::string_view group;
  for (const ControlSpec& row : zOrder()) {
    if (row.kind == Kind::Frame && !errorReport_) {
      // Above the frames, like the labels; the error report raises nothing.
      const ControlSpec& report = window::errorReportSpec();
      ControlStyle style{L"STATIC", WS_CHILD | WS_GROUP | SS_OWNERDRAW};
      errorReport_ = createChild(hwnd_, instance, report, style, kErrorReportId);
    }
    // A group of option buttons starts at its first button; every other
    // control is a group of its own, for the arrow keys.
    const bool first = row.kind != Kind::OptionButton || row.name != group;
    group = row.kind == Kind::OptionButton ? row.name : std::string_view();
    Control control{row, createChild(hwnd_, instance, row, styleOf(row, first), controlId(row))};
    if (row.kind == Kind::ComboBox) {
      COMBOBOXINFO info{};
      info.cbSize = sizeof(info);
      GetComboBoxInfo(control.hwnd, &info);
      control.edit = info.hwndItem;
      control.list = info.hwndList;
    }
    controls_.push_back(control);
  }
  --writing_;
}

HWND CalculatorWindow::control(std::string_view name, int index) const {
  for (const Control& control : controls_) {
    if (control.row.name == name && control.row.index == index) {
      return control.hwnd;
    }
  }
  return nullptr;
}

const CalculatorWindow::Control* CalculatorWindow::owning(HWND hwnd) const {
  for (const Control& control : controls_) {
    if (control.hwnd == hwnd || (control.edit && control.edit == hwnd) ||
        (control.list && control.list == hwnd)) {
      return &control;
    }
  }
  return nullptr;
}

void CalculatorWindow::applyDpi(unsigned dpi, const RECT* suggested) {
  ++writing_;
  dpi_ = dpi;
  HFONT old = font_;
  font_ = createFont(dpi_);
  for (const Control& control : controls_) {
    SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    place(control);
  }
  SendMessageW(errorReport_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  const Rect report = placement(window::errorReportSpec(), dpi_);
  MoveWindow(errorReport_, report.x, report.y, report.width, report.height, FALSE);
  if (old != font_) {
    DeleteObject(old);
  }
  hints_->place();
  fitWindow(suggested);
  InvalidateRect(hwnd_, nullptr, TRUE);
  --writing_;
}

void CalculatorWindow::place(const Control& control) const {
  const Rect rect = placement(control.row, dpi_);
  if (control.row.kind == Kind::ComboBox) {
    // The closed box is the table's height (its edit field grown or shrunk
    // by what it lacks); the list below it shows every item.
    const auto item = static_cast<int>(SendMessageW(control.hwnd, CB_GETITEMHEIGHT, 0, 0));
    const auto items = static_cast<int>(SendMessageW(control.hwnd, CB_GETCOUNT, 0, 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
      MoveWindow(control.hwnd, rect.x, rect.y, rect.width, rect.height + item * items + 2, FALSE);
      RECT closed{};
      GetWindowRect(control.hwnd, &closed);
      const int lacking = rect.height - (closed.bottom - closed.top);
      if (lacking == 0) {
        break;
      }
      const auto field = SendMessageW(control.hwnd, CB_GETITEMHEIGHT, WPARAM(-1), 0);
      SendMessageW(control.hwnd, CB_SETITEMHEIGHT, WPARAM(-1), field + lacking);
    }
    return;
  }
  MoveWindow(control.hwnd, rect.x, rect.y, rect.width, rect.height, FALSE);
  if (control.row.kind == Kind::Label && (control.row.flags & window::kAutoSize)) {
    fitCaption(control.hwnd);
  }
}

void CalculatorWindow::fitWindow(const RECT* suggested) const {
  RECT frame{0, 0, pixels(window::kClientWidthTwips, dpi_),
             pixels(window::kClientHeightTwips, dpi_)};
  adjustForDpi(frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
               static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi_);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CalculatorWindow::show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  // The focus goes to the first control of the tab order, which selects it
  // while its group has no selection.
  if (HWND first = control("Option2", 0)) {
    SetFocus(first);
  }
  form_.shown();
}

int CalculatorWindow::run() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(hwnd_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

LRESULT CALLBACK CalculatorWindow::procedure(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<CalculatorWindow*>(create->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<CalculatorWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->handleMessage(message, wParam, lParam)
              : DefDlgProcW(hwnd, message, wParam, lParam);
}

LRESULT CalculatorWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Notifications of the program's own writes, and any after the close
      // began, are not the user's.
      if (lParam != 0 && writing_ == 0 && !closing_) {
        if (const Control* from = owning(reinterpret_cast<HWND>(lParam))) {
          notified(*from, HIWORD(wParam));
        }
      }
      return 0;  // Return and Escape (IDOK, IDCANCEL) do nothing
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      LRESULT brush = 0;
      if (colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), brush)) {
        return brush;
      }
      break;
    }
    case WM_CTLCOLORDLG:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DRAWITEM:
      return drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_DPICHANGED:
      applyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case kFollowForm:
      followForm(static_cast<int>(wParam));
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      closing_ = true;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefDlgProcW(hwnd_, message, wParam, lParam);
}

// Text colours from the table, on the face colour (labels, buttons,
// frames), the window colour (boxes, read-only ones too) or a label's own.
bool CalculatorWindow::colour(HDC dc, HWND from, LRESULT& brush) const {
  const Control* control = owning(from);
  if (!control) {
    return false;
  }
  const ControlSpec& row = control->row;
  const bool box = row.kind == Kind::TextBox || row.kind == Kind::ComboBox;
  const int text = box ? COLOR_WINDOWTEXT : COLOR_BTNTEXT;
  SetTextColor(dc, colourOf(row.foreground, text));
  const COLORREF back = colourOf(row.background, box ? COLOR_WINDOW : COLOR_BTNFACE);
  SetBkColor(dc, back);
  SetDCBrushColor(dc, back);
  brush = reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
  return true;
}

void CalculatorWindow::followForm(int id) {
  for (const Control& control : controls_) {
    if (GetDlgCtrlID(control.hwnd) == id && !closing_) {
      const window::Control& subject = form_.control(control.row.name, control.row.index);
      for (const auto& follower : followers_) {
        if (&follower->subject() == &subject) {
          follower->show();
        }
      }
    }
  }
}

bool CalculatorWindow::drawItem(const DRAWITEMSTRUCT& item) const {
  if (item.hwndItem == errorReport_) {
    drawWrapped(item, window::errorReportSpec());
    return true;
  }
  const Control* control = owning(item.hwndItem);
  if (!control) {
    return false;
  }
  if (control->row.kind == Kind::Frame) {
    drawFrame(item, control->row);
  } else {
    drawWrapped(item, control->row);
  }
  return true;
}

// A frame, as the Qt window draws it: an etched border that runs through
// the middle of the caption, the caption in the frame's colour with half a
// blank's room on either side.
void CalculatorWindow::drawFrame(const DRAWITEMSTRUCT& item, const ControlSpec& row) const {
  HDC dc = item.hDC;
  const RECT box = item.rcItem;
  FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  const std::wstring caption = windowText(item.hwndItem);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT border = box;
  if (!caption.empty()) {
    border.top += metrics.tmHeight / 2;
  }
  DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
  if (!caption.empty()) {
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SIZE blank{};
    GetTextExtentPoint32W(dc, L" ", 1, &blank);
    const int left = box.left + pixels(kCaptionLeftTwips, dpi_);
    const RECT gap{left - blank.cx / 2, box.top, left + size.cx + blank.cx / 2,
                   box.top + metrics.tmHeight};
    FillRect(dc, &gap, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, colourOf(row.foreground, COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    ExtTextOutW(dc, left, box.top, 0, nullptr, caption.c_str(), static_cast<UINT>(caption.size()),
                nullptr);
  }
  SelectObject(dc, old);
}

// A wrapping label (and the error report): lines of the font's size, as
// the Qt window draws them, wrapped by wrapLines; right-aligned ones are
// centred upright in their box.
void CalculatorWindow::drawWrapped(const DRAWITEMSTRUCT& item, const ControlSpec& row) const {
  HDC dc = item.hDC;
  const RECT box = item.rcItem;
  SetDCBrushColor(dc, colourOf(row.background, COLOR_BTNFACE));
  FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  const std::wstring text = windowText(item.hwndItem);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const auto measure = [dc](std::wstring_view part) {
    SIZE size{};
    GetTextExtentPoint32W(dc, part.data(), static_cast<int>(part.size()), &size);
    return static_cast<int>(size.cx);
  };
  const std::vector<std::wstring> lines = wrapLines(text, box.right - box.left, measure);
  const int lineHeight = pixels(kLineTwips, dpi_);
  const bool right = row.flags & window::kRightAlign;
  int top = box.top;
  if (right) {
    top += (box.bottom - box.top - static_cast<int>(lines.size()) * lineHeight) / 2;
  }
  SetTextColor(dc, colourOf(row.foreground, COLOR_BTNTEXT));
  SetBkMode(dc, TRANSPARENT);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::wstring_view line = lines[i];
    while (right && !line.empty() && line.back() == L' ') {
      line.remove_suffix(1);
    }
    // The baseline four fifths down the line.
    const int y = top + static_cast<int>(i) * lineHeight + lineHeight * 4 / 5 - metrics.tmAscent;
    const int x = right ? box.right - measure(line) : box.left;
    ExtTextOutW(dc, x, y, 0, nullptr, line.data(), static_cast<UINT>(line.size()), nullptr);
  }
  SelectObject(dc, old);
}

}  // namespace delaysub::win32
