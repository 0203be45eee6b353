// The command-line option parser over arbitrary argument lists (the input
// read as UTF-16LE units, as wmain receives them, and split at zero units,
// which no real argument can hold). Whatever it accepts is a setting the
// generator can run with, and the accepted settings, written back as
// options, parse to the same settings. Its messages are one printable line
// of UTF-8, whatever was typed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "fuzz_support.h"
#include "support/utf8_oracle.h"

namespace {

std::vector<std::u16string> SplitArguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::u16string> arguments;
    if (size < 2) return arguments;
    std::u16string current;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current.push_back(unit);
        }
    }
    arguments.push_back(current);
    return arguments;
}

// Valid UTF-8 with no control character, line or paragraph separator or
// bidirectional formatting character, judged by the independent decoder.
bool IsPrintableLine(const std::string& text) {
    std::vector<char32_t> codePoints;
    if (!DecodeUtf8Strictly(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                            codePoints)) {
        return false;
    }
    for (char32_t cp : codePoints) {
        if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x200E || cp == 0x200F ||
            (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069)) {
            return false;
        }
    }
    return true;
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

bool IsAsciiPunctuation(unsigned char c) {
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 126);
}

std::vector<std::u16string> WriteBack(const CliOptions& options) {
    std::vector<std::u16string> arguments = {Ascii("--length=" + std::to_string(options.length))};
    if (!options.numbers) arguments.push_back(u"--no-numbers");
    if (!options.uppercase) arguments.push_back(u"--no-uppercase");
    if (!options.lowercase) arguments.push_back(u"--no-lowercase");
    if (options.symbols.empty()) {
        arguments.push_back(u"--no-symbols");
    } else {
        arguments.push_back(u"--symbols");
        arguments.push_back(Ascii(options.symbols));
    }
    if (options.showHelp) arguments.push_back(u"--help");
    if (options.showVersion) arguments.push_back(u"--version");
    return arguments;
}

bool SameOptions(const CliOptions& a, const CliOptions& b) {
    return a.length == b.length && a.numbers == b.numbers && a.uppercase == b.uppercase &&
           a.lowercase == b.lowercase && a.symbols == b.symbols && a.showHelp == b.showHelp &&
           a.showVersion == b.showVersion;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CliParseResult parsed = ParseCliOptions(SplitArguments(data, size));
    if (!parsed.ok) {
        FUZZ_CHECK(!parsed.error.empty());
        FUZZ_CHECK(IsPrintableLine(parsed.error));
        return 0;
    }
    FUZZ_CHECK(parsed.error.empty());
    FUZZ_CHECK(IsPrintableLine(parsed.notice));
    const CliOptions& options = parsed.options;
    FUZZ_CHECK(options.length >= 5 && options.length <= 128);
    FUZZ_CHECK(options.uppercase || options.lowercase);
    FUZZ_CHECK(options.symbols.size() <= 32);
    for (std::size_t k = 0; k < options.symbols.size(); ++k) {
        FUZZ_CHECK(IsAsciiPunctuation(static_cast<unsigned char>(options.symbols[k])));
        FUZZ_CHECK(options.symbols.find(options.symbols[k], k + 1) == std::string::npos);
    }

    const CliParseResult again = ParseCliOptions(WriteBack(options));
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(SameOptions(again.options, options));
    return 0;
}
