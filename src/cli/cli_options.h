// Command-line options of the companion program. Keywords are deliberately
// not among them: other users can read a process's arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CliOptions {
    std::int32_t length = 12;
    bool numbers = true;
    bool uppercase = true;
    bool lowercase = true;
    std::string symbols = "!@#$%*-_";  // filtered like the Allowed field
    bool showHelp = false;
    bool showVersion = false;
};

struct CliParseResult {
    bool ok = true;
    std::string error;  // one line, for standard error, when !ok
    CliOptions options;
};

CliParseResult ParseCliOptions(const std::vector<std::string>& arguments);

extern const char kCliUsage[];
