// The window DelaySUB without its widgets: the window state, the controls,
// the load procedure and every event handler.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "window/controls.h"

namespace delaysub::window {

// The indices of the boxes and labels the handlers read and write.
inline constexpr int kDelayBox = 0;     // Text1(0): the delay
inline constexpr int kSeedBox = 1;      // Text1(1): the seed X
inline constexpr int kFormulaBox = 3;   // Text1(3): the formula
inline constexpr int kTemplateBox = 4;  // Text1(4): the template
inline constexpr int kUnitLabel = 6;    // Label1(6): uS or mS
inline constexpr int kHexLabel = 9;     // Label1(9): X in hexadecimal

// The window's own memory, zeroed at creation.
struct WindowState {
  std::int16_t loop_type = 0;  // 0 single, 1 double, 2 triple loop
  std::int16_t cpu_type = 0;   // 0 MCS-51, 1 AVR, 2 W77E58
  std::int32_t X = 0;          // seed of the delay routine
  float Fosc = 0.0f;           // crystal frequency, MHz
  std::int32_t T = 0;          // delay time, whole microseconds

  bool operator==(const WindowState&) const = default;
};

class DelaySubForm;
// Told after the window's error report changed, with the form whose
// errorReport() holds the new one.
using ErrorReportObserver = ChangeObserver<DelaySubForm>;

class DelaySubForm {
 public:
  // Creates the controls with the texts of the layout table and a zeroed
  // state. The observer, if any, is subscribed after the window's own error
  // report and must outlive the form.
  explicit DelaySubForm(EventObserver* observer = nullptr);

  // The load event: runs Form_Load through the dispatcher.
  void load();
  // The window is shown: the focus goes to the first control of the tab
  // order, Option2 index 0, which selects it when its group has no selection.
  void shown();

  // The last event's errors as the window reports them ("" when none), e.g.
  // "运行时错误 11：除数为零".
  const std::string& errorReport() const { return errorReport_; }
  // Told when the report changed, after the event; as the dispatcher's, an
  // observer must not outlive its subscription.
  void subscribe(ErrorReportObserver& observer) { reportObservers_.add(observer); }
  void unsubscribe(ErrorReportObserver& observer) { reportObservers_.remove(observer); }

  // The window's memory, as the handlers left it; only they write it.
  const WindowState& windowState() const { return state; }

  // Every handler and calculation announces itself to the dispatcher's
  // observers by its name; the error report is one of them.
  EventDispatcher events;

  // Controls. Text1 has indices 0, 1, 3, 4; Label1 0..4 and 6..10; Label2 0, 2.
  TextBox& Text1(int index);
  const TextBox& Text1(int index) const;
  Label& Label1(int index);
  Label& Label2(int index);
  ComboBox Combo0;
  ComboBox Combo1;
  TextBox Text2;
  OptionGroup Option0;      // core
  OptionGroup Option1;      // SMOD
  OptionGroup Option2;      // nesting
  Frame& frame(int index);  // Frame0..Frame4

  // The control of a layout-table entry by its name and index (-1 for single
  // controls and frames; an option group for any of its buttons' indices).
  // Throws std::invalid_argument for a name the window does not have and
  // std::out_of_range for an index it does not have.
  Control& control(std::string_view name, int index = -1);
  const Control& control(std::string_view name, int index = -1) const;
  // The same, of the kind the caller expects; std::bad_cast for another kind.
  template <class C>
  C& control(std::string_view name, int index = -1) {
    return dynamic_cast<C&>(control(name, index));
  }

  // Handlers, named as the events that raise them.
  RunError Form_Load();
  RunError Ini_Combo();
  RunError Combo0_Click();
  RunError Combo0_Change();
  RunError Combo1_Click();
  RunError Combo1_Change();
  RunError Option1_Click(std::int16_t index);
  RunError Option2_Click(std::int16_t index);
  RunError Option0_Click(std::int16_t index);
  RunError Text1_Change(std::int16_t index);
  RunError Label1_DblClick(std::int16_t index);
  // Recomputes the baud result box from the crystal, baud text and SMOD.
  RunError BPS(const std::int16_t& cpu_type);

 private:
  // The window's own error report, subscribed first.
  class Reporter : public EventObserver {
   public:
    explicit Reporter(DelaySubForm& form) : form_(form) {}
    void eventFinished(const std::vector<RunError>& errors) override { form_.report(errors); }

   private:
    DelaySubForm& form_;
  };

  void wire();
  void report(const std::vector<RunError>& errors);
  // Fosc from the text of the crystal box (number reading, single rounding).
  void readCrystal();
  // After a new crystal: the delay and the baud result both follow it.
  RunError followCrystal();
  // T in the unit that Label1(6) reads into Text1(0).
  void showDelay();
  // The seed read or given to the delay lies outside the seeds that compute:
  // the event's overflow report names their range.
  void noteSeedRange();

  WindowState state;
  bool loading_ = false;  // Form_Load is running

  std::vector<std::unique_ptr<TextBox>> text1_;  // indexed 0..4, gaps null
  std::vector<std::unique_ptr<Label>> label1_;
  std::vector<std::unique_ptr<Label>> label2_;
  std::array<std::unique_ptr<Frame>, 5> frames_;
  std::string errorReport_;
  std::string seedNote_;  // the seed range, for this event's overflow report
  Reporter reporter_{*this};
  ObserverList<ErrorReportObserver> reportObservers_;
};

}  // namespace delaysub::window
