#include "cli/arguments.h"

#include "derivation/utf8.h"

// An unpaired surrogate becomes U+FFFD, as it does for a keyword pasted into
// the window.
Bytes KeywordFromArgument(const std::u16string& argument) { return ToUtf8(argument); }
