// Command-line options of the companion program. Keyword 1 is deliberately
// not among them: other users can read a process's arguments. Keyword 2,
// which names a site and need not be secret, may be given as the one
// positional argument.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "derivation/generation_request.h"

// The settings are the window's own record, starting where the window
// starts; the rest says what the program does with them.
struct CliOptions {
    // The length, the classes and the symbols (filtered like the Allowed
    // field). keyword2 is KEYWORD2 exactly as given, when keyword2Given: the
    // keyword rules are the program's to apply. keyword1 stays empty here.
    GenerationRequest request;
    bool keyword2Given = false;
    bool quiet = false;    // no strength line
    bool confirm = false;  // keyword 1 asked for twice
    bool copy = false;     // to the clipboard for the guard's time instead of standard output
    bool showHelp = false;
    bool showVersion = false;
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
