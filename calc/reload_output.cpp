#include "calc/reload_output.h"

#include "design/texts.h"

namespace delaysub::calc {

namespace {

Json optionJson(core::Core core, const design::ReloadOption& o) {
  return Json{{core::isAvr(core) ? "u2x" : "smod", o.doubler},
              {"reload", o.reload},
              {"reload_text", o.text},
              {"actual_baud", o.actualBaud},
              {"error_percent", o.errorPercent},
              {"within_tolerance", o.withinTolerance}};
}

}  // namespace

std::string doublerName(core::Core core, int doubler) {
  return std::string(core::isAvr(core) ? "U2X " : "SMOD ") + std::to_string(doubler);
}

Json baudJson(core::Core core, const design::BaudAnswer& a) {
  Json j{{"baud", a.wantedBaud}};
  if (!core::isAvr(core)) {
    j["smod"] = a.smod0Selected ? 0 : 1;
  }
  j["window"] = a.window.value;
  Json options = Json::array();
  for (const design::ReloadOption& o : a.options) {
    options.push_back(optionJson(core, o));
  }
  j["options"] = std::move(options);
  j["best"] = a.best ? optionJson(core, a.options[*a.best]) : Json(nullptr);
  return j;
}

std::string optionLine(core::Core core, const design::ReloadOption& o) {
  return padRight(doublerName(core, o.doubler), kLabel) + padRight(o.text, 12) +
         padLeft(design::twoDecimals(o.actualBaud), 10) + " baud  " +
         padLeft(design::percentText(o.errorPercent), 9);
}

}  // namespace delaysub::calc
