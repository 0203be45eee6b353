// The few places where the command-line program meets its platform's
// terminal or console; one implementation file per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/keyword_input.h"

bool StandardInputIsTerminal();

// A ByteSource over standard input, read without stdio buffering so that no
// copy of the keywords stays behind in a library buffer.
long ReadStandardInput(void* context, std::uint8_t* buffer, std::size_t size);

// Writes all bytes to standard output, unbuffered for the same reason.
bool WriteStandardOutput(const std::uint8_t* data, std::size_t size);

// Writes one line of UTF-8 to standard error: as UTF-16 to a Windows
// console, so that typed text repeated in a message shows as typed, and as
// the bytes themselves anywhere else.
void WriteErrorLine(const std::string& utf8);

// Shows the prompt on the controlling terminal or console (standard error
// only when there is none; terminal/terminal_output.h) and reads one line from
// the terminal with echo off. The terminal's settings come back on every
// path: every signal that would end the program puts them back first and
// then ends it by the same signal; one that stops it (Ctrl+Z) gives the
// terminal echo back, and on resuming asks again with echo off. The keyword
// arrives as UTF-8, with any control characters in it as typed.
// EndOfInput for the end-of-input keys at an empty prompt; TerminalLimit
// for a line that filled the terminal's line buffer; TooLong for a console
// line longer than any keyword.
LineStatus ReadHiddenKeyword(const char* prompt, Bytes& keyword);
