#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velunora::text {

// Decodes bytes as UTF-8, replacing each invalid sequence with U+FFFD.
std::string repairedUTF8(std::string_view bytes);

// Whether the character is Unicode white space or a line break (U+0020, U+0009, U+000A..U+000D,
// U+0085, U+00A0, U+1680, U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000).
bool isWhiteSpaceOrLineBreak(char32_t character) noexcept;

// Removes Unicode white space and line breaks at both ends of valid UTF-8 text.
std::string_view trimmed(std::string_view utf8);

// Splits valid UTF-8 text at white space and line breaks, dropping empty pieces.
std::vector<std::string_view> splitAtWhiteSpace(std::string_view utf8);

// Splits valid UTF-8 text at line-break characters (LF, CR, CR LF, VT, FF, U+0085, U+2028, U+2029).
std::vector<std::string_view> splitLines(std::string_view utf8);

// Case- and diacritic-insensitive form of the text in the user's current locale: lower case
// with the locale's rules, NFD, non-spacing marks removed.
std::string folded(std::string_view utf8);

// Whether `needle` occurs in `haystack`, ignoring case in the user's current locale.
bool containsIgnoringCase(std::string_view haystack, std::string_view needle);

} // namespace velunora::text
