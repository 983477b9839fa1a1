#include "window_steps.h"

#include <fstream>
#include <sstream>

#include "win32/window_layout.h"

namespace delaysub::win32::test {

using window::ControlSpec;
using window::DelaySubForm;
using window::Kind;

std::string nameOf(const ControlSpec& row) {
  std::string name(row.name);
  return row.index >= 0 ? name + "(" + std::to_string(row.index) + ")" : name;
}

ControlSpec rowOf(const std::string& name, int index) {
  return delaysub::window::findControl(name, static_cast<std::int16_t>(index)).value();
}

// A text on one line: quotes, backslashes and line breaks escaped.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      out += std::string("\\") + c;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

namespace {

struct Step {
  std::string action, name, text;
  int index = -1;
};

std::vector<Step> readSteps(const std::string& path) {
  std::ifstream file(path);
  std::vector<Step> steps;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    std::istringstream words(line);
    Step step;
    words >> step.action >> step.name >> step.index;
    std::getline(words, step.text);
    if (!step.text.empty() && step.text[0] == ' ') {
      step.text.erase(0, 1);
    }
    steps.push_back(step);
  }
  return steps;
}

// Typing into a box: the text as each key leaves it.
template <class Box>
void retype(Box& box, const std::string& text) {
  box.setText("");
  for (std::size_t i = 1; i <= text.size(); ++i) {
    box.setText(text.substr(0, i));
  }
}

// The steps that change what the form holds; the window test's own checks
// (focus, red, copyseeded) change nothing.
void apply(DelaySubForm& form, const Step& step) {
  using namespace window;
  if (step.action != "click" && step.action != "dblclick" && step.action != "pick" &&
      step.action != "retype" && step.action != "arrow") {
    return;
  }
  Control& control = form.control(step.name, step.action == "pick" ? -1 : step.index);
  if (step.action == "click" || step.action == "arrow") {
    if (auto* group = dynamic_cast<OptionGroup*>(&control)) {
      group->select(step.index);
    }
  } else if (step.action == "dblclick") {
    dynamic_cast<Label&>(control).doubleClick();
  } else if (step.action == "pick") {
    dynamic_cast<ComboBox&>(control).setListIndex(step.index);
  } else if (step.action == "retype") {
    if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
      retype(*combo, step.text);
    } else {
      retype(dynamic_cast<TextBox&>(control), step.text);
    }
  }
}

bool frameShown(DelaySubForm& form, const ControlSpec& row) {
  bool shown = row.kind != Kind::Frame || form.control<window::Frame>(row.name).visible();
  for (std::string_view frame : framesAround(row)) {
    shown = shown && form.control<window::Frame>(frame).visible();
  }
  return shown;
}

}  // namespace

void replay(DelaySubForm& form, const std::string& path, std::size_t count) {
  form.load();
  form.shown();
  const std::vector<Step> steps = readSteps(path);
  for (std::size_t i = 0; i < count && i < steps.size(); ++i) {
    apply(form, steps[i]);
  }
}

std::vector<std::string> modelLines(DelaySubForm& form) {
  using namespace window;
  std::vector<std::string> lines;
  for (const ControlSpec& row : layoutTable()) {
    std::string line = nameOf(row) + " ";
    Control& control = form.control(row.name, row.index);
    if (auto* label = dynamic_cast<Label*>(&control)) {
      line += quoted(label->caption()) + " ";
    } else if (auto* box = dynamic_cast<TextBox*>(&control)) {
      line += quoted(box->text()) + " ";
    } else if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
      line += quoted(combo->text()) + " item " + std::to_string(combo->listIndex()) + " of " +
              std::to_string(combo->items().size()) + " ";
    } else if (auto* group = dynamic_cast<OptionGroup*>(&control)) {
      line += group->isSelected(row.index) ? "checked " : "unchecked ";
    }
    lines.push_back(line + (frameShown(form, row) ? "shown" : "hidden"));
  }
  lines.push_back("errorReport " + quoted(form.errorReport()) +
                  (form.errorReport().empty() ? " hidden" : " shown"));
  return lines;
}

}  // namespace delaysub::win32::test
