// The Win32 controls bound to the form's controls: each program write of the
// form shows in its control, each notification of a control goes to the
// form's control, by the rules of window.h.
#include <algorithm>
#include <map>

#include "win32/text.h"
#include "win32/window.h"
#include "win32/window_layout.h"

namespace delaysub::win32 {

namespace {

using window::Kind;

// Counts a program write while it lasts.
class Writing {
 public:
  explicit Writing(int& count) : count_(count) { ++count_; }
  ~Writing() { --count_; }
  Writing(const Writing&) = delete;
  Writing& operator=(const Writing&) = delete;

 private:
  int& count_;
};

std::string windowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return toUtf8(text);
}

// A program write of a box's text, when it differs; the selection and the
// caret stay where they were, within the new text.
void setBoxText(HWND box, const std::string& text) {
  if (windowText(box) == text) {
    return;
  }
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::wstring wide = toUtf16(text);
  SetWindowTextW(box, wide.c_str());
  const auto length = static_cast<DWORD>(wide.size());
  SendMessageW(box, EM_SETSEL, std::min(start, length), std::min(end, length));
}

}  // namespace

void CalculatorWindow::follow(window::Control& control, std::function<void()> show) {
  followers_.push_back(std::make_unique<Follower<window::Control>>(control, std::move(show)));
  followers_.back()->show();
}

void CalculatorWindow::bind(Control& control) {
  const window::ControlSpec& row = control.row;
  HWND hwnd = control.hwnd;
  if (row.kind == Kind::Label) {
    auto& label = form_.control<window::Label>(row.name, row.index);
    const bool autoSize = row.flags & window::kAutoSize;
    follow(label, [this, hwnd, &label, autoSize] {
      const Writing writing(writing_);
      SetWindowTextW(hwnd, toUtf16(label.caption()).c_str());
      if (autoSize) {
        fitCaption(hwnd);
      }
    });
  } else if (row.kind == Kind::TextBox) {
    auto& box = form_.control<window::TextBox>(row.name, row.index);
    follow(box, [this, hwnd, &box] {
      const Writing writing(writing_);
      setBoxText(hwnd, box.text());
    });
  } else if (row.kind == Kind::ComboBox) {
    auto& box = form_.control<window::ComboBox>(row.name);
    HWND edit = control.edit;
    HWND list = control.list;
    // The list, its selected item (none when the text was typed) and the
    // edit text follow the form's control.
    follow(box, [this, hwnd, edit, list, &box] {
      const Writing writing(writing_);
      for (auto i = static_cast<std::size_t>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
           i < box.items().size(); ++i) {
        SendMessageW(hwnd, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(toUtf16(box.items()[i]).c_str()));
      }
      // Through the list itself: CB_SETCURSEL -1 would empty the edit text.
      if (SendMessageW(hwnd, CB_GETCURSEL, 0, 0) != box.listIndex()) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(box.listIndex()), 0);
      }
      setBoxText(edit, box.text());
    });
  }
}

void CalculatorWindow::bindOptionGroups() {
  std::map<std::string_view, std::vector<HWND>> groups;
  for (const Control& control : controls_) {
    if (control.row.kind != Kind::OptionButton) {
      continue;
    }
    auto& buttons = groups[control.row.name];
    const auto at = static_cast<std::size_t>(control.row.index);
    buttons.resize(std::max(buttons.size(), at + 1));
    buttons[at] = control.hwnd;
  }
  for (auto& [name, buttons] : groups) {
    auto& group = form_.control<window::OptionGroup>(name, 0);
    // The form decides which button shows as selected; the Tab key stops
    // only at the selected one (at every one while none is).
    follow(group, [this, buttons = buttons, &group] {
      const Writing writing(writing_);
      for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool selected = group.selected() == static_cast<int>(i);
        SendMessageW(buttons[i], BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
        LONG_PTR style = GetWindowLongPtrW(buttons[i], GWL_STYLE);
        style =
            (selected || group.selected() < 0) ? style | WS_TABSTOP : style & ~LONG_PTR{WS_TABSTOP};
        SetWindowLongPtrW(buttons[i], GWL_STYLE, style);
      }
    });
  }
}

void CalculatorWindow::bindFrames() {
  for (const Control& control : controls_) {
    if (control.row.kind == Kind::Frame) {
      followers_.push_back(std::make_unique<Follower<window::Control>>(
          form_.control<window::Frame>(control.row.name), [this] { showFrames(); }));
    }
  }
  showFrames();
}

// A hidden frame hides everything in it, frames in it too.
void CalculatorWindow::showFrames() {
  const auto visible = [this](std::string_view frame) {
    return form_.control<window::Frame>(frame).visible();
  };
  for (const Control& control : controls_) {
    bool shown = control.row.kind != Kind::Frame || visible(control.row.name);
    for (std::string_view frame : framesAround(control.row)) {
      shown = shown && visible(frame);
    }
    if (static_cast<bool>(IsWindowVisible(control.hwnd)) != shown) {
      ShowWindow(control.hwnd, shown ? SW_SHOWNA : SW_HIDE);
    }
  }
}

void CalculatorWindow::bindErrorReport() {
  reportFollower_ = std::make_unique<Follower<window::DelaySubForm>>(form_, [this] {
    const std::string& text = form_.errorReport();
    SetWindowTextW(errorReport_, toUtf16(text).c_str());
    // Shown without taking the focus or activating anything.
    ShowWindow(errorReport_, text.empty() ? SW_HIDE : SW_SHOWNA);
    InvalidateRect(errorReport_, nullptr, TRUE);
  });
}

// An auto-sized label fits its caption; its left and top stay where they are.
void CalculatorWindow::fitCaption(HWND label) const {
  const std::wstring caption = toUtf16(windowText(label));
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, font_);
  SIZE size{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, size.cx, metrics.tmHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CalculatorWindow::notified(const Control& control, int code) {
  const window::ControlSpec& row = control.row;
  if (row.kind == Kind::TextBox && code == EN_CHANGE) {
    auto& box = form_.control<window::TextBox>(row.name, row.index);
    if (std::string typed = windowText(control.hwnd); typed != box.text()) {
      box.setText(typed);
    }
  } else if (row.kind == Kind::ComboBox) {
    auto& box = form_.control<window::ComboBox>(row.name);
    if (code == CBN_SELCHANGE) {
      if (const auto item = SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0); item >= 0) {
        box.setListIndex(static_cast<int>(item));
      }
    } else if (code == CBN_EDITCHANGE) {
      if (std::string typed = windowText(control.edit); typed != box.text()) {
        box.setText(typed);
      }
    } else if (code == CBN_CLOSEUP || code == CBN_SELENDCANCEL) {
      // Once the list's notifications are all in (a pick may come before or
      // after the close), the box shows the form's text and item again: the
      // list may have picked the item that matched the text while open.
      PostMessageW(hwnd_, kFollowForm, static_cast<WPARAM>(GetDlgCtrlID(control.hwnd)), 0);
    }
  } else if (row.kind == Kind::OptionButton) {
    auto& group = form_.control<window::OptionGroup>(row.name, row.index);
    if (code == BN_CLICKED) {
      group.select(row.index);
    } else if (code == BN_SETFOCUS) {
      group.focus(row.index);
    }
  } else if (row.kind == Kind::Label && code == STN_DBLCLK) {
    form_.control<window::Label>(row.name, row.index).doubleClick();
  }
}

}  // namespace delaysub::win32
