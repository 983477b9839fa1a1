// The window DelaySUB as a native Win32 window. Every frame and control of
// the layout table becomes a child of one dialog-style top-level window and
// is bound to its control of the form as the Qt window binds its widgets:
// program writes are mirrored into the controls, the controls' notifications
// go back through the form controls' event rules. The Win32 code decides
// nothing; what the window shows comes from the form.
//
// Notifications and the form's events:
//   edit box         EN_CHANGE                  -> TextBox::setText (Change)
//   drop-down list   CBN_SELCHANGE (a pick)     -> ComboBox::setListIndex (Click)
//                    CBN_EDITCHANGE (typing)    -> ComboBox::setText (Change)
//   option button    BN_CLICKED                 -> OptionGroup::select (Click)
//                    BN_SETFOCUS                -> OptionGroup::focus
//   label            STN_DBLCLK                 -> Label::doubleClick (DblClick)
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "window/form.h"
#include "window/layout.h"

namespace delaysub::win32 {

class HintsBinding;

// The window's class: programs that look for the window find it by it.
inline constexpr wchar_t kWindowClass[] = L"DelaySUB";

class CalculatorWindow {
 public:
  // Creates the window and its controls, binds them and runs the load
  // event; the window is not shown yet.
  explicit CalculatorWindow(HINSTANCE instance);
  ~CalculatorWindow();
  CalculatorWindow(const CalculatorWindow&) = delete;
  CalculatorWindow& operator=(const CalculatorWindow&) = delete;

  // Shows the window; the focus goes to the first control of the tab order.
  void show(int showCommand);
  // Runs the messages until the window is closed; the program's exit code.
  int run();

  window::DelaySubForm& form() { return form_; }
  HWND handle() const { return hwnd_; }
  // The child window of a table entry (index -1 for single controls and
  // frames), nullptr when the table has no such entry.
  HWND control(std::string_view name, int index = -1) const;
  HFONT font() const { return font_; }
  unsigned dpi() const { return dpi_; }

 private:
  struct Control {
    window::ControlSpec row;
    HWND hwnd = nullptr;
    HWND edit = nullptr;  // a drop-down list's edit box
    HWND list = nullptr;  // and its list
  };

  // Posted to the window: the control of the id in wParam shows what the
  // form's control holds.
  static constexpr UINT kFollowForm = WM_APP + 1;

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool colour(HDC dc, HWND from, LRESULT& brush) const;
  // The control of the id shows what the form's control holds.
  void followForm(int id);
  // An owner-drawn control: a frame, a wrapping label, the error report.
  bool drawItem(const DRAWITEMSTRUCT& item) const;
  void drawFrame(const DRAWITEMSTRUCT& item, const window::ControlSpec& row) const;
  void drawWrapped(const DRAWITEMSTRUCT& item, const window::ControlSpec& row) const;

  // Creation and placement (window.cpp).
  void createControls(HINSTANCE instance);
  void applyDpi(unsigned dpi, const RECT* suggested);
  void fitWindow(const RECT* suggested) const;
  void place(const Control& control) const;
  // The control a child window belongs to: itself, or the drop-down list
  // whose edit box or list it is.
  const Control* owning(HWND hwnd) const;

  // The bindings to the form (window_bind.cpp).
  // Shows what a subject of the form (a control, or the form's error report)
  // holds: told after every change of it, unsubscribed when destroyed.
  template <class Subject>
  class Follower : public window::ChangeObserver<Subject> {
   public:
    Follower(Subject& subject, std::function<void()> show)
        : subject_(subject), show_(std::move(show)) {
      subject_.subscribe(*this);
    }
    ~Follower() override { subject_.unsubscribe(*this); }
    Follower(const Follower&) = delete;
    Follower& operator=(const Follower&) = delete;
    void changed(const Subject&) override { show_(); }
    void show() const { show_(); }
    const Subject& subject() const { return subject_; }

   private:
    Subject& subject_;
    std::function<void()> show_;
  };
  // Follows the control from now on and shows it at once.
  void follow(window::Control& control, std::function<void()> show);
  void bind(Control& control);
  void bindOptionGroups();
  void bindFrames();
  void bindErrorReport();
  void notified(const Control& control, int code);
  void showFrames();
  void fitCaption(HWND label) const;

  window::DelaySubForm form_;
  HWND owner_ = nullptr;  // never shown: keeps the window out of the task bar
  HWND hwnd_ = nullptr;
  HWND errorReport_ = nullptr;
  std::vector<Control> controls_;  // in Z order
  HFONT font_ = nullptr;
  unsigned dpi_ = 96;
  // Program writes into controls in progress: their notifications are the
  // program's own, not the user's.
  int writing_ = 0;
  bool closing_ = false;
  std::unique_ptr<HintsBinding> hints_;
  // After form_: they unsubscribe before the form goes.
  std::vector<std::unique_ptr<Follower<window::Control>>> followers_;
  std::unique_ptr<Follower<window::DelaySubForm>> reportFollower_;
};

}  // namespace delaysub::win32
