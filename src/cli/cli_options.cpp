#include "cli/cli_options.h"

#include <algorithm>

#include "clipboard/clipboard_policy.h"
#include "derivation/utf8.h"

namespace {

constexpr std::size_t kQuotedUnits = 40;

enum class Option {
    Length,
    NoNumbers,
    NoUppercase,
    NoLowercase,
    Symbols,
    NoSymbols,
    Quiet,
    Confirm,
    Copy,
    Help,
    Version
};

// One row per option: how it is spelt, whether it takes a value, and its
// line in the help. The parser, the help and (through the help) the shell
// completion scripts' check all read this one table.
struct OptionSpec {
    Option option;
    const char* name;       // the long form, without its two dashes
    char shortName;         // the one-letter form, or 0
    const char* valueName;  // the value's name in the help, or nullptr for a switch
    std::string help;
};

// "5 to 128", as the help and the usage error say it.
std::string LengthRange() {
    return std::to_string(kMinLength) + " to " + std::to_string(kMaxLength);
}

// "30 s", as the help says how long --copy keeps the password.
std::string GuardTime() { return std::to_string(kGuardSeconds) + " s"; }

const std::vector<OptionSpec>& OptionTable() {
    static const std::vector<OptionSpec> table = {
        {Option::Length, "length", 'l', "N",
         "password length, " + LengthRange() + " in ASCII digits (default " +
             std::to_string(kDefaultLength) + ")"},
        {Option::NoNumbers, "no-numbers", 0, nullptr, "no digits"},
        {Option::NoUppercase, "no-uppercase", 0, nullptr, "no uppercase letters"},
        {Option::NoLowercase, "no-lowercase", 0, nullptr,
         "no lowercase letters (not together with --no-uppercase)"},
        {Option::Symbols, "symbols", 0, "SET",
         std::string("allowed symbols; only ASCII punctuation is kept (default \"") +
             kDefaultSymbols + "\")"},
        {Option::NoSymbols, "no-symbols", 0, nullptr, "no symbols"},
        {Option::Quiet, "quiet", 'q', nullptr, "leave out the strength estimate"},
        {Option::Confirm, "confirm", 0, nullptr,
         "at a terminal, ask for keyword 1 twice and go on only if both agree"},
        {Option::Copy, "copy", 'c', nullptr,
         "copy to the clipboard for " + GuardTime() + " instead of standard output"},
        {Option::Help, "help", 'h', nullptr, "show this help"},
        {Option::Version, "version", 'V', nullptr, "show the version"},
    };
    return table;
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

const OptionSpec* FindLong(const std::u16string& name) {
    for (const OptionSpec& spec : OptionTable()) {
        if (name == Ascii(spec.name)) return &spec;
    }
    return nullptr;
}

const OptionSpec* FindShort(char16_t letter) {
    for (const OptionSpec& spec : OptionTable()) {
        if (spec.shortName != 0 && letter == static_cast<char16_t>(spec.shortName)) return &spec;
    }
    return nullptr;
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
    if (shown < typed.size() && shown > 0 && IsHighSurrogate(typed[shown - 1])) {
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

// One option argument taken apart: "--name", "--name=value", "-x" or "-xVALUE".
struct OptionArgument {
    const OptionSpec* spec = nullptr;
    std::u16string spelling;  // as the user wrote the option, for messages
    std::u16string value;
    bool hasValue = false;
};

// An unknown option gives a usage error naming it; a short option with text
// after it is the short form's value when the option takes one.
std::string SplitOption(const std::u16string& argument, OptionArgument& split) {
    if (StartsWith(argument, u"--")) {
        const auto equals = argument.find(u'=');
        split.spelling = argument.substr(0, equals);
        if (equals != std::u16string::npos) {
            split.value = argument.substr(equals + 1);
            split.hasValue = true;
        }
        split.spec = FindLong(split.spelling.substr(2));
        if (split.spec == nullptr) return "unknown option " + Quoted(split.spelling);
        if (split.spec->valueName == nullptr && split.hasValue) {
            return "option " + Quoted(split.spelling) + " takes no value";
        }
        return "";
    }
    split.spelling = argument.substr(0, 2);
    split.spec = argument.size() >= 2 ? FindShort(argument[1]) : nullptr;
    if (split.spec != nullptr && argument.size() > 2) {
        if (split.spec->valueName == nullptr) {
            // Short switches are not combined: "-qV" is refused, not read as
            // "-q -V", so a mistyped argument never turns into other options.
            return "unknown option " + Quoted(argument) +
                   "; give short options one at a time, each after its own '-'";
        }
        split.value = argument.substr(2);
        split.hasValue = true;
    }
    if (split.spec == nullptr) return "unknown option " + Quoted(argument);
    return "";
}

struct ParseState {
    bool symbolsGiven = false;
    bool noSymbolsGiven = false;
    std::u16string symbolsTyped;
};

std::string Apply(const OptionSpec& spec, const std::u16string& value, CliOptions& options,
                  ParseState& state) {
    GenerationRequest& request = options.request;
    switch (spec.option) {
        case Option::Length:
            // Judged at once, so that the error quotes what was typed; the
            // letter cases wait for the last option.
            if (!ParseLength(value, request.length) ||
                CheckSettings(request) == SettingsFault::LengthOutOfRange) {
                return "the length must be a whole number from " + LengthRange() +
                       " in ASCII digits, not " + Quoted(value);
            }
            break;
        case Option::Symbols:
            request.symbols = FilterSymbols(value);
            state.symbolsTyped = value;
            state.symbolsGiven = true;
            break;
        case Option::NoSymbols: state.noSymbolsGiven = true; break;
        case Option::NoNumbers: request.numbers = false; break;
        case Option::NoUppercase: request.uppercase = false; break;
        case Option::NoLowercase: request.lowercase = false; break;
        case Option::Quiet: options.quiet = true; break;
        case Option::Confirm: options.confirm = true; break;
        case Option::Copy: options.copy = true; break;
        case Option::Help: options.showHelp = true; break;
        case Option::Version: options.showVersion = true; break;
    }
    return "";
}

std::string HelpLine(const std::string& left, const std::string& text) {
    std::string line = "  " + left;
    line.resize(std::max<std::size_t>(line.size() + 2, 22), ' ');
    return line + text + "\n";
}

}  // namespace

std::string CliUsage() {
    std::string options;
    for (const OptionSpec& spec : OptionTable()) {
        std::string left = spec.shortName ? std::string("-") + spec.shortName + ", " : "    ";
        left += std::string("--") + spec.name;
        if (spec.valueName != nullptr) left += std::string(" ") + spec.valueName;
        options += HelpLine(left, spec.help);
    }
    options += HelpLine("    --", "end of the options: what follows is KEYWORD2, even if it "
                                  "starts with '-'");
    return "Usage: tarnwell-cli [options] [KEYWORD2]\n"
           "Derives a password from two keywords, exactly as Tarnwell Password Generator does.\n"
           "Keyword 1 is read from standard input: typed at a hidden prompt on a terminal, or\n"
           "as the first line of piped input (UTF-8). Keyword 2 is KEYWORD2 when it is given,\n"
           "else it is read in the same way, at a second prompt or as the second line.\n"
           "KEYWORD2 shows in the process list and in the shell's history: give it only for\n"
           "a keyword that need not be secret, such as a site's name. Keyword 1 is never\n"
           "taken from the command line.\n"
           "\n"
           "Options:\n" +
           options +
           "\n"
           "The password goes to standard output; its strength estimate to standard error.\n"
           "With --copy nothing goes to standard output: the program stays in the\n"
           "foreground with a countdown and then takes the password off the clipboard if\n"
           "the clipboard still holds it; Ctrl+C, Ctrl+Z or any signal that would end the\n"
           "program takes it off at once. On Linux it\n"
           "needs a graphical session (DISPLAY): the X clipboard, which Wayland desktops\n"
           "share through Xwayland.\n"
           "\n"
           "Exit status:\n"
           "  0  the password was written, or copied and its " + GuardTime() + " are over\n"
           "  1  refused input, no clipboard for --copy, or a failed cryptographic\n"
           "     operation (nothing was written); or --copy could not take the password\n"
           "     off the clipboard, and says so\n"
           "  2  a usage error\n"
           "  130  --copy interrupted by Ctrl+C, Ctrl+Break or a closed console (Windows;\n"
           "       on Linux the program ends by the signal itself)\n"
           "\n"
           "Examples:\n"
           "  $ printf 'correct horse\\nbattery staple\\n' | tarnwell-cli\n"
           "  $ tarnwell-cli --length 20 'bank 2'\n";
}

CliParseResult ParseCliOptions(const std::vector<std::u16string>& arguments) {
    CliParseResult result;
    CliOptions& options = result.options;
    ParseState state;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != u'-') {
            // Not echoed: it may well be keyword 1 typed in the wrong place.
            if (options.keyword2Given) {
                return Fail("only one argument, KEYWORD2, is taken: quote a keyword 2 that "
                            "holds spaces; keyword 1 is read from standard input, never from "
                            "the command line");
            }
            options.keyword2Given = true;
            options.request.keyword2 = argument;
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        OptionArgument split;
        std::string error = SplitOption(argument, split);
        if (!error.empty()) return Fail(error);
        if (split.spec->valueName != nullptr && !split.hasValue) {
            if (i + 1 >= arguments.size()) {
                return Fail("option " + Quoted(split.spelling) + " needs a value");
            }
            split.value = arguments[++i];
        }
        error = Apply(*split.spec, split.value, options, state);
        if (!error.empty()) return Fail(error);
    }
    if (state.symbolsGiven && state.noSymbolsGiven) {
        return Fail("--symbols and --no-symbols exclude each other");
    }
    if (state.noSymbolsGiven) options.request.symbols.clear();
    if (CheckSettings(options.request) == SettingsFault::NoLetterCase) {
        return Fail("--no-uppercase and --no-lowercase exclude each other: one letter case stays on");
    }
    // Same password as the window with such an Allowed field, but not silently.
    if (state.symbolsGiven && options.request.symbols.empty()) {
        result.notice = "--symbols " + Quoted(state.symbolsTyped) +
                        " holds no ASCII punctuation, so the password has no symbols; give "
                        "punctuation characters, or --no-symbols to say so.";
    }
    return result;
}
