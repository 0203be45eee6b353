// The command-line option parser over arbitrary argument lists (the input
// split at zero bytes, which no real argument can hold). Whatever it accepts
// is a setting the generator can run with, and the accepted settings, written
// back as options, parse to the same settings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "fuzz_support.h"

namespace {

std::vector<std::string> SplitArguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments;
    if (size == 0) return arguments;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    arguments.push_back(current);
    return arguments;
}

bool IsAsciiPunctuation(unsigned char c) {
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 126);
}

std::vector<std::string> WriteBack(const CliOptions& options) {
    std::vector<std::string> arguments = {"--length=" + std::to_string(options.length)};
    if (!options.numbers) arguments.push_back("--no-numbers");
    if (!options.uppercase) arguments.push_back("--no-uppercase");
    if (!options.lowercase) arguments.push_back("--no-lowercase");
    if (options.symbols.empty()) {
        arguments.push_back("--no-symbols");
    } else {
        arguments.push_back("--symbols");
        arguments.push_back(options.symbols);
    }
    if (options.showHelp) arguments.push_back("--help");
    if (options.showVersion) arguments.push_back("--version");
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
        // One printable line, whatever bytes were typed.
        FUZZ_CHECK(!parsed.error.empty());
        for (unsigned char c : parsed.error) FUZZ_CHECK(c >= 32 && c < 127);
        return 0;
    }
    FUZZ_CHECK(parsed.error.empty());
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
