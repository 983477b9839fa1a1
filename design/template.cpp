#include "design/template.h"

#include "core/delay.h"
#include "core/display.h"
#include "core/numbers.h"
#include "core/texts.h"

namespace delaysub::design {

namespace {

// The template's line break, and the seed's place in its first instruction.
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kSeedPlace = "#X";

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The first "#X" from at on that no name character follows ("#XL" is another
// symbol); text.size() when there is none.
std::size_t seedPlaceAt(std::string_view text, std::size_t at) {
  for (std::size_t place = text.find(kSeedPlace, at); place != std::string_view::npos;
       place = text.find(kSeedPlace, place + 1)) {
    const std::size_t after = place + kSeedPlace.size();
    if (after == text.size() || !isNameCharacter(text[after])) {
      return place;
    }
  }
  return text.size();
}

// Every "#X" of the text replaced by the literal.
std::string withLiteral(std::string_view templ, const std::string& literal) {
  std::string text;
  for (std::size_t at = 0; at < templ.size();) {
    const std::size_t place = seedPlaceAt(templ, at);
    text.append(templ.substr(at, place - at));
    if (place == templ.size()) {
      break;
    }
    text += literal;
    at = place + kSeedPlace.size();
  }
  return text;
}

}  // namespace

std::string seedLiteral(std::uint8_t X) {
  // Two digits at least, and a 0 before a leading letter. Appended, not
  // inserted: g++ 12 warns falsely on inserting at -O3.
  const std::string hex = core::hexText(X);
  std::string literal("#");
  if (hex.size() < 2 || hex[0] >= 'A') {
    literal.push_back('0');
  }
  literal.append(hex);
  literal.push_back('H');
  return literal;
}

Result<std::string> seededTemplate(Core core, Nesting nesting, float Fosc, std::uint8_t X) {
  return seededTemplateOf(core::templateOf(core, nesting), core, nesting, Fosc, X);
}

Result<std::string> seededTemplateOf(std::string_view templ, Core core, Nesting nesting, float Fosc,
                                     std::uint8_t X) {
  const Result<std::int32_t> t = core::delayOf(core, nesting, Fosc, X);
  if (!t.ok()) {
    return Result<std::string>::failure(t.error);
  }
  const std::string literal = seedLiteral(X);
  std::string text = withLiteral(templ, literal);
  std::string comment = "; BYT_DLY = " + literal.substr(1) + " (" + std::to_string(X) +
                        "): T = " + core::integerText(t.value) + " uS at " +
                        core::singleText(Fosc) + " MHz, " + std::string(core::coreName(core)) +
                        ", " + std::string(core::nestingName(nesting));
  if (X == 0) {
    comment += " (DJNZ from 0 makes 256 passes: the routine runs longer)";
  }
  // The window's template begins with a line break: its first line is empty.
  if (!text.starts_with(kLineBreak)) {
    comment += kLineBreak;
  }
  text.insert(0, comment);
  return Result<std::string>::success(std::move(text));
}

bool hasSeedPlace(std::string_view text) {
  return seedPlaceAt(text, 0) != text.size();
}

}  // namespace delaysub::design
