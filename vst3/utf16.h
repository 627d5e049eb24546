#pragma once
// The format's fixed-size text fields: 8-bit and UTF-16 strings, always
// terminated, cut to fit. Every text written here is ASCII.
#include <cstddef>
#include <cstdint>

template <size_t N> void copyText(char (&out)[N], const char* text) {
    size_t n = 0;
    for (; text[n] && n + 1 < N; ++n) out[n] = text[n];
    out[n] = 0;
}

inline void copyUtf16(int16_t* out, size_t capacity, const char* text) {
    size_t n = 0;
    for (; text[n] && n + 1 < capacity; ++n) out[n] = static_cast<int16_t>(static_cast<unsigned char>(text[n]));
    out[n] = 0;
}

template <size_t N> void copyUtf16(int16_t (&out)[N], const char* text) { copyUtf16(out, N, text); }

// Reads at most `limit` UTF-16 units into ASCII `out` (of `size` bytes);
// false for a character outside ASCII or a text too long to hold.
inline bool asciiFromUtf16(const int16_t* text, size_t limit, char* out, size_t size) {
    for (size_t n = 0; n < size && n < limit; ++n) {
        const uint16_t unit = static_cast<uint16_t>(text[n]);
        if (unit >= 0x80) return false;
        out[n] = static_cast<char>(unit);
        if (unit == 0) return true;
    }
    return false;
}
