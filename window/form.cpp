#include "window/form.h"

#include <optional>
#include <stdexcept>
#include <string_view>

#include "core/baud.h"
#include "core/delay.h"
#include "core/display.h"
#include "core/domain.h"
#include "core/lists.h"
#include "core/numbers.h"
#include "core/texts.h"
#include "design/seed.h"
#include "window/hints.h"
#include "window/layout.h"

namespace delaysub::window {

namespace {

constexpr std::string_view kMicroseconds = core::kMicrosecondsCaption;
constexpr std::string_view kMilliseconds = core::kMillisecondsCaption;
constexpr std::string_view kErrorSeparator = "；";

constexpr int kFrameCount = 5;
constexpr int kFirstCrystal = 5;  // "12 MHz"

std::string initialText(std::string_view name, std::int16_t index = -1) {
  const auto row = findControl(name, index);
  return row ? std::string(row->text) : std::string();
}

// Captions of an option-button array, by index.
std::vector<std::string> captionsOf(std::string_view name) {
  std::vector<std::string> captions;
  for (const ControlSpec& row : layoutTable()) {
    if (row.name != name || row.index < 0) {
      continue;
    }
    const auto at = static_cast<std::size_t>(row.index);
    if (captions.size() <= at) {
      captions.resize(at + 1);
    }
    captions[at] = row.text;
  }
  return captions;
}

// The event's errors; an overflow that a seed outside its range raised names
// that range (seedNote, "" when none did).
std::string errorText(const std::vector<RunError>& errors, const std::string& seedNote) {
  std::string text;
  for (RunError error : errors) {
    if (!text.empty()) {
      text += kErrorSeparator;
    }
    text += hints::runErrorText(error);
    if (error == RunError::Overflow && !seedNote.empty()) {
      text += "（" + seedNote + "）";
    }
  }
  return text;
}

// The number of a frame's name ("Frame3" is 3), if it is one.
std::optional<int> frameNumber(std::string_view name) {
  constexpr std::string_view kFrame = "Frame";
  if (name.size() != kFrame.size() + 1 || !name.starts_with(kFrame)) {
    return std::nullopt;
  }
  const char digit = name.back();
  if (digit < '0' || digit >= '0' + kFrameCount) {
    return std::nullopt;
  }
  return digit - '0';
}

// The formula and template texts of the window's codes; "" for a code it
// does not know.
std::string_view formulaText(std::int16_t cpu_type, std::int16_t loop_type) {
  const auto cpu = core::coreOf(cpu_type);
  const auto nesting = core::nestingOf(loop_type);
  return cpu && nesting ? core::formulaOf(*cpu, *nesting) : std::string_view();
}
std::string_view templateText(std::int16_t cpu_type, std::int16_t loop_type) {
  const auto cpu = core::coreOf(cpu_type);
  const auto nesting = core::nestingOf(loop_type);
  return cpu && nesting ? core::templateOf(*cpu, *nesting) : std::string_view();
}

template <class Members>
auto& member(Members& members, int index, std::string_view name) {
  if (index < 0 || index >= static_cast<int>(members.size()) ||
      !members[static_cast<std::size_t>(index)]) {
    throw std::out_of_range(std::string(name) + " has no index " + std::to_string(index));
  }
  return *members[static_cast<std::size_t>(index)];
}

}  // namespace

DelaySubForm::DelaySubForm(EventObserver* observer)
    : Combo0(events, "Combo0", initialText("Combo0")),
      Combo1(events, "Combo1", initialText("Combo1")),
      Text2(events, "Text2", -1, initialText("Text2")),
      Option0(events, "Option0", captionsOf("Option0")),
      Option1(events, "Option1", captionsOf("Option1")),
      Option2(events, "Option2", captionsOf("Option2")) {
  for (const ControlSpec& row : layoutTable()) {
    const auto at = static_cast<std::size_t>(row.index < 0 ? 0 : row.index);
    auto place = [at](auto& members, auto control) {
      if (members.size() <= at) {
        members.resize(at + 1);
      }
      members[at] = std::move(control);
    };
    const std::string text(row.text);
    if (row.name == "Text1") {
      place(text1_, std::make_unique<TextBox>(events, "Text1", row.index, text));
    } else if (row.name == "Label1") {
      place(label1_, std::make_unique<Label>(events, "Label1", row.index, text));
    } else if (row.name == "Label2") {
      place(label2_, std::make_unique<Label>(events, "Label2", row.index, text));
    } else if (const auto number = frameNumber(row.name)) {
      frames_.at(static_cast<std::size_t>(*number)) =
          std::make_unique<Frame>(std::string(row.name));
    }
  }
  wire();
  if (observer) {
    events.subscribe(*observer);
  }
}

void DelaySubForm::wire() {
  for (auto& box : text1_) {
    if (box) {
      box->onChange = [this](std::int16_t i) { return Text1_Change(i); };
    }
  }
  for (auto& label : label1_) {
    if (label) {
      label->onDblClick = [this](std::int16_t i) { return Label1_DblClick(i); };
    }
  }
  Combo0.onClick = [this] { return Combo0_Click(); };
  Combo0.onChange = [this] { return Combo0_Change(); };
  Combo1.onClick = [this] { return Combo1_Click(); };
  Combo1.onChange = [this] { return Combo1_Change(); };
  Option0.onClick = [this](std::int16_t i) { return Option0_Click(i); };
  Option1.onClick = [this](std::int16_t i) { return Option1_Click(i); };
  Option2.onClick = [this](std::int16_t i) { return Option2_Click(i); };
  events.subscribe(reporter_);
}

TextBox& DelaySubForm::Text1(int index) {
  return member(text1_, index, "Text1");
}
const TextBox& DelaySubForm::Text1(int index) const {
  return member(text1_, index, "Text1");
}
Label& DelaySubForm::Label1(int index) {
  return member(label1_, index, "Label1");
}
Label& DelaySubForm::Label2(int index) {
  return member(label2_, index, "Label2");
}

Frame& DelaySubForm::frame(int index) {
  if (index < 0 || index >= kFrameCount || !frames_[static_cast<std::size_t>(index)]) {
    throw std::out_of_range("no Frame" + std::to_string(index));
  }
  return *frames_[static_cast<std::size_t>(index)];
}

Control& DelaySubForm::control(std::string_view name, int index) {
  if (name == "Text1") {
    return Text1(index);
  }
  if (name == "Label1") {
    return Label1(index);
  }
  if (name == "Label2") {
    return Label2(index);
  }
  for (OptionGroup* group : {&Option0, &Option1, &Option2}) {
    if (name != group->name()) {
      continue;
    }
    if (index < -1 || index >= group->size()) {
      throw std::out_of_range(std::string(name) + " has no index " + std::to_string(index));
    }
    return *group;
  }
  Control* single = nullptr;
  if (name == "Text2") {
    single = &Text2;
  } else if (name == "Combo0") {
    single = &Combo0;
  } else if (name == "Combo1") {
    single = &Combo1;
  } else if (const auto number = frameNumber(name)) {
    single = &frame(*number);
  }
  if (!single) {
    throw std::invalid_argument("the window has no control " + std::string(name));
  }
  if (index != -1) {
    throw std::out_of_range(std::string(name) + " has no index " + std::to_string(index));
  }
  return *single;
}

const Control& DelaySubForm::control(std::string_view name, int index) const {
  return const_cast<DelaySubForm*>(this)->control(name, index);
}

void DelaySubForm::load() {
  loading_ = true;
  events.raise([this] { return Form_Load(); });
  loading_ = false;
}

void DelaySubForm::shown() {
  Option2.focus(0);
}

void DelaySubForm::report(const std::vector<RunError>& errors) {
  std::string text = errorText(errors, seedNote_);
  seedNote_.clear();
  if (text == errorReport_) {
    return;
  }
  errorReport_ = std::move(text);
  reportObservers_.tell([this](ErrorReportObserver& observer) { observer.changed(*this); });
}

RunError DelaySubForm::Form_Load() {
  events.ran("Form_Load");
  // The crystal pick in Ini_Combo overwrites this at once with the same 12 MHz.
  state.Fosc = 12.0f;
  if (const RunError error = Ini_Combo(); error != RunError::None) {
    return error;
  }
  Option1.select(0);
  Option0.select(0);
  return RunError::None;
}

RunError DelaySubForm::Ini_Combo() {
  events.ran("Ini_Combo");
  for (std::string_view crystal : core::kCrystalList) {
    Combo0.addItem(crystal);
  }
  Combo0.setListIndex(kFirstCrystal);
  for (std::string_view baud : core::kBaudList) {
    Combo1.addItem(baud);
  }
  return RunError::None;
}

void DelaySubForm::readCrystal() {
  state.Fosc = core::crystalFrequency(Combo0.text());
}

RunError DelaySubForm::followCrystal() {
  // While loading, the seed and delay boxes are still empty: the delay is
  // first computed when the core is chosen.
  if (!loading_) {
    events.note(events.call([this] { return Text1_Change(kSeedBox); }));
  }
  return BPS(state.cpu_type);
}

RunError DelaySubForm::Combo0_Click() {
  events.ran("Combo0_Click");
  readCrystal();
  return followCrystal();
}

RunError DelaySubForm::Combo0_Change() {
  events.ran("Combo0_Change");
  readCrystal();
  return followCrystal();
}

RunError DelaySubForm::Combo1_Click() {
  events.ran("Combo1_Click");
  return BPS(state.cpu_type);
}

RunError DelaySubForm::Combo1_Change() {
  events.ran("Combo1_Change");
  return BPS(state.cpu_type);
}

RunError DelaySubForm::Option1_Click(std::int16_t /*index*/) {
  events.ran("Option1_Click");
  return BPS(state.cpu_type);
}

RunError DelaySubForm::Option2_Click(std::int16_t index) {
  events.ran("Option2_Click");
  state.loop_type = index;
  // The nesting group clicks only its buttons 0..2, and Option0_Click passes
  // on the last of them. Each write recomputes the delay when it changes the
  // box; a failing recomputation is reported and the template still follows
  // the choice.
  Text1(kFormulaBox).setText(formulaText(state.cpu_type, index));
  Text1(kTemplateBox).setText(templateText(state.cpu_type, index));
  return RunError::None;
}

RunError DelaySubForm::Option0_Click(std::int16_t index) {
  events.ran("Option0_Click");
  state.cpu_type = index;
  const std::int16_t nesting = state.loop_type;
  if (const RunError error = events.call([this, nesting] { return Option2_Click(nesting); });
      error != RunError::None) {
    return error;
  }
  // The SMOD frame and TH1 for the 8051 cores, UBRR without it for AVR.
  if (const auto cpu = core::coreOf(state.cpu_type)) {
    const bool avr = core::isAvr(*cpu);
    frame(4).setVisible(!avr);
    Label2(2).setCaption(avr ? kUbrrCaption : kTh1Caption);
  }
  return BPS(state.cpu_type);
}

RunError DelaySubForm::Text1_Change(std::int16_t /*index*/) {
  events.ran("Text1_Change");
  const auto seed = core::roundToInt32(core::readNumber(Text1(kSeedBox).text()));
  if (!seed.ok()) {
    noteSeedRange();
    return seed.error;
  }
  state.X = seed.value;
  Label1(kHexLabel).setCaption(core::hexText(state.X));

  const bool fourClock = core::timedCoreOf(state.cpu_type) == core::Core::W77e58;
  events.ran(fourClock ? "W77E_T" : "CALC_T");
  const auto whole =
      core::wholeDelay(fourClock ? core::W77E_T(state.X, state.loop_type, state.Fosc)
                                 : core::CALC_T(state.X, state.loop_type, state.Fosc));
  if (!whole.ok()) {
    // Only the seed's own overflow: a delay beyond 32 bits (a slow crystal)
    // or 0 / 0 comes from a seed inside the range.
    const auto nesting = core::nestingOf(state.loop_type);
    if (whole.error == RunError::Overflow && nesting) {
      const auto range = design::seedRange(core::timedCoreOf(state.cpu_type), *nesting);
      if (state.X < range.first || state.X > range.last) {
        noteSeedRange();
      }
    }
    return whole.error;
  }
  state.T = whole.value;
  showDelay();
  return RunError::None;
}

void DelaySubForm::noteSeedRange() {
  // Reported with the event's errors; a handler called outside any event
  // reports nothing.
  const auto nesting = core::nestingOf(state.loop_type);
  if (events.depth() > 0 && nesting) {
    seedNote_ = hints::seedRangeNote(core::timedCoreOf(state.cpu_type), *nesting);
  }
}

void DelaySubForm::showDelay() {
  const std::string& unit = Label1(kUnitLabel).caption();
  if (unit == kMicroseconds) {
    Text1(kDelayBox).setText(core::delayText(state.T, core::DelayUnit::Microseconds));
  } else if (unit == kMilliseconds) {
    Text1(kDelayBox).setText(core::delayText(state.T, core::DelayUnit::Milliseconds));
  }
}

RunError DelaySubForm::Label1_DblClick(std::int16_t index) {
  events.ran("Label1_DblClick");
  if (index != kUnitLabel) {
    return RunError::None;
  }
  Label& unit = Label1(kUnitLabel);
  // The caption changes first, so the Text1_Change raised by the write
  // formats in the new unit.
  if (unit.caption() == kMicroseconds) {
    unit.setCaption(kMilliseconds);
    Text1(kDelayBox).setText(core::delayText(state.T, core::DelayUnit::Milliseconds));
  } else if (unit.caption() == kMilliseconds) {
    unit.setCaption(kMicroseconds);
    Text1(kDelayBox).setText(core::delayText(state.T, core::DelayUnit::Microseconds));
  }
  return RunError::None;
}

RunError DelaySubForm::BPS(const std::int16_t& cpu_type) {
  events.ran("BPS");
  const auto result = core::BPS_TEXT(cpu_type, state.Fosc, Combo1.text(), Option1.isSelected(0));
  if (!result.ok()) {
    return result.error;
  }
  if (result.value) {
    Text2.setText(*result.value);
  }
  return RunError::None;
}

}  // namespace delaysub::window
