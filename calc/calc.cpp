#include "calc/calc.h"

#include <CLI/CLI.hpp>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/display.h"
#include "core/domain.h"
#include "core/numbers.h"
#include "core/result.h"
#include "core/texts.h"
#include "design/reload.h"
#include "design/seed.h"
#include "design/template.h"
#include "design/texts.h"

#ifndef DELAYSUB_VERSION
#define DELAYSUB_VERSION "0"
#endif

namespace delaysub::calc {

namespace {

using Json = nlohmann::ordered_json;
using core::RunError;

constexpr std::string_view kProgram = "delaysub-calc";
constexpr std::string_view kDefaultCrystal = "12 MHz";

// A usage error: the message names the option, the command tells which help.
struct UsageError {
  std::string message;
};

// Argument bytes in a message: one line, no control characters, not too long.
std::string argText(std::string_view text) {
  constexpr std::size_t kLongest = 40;
  std::string shown;
  for (char c : text.substr(0, kLongest)) {
    const auto u = static_cast<unsigned char>(c);
    shown += (u < 0x20 || u == 0x7F) ? '?' : c;
  }
  if (text.size() > kLongest) {
    shown += "...";
  }
  return "'" + shown + "'";
}

std::string oneLine(std::string_view text) {
  std::string line;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n' || c == '\r') {
      if (!line.empty() && line.back() != ' ') {
        line += ' ';
      }
    } else {
      line += (u < 0x20 || u == 0x7F) ? '?' : c;
    }
  }
  while (!line.empty() && line.back() == ' ') {
    line.pop_back();
  }
  return line;
}

// ---- What the options say ---------------------------------------------------

struct Options {
  std::string core, loops, crystal, seed, unit, time, baud, smod;
  bool json = false;
  bool crlf = false;
};

using core::Core;
using core::Nesting;

Core coreOf(const std::string& text) {
  for (const core::CoreInfo& c : core::kCores) {
    if (text == c.key) {
      return c.core;
    }
  }
  throw UsageError{"--core: " + argText(text) + " is no core; use mcs51, avr or w77e58"};
}

// 1, 2 or 3 loops.
Nesting nestingOf(const std::string& text) {
  for (const core::NestingInfo& n : core::kNestings) {
    if (text == std::to_string(n.loops)) {
      return n.nesting;
    }
  }
  throw UsageError{"--loops: " + argText(text) + " is no nesting depth; use 1, 2 or 3"};
}

core::DelayUnit unitOf(const std::string& text) {
  if (text.empty() || text == "us") {
    return core::DelayUnit::Microseconds;
  }
  if (text == "ms") {
    return core::DelayUnit::Milliseconds;
  }
  throw UsageError{"--unit: " + argText(text) + " is no unit; use us or ms"};
}

bool smod0Of(const std::string& text) {
  if (text.empty() || text == "0") {
    return true;
  }
  if (text == "1") {
    return false;
  }
  throw UsageError{"--smod: " + argText(text) + " is no SMOD bit; use 0 or 1"};
}

double targetOf(const std::string& text) {
  const std::optional<double> t = readTime(text);
  if (!t) {
    throw UsageError{"--time: " + argText(text) +
                     " is no time; use a number with an optional unit us, ms or s"};
  }
  if (!(*t > 0.0)) {
    throw UsageError{"--time: " + argText(text) + " is not above 0"};
  }
  return *t;
}

// The one-byte seed of the template, read as the window reads the seed box.
std::uint8_t byteSeedOf(const std::string& text) {
  const core::Result<std::uint8_t> X = core::toByte(core::readNumber(text));
  if (!X.ok()) {
    throw UsageError{"--seed: " + argText(text) +
                     " is outside 0..255, the values of the one-byte BYT_DLY"};
  }
  return X.value;
}

// ---- Writing the answer -----------------------------------------------------

// Columns as a terminal shows them: a Chinese character takes two.
std::size_t width(std::string_view text) {
  std::size_t w = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if ((u & 0xC0) == 0x80) {
      continue;
    }
    w += u >= 0xE0 ? 2 : 1;
  }
  return w;
}

std::string padRight(std::string_view text, std::size_t columns) {
  std::string s(text);
  for (std::size_t w = width(text); w < columns; ++w) {
    s += ' ';
  }
  return s;
}

std::string padLeft(std::string_view text, std::size_t columns) {
  std::string s;
  for (std::size_t w = width(text); w < columns; ++w) {
    s += ' ';
  }
  return s + std::string(text);
}

// CR LF line breaks as a terminal's, or kept with --crlf.
std::string withLineBreaks(std::string_view text, bool crlf) {
  std::string s;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      s += crlf ? "\r\n" : "\n";
      ++i;
    } else {
      s += text[i];
    }
  }
  return s;
}

constexpr std::size_t kLabel = 9;  // width of the labels of the text output

std::string labelled(std::string_view label, std::string_view value) {
  std::string line = padRight(label, kLabel);
  // A value of several lines goes on under its first line.
  for (char c : value) {
    line += c;
    if (c == '\n') {
      line += std::string(kLabel, ' ');
    }
  }
  return line + "\n";
}

Json errorJson(RunError e) {
  return Json{{"number", core::errorNumber(e)}, {"meaning", core::errorMeaning(e)}};
}

std::string errorLine(RunError e) {
  return "error " + std::to_string(core::errorNumber(e)) + ": " +
         std::string(core::errorMeaning(e));
}

class Command {
 public:
  Command(std::ostream& out, std::ostream& err, bool asJson)
      : out_(out), err_(err), json_(asJson) {}

  Json json;         // the fields of the answer so far
  std::string text;  // the text answer

  int done() {
    if (json_) {
      out_ << dump(json) << "\n";
    } else {
      out_ << text;
    }
    return kExitOk;
  }

  // A run-time error: the fields gathered so far come after the error.
  int fail(RunError e) {
    err_ << errorLine(e) << "\n";
    if (json_) {
      Json j{{"error", errorJson(e)}};
      j.update(json);
      out_ << dump(j) << "\n";
    }
    return kExitFailed;
  }

  // A failure that is no run-time error: the answer and a message.
  int failWith(const std::string& message) {
    done();
    err_ << kProgram << ": " << message << "\n";
    return kExitFailed;
  }

 private:
  static std::string dump(const Json& j) {
    return j.dump(2, ' ', false, Json::error_handler_t::replace);
  }

  std::ostream& out_;
  std::ostream& err_;
  bool json_;
};

void describeCrystal(Command& c, float Fosc) {
  c.json["crystal_mhz"] = static_cast<double>(Fosc);
  c.text += labelled("crystal", core::singleText(Fosc) + " MHz");
}

void describeCore(Command& c, Core k) {
  c.json["core"] = core::infoOf(k).key;
  c.text += labelled("core", core::coreName(k));
}

// ---- delay ------------------------------------------------------------------

int runDelay(const Options& o, Command& c) {
  const Core k = coreOf(o.core);
  const Nesting nesting = nestingOf(o.loops);
  const core::DelayUnit unit = unitOf(o.unit);
  const float Fosc = core::crystalFrequency(o.crystal);
  describeCore(c, k);
  c.json["loops"] = core::loopsOf(nesting);
  describeCrystal(c, Fosc);
  c.text += labelled("nesting", core::nestingName(nesting));

  const core::SeedDelay d = core::delayOfSeedText(k, nesting, Fosc, o.seed);
  if (d.X) {
    c.json["seed"] = *d.X;
    c.json["seed_hex"] = d.seedHex;
  }
  if (d.error != RunError::None) {
    return c.fail(d.error);
  }
  const std::string delayText = core::delayText(d.T, unit);
  const std::string_view caption = core::unitCaption(unit);
  const std::string formula = withLineBreaks(core::formulaOf(k, nesting), false);
  c.json["delay_us"] = d.T;
  c.json["unit"] = caption;
  c.json["delay_text"] = delayText;
  c.json["formula"] = formula;
  c.text += labelled("seed", std::to_string(*d.X) + " (hex " + d.seedHex + ")");
  c.text += labelled("delay", delayText + " " + std::string(caption));
  c.text += labelled("formula", formula);
  return c.done();
}

// ---- seed -------------------------------------------------------------------

std::string depthAndSeed(const design::DepthSolution& s, std::int32_t X) {
  return std::string(core::nestingName(s.nesting)) + ", X = " + std::to_string(X);
}

int runSeed(const Options& o, Command& c) {
  const Core k = coreOf(o.core);
  const double target = targetOf(o.time);
  std::vector<Nesting> depths = {Nesting::Single, Nesting::Double, Nesting::Triple};
  if (!o.loops.empty()) {
    depths = {nestingOf(o.loops)};
  }
  const float Fosc = core::crystalFrequency(o.crystal);
  describeCore(c, k);
  describeCrystal(c, Fosc);
  c.json["target_us"] = target;
  c.text += labelled("target", design::shortNumber(target) + " us");

  std::vector<design::DepthSolution> solutions;
  for (Nesting nesting : depths) {
    solutions.push_back(design::seedForDelay(k, nesting, Fosc, target));
  }
  const std::optional<std::size_t> best = design::bestDepth(solutions);

  Json list = Json::array();
  const design::DepthSolution* shortestDepth = nullptr;
  const design::DepthSolution* longestDepth = nullptr;
  RunError firstError = RunError::None;
  for (std::size_t i = 0; i < solutions.size(); ++i) {
    const design::DepthSolution& s = solutions[i];
    Json j{{"loops", core::loopsOf(s.nesting)}};
    std::string line;
    if (s.error != RunError::None) {
      j["reachable"] = false;
      j["min_us"] = nullptr;
      j["max_us"] = nullptr;
      j["error"] = errorJson(s.error);
      line = errorLine(s.error);
      if (firstError == RunError::None) {
        firstError = s.error;
      }
    } else {
      j["reachable"] = s.reachable;
      j["min_us"] = s.minUs;
      j["max_us"] = s.maxUs;
      if (!shortestDepth || s.minUs < shortestDepth->minUs) {
        shortestDepth = &s;
      }
      if (!longestDepth || s.maxUs > longestDepth->maxUs) {
        longestDepth = &s;
      }
      if (s.reachable) {
        j["seed"] = s.X;
        j["seed_hex"] = core::hexText(s.X);
        j["delay_us"] = s.T;
        j["error_percent"] = s.errorPercent;
        line = padRight("X = " + std::to_string(s.X) + " (hex " + core::hexText(s.X) + ")", 16) +
               padLeft(std::to_string(s.T), 10) + " us  " +
               padLeft(design::percentText(s.errorPercent), 9);
        if (best == i) {
          line += "  best";
        }
      } else {
        line = "unreachable: " + std::to_string(s.minUs) + ".." + std::to_string(s.maxUs) + " us";
      }
    }
    list.push_back(std::move(j));
    c.text += padRight(core::nestingName(s.nesting), 13) + line + "\n";
  }
  c.json["solutions"] = std::move(list);
  if (best) {
    const design::DepthSolution& b = solutions[*best];
    c.json["best"] = Json{{"loops", core::loopsOf(b.nesting)},
                          {"seed", b.X},
                          {"seed_hex", core::hexText(b.X)},
                          {"delay_us", b.T},
                          {"error_percent", b.errorPercent}};
    return c.done();
  }
  if (!shortestDepth) {
    return c.fail(firstError);  // no depth could be computed at all
  }
  c.json["best"] = nullptr;
  return c.failWith("no nesting depth reaches " + design::shortNumber(target) +
                    " us: the shortest delay is " + std::to_string(shortestDepth->minUs) + " us (" +
                    depthAndSeed(*shortestDepth, shortestDepth->minX) + "), the longest delay is " +
                    std::to_string(longestDepth->maxUs) + " us (" +
                    depthAndSeed(*longestDepth, longestDepth->maxX) + ")");
}

// ---- baud and table ---------------------------------------------------------

Json optionJson(Core k, const design::ReloadOption& o) {
  return Json{{core::isAvr(k) ? "u2x" : "smod", o.doubler},
              {"reload", o.reload},
              {"reload_text", o.text},
              {"actual_baud", o.actualBaud},
              {"error_percent", o.errorPercent},
              {"within_tolerance", o.withinTolerance}};
}

std::string doublerName(Core k, int doubler) {
  return std::string(core::isAvr(k) ? "U2X " : "SMOD ") + std::to_string(doubler);
}

// The object of one baud answer; the error when the window raises one.
Json baudJson(Core k, const design::BaudAnswer& a) {
  Json j{{"baud", a.wantedBaud}};
  if (!core::isAvr(k)) {
    j["smod"] = a.smod0Selected ? 0 : 1;
  }
  j["window"] = a.window.value;
  Json options = Json::array();
  for (const design::ReloadOption& o : a.options) {
    options.push_back(optionJson(k, o));
  }
  j["options"] = std::move(options);
  j["best"] = a.best ? optionJson(k, a.options[*a.best]) : Json(nullptr);
  return j;
}

std::string optionLine(Core k, const design::ReloadOption& o) {
  return padRight(doublerName(k, o.doubler), kLabel) + padRight(o.text, 12) +
         padLeft(design::twoDecimals(o.actualBaud), 10) + " baud  " +
         padLeft(design::percentText(o.errorPercent), 9);
}

std::string withinLine(Core k, const design::BaudAnswer& a) {
  std::string names;
  for (const design::ReloadOption& o : a.options) {
    if (o.withinTolerance) {
      names += (names.empty() ? "" : ", ") + doublerName(k, o.doubler);
    }
  }
  return labelled("within", design::toleranceText(design::kBaudTolerancePercent) + ": " +
                                (names.empty() ? std::string("none") : names));
}

int runBaud(const Options& o, Command& c) {
  const Core k = coreOf(o.core);
  const bool smod0 = smod0Of(o.smod);
  const float Fosc = core::crystalFrequency(o.crystal);
  describeCore(c, k);
  describeCrystal(c, Fosc);
  const design::BaudAnswer a = design::baudAnswer(k, Fosc, o.baud, smod0);
  if (!a.window.ok()) {
    c.json["baud"] = a.wantedBaud;
    return c.fail(a.window.error);
  }
  c.json.update(baudJson(k, a));
  c.text += labelled("baud", design::shortNumber(a.wantedBaud));
  std::string window = a.window.value;
  if (!core::isAvr(k)) {
    window += std::string(" (SMOD ") + (smod0 ? "0" : "1") + ")";
  }
  c.text += labelled("window", window);
  for (std::size_t i = 0; i < a.options.size(); ++i) {
    c.text += optionLine(k, a.options[i]) + (a.best == i ? "  best" : "") + "\n";
  }
  if (a.options.empty()) {
    c.text += labelled("nearest", a.wantedBaud > 0.0 ? "none: the crystal is not above 0"
                                                     : "none: the baud rate is not above 0");
  } else {
    c.text += withinLine(k, a);
  }
  return c.done();
}

int runTable(const Options& o, Command& c) {
  const Core k = coreOf(o.core);
  const float Fosc = core::crystalFrequency(o.crystal);
  describeCore(c, k);
  describeCrystal(c, Fosc);
  const std::vector<design::BaudAnswer> rows = design::baudTable(k, Fosc);
  Json list = Json::array();
  c.text += "\n" + padLeft("baud", 6) + "  " + padRight("window", 12) + padRight("nearest", 21) +
            padLeft("actual", 10) + std::string(7, ' ') + padLeft("error", 9) + "  within " +
            design::shortNumber(design::kBaudTolerancePercent) + " %\n";
  for (const design::BaudAnswer& a : rows) {
    if (!a.window.ok()) {
      return c.fail(a.window.error);
    }
    list.push_back(baudJson(k, a));
    c.text += padLeft(design::shortNumber(a.wantedBaud), 6) + "  " + padRight(a.window.value, 12);
    if (a.best) {
      const design::ReloadOption& b = a.options[*a.best];
      c.text += optionLine(k, b) + "  " + (b.withinTolerance ? "yes" : "no");
    }
    c.text += "\n";
  }
  c.json["rows"] = std::move(list);
  return c.done();
}

// ---- template ---------------------------------------------------------------

int runTemplate(const Options& o, Command& c, bool seedGiven, bool crystalGiven) {
  const Core k = coreOf(o.core);
  const Nesting nesting = nestingOf(o.loops);
  describeCore(c, k);
  c.json["loops"] = core::loopsOf(nesting);
  c.text.clear();
  std::string text;
  if (seedGiven || crystalGiven) {
    const float Fosc = core::crystalFrequency(crystalGiven ? o.crystal : kDefaultCrystal);
    c.json["crystal_mhz"] = static_cast<double>(Fosc);
    if (seedGiven) {
      const std::uint8_t X = byteSeedOf(o.seed);
      c.json["seed"] = X;
      const core::Result<std::string> t = design::seededTemplate(k, nesting, Fosc, X);
      if (!t.ok()) {
        return c.fail(t.error);
      }
      text = t.value;
    }
  }
  if (!seedGiven) {
    text = core::templateOf(k, nesting);
  }
  text = withLineBreaks(text, o.crlf);
  c.json["template"] = text;
  c.text = text + (o.crlf ? "\r\n" : "\n");
  return c.done();
}

// ---- The command line -------------------------------------------------------

constexpr std::string_view kFooter =
    "Crystal, seed and baud texts are read as the calculator window reads its boxes:\n"
    "\"11.0592MHz\", \"&H64\" and \"9600 bps\" all work, a text without a number reads 0.\n"
    "Exit status: 0 done; 1 a run-time error of the calculation (\"error 6: overflow\",\n"
    "\"error 11: division by zero\") or no nesting depth reaches the time; 2 a usage error.";

struct Commands {
  CLI::App* delay;
  CLI::App* seed;
  CLI::App* baud;
  CLI::App* table;
  CLI::App* templ;
  std::vector<std::pair<const CLI::App*, const CLI::Option*>> required;  // checked after parsing
};

CLI::Option* addCore(CLI::App* sub, Options& o) {
  return sub->add_option("--core", o.core, "the core: mcs51, avr or w77e58")
      ->type_name("C")
      ->required();
}
CLI::Option* addCrystal(CLI::App* sub, Options& o, const char* what) {
  return sub->add_option("--crystal", o.crystal, what)->type_name("TEXT");
}

Commands build(CLI::App& app, Options& o) {
  app.description(
      "Delay subroutines and baud-rate reload values for 8051-family and AVR "
      "microcontrollers, as the DelaySUB window computes them.");
  app.footer(std::string(kFooter));
  app.set_version_flag("--version", std::string(kProgram) + " " + DELAYSUB_VERSION,
                       "print the version and exit");
  app.set_help_flag("-h,--help", "print this help and exit");
  app.require_subcommand(1);

  Commands cmd{};
  cmd.delay = app.add_subcommand("delay", "the delay of one seed, as the window shows it");
  addCore(cmd.delay, o);
  cmd.delay->add_option("--loops", o.loops, "nesting depth: 1, 2 or 3")->type_name("N")->required();
  addCrystal(cmd.delay, o, "crystal in MHz, e.g. \"12 MHz\"")->required();
  cmd.delay->add_option("--seed", o.seed, "the seed X, e.g. 100 or &H64")
      ->type_name("TEXT")
      ->required();
  cmd.delay->add_option("--unit", o.unit, "unit of the delay text: us (default) or ms")
      ->type_name("us|ms");

  cmd.seed = app.add_subcommand("seed", "the seed and nesting nearest a wanted delay");
  addCore(cmd.seed, o);
  addCrystal(cmd.seed, o, "crystal in MHz")->required();
  cmd.seed->add_option("--time", o.time, "wanted delay, e.g. 10ms, 250us, 0.5s")
      ->type_name("TIME")
      ->required();
  cmd.seed->add_option("--loops", o.loops, "only this nesting depth: 1, 2 or 3")->type_name("N");

  cmd.baud = app.add_subcommand("baud", "the reload value for a baud rate, and the nearest ones");
  addCore(cmd.baud, o);
  addCrystal(cmd.baud, o, "crystal in MHz")->required();
  cmd.baud->add_option("--baud", o.baud, "the baud rate, e.g. 9600")->type_name("TEXT")->required();
  cmd.baud->add_option("--smod", o.smod, "the SMOD bit of the window's result: 0 (default) or 1")
      ->type_name("0|1");

  cmd.table =
      app.add_subcommand("table", "the nearest reload values for every baud rate of the list");
  addCore(cmd.table, o);
  addCrystal(cmd.table, o, "crystal in MHz")->required();

  cmd.templ = app.add_subcommand("template", "the assembly template of the delay routine");
  addCore(cmd.templ, o);
  cmd.templ->add_option("--loops", o.loops, "nesting depth: 1, 2 or 3")->type_name("N")->required();
  cmd.templ->add_option("--seed", o.seed, "put this seed (0..255) and a comment into the template")
      ->type_name("TEXT");
  addCrystal(cmd.templ, o, "crystal of the comment's delay (default \"12 MHz\")");
  cmd.templ->add_flag("--crlf", o.crlf, "CR LF line breaks, as the window copies them");

  for (CLI::App* sub : {cmd.delay, cmd.seed, cmd.baud, cmd.table, cmd.templ}) {
    // Missing options are checked after parsing, so that an unknown option is
    // the one named when both are wrong.
    for (CLI::Option* option : sub->get_options()) {
      if (option->get_required()) {
        option->required(false);
        option->description(option->get_description() + " (required)");
        cmd.required.emplace_back(sub, option);
      }
    }
    sub->add_flag("--json", o.json, "print one JSON object");
    sub->set_help_flag("-h,--help", "print this help and exit");
    sub->footer(std::string(kFooter));
  }
  return cmd;
}

std::string helpHint(const CLI::App& app) {
  std::string command;
  for (const CLI::App* sub : app.get_subcommands()) {
    command = " " + sub->get_name();
  }
  return "; see '" + std::string(kProgram) + command + " --help'";
}

bool isCommand(const CLI::App& app, const std::string& name) {
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (sub->get_name() == name) {
      return true;
    }
  }
  return false;
}

int usage(std::ostream& err, const std::string& message, const std::string& hint) {
  err << kProgram << ": " << oneLine(message) << hint << "\n";
  return kExitUsage;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options o;
  CLI::App app{"", std::string(kProgram)};
  const Commands cmd = build(app, o);
  const std::string mainHint = "; see '" + std::string(kProgram) + " --help'";
  if (args.empty()) {
    return usage(err, "a command is needed: delay, seed, baud, table or template", mainHint);
  }
  if (!args[0].starts_with("-") && !isCommand(app, args[0])) {
    return usage(err, "unknown command " + argText(args[0]), mainHint);
  }
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << "\n";
    return kExitOk;
  } catch (const CLI::RequiredError& e) {
    if (app.get_subcommands().empty()) {
      return usage(err, "a command is needed: delay, seed, baud, table or template", mainHint);
    }
    return usage(err, e.what(), helpHint(app));
  } catch (const CLI::ParseError& e) {
    return usage(err, e.what(), helpHint(app));
  }

  Command c(out, err, o.json);
  try {
    for (const auto& [sub, option] : cmd.required) {
      if (sub->parsed() && option->count() == 0) {
        throw UsageError{option->get_name() + " is required"};
      }
    }
    if (cmd.delay->parsed()) {
      return runDelay(o, c);
    }
    if (cmd.seed->parsed()) {
      return runSeed(o, c);
    }
    if (cmd.baud->parsed()) {
      return runBaud(o, c);
    }
    if (cmd.table->parsed()) {
      return runTable(o, c);
    }
    return runTemplate(o, c, cmd.templ->count("--seed") > 0, cmd.templ->count("--crystal") > 0);
  } catch (const UsageError& e) {
    return usage(err, e.message, helpHint(app));
  }
}

}  // namespace

std::optional<double> readTime(std::string_view text) {
  auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
  while (!text.empty() && blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && blank(text.back())) {
    text.remove_suffix(1);
  }
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
  }
  // Digits and a point first: from_chars alone would also take "inf" and "nan".
  if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.' || text[0] == '-')) {
    return std::nullopt;
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc()) {
    return std::nullopt;
  }
  std::string_view unit = text.substr(static_cast<std::size_t>(end - text.data()));
  while (!unit.empty() && blank(unit.front())) {
    unit.remove_prefix(1);
  }
  double scale = 1.0;
  if (unit == "ms") {
    scale = 1e3;
  } else if (unit == "s") {
    scale = 1e6;
  } else if (!unit.empty() && unit != "us") {
    return std::nullopt;
  }
  const double us = value * scale;
  if (!std::isfinite(us)) {
    return std::nullopt;
  }
  return us;
}

int runCalc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    return run(args, out, err);
  } catch (const std::exception& e) {
    err << kProgram << ": " << oneLine(e.what()) << "\n";
  } catch (...) {
    err << kProgram << ": unexpected failure\n";
  }
  return kExitFailed;
}

}  // namespace delaysub::calc
