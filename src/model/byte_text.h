#pragma once

#include <string_view>

namespace vev {

// The text without its leading and trailing spaces and control characters (every byte up to
// 0x20). Shift-JIS trail bytes are never that low, so no character is split.
inline std::string_view trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

} // namespace vev
