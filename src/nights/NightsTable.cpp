#include "nights/NightsTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace velunora::usage {

namespace {

constexpr std::string_view header =
    "date,hours,ahi,rdi,obstructive,central,hypopnea,rera,unclassified,"
    "pressure_average,pressure_95th,pressure_maximum,leak_average,leak_95th,leak_maximum,"
    "compliant,sessions\n";

void appendNumber(std::string& row, double value, int decimals) {
    if (!std::isfinite(value)) {
        return; // an empty cell, as for a figure the night lacks
    }
    std::array<char, 64> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value,
                                       std::chars_format::fixed, decimals);
    if (written.ec == std::errc{}) {
        row.append(text.data(), written.ptr);
    }
}

void appendCount(std::string& row, std::int64_t value) {
    std::array<char, 24> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
    row.append(text.data(), written.ptr);
}

void appendOptional(std::string& row, const std::optional<double>& value) {
    if (value) {
        appendNumber(row, *value, 2);
    }
}

} // namespace

std::string isoDay(Day day) {
    const std::chrono::year_month_day date{day};
    std::array<char, 32> text{};
    const auto year = static_cast<int>(date.year());
    const int length =
        std::snprintf(text.data(), text.size(), "%04d-%02u-%02u", year,
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return std::string(text.data(), static_cast<std::size_t>(std::max(length, 0)));
}

std::optional<Day> parseIsoDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const auto number = [text](std::size_t from, std::size_t length) -> std::optional<int> {
        int value = 0;
        const char* first = text.data() + from;
        const auto read = std::from_chars(first, first + length, value);
        if (read.ec != std::errc{} || read.ptr != first + length) {
            return std::nullopt;
        }
        return value;
    };
    const auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (!year || !month || !day || *month < 1 || *day < 1) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year{*year},
                                           std::chrono::month{static_cast<unsigned>(*month)},
                                           std::chrono::day{static_cast<unsigned>(*day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return Day{date};
}

std::string nightsTable(std::span<const DayOfUse> days) {
    std::string table(header);
    table.reserve(header.size() + days.size() * 120);
    for (const DayOfUse& day : days) {
        for (const NightSummary* night : day.nights) {
            table += isoDay(day.day);
            table += ',';
            appendNumber(table, night->maskOnHours, 2);
            table += ',';
            appendNumber(table, night->ahi, 2);
            table += ',';
            appendNumber(table, night->rdi, 2);
            for (const std::int64_t count :
                 {night->obstructiveCount, night->centralCount, night->hypopneaCount,
                  night->reraCount, night->unclassifiedCount}) {
                table += ',';
                appendCount(table, count);
            }
            for (const std::optional<double>* figure :
                 {&night->pressureAverage, &night->pressure95th, &night->pressureMaximum,
                  &night->leakAverage, &night->leak95th, &night->leakMaximum}) {
                table += ',';
                appendOptional(table, *figure);
            }
            table += night->maskOnHours >= compliantHours ? ",yes," : ",no,";
            appendCount(table, static_cast<std::int64_t>(night->sessions.size()));
            table += '\n';
        }
    }
    return table;
}

} // namespace velunora::usage
