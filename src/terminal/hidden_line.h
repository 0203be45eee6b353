// Reading one line at the terminal or console with echo off, for a secret
// typed at a prompt. One implementation file per platform.
#pragma once

#include "base/line_status.h"
#include "base/secure_bytes.h"

// Shows the prompt on the controlling terminal or console (standard error
// only when there is none; terminal_output.h) and reads one line from the
// terminal with echo off. Keys typed before the prompt shows are thrown
// away: echo was still on while they were typed. The terminal's settings
// come back on every path: every signal that would end the program puts
// them back first and then ends it by the same signal; one that stops it
// (Ctrl+Z) gives the terminal echo back, and on resuming asks again with
// echo off. The line arrives as UTF-8 (a console's UTF-16 converted as the
// window converts its edits), with any control characters in it as typed.
// EndOfInput for the end-of-input keys at an empty prompt; TerminalLimit
// for a line that filled the terminal's line buffer; TooLong for a console
// line longer than any keyword.
LineStatus ReadHiddenLine(const char* prompt, Bytes& line);
