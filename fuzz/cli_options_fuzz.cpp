// The command-line option parser over arbitrary argument lists (the input
// read as UTF-16LE units, as wmain receives them, and split at zero units,
// which no real argument can hold). Whatever it accepts is a setting the
// generator can run with, and a KEYWORD2 that is one of the arguments as it
// was given; the accepted settings, written back as options in their long
// or their short spellings, parse to the same settings, and a second
// positional argument after them is refused without being repeated. Its
// messages are one printable line of UTF-8, whatever was typed, and carry
// no program name (the program adds it).
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

// Long spellings, or the short ones where there are any.
std::vector<std::u16string> WriteBack(const CliOptions& options, bool shortForms) {
    std::vector<std::u16string> arguments;
    if (shortForms) {
        arguments.push_back(Ascii("-l" + std::to_string(options.request.length)));
    } else {
        arguments.push_back(u"--length");
        arguments.push_back(Ascii(std::to_string(options.request.length)));
    }
    if (!options.request.numbers) arguments.push_back(u"--no-numbers");
    if (!options.request.uppercase) arguments.push_back(u"--no-uppercase");
    if (!options.request.lowercase) arguments.push_back(u"--no-lowercase");
    if (options.request.symbols.empty()) {
        arguments.push_back(u"--no-symbols");
    } else {
        arguments.push_back(u"--symbols");
        arguments.push_back(Ascii(options.request.symbols));
    }
    if (options.quiet) arguments.push_back(shortForms ? u"-q" : u"--quiet");
    if (options.confirm) arguments.push_back(u"--confirm");
    if (options.copy) arguments.push_back(shortForms ? u"-c" : u"--copy");
    if (options.showHelp) arguments.push_back(shortForms ? u"-h" : u"--help");
    if (options.showVersion) arguments.push_back(shortForms ? u"-V" : u"--version");
    // After "--", so that any KEYWORD2, even "-q" or "--", is taken as such.
    arguments.push_back(u"--");
    if (options.keyword2Given) arguments.push_back(options.request.keyword2);
    return arguments;
}

bool SameOptions(const CliOptions& a, const CliOptions& b) {
    const GenerationRequest& x = a.request;
    const GenerationRequest& y = b.request;
    return x.length == y.length && x.numbers == y.numbers && x.uppercase == y.uppercase &&
           x.lowercase == y.lowercase && x.symbols == y.symbols && a.quiet == b.quiet &&
           a.confirm == b.confirm && a.copy == b.copy && a.showHelp == b.showHelp &&
           a.showVersion == b.showVersion && a.keyword2Given == b.keyword2Given &&
           x.keyword2 == y.keyword2;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::u16string> arguments = SplitArguments(data, size);
    const CliParseResult parsed = ParseCliOptions(arguments);
    if (!parsed.ok) {
        FUZZ_CHECK(!parsed.error.empty());
        FUZZ_CHECK(IsPrintableLine(parsed.error));
        FUZZ_CHECK(!StartsWith(parsed.error, "tarnwell-cli"));
        return 0;
    }
    FUZZ_CHECK(parsed.error.empty());
    FUZZ_CHECK(IsPrintableLine(parsed.notice));
    FUZZ_CHECK(!StartsWith(parsed.notice, "tarnwell-cli"));
    const CliOptions& options = parsed.options;
    FUZZ_CHECK(options.request.length >= 5 && options.request.length <= 128);
    FUZZ_CHECK(options.request.uppercase || options.request.lowercase);
    FUZZ_CHECK(options.request.symbols.size() <= 32);
    for (std::size_t k = 0; k < options.request.symbols.size(); ++k) {
        FUZZ_CHECK(IsAsciiPunctuation(static_cast<unsigned char>(options.request.symbols[k])));
        FUZZ_CHECK(options.request.symbols.find(options.request.symbols[k], k + 1) ==
                   std::string::npos);
    }


    // KEYWORD2 is one of the arguments exactly as given; one that looks like
    // an option can only have come after "--".
    bool hasDoubleDash = false, keyword2AmongArguments = false;
    for (const std::u16string& argument : arguments) {
        hasDoubleDash = hasDoubleDash || argument == u"--";
        keyword2AmongArguments = keyword2AmongArguments || argument == options.request.keyword2;
    }
    if (options.keyword2Given) {
        FUZZ_CHECK(keyword2AmongArguments);
        if (!options.request.keyword2.empty() && options.request.keyword2[0] == u'-') {
            FUZZ_CHECK(hasDoubleDash);
        }
    } else {
        FUZZ_CHECK(options.request.keyword2.empty());
    }

    for (bool shortForms : {false, true}) {
        std::vector<std::u16string> written = WriteBack(options, shortForms);
        const CliParseResult again = ParseCliOptions(written);
        FUZZ_CHECK(again.ok);
        FUZZ_CHECK(SameOptions(again.options, options));
        // A second positional argument is refused, and not repeated back:
        // it may be keyword 1 typed in the wrong place.
        if (!options.keyword2Given) {
            // After "--", text that looks like an option is KEYWORD2.
            written.push_back(u"-q");
            const CliParseResult dashed = ParseCliOptions(written);
            FUZZ_CHECK(dashed.ok && dashed.options.keyword2Given);
            FUZZ_CHECK(dashed.options.request.keyword2 == u"-q" &&
                       dashed.options.quiet == options.quiet);
        }
        written.push_back(u"second\u00a7argument");
        const CliParseResult twice = ParseCliOptions(written);
        FUZZ_CHECK(!twice.ok);
        FUZZ_CHECK(twice.error.find("second") == std::string::npos);
    }
    return 0;
}
