// The timer and serial-port pages: the tables of choices that makeTimer and
// makeUart weigh, and the code of a row.
#include <type_traits>
#include <utility>
#include <variant>

#include "codegen/timer_answer.h"
#include "designer/design_pages.h"

namespace delaysub::designer::pages {

namespace {

constexpr std::string_view kDash = "—";

std::string yesNo(bool yes) {
  return yes ? "是" : "否";
}

std::string timerName(std::uint8_t number, std::string_view onlyOn) {
  std::string text = std::to_string(number);
  if (!onlyOn.empty()) {
    text += "（仅 " + std::string(onlyOn) + "）";
  }
  return text;
}

std::vector<std::string> timerRow(const codegen::TimerOption& o) {
  const codegen::PeriodCount& c = o.count;
  return {timerName(o.timer->number, o.timer->onlyOn),
          std::to_string(o.mode->mode) + "（" + std::to_string(o.mode->width) + " 位）",
          codegen::clockText(o.clock->divider),
          c.fits ? codegen::valueText(c.reload, o.mode->width) : std::string(kDash),
          c.fits ? codegen::periodText(c.actualUs) : std::string(kDash),
          c.fits ? codegen::fixedText(c.errorPercent, 2) + " %" : std::string("计数超出范围"),
          yesNo(o.mode->autoReload)};
}

std::vector<std::string> uartRow(const codegen::UartOption& o) {
  const codegen::BaudCount& c = o.count;
  return {timerName(o.source->timer, o.source->onlyOn),
          std::to_string(o.source->mode),
          codegen::clockText(o.clock->divider),
          o.source->smod ? std::to_string(*o.source->smod) : std::string(kDash),
          c.fits ? codegen::valueText(c.reload, o.source->width) : std::string(kDash),
          c.fits ? codegen::fixedText(c.actualBaud, 2) : std::string(kDash),
          c.fits ? codegen::fixedText(c.errorPercent, 2) + " %" : std::string("计数超出范围"),
          yesNo(c.fits && c.within2Percent),
          yesNo(c.fits && c.within1Percent)};
}

CodeView timerView(const codegen::TimerAnswer& a) {
  const codegen::TimerOption& o = a.bestOption();
  std::string figures = "定时器 " + std::to_string(o.timer->number) + " 方式 " +
                        std::to_string(o.mode->mode) + "，" + codegen::clockText(o.clock->divider) +
                        "：" + std::to_string(o.count.count) + " 次计数，实际周期 " +
                        codegen::periodText(o.count.actualUs) + "，误差 " +
                        codegen::fixedText(o.count.errorUs, 3) + " us（" +
                        codegen::fixedText(o.count.errorPercent, 2) + " %）";
  if (a.isrReload) {
    figures += "\n" + a.isrReload->note;
  }
  return {a.code, figures};
}

CodeView uartView(const codegen::UartAnswer& a) {
  const codegen::UartOption& o = a.bestOption();
  return {a.code, "定时器 " + std::to_string(o.source->timer) + " 方式 " +
                      std::to_string(o.source->mode) +
                      (o.source->smod ? "，SMOD " + std::to_string(*o.source->smod) : "") + "，" +
                      codegen::clockText(o.clock->divider) + "：实际波特率 " +
                      codegen::fixedText(o.count.actualBaud, 2) + "，误差 " +
                      codegen::fixedText(o.count.errorPercent, 2) + " %"};
}

codegen::TimerRequest timerRequest(const Setting& s, const codegen::Ratio& periodUs,
                                   Language language) {
  codegen::TimerRequest r;
  r.chip = s.chip;
  r.crystalHz = s.crystalHz;
  r.periodUs = periodUs;
  r.language = language;
  return r;
}

std::optional<codegen::Ratio> baudOf(const std::string& text) {
  // A rate is read as the crystal is, counted per second.
  const codegen::Reading reading = codegen::readFrequency(text + " Hz");
  return reading.value;
}

std::string baudProblem(const std::string& text) {
  return "波特率“" + text + "”读不出：请写一个大于 0 的数。";
}

codegen::UartRequest uartRequest(const Setting& s, const codegen::Ratio& baud, Language language) {
  codegen::UartRequest r;
  r.chip = s.chip;
  r.crystalHz = s.crystalHz;
  r.baud = baud;
  r.language = language;
  return r;
}

// The page of an answer: a row for every option, the best selected, its code.
template <class Answer, class RowOf, class ViewOf>
TablePage pageOf(const std::variant<Answer, codegen::TimerError>& outcome, RowOf rowOf,
                 ViewOf viewOf) {
  if (const auto* e = std::get_if<codegen::TimerError>(&outcome)) {
    return {noAnswer("无法生成：" + e->message + "。"), {}};
  }
  const Answer& a = std::get<Answer>(outcome);
  TablePage page;
  for (const auto& o : a.plan.options) {
    page.table.rows.push_back(rowOf(o));
  }
  page.table.best = a.best;
  page.table.selected = a.best;
  page.code = viewOf(a);
  return page;
}

// The code of a row: the whole answer's where the row is its best, else the
// answer to the request with the row's filter (filterOf), which leaves that
// row alone.
template <class Request, class Make, class FilterOf, class ViewOf>
CodeView rowCode(Request r, std::size_t row, Make make, FilterOf filterOf, ViewOf viewOf) {
  const auto all = make(r);
  using Answer = std::variant_alternative_t<0, std::remove_const_t<decltype(all)>>;
  const auto* whole = std::get_if<Answer>(&all);
  if (whole == nullptr) {
    return noAnswer("无法生成：" + std::get<codegen::TimerError>(all).message + "。");
  }
  if (row >= whole->plan.options.size()) {
    return noAnswer("表中没有第 " + std::to_string(row + 1) + " 行。");
  }
  if (row == whole->best) {
    return viewOf(*whole);
  }
  r.filter = filterOf(whole->plan.options[row]);
  const auto one = make(r);
  if (const auto* e = std::get_if<codegen::TimerError>(&one)) {
    return noAnswer("这一行无法生成：" + e->message + "。");
  }
  return viewOf(std::get<Answer>(one));
}

}  // namespace

TablePage timerPage(const Setting& s, const TimerInputs& in) {
  const auto period = timeOf(in.period, in.unit, "定时周期");
  if (const auto* why = std::get_if<std::string>(&period)) {
    return {noAnswer(*why), {}};
  }
  return pageOf(codegen::makeTimer(timerRequest(s, std::get<codegen::Ratio>(period), in.language)),
                timerRow, timerView);
}

CodeView timerRowCode(const Setting& s, const TimerInputs& in, std::size_t row) {
  const auto period = timeOf(in.period, in.unit, "定时周期");
  if (const auto* why = std::get_if<std::string>(&period)) {
    return noAnswer(*why);
  }
  const auto filterOf = [](const codegen::TimerOption& o) {
    return codegen::TimerFilter{o.timer->number, o.mode->mode, o.clock->divider};
  };
  return rowCode(timerRequest(s, std::get<codegen::Ratio>(period), in.language), row,
                 codegen::makeTimer, filterOf, timerView);
}

TablePage uartPage(const Setting& s, const UartInputs& in) {
  const auto baud = baudOf(in.baud);
  if (!baud) {
    return {noAnswer(baudProblem(in.baud)), {}};
  }
  return pageOf(codegen::makeUart(uartRequest(s, *baud, in.language)), uartRow, uartView);
}

CodeView uartRowCode(const Setting& s, const UartInputs& in, std::size_t row) {
  const auto baud = baudOf(in.baud);
  if (!baud) {
    return noAnswer(baudProblem(in.baud));
  }
  return rowCode(uartRequest(s, *baud, in.language), row, codegen::makeUart, uartRowFilter,
                 uartView);
}

codegen::UartFilter uartRowFilter(const codegen::UartOption& o) {
  return {o.source->timer, o.source->mode, o.source->smod, o.clock->divider};
}

}  // namespace delaysub::designer::pages
