// --copy: the password goes to the system clipboard instead of standard
// output, for 30 seconds, and comes off again only if the clipboard still
// holds it. One implementation file per platform.
#pragma once

#include <memory>
#include <string>

#include "base/secure_bytes.h"

struct CopySession;
struct CopySessionDeleter {
    void operator()(CopySession* session) const;
};
using CopySessionHandle = std::unique_ptr<CopySession, CopySessionDeleter>;

// Called before any keyword is asked for, so that nobody types a master
// secret for a clipboard that is not there. Null on failure, with one line
// for standard error (without the program's name) in `error`.
CopySessionHandle ConnectClipboard(std::string& error);

struct GuardedCopyResult {
    int exitCode = 0;
    std::string error;  // one line for standard error, or empty
    // Non-zero: the signal that cut the wait short, to be raised again once
    // the error is out, so that the program ends by it (POSIX only).
    int endBySignal = 0;
};

// Puts the password on the clipboard and stays in the foreground with a
// countdown until the check 30 seconds later, which takes it off if it is
// still there. Someone else's copy ends the wait early and is left alone.
// An interrupt takes the password off at once and asks for the process to
// end by the same signal; a stop takes it off before the program stops. The password
// is moved in, and wiped when the session is done with it.
GuardedCopyResult CopyAndGuard(CopySession& session, Bytes password);
