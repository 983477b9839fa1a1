// The hints of the Win32 window: the layout's tooltips, the baud result's
// and the seed box's hints as tooltips, and the template box's context menu
// with the entry that copies the template with the seed filled in. It
// follows the form's events as an observer: it writes no control of the form
// and raises nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "window/controls.h"

namespace delaysub::win32 {

class CalculatorWindow;

class HintsBinding : public window::EventObserver {
 public:
  // Subscribes to the window's form; the window must outlive it.
  HintsBinding(CalculatorWindow& window, HINSTANCE instance);
  ~HintsBinding() override;
  HintsBinding(const HintsBinding&) = delete;
  HintsBinding& operator=(const HintsBinding&) = delete;

  void eventFinished(const std::vector<window::RunError>& errors) override;
  // The hints from what the form holds now.
  void update();
  // After a change of the window's DPI: the font, the frames' areas.
  void place();

 private:
  static LRESULT CALLBACK templateBoxProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR id, DWORD_PTR self);
  void addTool(HWND control, const std::string& text);
  void setTool(HWND control, const std::string& text);
  void showTemplateMenu(LPARAM position);

  CalculatorWindow& window_;
  HWND tooltip_ = nullptr;
  HWND baudBox_;
  HWND seedBox_;
  HWND templateBox_;
};

}  // namespace delaysub::win32
