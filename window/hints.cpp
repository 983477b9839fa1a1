#include "window/hints.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "core/display.h"
#include "core/numbers.h"
#include "design/reload.h"
#include "design/seed.h"
#include "design/template.h"
#include "design/texts.h"
#include "window/layout.h"

namespace delaysub::window::hints {

namespace {

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
std::string whyNoRate(const design::BaudAnswer& answer, float Fosc) {
  constexpr std::string_view kNoReload = "，算不出初装值。";
  const double baud = answer.wantedBaud;
  for (const std::string& reason :
       {whyNotPositive("波特率", baud, design::shortNumber(baud)),
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
std::string nestingCaption(core::Nesting nesting) {
  const auto row = findControl("Option2", core::loopTypeOf(nesting));
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

std::string baudHint(core::Core core, float Fosc, std::string_view baudText, bool smod0Selected) {
  const design::BaudAnswer answer = design::baudAnswer(core, Fosc, baudText, smod0Selected);
  if (std::string why = whyNoRate(answer, Fosc); !why.empty()) {
    return why;
  }
  const std::string tolerance = design::toleranceText(design::kBaudTolerancePercent);
  const std::string doubler = core::isAvr(core) ? "U2X=" : "SMOD=";
  std::string hint = "最接近 " + design::shortNumber(answer.wantedBaud) + " bps 的初装值：";
  for (std::size_t i = 0; i < answer.options.size(); ++i) {
    const design::ReloadOption& o = answer.options[i];
    hint += "\n" + doubler + std::to_string(o.doubler) + "：" + o.text + "，" +
            design::twoDecimals(o.actualBaud) + " bps，" + design::percentText(o.errorPercent) +
            "，" + (o.withinTolerance ? "在 " + tolerance + " 之内" : "超出 " + tolerance);
    if (answer.best == i) {
      hint += "（最佳）";
    }
  }
  return hint;
}

std::string baudHint(const DelaySubForm& form) {
  const auto cpu = core::coreOf(form.windowState().cpu_type);
  if (!cpu) {
    return "";
  }
  return baudHint(*cpu, form.windowState().Fosc, form.Combo1.text(), form.Option1.isSelected(0));
}

std::string seedRangeNote(core::Core core, core::Nesting nesting) {
  const design::SeedRange range = design::seedRange(core, nesting);
  return nestingCaption(nesting) + "的种子 X 须在 " + core::integerText(range.first) + ".." +
         core::integerText(range.last) + " 之内";
}

std::string seedHint(core::Core core, core::Nesting nesting) {
  const design::SeedRange range = design::seedRange(core, nesting);
  return std::string(core::coreName(core)) + " " + nestingCaption(nesting) + "能计算的种子 X：" +
         core::integerText(range.first) + ".." + core::integerText(range.last) +
         "\n延时子程序的计数器 BYT_DLY 只有一字节，存 0..255";
}

std::string seedHint(const DelaySubForm& form) {
  const auto cpu = core::coreOf(form.windowState().cpu_type);
  const auto nesting = core::nestingOf(form.windowState().loop_type);
  return cpu && nesting ? seedHint(*cpu, *nesting) : std::string();
}

TemplateCopy templateCopy(core::Core core, core::Nesting nesting, float Fosc,
                          std::string_view seedText, std::string_view boxText) {
  const core::Result<std::int32_t> seed = core::roundToInt32(core::readNumber(seedText));
  if (!seed.ok()) {
    return disabled("种子超出 32 位整数的范围");
  }
  if (seed.value < 0 || seed.value > core::kByteMax) {
    return disabled("种子 " + core::integerText(seed.value) + " 不在 BYT_DLY 的 0..255 之内");
  }
  if (!design::hasSeedPlace(boxText)) {
    return disabled("模板中没有 #X");
  }
  const auto X = static_cast<std::uint8_t>(seed.value);
  const core::Result<std::string> text = design::seededTemplateOf(boxText, core, nesting, Fosc, X);
  if (!text.ok()) {
    return disabled("延时算不出（" + runErrorText(text.error) + "）");
  }
  TemplateCopy copy;
  copy.enabled = true;
  copy.caption = kCopySeededCaption;
  copy.text = text.value;
  return copy;
}

TemplateCopy templateCopy(const DelaySubForm& form) {
  const auto cpu = core::coreOf(form.windowState().cpu_type);
  const auto nesting = core::nestingOf(form.windowState().loop_type);
  if (!cpu || !nesting) {
    return disabled("没有这种核心或循环的模板");
  }
  return templateCopy(*cpu, *nesting, form.windowState().Fosc, form.Text1(kSeedBox).text(),
                      form.Text1(kTemplateBox).text());
}

}  // namespace delaysub::window::hints
