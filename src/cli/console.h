// The few places where the command-line program meets its platform's
// terminal or console; one implementation file per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
