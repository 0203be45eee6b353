// Where the command-line program talks to the person at the keyboard: the
// controlling terminal, or on Windows the console, so that `2>/dev/null`
// does not hide a prompt or the countdown and `2>log` does not record them;
// standard error only when there is none. One implementation file per
// platform, the only one that opens the terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TerminalOutput {
public:
    TerminalOutput();
    ~TerminalOutput();
    TerminalOutput(const TerminalOutput&) = delete;
    TerminalOutput& operator=(const TerminalOutput&) = delete;

    // True when the output is the terminal or console itself, where a line
    // can be rewritten in place.
    bool IsTerminal() const { return isTerminal_; }

    // Writes all of `size` bytes of ASCII. On POSIX only write(2) is used,
    // so a signal handler may call it.
    void Write(const char* text, std::size_t size) const;
    void Write(const std::string& text) const { Write(text.data(), text.size()); }

private:
    std::intptr_t handle_;  // a descriptor, or a Windows HANDLE
    bool isTerminal_ = false;
};
