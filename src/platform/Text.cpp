#include "platform/Text.h"

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

namespace velunora::text {
namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// The longest UTF-8 sequence; the ICU macros never look further than this from where they
// start, so handing them a window of at most four bytes keeps their int32_t offsets small
// whatever the length of the text.
constexpr std::size_t maximumSequenceLength = 4;

bool isASCII(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// The code point starting at `position` (a negative value for an invalid sequence) and the
// number of bytes it takes.
struct Decoded {
    UChar32 character;
    std::size_t length;
};

Decoded decodeAt(std::string_view text, std::size_t position) noexcept {
    const auto* window = reinterpret_cast<const std::uint8_t*>(text.data() + position);
    const auto windowLength =
        static_cast<std::int32_t>(std::min(text.size() - position, maximumSequenceLength));
    std::int32_t consumed = 0;
    UChar32 character = 0;
    U8_NEXT(window, consumed, windowLength, character);
    return {character, static_cast<std::size_t>(consumed)};
}

// The code point ending at `end` and the number of bytes it takes.
Decoded decodeBefore(std::string_view text, std::size_t end) noexcept {
    const std::size_t windowStart = end > maximumSequenceLength ? end - maximumSequenceLength : 0;
    const auto* window = reinterpret_cast<const std::uint8_t*>(text.data() + windowStart);
    auto index = static_cast<std::int32_t>(end - windowStart);
    const std::int32_t windowEnd = index;
    UChar32 character = 0;
    // The macro casts in C style inside; the cast is ICU's, not ours.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
    U8_PREV(window, 0, index, character);
#pragma GCC diagnostic pop
    return {character, static_cast<std::size_t>(windowEnd - index)};
}

bool isSpace(UChar32 character) noexcept {
    return character >= 0 && isWhiteSpaceOrLineBreak(static_cast<char32_t>(character));
}

// ICU counts in int32_t; texts of the core are labels and short files, far below this.
std::int32_t icuLength(std::size_t length) {
    if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 4)) {
        throw std::length_error("text too long for ICU");
    }
    return static_cast<std::int32_t>(length);
}

void checkICU(UErrorCode status) {
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("ICU: ") + u_errorName(status));
    }
}

std::u16string toUTF16(std::string_view utf8) {
    std::u16string result(utf8.size(), u'\0'); // never more UTF-16 units than UTF-8 bytes
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(result.data(), icuLength(result.size()), &length, utf8.data(),
                         icuLength(utf8.size()), 0xFFFD, nullptr, &status);
    checkICU(status);
    result.resize(static_cast<std::size_t>(length));
    return result;
}

std::string toUTF8(std::u16string_view utf16) {
    std::string result(utf16.size() * 3, '\0');
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(result.data(), icuLength(result.size()), &length, utf16.data(),
                       icuLength(utf16.size()), 0xFFFD, nullptr, &status);
    checkICU(status);
    result.resize(static_cast<std::size_t>(length));
    return result;
}

std::u16string lowercased(std::u16string_view text, const std::string& locale) {
    std::u16string result(text.size(), u'\0');
    for (;;) {
        UErrorCode status = U_ZERO_ERROR;
        const std::int32_t length =
            u_strToLower(result.data(), icuLength(result.size()), text.data(),
                         icuLength(text.size()), locale.c_str(), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            result.resize(static_cast<std::size_t>(length));
            continue;
        }
        checkICU(status);
        result.resize(static_cast<std::size_t>(length));
        return result;
    }
}

// Turkish and Azerbaijani lower-case the ASCII letter I to a dotless ı, so their ASCII texts
// cannot take the byte-wise shortcut when they hold one.
bool lowersCapitalIOutsideASCII(std::string_view locale) noexcept {
    const std::string_view language = locale.substr(0, locale.find_first_of("_-"));
    return language == "tr" || language == "az";
}

bool asciiShortcutApplies(std::string_view text, const std::string& locale) {
    return isASCII(text) &&
           (text.find('I') == std::string_view::npos || !lowersCapitalIOutsideASCII(locale));
}

std::string icuIdentifierFromPOSIX(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") {
        return {};
    }
    return std::string(name);
}

} // namespace

std::string repairedUTF8(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size());
    std::size_t position = 0;
    std::size_t validFrom = 0;
    while (position < bytes.size()) {
        if (static_cast<unsigned char>(bytes[position]) < 0x80) {
            ++position;
            continue;
        }
        const Decoded decoded = decodeAt(bytes, position);
        if (decoded.character >= 0) {
            position += decoded.length;
            continue;
        }
        result.append(bytes.substr(validFrom, position - validFrom));
        result.append(replacementCharacter);
        position += decoded.length;
        validFrom = position;
    }
    result.append(bytes.substr(validFrom));
    return result;
}

bool isWhiteSpaceOrLineBreak(char32_t character) noexcept {
    if (character < 0x80) {
        return character == ' ' || (character >= 0x09 && character <= 0x0D);
    }
    return character <= 0x10FFFF && u_isUWhiteSpace(static_cast<UChar32>(character));
}

std::string_view trimmed(std::string_view utf8) {
    std::size_t start = 0;
    while (start < utf8.size()) {
        const Decoded decoded = decodeAt(utf8, start);
        if (!isSpace(decoded.character)) {
            break;
        }
        start += decoded.length;
    }
    std::size_t end = utf8.size();
    while (end > start) {
        const Decoded decoded = decodeBefore(utf8.substr(start), end - start);
        if (!isSpace(decoded.character)) {
            break;
        }
        end -= decoded.length;
    }
    return utf8.substr(start, end - start);
}

std::optional<std::string_view> trimmedASCII(std::string_view bytes) noexcept {
    if (!isASCII(bytes)) {
        return std::nullopt;
    }
    const auto isASCIISpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    std::size_t start = 0;
    std::size_t end = bytes.size();
    while (start < end && isASCIISpace(bytes[start])) {
        ++start;
    }
    while (end > start && isASCIISpace(bytes[end - 1])) {
        --end;
    }
    return bytes.substr(start, end - start);
}

std::vector<std::string_view> splitAtWhiteSpace(std::string_view utf8) {
    std::vector<std::string_view> pieces;
    std::size_t pieceStart = 0;
    std::size_t position = 0;
    while (position < utf8.size()) {
        const Decoded decoded = decodeAt(utf8, position);
        if (isSpace(decoded.character)) {
            if (position > pieceStart) {
                pieces.push_back(utf8.substr(pieceStart, position - pieceStart));
            }
            pieceStart = position + decoded.length;
        }
        position += decoded.length;
    }
    if (utf8.size() > pieceStart) {
        pieces.push_back(utf8.substr(pieceStart));
    }
    return pieces;
}

std::vector<std::string_view> splitLines(std::string_view utf8) {
    std::vector<std::string_view> lines;
    std::size_t lineStart = 0;
    std::size_t position = 0;
    while (position < utf8.size()) {
        const Decoded decoded = decodeAt(utf8, position);
        const UChar32 c = decoded.character;
        const bool isBreak = (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
        if (!isBreak) {
            position += decoded.length;
            continue;
        }
        lines.push_back(utf8.substr(lineStart, position - lineStart));
        position += decoded.length;
        if (c == '\r' && position < utf8.size() && utf8[position] == '\n') {
            ++position;
        }
        lineStart = position;
    }
    lines.push_back(utf8.substr(lineStart));
    return lines;
}

std::string folded(std::string_view utf8) {
    const std::string locale = currentLocaleIdentifier();
    if (asciiShortcutApplies(utf8, locale)) {
        std::string result(utf8);
        std::transform(result.begin(), result.end(), result.begin(), asciiLower);
        return result;
    }
    const std::u16string lower = lowercased(toUTF16(utf8), locale);

    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    checkICU(status);
    std::u16string decomposed(lower.size() * 4 + 4, u'\0');
    for (;;) {
        status = U_ZERO_ERROR;
        const std::int32_t length =
            unorm2_normalize(nfd, lower.data(), icuLength(lower.size()), decomposed.data(),
                             icuLength(decomposed.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            decomposed.resize(static_cast<std::size_t>(length));
            continue;
        }
        checkICU(status);
        decomposed.resize(static_cast<std::size_t>(length));
        break;
    }

    std::u16string withoutMarks;
    withoutMarks.reserve(decomposed.size());
    std::int32_t index = 0;
    const auto length = static_cast<std::int32_t>(decomposed.size());
    while (index < length) {
        const std::int32_t start = index;
        UChar32 character = 0;
        U16_NEXT(decomposed.data(), index, length, character);
        if (u_charType(character) != U_NON_SPACING_MARK) {
            withoutMarks.append(decomposed, static_cast<std::size_t>(start),
                                static_cast<std::size_t>(index - start));
        }
    }
    return toUTF8(withoutMarks);
}

bool containsIgnoringCase(std::string_view haystack, std::string_view needle) {
    return CaseInsensitiveSearch(needle).isFoundIn(haystack);
}

CaseInsensitiveSearch::CaseInsensitiveSearch(std::string_view needle)
    : needle_(needle)
    , locale_(needle.empty() ? std::string() : currentLocaleIdentifier()) {}

bool CaseInsensitiveSearch::isFoundIn(std::string_view haystack) const {
    if (needle_.empty()) {
        return false;
    }
    if (asciiShortcutApplies(haystack, locale_) && asciiShortcutApplies(needle_, locale_)) {
        return std::search(haystack.begin(), haystack.end(), needle_.begin(), needle_.end(),
                           [](char a, char b) { return asciiLower(a) == asciiLower(b); }) !=
               haystack.end();
    }
    const std::u16string lowerHaystack = lowercased(toUTF16(haystack), locale_);
    const std::u16string lowerNeedle = lowercased(toUTF16(needle_), locale_);
    return lowerHaystack.find(lowerNeedle) != std::u16string::npos;
}

std::string currentLocaleIdentifier() {
    if (const char* processLocale = std::setlocale(LC_CTYPE, nullptr)) {
        if (std::string identifier = icuIdentifierFromPOSIX(processLocale); !identifier.empty()) {
            return identifier;
        }
    }
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            if (std::string identifier = icuIdentifierFromPOSIX(value); !identifier.empty()) {
                return identifier;
            }
            break; // an explicit C or POSIX: the neutral default below
        }
    }
    return uloc_getDefault();
}

} // namespace velunora::text
