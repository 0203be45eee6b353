// Command-line options of the companion program. Keywords are deliberately
// not among them: other users can read a process's arguments.
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
    bool copy = false;  // to the clipboard for 30 s instead of standard output
    bool showHelp = false;
    bool showVersion = false;
};

struct CliParseResult {
    bool ok = true;
    // One line of UTF-8 for standard error: the error when !ok, else a
    // notice about accepted options (or empty). Typed text in it is made
    // printable.
    std::string error;
    std::string notice;
    CliOptions options;
};

// The arguments as UTF-16, as Windows hands them to wmain and as the window
// holds its fields, so that each option means the same on every build.
CliParseResult ParseCliOptions(const std::vector<std::u16string>& arguments);

// The --help text, with the defaults and the length range filled in.
std::string CliUsage();
