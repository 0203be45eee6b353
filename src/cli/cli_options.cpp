#include "cli/cli_options.h"

#include <algorithm>

#include "derivation/utf8.h"

namespace {

constexpr std::size_t kQuotedUnits = 40;

// "5 to 128", as the help and the usage error say it.
std::string LengthRange() {
    return std::to_string(kMinLength) + " to " + std::to_string(kMaxLength);
}

// Whole decimal numbers in ASCII digits only: no sign, no spaces, no trailing
// text, and no other script's digits, which some conversions would read as
// ASCII ones.
bool ParseLength(const std::u16string& text, std::int32_t& length) {
    if (text.empty() || text.size() > 4) return false;
    std::int32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
    }
    length = value;
    return true;
}

// Characters that would break the one-line message or change how the rest
// of the terminal line looks: C0 and C1 controls, DEL, line and paragraph
// separators, and the bidirectional formatting characters.
bool IsUnprintable(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || unit == 0x200E || unit == 0x200F ||
           (unit >= 0x2028 && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069);
}

// What the user typed, fit to be repeated in a one-line message: unprintable
// characters become '?', and it is cut short (never inside a surrogate pair).
std::string Quoted(const std::u16string& typed) {
    std::size_t shown = std::min(typed.size(), kQuotedUnits);
    if (shown < typed.size() && shown > 0 && typed[shown - 1] >= 0xD800 &&
        typed[shown - 1] <= 0xDBFF) {
        --shown;
    }
    std::u16string printable = typed.substr(0, shown);
    for (char16_t& unit : printable) {
        if (IsUnprintable(unit)) unit = u'?';
    }
    const Bytes utf8 = ToUtf8(printable);
    return "'" + std::string(utf8.begin(), utf8.end()) + (shown < typed.size() ? "...'" : "'");
}

CliParseResult Fail(const std::string& error) {
    CliParseResult result;
    result.ok = false;
    result.error = error;
    return result;
}

bool StartsWith(const std::u16string& text, const char16_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

std::string CliUsage() {
    return "Usage: tarnwell-cli [options]\n"
           "Derives a password from two keywords, exactly as Tarnwell Password Generator does.\n"
           "The keywords are read from standard input: typed at two hidden prompts on a\n"
           "terminal, or as the first two lines of piped input (UTF-8).\n"
           "\n"
           "Options:\n"
           "  --length N       password length, " + LengthRange() + " in ASCII digits (default " +
           std::to_string(kDefaultLength) + ")\n"
           "  --no-numbers     no digits\n"
           "  --no-uppercase   no uppercase letters\n"
           "  --no-lowercase   no lowercase letters (not together with --no-uppercase)\n"
           "  --symbols SET    allowed symbols; only ASCII punctuation is kept (default \"" +
           kDefaultSymbols + "\")\n"
           "  --no-symbols     no symbols\n"
           "  -c, --copy       put the password on the clipboard instead of standard output,\n"
           "                   and take it off again 30 s later if the clipboard still holds it\n"
           "  --help           show this help\n"
           "  --version        show the version\n"
           "\n"
           "The password goes to standard output; its strength estimate to standard error.\n"
           "With --copy nothing goes to standard output: the program stays in the\n"
           "foreground with a countdown, and Ctrl+C or Ctrl+Z takes the password off the\n"
           "clipboard at once. It needs a graphical session (DISPLAY): the X clipboard,\n"
           "which Wayland desktops share through Xwayland.\n"
           "\n"
           "Exit status:\n"
           "  0  the password was written, or copied and its 30 s are over\n"
           "  1  refused input, no clipboard for --copy, or a failed cryptographic\n"
           "     operation; nothing was written\n"
           "  2  a usage error\n"
           "\n"
           "Examples:\n"
           "  $ printf 'correct horse\\nbattery staple\\n' | tarnwell-cli\n";
}

CliParseResult ParseCliOptions(const std::vector<std::u16string>& arguments) {
    CliParseResult result;
    CliOptions& options = result.options;
    bool symbolsGiven = false, noSymbolsGiven = false;
    std::u16string symbolsTyped;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::u16string name = arguments[i];
        std::u16string value;
        bool hasValue = false;
        const auto equals = name.find(u'=');
        if (StartsWith(name, u"--") && equals != std::u16string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        const bool takesValue = name == u"--length" || name == u"--symbols";
        if (!takesValue && hasValue) return Fail("option " + Quoted(name) + " takes no value");
        if (takesValue && !hasValue) {
            if (i + 1 >= arguments.size()) return Fail("option " + Quoted(name) + " needs a value");
            value = arguments[++i];
        }

        if (name == u"--length") {
            if (!ParseLength(value, options.length) || options.length < kMinLength ||
                options.length > kMaxLength) {
                return Fail("the length must be a whole number from " + LengthRange() +
                            " in ASCII digits, not " + Quoted(value));
            }
        } else if (name == u"--symbols") {
            options.symbols = FilterSymbols(value);
            symbolsTyped = value;
            symbolsGiven = true;
        } else if (name == u"--no-symbols") {
            noSymbolsGiven = true;
        } else if (name == u"--no-numbers") {
            options.numbers = false;
        } else if (name == u"--no-uppercase") {
            options.uppercase = false;
        } else if (name == u"--no-lowercase") {
            options.lowercase = false;
        } else if (name == u"--copy" || name == u"-c") {
            options.copy = true;
        } else if (name == u"--help" || name == u"-h") {
            options.showHelp = true;
        } else if (name == u"--version") {
            options.showVersion = true;
        } else if (StartsWith(name, u"-")) {
            return Fail("unknown option " + Quoted(name));
        } else {
            // Not echoed: it may well be a keyword typed in the wrong place.
            return Fail("unexpected argument: keywords are read from standard input, never "
                        "from the command line");
        }
    }
    if (symbolsGiven && noSymbolsGiven) return Fail("--symbols and --no-symbols exclude each other");
    if (noSymbolsGiven) options.symbols.clear();
    if (!options.uppercase && !options.lowercase) {
        return Fail("--no-uppercase and --no-lowercase exclude each other: one letter case stays on");
    }
    // Same password as the window with such an Allowed field, but not silently.
    if (symbolsGiven && options.symbols.empty()) {
        result.notice = "--symbols " + Quoted(symbolsTyped) +
                        " holds no ASCII punctuation, so the password has no symbols; give "
                        "punctuation characters, or --no-symbols to say so.";
    }
    return result;
}
