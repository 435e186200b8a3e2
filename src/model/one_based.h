#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace vev {

// A fixed table indexed 1..N, so that code reads like the survey's own numbering
// (respondent 1, question 1, choice 1). Index 0 and N+1 are programming errors.
template <typename T, std::size_t N> struct OneBased {
    std::array<T, N> items{};

    T& operator[](int i) {
        assert(i >= 1 && static_cast<std::size_t>(i) <= N);
        return items[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const {
        assert(i >= 1 && static_cast<std::size_t>(i) <= N);
        return items[static_cast<std::size_t>(i - 1)];
    }
    static constexpr int size() { return static_cast<int>(N); }
    void fill(const T& value) { items.fill(value); }
    friend bool operator==(const OneBased&, const OneBased&) = default;
};

} // namespace vev
