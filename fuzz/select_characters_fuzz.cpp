// Selection and shuffle over arbitrary material, lengths and class sets: the
// output has exactly the requested length (nothing for an empty pool or a
// length of 0 or less), holds only pool characters, and has at least one
// character of each of the first min(length, classes) classes.
//
// Input layout: byte 0 the length (-2 to 128), byte 1 the class switches
// (bit 0 numbers, bit 1 uppercase, bit 2 lowercase), byte 2 how many of the
// following bytes are offered to the symbol filter (a symbol set exactly as
// the user interface would make it, possibly empty); the rest is the material.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "derivation/generation_request.h"
#include "derivation/password_generator.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::int32_t length = static_cast<std::int32_t>(data[0] % 131) - 2;
    const bool numbers = (data[1] & 1) != 0;
    const bool uppercase = (data[1] & 2) != 0;
    const bool lowercase = (data[1] & 4) != 0;
    const std::size_t offered = std::min<std::size_t>(data[2], size - 3);
    const std::u16string allowed(data + 3, data + 3 + offered);
    const std::string symbols = FilterSymbols(allowed);
    const Bytes material(data + 3 + offered, data + size);

    const std::vector<std::string> pools = BuildClassPools(symbols, numbers, uppercase, lowercase);
    std::string combined;
    for (const std::string& pool : pools) combined += pool;

    const Bytes password = SelectCharacters(material, length, pools);
    if (combined.empty() || length <= 0) {
        FUZZ_CHECK(password.empty());
        return 0;
    }
    FUZZ_CHECK(password.size() == static_cast<std::size_t>(length));
    for (std::uint8_t c : password) {
        FUZZ_CHECK(combined.find(static_cast<char>(c)) != std::string::npos);
    }
    const std::size_t guaranteed = std::min(pools.size(), static_cast<std::size_t>(length));
    for (std::size_t k = 0; k < guaranteed; ++k) {
        const bool present = std::any_of(password.begin(), password.end(), [&](std::uint8_t c) {
            return pools[k].find(static_cast<char>(c)) != std::string::npos;
        });
        FUZZ_CHECK(present);
    }
    // Deterministic: the same material gives the same password.
    FUZZ_CHECK(SelectCharacters(material, length, pools) == password);
    return 0;
}
