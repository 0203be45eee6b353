// What --copy shows while it waits, alike on every platform: a line that
// counts the seconds down, updated in place on a terminal or console and
// given as plain lines every ten seconds anywhere else, and the line that
// says how the wait ended.
#pragma once

#include <cstddef>
#include <string>

#include "clipboard/clipboard_policy.h"
#include "terminal/terminal_output.h"

constexpr char kRemovedText[] = "The password was removed from the clipboard.";
constexpr char kLeftAloneText[] = "Something else is on the clipboard now; it was left alone.";
constexpr char kNoAnswerText[] =
    "The program that holds the clipboard now did not answer; the clipboard was left alone.";
constexpr char kStoppedText[] =
    "The password was taken off the clipboard when the program was stopped.";
constexpr char kWithoutCopyText[] = "; without --copy the password goes to standard output.";

struct CopyCountdown {
    void (*write)(void* context, const std::string& text) = nullptr;
    void* context = nullptr;
    bool inPlace = false;
    std::size_t width = 0;  // of the line now shown in place
    int shown = -1;         // the seconds it shows
};

// The countdown where the prompts go, the terminal or console, updated there
// in place; without one it is plain lines on standard error, so that a log
// stays readable. `output` outlives the countdown.
CopyCountdown CountdownOn(const TerminalOutput& output);

// Shows the seconds left, if they differ from those shown.
void ShowSecondsLeft(CopyCountdown& countdown, int seconds);

// Finishes the line, then writes `outcome` (if any) as a line of its own.
void EndCountdown(CopyCountdown& countdown, const char* outcome);
