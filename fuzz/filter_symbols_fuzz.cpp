// FilterSymbols over arbitrary UTF-16 text: the result holds only ASCII
// punctuation, each character once, in the order of first appearance, and
// every punctuation character of the text is in it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "derivation/generation_request.h"
#include "fuzz_support.h"

namespace {

bool IsAsciiPunctuation(char32_t c) {
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 126);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = UnitsFromBytes(data, size);
    const std::string symbols = FilterSymbols(text);

    FUZZ_CHECK(symbols.size() <= 32);
    std::size_t previousFirstPosition = 0;
    for (std::size_t k = 0; k < symbols.size(); ++k) {
        const auto symbol = static_cast<unsigned char>(symbols[k]);
        FUZZ_CHECK(IsAsciiPunctuation(symbol));
        FUZZ_CHECK(symbols.find(static_cast<char>(symbol), k + 1) == std::string::npos);
        // Order of first appearance in the text.
        const std::size_t firstPosition = text.find(static_cast<char16_t>(symbol));
        FUZZ_CHECK(firstPosition != std::u16string::npos);
        FUZZ_CHECK(k == 0 || firstPosition > previousFirstPosition);
        previousFirstPosition = firstPosition;
    }
    for (char16_t unit : text) {
        if (IsAsciiPunctuation(unit)) {
            FUZZ_CHECK(symbols.find(static_cast<char>(unit)) != std::string::npos);
        }
    }
    // Filtering is idempotent: a filtered set typed back into the field is
    // the same set, which the command-line program relies on.
    FUZZ_CHECK(FilterSymbols(std::u16string(symbols.begin(), symbols.end())) == symbols);
    return 0;
}
