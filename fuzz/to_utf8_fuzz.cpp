// ToUtf8 over arbitrary UTF-16 units, judged by decoders of our own: the
// output is always well-formed UTF-8; it decodes to the input's code points,
// with every unpaired surrogate replaced by U+FFFD (EF BF BD) as Windows'
// WideCharToMultiByte(CP_UTF8, 0) does; and where the input was valid UTF-16
// it round-trips to exactly the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/keyword_input.h"
#include "derivation/generation_request.h"
#include "derivation/utf8.h"
#include "fuzz_support.h"
#include "support/utf8_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = UnitsFromBytes(data, size);
    const Bytes utf8 = ToUtf8(text);

    FUZZ_CHECK(text.empty() == utf8.empty());
    FUZZ_CHECK(utf8.size() <= 3 * text.size());

    std::vector<char32_t> decoded;
    FUZZ_CHECK(DecodeUtf8Strictly(utf8.data(), utf8.size(), decoded));
    // The command-line program's check must accept whatever the Windows
    // program can produce, or a keyword typed there could not be piped here.
    FUZZ_CHECK(IsValidUtf8(utf8));

    bool valid = false;
    const std::vector<char32_t> expected = DecodeUtf16Leniently(text, valid);
    FUZZ_CHECK(decoded == expected);
    if (valid) FUZZ_CHECK(EncodeUtf16(decoded) == text);
    return 0;
}
