// Running a copy of the command-line program with piped standard streams.
#pragma once

#include <windows.h>

#include <string>

struct ConsoleRun {
    bool exited = false;  // false when it was still running at the time-out
    DWORD exitCode = 0;
    std::string output;  // standard output
    std::string errors;  // standard error
};

// Runs `path` with `input` on standard input, then closes it unless
// `keepInputOpen`: an open, empty input is a user who has not typed yet.
// `environment` is a block for CreateProcessW, or null for this process's
// own. A program still running after `timeoutMs` is ended.
ConsoleRun RunConsoleProgram(const std::wstring& path, const std::string& input,
                             bool keepInputOpen, wchar_t* environment, DWORD timeoutMs);
