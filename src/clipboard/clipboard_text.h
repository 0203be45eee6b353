// The comparison behind the clipboard guard, apart from the clipboard so
// that it can be tried on blocks of any shape.
#pragma once

#include <cstddef>
#include <string>

// True when the text in a clipboard block of `blockBytes` bytes is exactly
// `expected`. The text ends at its first zero unit or at the end of the block,
// whichever comes first: another program's block may lack the terminating
// zero, and nothing past the block is ever read.
bool ClipboardTextEquals(const wchar_t* blockData, std::size_t blockBytes,
                         const std::wstring& expected);

// True when a paste that kept the first `keptUnits` units of the text in a
// clipboard block (read as above) stopped at a line break and dropped more
// than line breaks: a single-line edit keeps only the first line. A text
// whose only other line is empty, as one copied with its line ending, loses
// nothing but that ending.
bool PasteDroppedLines(const wchar_t* blockData, std::size_t blockBytes, std::size_t keptUnits);
