// Shared by the fuzz targets: a property check that survives NDEBUG, and the
// reading of fuzz input as UTF-16 units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A property violation aborts, so libFuzzer saves the input as a crash.
[[noreturn]] inline void PropertyViolated(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "property violated: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : PropertyViolated(#condition, __FILE__, __LINE__))

// Every two bytes make one UTF-16 unit (little-endian); an odd last byte is
// ignored. Every unit value, surrogates included, is reachable.
inline std::u16string UnitsFromBytes(const std::uint8_t* data, std::size_t size) {
    std::u16string units;
    units.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    return units;
}
