#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vev {

// A length-prefixed byte string with room for N bytes. Assigning a longer text keeps its first
// N bytes, exactly like the short strings the data files were designed around. The bytes are
// Shift-JIS; nothing here looks at characters.
template <std::size_t N> class FixedString {
    static_assert(N <= 255, "the length prefix is one byte");

public:
    FixedString() = default;
    FixedString(std::string_view text) { assign(text); } // NOLINT: implicit by design

    FixedString& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    void assign(std::string_view text) {
        len_ = static_cast<std::uint8_t>(std::min(text.size(), N));
        std::copy_n(text.data(), len_, bytes_);
    }
    // The first size bytes of a block of eight, copied as a whole: one store, not a loop.
    void assignBlock(const char (&block)[8], std::size_t size) {
        static_assert(N >= 8);
        std::memcpy(bytes_, block, 8);
        len_ = static_cast<std::uint8_t>(std::min(size, std::size_t{8}));
    }
    void clear() { len_ = 0; }
    // Appends one byte when there is room; a full string stays as it is.
    void push_back(char c) {
        if (len_ < N) bytes_[len_++] = c;
    }

    std::string_view view() const { return {bytes_, len_}; }
    operator std::string_view() const { return view(); } // NOLINT
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return len_; }
    bool empty() const { return len_ == 0; }
    char operator[](std::size_t i) const { return bytes_[i]; }
    static constexpr std::size_t capacity() { return N; }

    friend bool operator==(const FixedString& a, const FixedString& b) {
        return a.view() == b.view();
    }
    friend bool operator==(const FixedString& a, std::string_view b) { return a.view() == b; }

private:
    std::uint8_t len_ = 0;
    char bytes_[N] = {};
};

using ShortString = FixedString<255>;

} // namespace vev
