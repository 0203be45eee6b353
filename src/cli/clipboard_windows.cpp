// --copy in tarnwell-cli.exe: not yet there, and said so before any keyword
// is asked for, rather than accepted and the password printed after all.
#include "cli/clipboard.h"

struct CopySession {};

void CopySessionDeleter::operator()(CopySession* session) const { delete session; }

CopySessionHandle ConnectClipboard(std::string& error) {
    error = "--copy is not available in tarnwell-cli.exe yet; without --copy the password goes "
            "to standard output.";
    return nullptr;
}

GuardedCopyResult CopyAndGuard(CopySession&, Bytes password) {
    SecureWipeContents(password);
    return {1, "--copy is not available in tarnwell-cli.exe yet; nothing was copied."};
}
