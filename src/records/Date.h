#pragma once

#include <compare>
#include <cstddef>
#include <functional>

namespace velunora {

// An absolute instant: seconds since 1970-01-01T00:00:00Z, with sub-second precision.
struct Date {
    double secondsSince1970 = 0.0;

    friend bool operator==(const Date&, const Date&) = default;
    friend auto operator<=>(const Date&, const Date&) = default;
};

// Mixes one value into a running hash (the boost::hash_combine recipe, 64-bit constant).
inline void hashCombine(std::size_t& seed, std::size_t value) noexcept {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

// Hash of a double consistent with numeric equality: +0 and -0 hash alike.
inline std::size_t hashDouble(double value) noexcept {
    return std::hash<double>{}(value == 0.0 ? 0.0 : value);
}

} // namespace velunora

template <> struct std::hash<velunora::Date> {
    std::size_t operator()(const velunora::Date& date) const noexcept {
        return velunora::hashDouble(date.secondsSince1970);
    }
};
