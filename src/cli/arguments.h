// Command-line arguments as the option parser reads them (UTF-16, as Windows
// hands them to wmain) and, for keyword 2 given as an argument, as the bytes
// the derivation takes. One implementation file per platform.
#pragma once

#include <string>

#include "crypto/crypto.h"

// POSIX only: an argument's bytes, taken to be UTF-8 as everywhere else in
// this program. A byte that is not part of well-formed UTF-8 becomes an
// unpaired surrogate (U+DC80 to U+DCFF), which no option accepts and the
// symbol filter drops, and which KeywordFromArgument turns back into the
// byte itself.
std::u16string ArgumentToUtf16(const char* argument);

// Keyword 2 from the command line, as UTF-8 for the keyword rules and the
// derivation: on Windows converted exactly as the window converts its edit
// fields; on POSIX the argument's own bytes, so that one that is not UTF-8 is
// refused as piped input is.
Bytes KeywordFromArgument(const std::u16string& argument);
