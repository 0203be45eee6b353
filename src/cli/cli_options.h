// Command-line options of the companion program. Keyword 1 is deliberately
// not among them: other users can read a process's arguments. Keyword 2,
// which names a site and need not be secret, may be given as the one
// positional argument.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "derivation/generation_request.h"

// Starts where the window starts.
struct CliOptions {
    std::int32_t length = kDefaultLength;
    bool numbers = true;
    bool uppercase = true;
    bool lowercase = true;
    std::string symbols = kDefaultSymbols;  // filtered like the Allowed field
    bool quiet = false;                     // no strength line
    bool confirm = false;                   // keyword 1 asked for twice
    bool copy = false;  // to the clipboard for 30 s instead of standard output
    bool showHelp = false;
    bool showVersion = false;
    // KEYWORD2 exactly as given; the keyword rules are the program's to apply.
    bool keyword2Given = false;
    std::u16string keyword2;
};

struct CliParseResult {
    bool ok = true;
    // One line of UTF-8 for standard error, without the program's name: the
    // error when !ok, else a notice about accepted options (or empty). Typed
    // text in it is made printable.
    std::string error;
    std::string notice;
    CliOptions options;
};

// The arguments as UTF-16, as Windows hands them to wmain and as the window
// holds its fields, so that each option means the same on every build.
CliParseResult ParseCliOptions(const std::vector<std::u16string>& arguments);

// The --help text, with the defaults and the length range filled in.
std::string CliUsage();
