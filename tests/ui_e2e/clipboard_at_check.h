// What another application leaves on the clipboard for the guard's check,
// and what the check is to do with it.
#pragma once

#include <string>

#include "probe_report.h"

// What the other application leaves on the clipboard for the check.
enum class AtCheck {
    kAsCopied,                  // the program's own block, untouched
    kPassword,                  // the password again, put by the test
    kOtherText,
    kPasswordWhileHeldOpen,     // the password, with the clipboard held open
                                // until the check has found it busy
    kUnterminatedWithOddByte,   // the password, no zero, a block of 2n + 1 bytes
    kLongerText,                // a text that starts with the password
    kPasswordInPrivateFormat,   // the password's bytes, in a format that is not text
    kNothing,
};

// The case's clipboard for the check; false if it could not be made.
bool PutCaseContent(AtCheck atCheck, const std::wstring& password);

// Whether the check is to empty the clipboard. (A block of the password's
// exact size without a zero is not among the cases: Wine writes a zero over
// the last whole unit of every text block it is given, so the program sees
// another text there; clipboard_text_test.cpp covers that comparison.)
bool ExpectCleared(AtCheck atCheck);

// Whether an unterminated block reaches the program as the case needs it;
// when not, the system rounded its size and the case cannot be made.
bool TheProgramSeesTheBlockAsPut(AtCheck atCheck, const ProbeReport& seen,
                                 const std::wstring& password);
