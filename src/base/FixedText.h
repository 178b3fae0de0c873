#pragma once
// Fixed-width text fields: C strings in char arrays of a record or a packet.
#include <cstddef>
#include <string_view>

namespace pm {

// Copies text into a fixed field: cut to width - 1 and zero-filled.
template <size_t N>
void SetText(char (&field)[N], std::string_view text) {
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    for (size_t i = 0; i < n; ++i)
        field[i] = text[i];
    for (size_t i = n; i < N; ++i)
        field[i] = 0;
}

template <size_t N>
std::string_view TextOf(const char (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n])
        ++n;
    return {field, n};
}

}  // namespace pm
