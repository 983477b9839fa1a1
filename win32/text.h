// Text between the Windows programs and the system: the program's texts are
// UTF-8, Windows' are UTF-16.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace delaysub::win32 {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view text);
// UTF-8 to UTF-16; bytes that form no character become U+FFFD.
std::wstring toUtf16(std::string_view text);

// The arguments after the program's name, in UTF-8.
std::vector<std::string> utf8Arguments(int argc, const wchar_t* const argv[]);

// The length of the text without a character that it begins but does not
// finish (the leading bytes of one that a buffer's end cuts off).
std::size_t wholeCharacters(std::string_view text);

}  // namespace delaysub::win32
