// The window's delay-routine template with one seed filled in and a comment
// naming the seed, its delay, the crystal, the core and the nesting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/domain.h"
#include "core/result.h"

namespace delaysub::design {

using core::Core;
using core::Nesting;
using core::Result;

// The assembler literal of a seed: "#64H", "#0C8H" (a 0 before a letter), "#00H".
std::string seedLiteral(std::uint8_t X);

// The window's template for the core and nesting (CR LF line breaks) with
// "#X" replaced by the seed's literal and the first, empty line by the
// comment. Errors are those of the delay computation.
Result<std::string> seededTemplate(Core core, Nesting nesting, float Fosc, std::uint8_t X);
// The same for a template text of the caller's (one a user edited): every
// "#X" that no letter, digit or "_" follows becomes the literal, and the
// comment fills an empty first line or goes in a line of its own before the
// text.
Result<std::string> seededTemplateOf(std::string_view text, Core core, Nesting nesting, float Fosc,
                                     std::uint8_t X);
// Whether the text holds a "#X" that seededTemplateOf replaces.
bool hasSeedPlace(std::string_view text);

}  // namespace delaysub::design
