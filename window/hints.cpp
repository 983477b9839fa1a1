#include "window/hints.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "core/design.h"
#include "core/numbers.h"
#include "window/layout.h"

namespace delaysub::window::hints {

namespace {

constexpr int kSeedBox = 1;
constexpr int kTemplateBox = 4;
constexpr std::int16_t kAvr = 1;
constexpr std::int32_t kByteLast = 255;

// Why a number read from a box gives no rate, or "" when it can: what names
// the box, shown is the number as the hint writes it.
std::string whyNotPositive(std::string_view what, double v, const std::string& shown) {
  if (!std::isfinite(v)) {
    return std::string(what) + "超出数的范围";
  }
  if (v == 0.0) {
    return std::string(what) + "读作 0";
  }
  if (v < 0.0) {
    return std::string(what) + "读作 " + shown + "，须大于 0";
  }
  return "";
}

// Why no reload value can be named, or "" when one can.
std::string whyNoRate(const core::BaudAnswer& answer, float Fosc) {
  constexpr std::string_view kNoReload = "，算不出初装值。";
  const double baud = answer.wantedBaud;
  for (const std::string& reason :
       {whyNotPositive("波特率", baud, core::shortNumber(baud)),
        whyNotPositive("晶振频率", static_cast<double>(Fosc), core::singleText(Fosc))}) {
    if (!reason.empty()) {
      return reason + std::string(kNoReload);
    }
  }
  if (!answer.window.ok()) {
    return runErrorText(answer.window.error) + std::string(kNoReload);
  }
  if (answer.options.empty()) {
    return "没有可用的初装值。";
  }
  return "";
}

// The nesting button's caption: "单循环", "二循环", "三循环".
std::string nestingCaption(std::int16_t loop_type) {
  const auto row = findControl("Option2", loop_type);
  return row ? std::string(row->text) : std::string();
}

TemplateCopy disabled(std::string_view why) {
  TemplateCopy copy;
  copy.caption = std::string(kCopySeededCaption) + "：" + std::string(why);
  return copy;
}

}  // namespace

std::string runErrorText(RunError error) {
  return "运行时错误 " + std::to_string(core::errorNumber(error)) + "：" +
         std::string(core::errorMeaningZh(error));
}

std::string baudHint(std::int16_t cpu_type, float Fosc, std::string_view baudText,
                     bool smod0Selected) {
  if (core::coreName(cpu_type).empty()) {
    return "";
  }
  const core::BaudAnswer answer = core::baudAnswer(cpu_type, Fosc, baudText, smod0Selected);
  if (std::string why = whyNoRate(answer, Fosc); !why.empty()) {
    return why;
  }
  const std::string tolerance = "±" + core::shortNumber(core::kBaudTolerancePercent) + " %";
  const std::string doubler = cpu_type == kAvr ? "U2X=" : "SMOD=";
  std::string hint = "最接近 " + core::shortNumber(answer.wantedBaud) + " bps 的初装值：";
  for (std::size_t i = 0; i < answer.options.size(); ++i) {
    const core::ReloadOption& o = answer.options[i];
    hint += "\n" + doubler + std::to_string(o.doubler) + "：" + o.text + "，" +
            core::twoDecimals(o.actualBaud) + " bps，" + core::percentText(o.errorPercent) + "，" +
            (o.withinTolerance ? "在 " + tolerance + " 之内" : "超出 " + tolerance);
    if (answer.best == i) {
      hint += "（最佳）";
    }
  }
  return hint;
}

std::string baudHint(const DelaySubForm& form) {
  return baudHint(form.windowState().cpu_type, form.windowState().Fosc, form.Combo1.text(),
                  form.Option1.isSelected(0));
}

std::string seedRangeNote(std::int16_t cpu_type, std::int16_t loop_type) {
  const auto range = core::seedRange(cpu_type, loop_type);
  if (!range) {
    return "";
  }
  return nestingCaption(loop_type) + "的种子 X 须在 " + core::integerText(range->first) + ".." +
         core::integerText(range->last) + " 之内";
}

std::string seedHint(std::int16_t cpu_type, std::int16_t loop_type) {
  const auto range = core::seedRange(cpu_type, loop_type);
  if (!range || core::coreName(cpu_type).empty()) {
    return "";
  }
  return std::string(core::coreName(cpu_type)) + " " + nestingCaption(loop_type) +
         "能计算的种子 X：" + core::integerText(range->first) + ".." +
         core::integerText(range->last) + "\n延时子程序的计数器 BYT_DLY 只有一字节，存 0..255";
}

std::string seedHint(const DelaySubForm& form) {
  return seedHint(form.windowState().cpu_type, form.windowState().loop_type);
}

TemplateCopy templateCopy(std::int16_t cpu_type, std::int16_t loop_type, float Fosc,
                          std::string_view seedText, std::string_view boxText) {
  const core::Result<std::int32_t> seed = core::roundToInt32(core::readNumber(seedText));
  if (!seed.ok()) {
    return disabled("种子超出 32 位整数的范围");
  }
  if (seed.value < 0 || seed.value > kByteLast) {
    return disabled("种子 " + core::integerText(seed.value) + " 不在 BYT_DLY 的 0..255 之内");
  }
  if (!core::hasSeedPlace(boxText)) {
    return disabled("模板中没有 #X");
  }
  const auto X = static_cast<std::uint8_t>(seed.value);
  const core::Result<std::string> text =
      core::seededTemplateOf(boxText, cpu_type, loop_type, Fosc, X);
  if (!text.ok()) {
    return disabled("延时算不出（" + runErrorText(text.error) + "）");
  }
  if (text.value.empty()) {
    return disabled("没有这种核心或循环的模板");
  }
  TemplateCopy copy;
  copy.enabled = true;
  copy.caption = kCopySeededCaption;
  copy.text = text.value;
  return copy;
}

TemplateCopy templateCopy(const DelaySubForm& form) {
  return templateCopy(form.windowState().cpu_type, form.windowState().loop_type,
                      form.windowState().Fosc, form.Text1(kSeedBox).text(),
                      form.Text1(kTemplateBox).text());
}

}  // namespace delaysub::window::hints
