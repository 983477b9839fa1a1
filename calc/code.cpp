// code: a delay routine for a chip, exact to the clock, in A51 or sdas
// assembly or in C, with its clocks, time, error and size.
#include <charconv>
#include <string>
#include <variant>

#include "calc/args.h"
#include "calc/subcommand.h"
#include "codegen/delay.h"

namespace delaysub::calc {

namespace {

using codegen::DelayAnswer;
using codegen::DelayError;
using codegen::Ratio;

// Decimal places of the fractional figures, in the text and in the JSON.
constexpr int kDecimals = 6;

const mcu::Chip& chipOf(const std::string& text) {
  if (const mcu::Chip* chip = mcu::findChip(text)) {
    return *chip;
  }
  std::string names;
  const auto all = mcu::chips();
  for (std::size_t i = 0; i < all.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == all.size() ? " or " : ", ") + std::string(all[i].name);
  }
  throw UsageError{"--chip: " + argText(text) + " is no chip; use " + names};
}

// A quantity's reading, or a usage error naming the option: what the text
// is not, and how to write one where it is no number at all.
Ratio quantityOf(const codegen::Reading& r, const char* option, const std::string& text,
                 const char* what) {
  if (r.value) {
    return *r.value;
  }
  const bool unreadable = r.problem == "is no number" || r.problem == "has no known unit";
  throw UsageError{std::string(option) + ": " + argText(text) + " " +
                   (unreadable ? std::string(what) : r.problem)};
}

codegen::Rounding roundingOf(const std::string& text) {
  for (const auto r :
       {codegen::Rounding::Nearest, codegen::Rounding::Up, codegen::Rounding::Down}) {
    if (text == codegen::roundingName(r)) {
      return r;
    }
  }
  throw UsageError{"--round: " + argText(text) + " is no rounding; use nearest, up or down"};
}

codegen::Language languageOf(const std::string& text) {
  for (const auto l : {codegen::Language::Asm, codegen::Language::Sdas, codegen::Language::C}) {
    if (text == codegen::languageName(l)) {
      return l;
    }
  }
  throw UsageError{"--lang: " + argText(text) + " is no language; use asm, sdas or c"};
}

// A JSON number: an integer where the value is whole, else the value
// rounded to kDecimals places, as the text shows it.
Json numberOf(const std::string& decimal) {
  if (decimal.find('.') == std::string::npos) {
    std::int64_t whole = 0;
    const auto [end, ec] = std::from_chars(decimal.data(), decimal.data() + decimal.size(), whole);
    if (ec == std::errc() && end == decimal.data() + decimal.size()) {
      return whole;
    }
  }
  double value = 0.0;
  std::from_chars(decimal.data(), decimal.data() + decimal.size(), value);
  return value;
}
Json numberOf(const Ratio& r) {
  return numberOf(codegen::decimalText(r, kDecimals));
}
Json numberOf(const codegen::Difference& d) {
  const std::string text = codegen::signedDecimalText(d, kDecimals);
  return numberOf(text.starts_with('+') ? text.substr(1) : text);
}

// The figures for a person, under the code: a comment of the language, so
// that the whole answer still assembles or compiles.
std::string summaryOf(const DelayAnswer& d) {
  const bool c = d.language == codegen::Language::C;
  const std::string mark = c ? " * " : "; ";
  const auto line = [&](std::string_view label, const std::string& value) {
    return mark + labelled(label, value);
  };
  const std::string us = " us";
  return std::string(c ? "\n/*\n" : "\n") +
         line("clocks", std::to_string(d.clocks) + " (wanted " +
                            codegen::decimalText(d.wantedClocks, kDecimals) + ")") +
         line("time", codegen::decimalText(d.timeUs, kDecimals) + us + " (wanted " +
                          codegen::decimalText(d.targetUs, kDecimals) + us + ")") +
         line("error", codegen::signedDecimalText(d.errorClocks, kDecimals) +
                           " clocks = " + codegen::signedDecimalText(d.errorUs, kDecimals) + us +
                           " = " + codegen::signedDecimalText(d.errorPercent, 4) + " %") +
         line("bytes", std::to_string(d.bytes) + (d.inlineCode ? "" : " (the LCALL: 3 more)")) +
         (c ? " */\n" : "");
}

Json answerJson(const DelayAnswer& d) {
  Json registers = Json::array();
  for (const std::string& reg : d.registers) {
    registers.push_back(reg);
  }
  return Json{{"chip", d.chip},
              {"crystal_hz", numberOf(d.crystalHz)},
              {"target_us", numberOf(d.targetUs)},
              {"round", codegen::roundingName(d.rounding)},
              {"wanted_clocks", numberOf(d.wantedClocks)},
              {"clocks", d.clocks},
              {"time_us", numberOf(d.timeUs)},
              {"error_clocks", numberOf(d.errorClocks)},
              {"error_us", numberOf(d.errorUs)},
              {"error_percent", numberOf(d.errorPercent)},
              {"lang", codegen::languageName(d.language)},
              {"name", d.name},
              {"inline", d.inlineCode},
              {"save", d.save},
              {"registers", std::move(registers)},
              {"bytes", d.bytes},
              {"counters", d.counters},
              {"reload", d.reloadValue > 0 ? Json(d.reloadValue) : Json(nullptr)},
              {"nops", d.nops},
              {"code", d.code}};
}

class Code : public Subcommand {
 public:
  void declare(CLI::App& sub) override {
    sub.footer(
        "The crystal and the time are read exactly: 11.0592 MHz for 1 ms is 11059.2 clocks.\n"
        "The routine is counted from the first clock of its LCALL to the last of its RET\n"
        "(--inline: from its first clock to its last); 'delaysub-calc chips' lists the chips.\n"
        "Exit status: 0 done; 1 the time lies outside the chip's routines at that crystal\n"
        "(both limits named) or the chip lacks a timing the routine needs; 2 a usage error.");
    sub.add_option("--chip", chip_, "the chip, e.g. 8051, stc15 (see 'delaysub-calc chips')")
        ->type_name("NAME")
        ->required();
    sub.add_option("--crystal", crystal_, "crystal in MHz, or with a unit: 11.0592MHz, 32768Hz")
        ->type_name("TEXT")
        ->required();
    sub.add_option("--time", time_, "wanted delay, e.g. 10ms, 250us, 1.5ms")
        ->type_name("TIME")
        ->required();
    sub.add_option("--round", round_, "nearest (default; ties up), up (at least) or down")
        ->type_name("nearest|up|down");
    sub.add_option("--lang", lang_, "asm (A51, default), sdas (SDCC assembler) or c")
        ->type_name("asm|sdas|c");
    sub.add_flag("--inline", inline_, "code to place in line: no call, no return");
    sub.add_flag("--save", save_, "push and pop the registers it uses (register bank 0)");
    nameOption_ =
        sub.add_option("--name", name_, "the routine's name (default from the time: Delay10ms)")
            ->type_name("NAME");
  }

  int run(Answer& a) override {
    codegen::DelayRequest r;
    r.chip = &chipOf(chip_);
    r.crystalHz = quantityOf(codegen::readFrequency(crystal_), "--crystal", crystal_,
                             "is no frequency; use a number of MHz with an optional unit MHz, "
                             "kHz or Hz");
    r.timeUs = quantityOf(codegen::readTime(time_), "--time", time_,
                          "is no time; use a number with an optional unit us, ms or s");
    r.rounding = round_.empty() ? codegen::Rounding::Nearest : roundingOf(round_);
    r.language = lang_.empty() ? codegen::Language::Asm : languageOf(lang_);
    r.inlineCode = inline_;
    r.save = save_;
    if (nameOption_->count() > 0) {
      if (const std::string problem = codegen::nameProblem(name_); !problem.empty()) {
        throw UsageError{"--name: " + argText(name_) + " " + problem};
      }
      r.name = name_;
    }
    const auto outcome = codegen::makeDelay(r);
    if (const auto* d = std::get_if<DelayAnswer>(&outcome)) {
      a.json = answerJson(*d);
      a.text = d->code + summaryOf(*d);
      return a.done();
    }
    return failed(std::get<DelayError>(outcome), r, a);
  }

 private:
  static int failed(const DelayError& e, const codegen::DelayRequest& r, Answer& a) {
    if (e.kind == DelayError::Kind::Usage) {
      throw UsageError{e.message};
    }
    a.json = Json{{"chip", r.chip->name},
                  {"crystal_hz", numberOf(r.crystalHz)},
                  {"target_us", numberOf(r.timeUs)},
                  {"error", e.message}};
    if (e.kind == DelayError::Kind::OutOfRange) {
      a.json["shortest_clocks"] = e.shortestClocks;
      a.json["longest_clocks"] = e.longestClocks;
    }
    a.text.clear();
    return a.failWith(oneLine(e.message));
  }

  std::string chip_, crystal_, time_, round_, lang_, name_;
  bool inline_ = false, save_ = false;
  const CLI::Option* nameOption_ = nullptr;
};

}  // namespace

std::unique_ptr<Subcommand> makeCode() {
  return std::make_unique<Code>();
}

}  // namespace delaysub::calc
