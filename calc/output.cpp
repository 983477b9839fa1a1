#include "calc/output.h"

#include "calc/calc.h"
#include "core/display.h"

namespace delaysub::calc {

namespace {

std::string dump(const Json& j) {
  return j.dump(2, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

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

std::string labelled(std::string_view label, std::string_view value) {
  std::string line = padRight(label, kLabel);
  for (char c : value) {
    line += c;
    if (c == '\n') {
      line += std::string(kLabel, ' ');
    }
  }
  return line + "\n";
}

Json errorJson(core::RunError e) {
  return Json{{"number", core::errorNumber(e)}, {"meaning", core::errorMeaning(e)}};
}

std::string errorLine(core::RunError e) {
  return "error " + std::to_string(core::errorNumber(e)) + ": " +
         std::string(core::errorMeaning(e));
}

int Answer::done() {
  if (json_) {
    out_ << dump(json) << "\n";
  } else {
    out_ << text;
  }
  return kExitOk;
}

int Answer::fail(core::RunError e) {
  err_ << errorLine(e) << "\n";
  if (json_) {
    Json j{{"error", errorJson(e)}};
    j.update(json);
    out_ << dump(j) << "\n";
  }
  return kExitFailed;
}

int Answer::failWith(const std::string& message) {
  done();
  err_ << kProgram << ": " << message << "\n";
  return kExitFailed;
}

void Answer::describeCore(core::Core core) {
  json["core"] = core::infoOf(core).key;
  text += labelled("core", core::coreName(core));
}

void Answer::describeCrystal(float Fosc) {
  json["crystal_mhz"] = static_cast<double>(Fosc);
  text += labelled("crystal", core::singleText(Fosc) + " MHz");
}

void Answer::noteDelaysOf(core::Core core) {
  if (core::isAvr(core)) {
    json["note"] = kAvrDelayNote;
    text += labelled("note", kAvrDelayNote);
  }
}

}  // namespace delaysub::calc
