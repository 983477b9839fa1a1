#include "designer/design_pages.h"

#include <utility>

#include "codegen/delay.h"
#include "codegen/timer_options.h"

namespace delaysub::designer::pages {

namespace {

std::string registersOf(const std::vector<std::string>& registers) {
  std::string text;
  for (const std::string& r : registers) {
    text += (text.empty() ? "" : "、") + r;
  }
  return text;
}

}  // namespace

CodeView noAnswer(std::string sentence) {
  return {"", std::move(sentence)};
}

std::variant<Setting, std::string> settingOf(std::optional<std::size_t> chip,
                                             const std::string& crystal) {
  const auto list = mcu::chips();
  if (!chip || *chip >= list.size()) {
    return std::string("请选择芯片：列表里每种芯片都注明了它的时钟。");
  }
  const codegen::Reading hz = codegen::readFrequency(crystal);
  if (!hz.value) {
    return "晶振频率“" + crystal + "”读不出：请写一个大于 0 的数，单位 MHz（也可写 kHz 或 Hz）。";
  }
  return Setting{&list[*chip], *hz.value};
}

std::variant<codegen::Ratio, std::string> timeOf(const std::string& number, TimeUnit unit,
                                                 std::string_view what) {
  const codegen::Reading us =
      codegen::readTime(number + std::string(kUnitSuffixes[static_cast<std::size_t>(unit)]));
  if (!us.value) {
    return std::string(what) + "“" + number + "”读不出：请写一个大于 0 的数。";
  }
  return *us.value;
}

CodeView delayPage(const Setting& s, const DelayInputs& in) {
  const auto time = timeOf(in.time, in.unit, "延时时间");
  if (const auto* why = std::get_if<std::string>(&time)) {
    return noAnswer(*why);
  }
  codegen::DelayRequest request;
  request.chip = s.chip;
  request.crystalHz = s.crystalHz;
  request.timeUs = std::get<codegen::Ratio>(time);
  request.rounding = in.rounding;
  request.language = in.language;
  request.inlineCode = in.inlineCode;
  request.save = in.save;
  const auto outcome = codegen::makeDelay(request);
  if (const auto* e = std::get_if<codegen::DelayError>(&outcome)) {
    return noAnswer("无法生成：" + e->message + "。");
  }
  const auto& a = std::get<codegen::DelayAnswer>(outcome);
  std::string figures =
      "时钟数 " + std::to_string(a.clocks) + "（要求 " + codegen::decimalText(a.wantedClocks, 6) +
      "）　实际时间 " + codegen::periodText(a.timeUs) + "\n误差 " +
      codegen::signedDecimalText(a.errorClocks, 6) +
      " 个时钟 = " + codegen::signedDecimalText(a.errorUs, 6) + " us（" +
      codegen::signedDecimalText(a.errorPercent, 4) + " %）　" + std::to_string(a.bytes) + " 字节";
  if (!a.registers.empty()) {
    figures += "，改变 " + registersOf(a.registers);
  }
  return {a.code, figures};
}

}  // namespace delaysub::designer::pages
