// The few places where the command-line program meets its platform's
// terminal or console; one implementation file per platform.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cli/keyword_input.h"

bool StandardInputIsTerminal();

// A ByteSource over standard input, read without stdio buffering so that no
// copy of the keywords stays behind in a library buffer.
long ReadStandardInput(void* context, std::uint8_t* buffer, std::size_t size);

// Writes all bytes to standard output, unbuffered for the same reason.
bool WriteStandardOutput(const std::uint8_t* data, std::size_t size);

// Shows the prompt on standard error and reads one line from the terminal
// with echo off. The terminal's settings come back on every path, including
// Ctrl+C. The keyword arrives as UTF-8.
LineStatus ReadHiddenKeyword(const char* prompt, Bytes& keyword);
