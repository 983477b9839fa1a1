#include "designer/design_model.h"

#include <utility>

#include "designer/design_pages.h"
#include "mcu/chip.h"

namespace delaysub::designer {

std::vector<ChipChoice> chipChoices() {
  std::vector<ChipChoice> list;
  for (const mcu::Chip& chip : mcu::chips()) {
    list.push_back({chip.name, std::string(chip.name) + " — " + std::string(chip.description)});
  }
  return list;
}

std::optional<std::size_t> chipForCore(core::Core core) {
  if (core != core::Core::Mcs51) {
    return std::nullopt;
  }
  const auto list = mcu::chips();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].name == "8051") {
      return i;
    }
  }
  return std::nullopt;
}

DesignModel::DesignModel(std::string crystal, std::optional<std::size_t> chip)
    : chip_(chip), crystal_(std::move(crystal)) {
  if (chip_ && *chip_ >= mcu::chips().size()) {
    chip_.reset();
  }
  recomputeAll();
}

void DesignModel::setChip(std::optional<std::size_t> chip) {
  if (chip && *chip >= mcu::chips().size()) {
    chip.reset();
  }
  chip_ = chip;
  recomputeAll();
}

void DesignModel::setCrystal(std::string crystal) {
  crystal_ = std::move(crystal);
  recomputeAll();
}

void DesignModel::setDelay(const DelayInputs& inputs) {
  delayIn_ = inputs;
  recomputeDelay();
}

void DesignModel::setTimer(const TimerInputs& inputs) {
  timerIn_ = inputs;
  recomputeTimer();
}

void DesignModel::setUart(const UartInputs& inputs) {
  uartIn_ = inputs;
  recomputeUart();
}

void DesignModel::selectTimerRow(std::size_t row) {
  if (row < timerTable_.rows.size()) {
    timerTable_.selected = row;
    showTimerRow();
  }
}

void DesignModel::selectUartRow(std::size_t row) {
  if (row < uartTable_.rows.size()) {
    uartTable_.selected = row;
    showUartRow();
  }
}

void DesignModel::recomputeAll() {
  recomputeDelay();
  recomputeTimer();
  recomputeUart();
}

namespace {

// A page that has only the sentence why it has no answer.
CodeView sentencePage(const CodeView* /*kind*/, const std::string& why) {
  return pages::noAnswer(why);
}
pages::TablePage sentencePage(const pages::TablePage* /*kind*/, const std::string& why) {
  return {pages::noAnswer(why), {}};
}

// A page recomputed from the chip and crystal: its sentence where they give
// no setting, else what pageOf makes of the setting.
template <class PageOf>
auto pageFor(std::optional<std::size_t> chip, const std::string& crystal, PageOf pageOf)
    -> decltype(pageOf(std::declval<const pages::Setting&>())) {
  const auto setting = pages::settingOf(chip, crystal);
  if (const auto* why = std::get_if<std::string>(&setting)) {
    return sentencePage(
        static_cast<decltype(pageOf(std::declval<const pages::Setting&>()))*>(nullptr), *why);
  }
  return pageOf(std::get<pages::Setting>(setting));
}

}  // namespace

void DesignModel::recomputeDelay() {
  delay_ = pageFor(chip_, crystal_,
                   [this](const pages::Setting& s) { return pages::delayPage(s, delayIn_); });
}

void DesignModel::recomputeTimer() {
  pages::TablePage page = pageFor(
      chip_, crystal_, [this](const pages::Setting& s) { return pages::timerPage(s, timerIn_); });
  timerTable_ = std::move(page.table);
  timer_ = std::move(page.code);
}

void DesignModel::recomputeUart() {
  pages::TablePage page = pageFor(
      chip_, crystal_, [this](const pages::Setting& s) { return pages::uartPage(s, uartIn_); });
  uartTable_ = std::move(page.table);
  uart_ = std::move(page.code);
}

void DesignModel::showTimerRow() {
  const auto setting = pages::settingOf(chip_, crystal_);
  if (std::holds_alternative<pages::Setting>(setting) && timerTable_.selected) {
    timer_ =
        pages::timerRowCode(std::get<pages::Setting>(setting), timerIn_, *timerTable_.selected);
  }
}

void DesignModel::showUartRow() {
  const auto setting = pages::settingOf(chip_, crystal_);
  if (std::holds_alternative<pages::Setting>(setting) && uartTable_.selected) {
    uart_ = pages::uartRowCode(std::get<pages::Setting>(setting), uartIn_, *uartTable_.selected);
  }
}

}  // namespace delaysub::designer
