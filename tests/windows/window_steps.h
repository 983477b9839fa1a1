// The form model's side of the window test: the steps of window_steps.txt
// applied to a form, and what its controls then hold, one line a control in
// the words window_probe reads the window with.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "window/form.h"
#include "window/layout.h"

namespace delaysub::win32::test {

// "Text1(3)", "Combo0".
std::string nameOf(const window::ControlSpec& row);
// The table row of a name and index (-1 for single controls).
window::ControlSpec rowOf(const std::string& name, int index);
// A text on one line: quotes, backslashes and line breaks escaped.
std::string quoted(const std::string& text);

// Loads and shows the form, then applies the first count steps of the step
// file: clicks on option buttons, double-clicks on labels, list picks, and
// boxes emptied and typed into key by key. The test's own checks change
// nothing.
void replay(window::DelaySubForm& form, const std::string& path, std::size_t count);

// Each control of the table, then the error report: its text, its list item
// or its check, and whether it shows.
std::vector<std::string> modelLines(window::DelaySubForm& form);

}  // namespace delaysub::win32::test
