#pragma once

#include <charconv>
#include <cstddef>
#include <string>

namespace vev {

// n in decimal, no padding.
inline void appendDecimal(std::string& out, long long n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end);
}

// n right-aligned in width: blanks in front; a wider number is written whole, never cut.
inline void appendRightAligned(std::string& out, long long n, std::size_t width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    const auto len = static_cast<std::size_t>(end - digits);
    if (len < width) out.append(width - len, ' ');
    out.append(digits, len);
}

} // namespace vev
