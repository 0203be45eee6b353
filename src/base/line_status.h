// How reading one line of keyword input ended, whether from a pipe, a file,
// a terminal or a console.
#pragma once

// TooLong: longer than any keyword. TerminalLimit: a typed line that filled
// the terminal's line buffer, which drops what does not fit.
enum class LineStatus { Ok, EndOfInput, TooLong, TerminalLimit, ReadError };
