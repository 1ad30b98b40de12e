#include "records/InternetDate.h"

namespace velunora::internetdate {
namespace {

void writeTwoDigits(unsigned value, char* out) noexcept {
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
}

bool readDigits(std::string_view text, std::size_t at, std::size_t count,
                unsigned& value) noexcept {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

constexpr bool isLeapYear(unsigned year) noexcept {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr unsigned daysInMonth(unsigned year, unsigned month) noexcept {
    constexpr unsigned lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : lengths[month - 1];
}

} // namespace

void format(std::int64_t seconds, char* out) noexcept {
    std::int64_t days = seconds / 86400;
    std::int64_t secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        days -= 1;
    }
    const CivilDate date = civilFromDays(days);
    const auto year = static_cast<unsigned>(date.year);
    writeTwoDigits(year / 100, out);
    writeTwoDigits(year % 100, out + 2);
    out[4] = '-';
    writeTwoDigits(date.month, out + 5);
    out[7] = '-';
    writeTwoDigits(date.day, out + 8);
    out[10] = 'T';
    const auto second = static_cast<unsigned>(secondOfDay);
    writeTwoDigits(second / 3600, out + 11);
    out[13] = ':';
    writeTwoDigits(second / 60 % 60, out + 14);
    out[16] = ':';
    writeTwoDigits(second % 60, out + 17);
    out[19] = 'Z';
}

std::optional<std::int64_t> parse(std::string_view text) noexcept {
    if (text.size() != 20 && text.size() != 25) {
        return std::nullopt;
    }
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readDigits(text, 0, 4, year) || text[4] != '-' || !readDigits(text, 5, 2, month) ||
        text[7] != '-' || !readDigits(text, 8, 2, day) || text[10] != 'T' ||
        !readDigits(text, 11, 2, hour) || text[13] != ':' || !readDigits(text, 14, 2, minute) ||
        text[16] != ':' || !readDigits(text, 17, 2, second)) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59) {
        return std::nullopt;
    }
    std::int64_t offsetSeconds = 0;
    if (text.size() == 20) {
        if (text[19] != 'Z') {
            return std::nullopt;
        }
    } else {
        unsigned offsetHours = 0, offsetMinutes = 0;
        const char sign = text[19];
        if ((sign != '+' && sign != '-') || !readDigits(text, 20, 2, offsetHours) ||
            text[22] != ':' || !readDigits(text, 23, 2, offsetMinutes) || offsetHours > 23 ||
            offsetMinutes > 59) {
            return std::nullopt;
        }
        offsetSeconds = static_cast<std::int64_t>(offsetHours * 3600 + offsetMinutes * 60);
        if (sign == '-') {
            offsetSeconds = -offsetSeconds;
        }
    }
    const std::int64_t days = daysFromCivil(year, month, day);
    return days * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds;
}

} // namespace velunora::internetdate
