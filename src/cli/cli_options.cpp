#include "cli/cli_options.h"

#include "derivation/generation_request.h"

const char kCliUsage[] =
    "Usage: tarnwell-cli [options]\n"
    "Derives a password from two keywords, exactly as Tarnwell Password Generator does.\n"
    "The keywords are read from standard input: typed at two hidden prompts on a\n"
    "terminal, or as the first two lines of piped input (UTF-8).\n"
    "\n"
    "Options:\n"
    "  --length N       password length, 5 to 128 (default 12)\n"
    "  --no-numbers     no digits\n"
    "  --no-uppercase   no uppercase letters\n"
    "  --no-lowercase   no lowercase letters (not together with --no-uppercase)\n"
    "  --symbols SET    allowed symbols; only ASCII punctuation is kept (default \"!@#$%*-_\")\n"
    "  --no-symbols     no symbols\n"
    "  --help           show this help\n"
    "  --version        show the version\n"
    "\n"
    "The password goes to standard output; its strength estimate to standard error.\n"
    "\n"
    "Exit status:\n"
    "  0  the password was written\n"
    "  1  refused input or a failed cryptographic operation; nothing was written\n"
    "  2  a usage error\n"
    "\n"
    "Examples:\n"
    "  $ printf 'correct horse\\nbattery staple\\n' | tarnwell-cli\n";

namespace {

// Whole decimal numbers only: no sign, no spaces, no trailing text.
bool ParseLength(const std::string& text, std::int32_t& length) {
    if (text.empty() || text.size() > 4) return false;
    std::int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    length = value;
    return true;
}

// What the user typed, fit to be repeated in a one-line message: control
// characters and bytes outside ASCII become '?', and it is cut short.
std::string Quoted(const std::string& typed) {
    std::string shown;
    for (unsigned char c : typed.substr(0, 40)) shown.push_back(c >= 32 && c < 127 ? c : '?');
    if (typed.size() > 40) shown += "...";
    return "'" + shown + "'";
}

CliParseResult Fail(const std::string& error) {
    CliParseResult result;
    result.ok = false;
    result.error = error;
    return result;
}

std::u16string WidenAscii(const std::string& text) {
    // Non-ASCII bytes are mapped to a unit outside the punctuation range, so
    // the symbol filter drops them just as it drops such characters typed in
    // the Allowed field.
    std::u16string wide;
    for (unsigned char c : text) wide.push_back(c < 0x80 ? c : 0xFFFD);
    return wide;
}

}  // namespace

CliParseResult ParseCliOptions(const std::vector<std::string>& arguments) {
    CliParseResult result;
    CliOptions& options = result.options;
    bool symbolsGiven = false, noSymbolsGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::string value;
        bool hasValue = false;
        const auto equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        const bool takesValue = name == "--length" || name == "--symbols";
        if (!takesValue && hasValue) return Fail("option " + Quoted(name) + " takes no value");
        if (takesValue && !hasValue) {
            if (i + 1 >= arguments.size()) return Fail("option " + Quoted(name) + " needs a value");
            value = arguments[++i];
        }

        if (name == "--length") {
            if (!ParseLength(value, options.length) || options.length < 5 ||
                options.length > 128) {
                return Fail("the length must be a whole number from 5 to 128, not " + Quoted(value));
            }
        } else if (name == "--symbols") {
            options.symbols = FilterSymbols(WidenAscii(value));
            symbolsGiven = true;
        } else if (name == "--no-symbols") {
            noSymbolsGiven = true;
        } else if (name == "--no-numbers") {
            options.numbers = false;
        } else if (name == "--no-uppercase") {
            options.uppercase = false;
        } else if (name == "--no-lowercase") {
            options.lowercase = false;
        } else if (name == "--help" || name == "-h") {
            options.showHelp = true;
        } else if (name == "--version") {
            options.showVersion = true;
        } else if (name.rfind("-", 0) == 0) {
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
    return result;
}
