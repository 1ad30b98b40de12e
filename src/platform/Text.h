#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velunora::text {

// Decodes bytes as UTF-8, replacing each invalid sequence with U+FFFD. An invalid sequence is a
// maximal subpart in Unicode's sense (the longest prefix of a well-formed sequence, or one
// byte), so a truncated three-byte character gives one U+FFFD and a stray byte gives one each.
std::string repairedUTF8(std::string_view bytes);

// Whether the character is Unicode white space or a line break (U+0020, U+0009, U+000A..U+000D,
// U+0085, U+00A0, U+1680, U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000).
bool isWhiteSpaceOrLineBreak(char32_t character) noexcept;

// Removes Unicode white space and line breaks at both ends of valid UTF-8 text.
std::string_view trimmed(std::string_view utf8);

// What trimmed(repairedUTF8(bytes)) gives when every byte is ASCII, without copying or asking
// ICU: for ASCII the repair changes nothing and the white space is space, tab and CR, LF, VT, FF.
// Nothing when a byte is outside ASCII, for the caller to take the general way.
std::optional<std::string_view> trimmedASCII(std::string_view bytes) noexcept;

// Splits valid UTF-8 text at white space and line breaks, dropping empty pieces.
std::vector<std::string_view> splitAtWhiteSpace(std::string_view utf8);

// Splits valid UTF-8 text at line-break characters (LF, CR, CR LF, VT, FF, U+0085, U+2028, U+2029).
// Empty lines are kept, so "a\n\nb\n" gives "a", "", "b", "".
std::vector<std::string_view> splitLines(std::string_view utf8);

// Case- and diacritic-insensitive form of the text in the user's current locale: lower case
// with the locale's rules, NFD, non-spacing marks removed.
std::string folded(std::string_view utf8);

// Whether `needle` occurs in `haystack`, ignoring case in the user's current locale. An empty
// needle is never found.
bool containsIgnoringCase(std::string_view haystack, std::string_view needle);

// containsIgnoringCase for one needle and many haystacks, the user's locale read once when the
// search is made: for one operation that tests many texts.
class CaseInsensitiveSearch {
public:
    explicit CaseInsensitiveSearch(std::string_view needle);

    bool isFoundIn(std::string_view haystack) const;

private:
    std::string needle_;
    std::string locale_;
};

// The ICU identifier of the user's current locale, read at each call: the process's LC_CTYPE
// locale when one was set, else LC_ALL, LC_CTYPE or LANG from the environment, else ICU's
// default. "tr_TR.UTF-8" becomes "tr_TR".
std::string currentLocaleIdentifier();

} // namespace velunora::text
