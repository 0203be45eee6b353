// The X clipboard as Linux programs see it, read with xclip on the test's
// display. Under Wine the Windows clipboard is the X clipboard: what a
// Windows program copies, X clients read as targets of the CLIPBOARD
// selection, registered formats under their own names.
#pragma once

#include <string>
#include <vector>

struct XClipboardRead {
    bool ran = false;  // xclip ran and ended within its time
    int exitCode = -1;
    std::string data;  // what it wrote, byte for byte
};

// One target of the CLIPBOARD selection ("TARGETS" lists them).
XClipboardRead ReadXClipboardTarget(const std::string& target);
// The target names that "TARGETS" lists, one a line; empty if it failed.
std::vector<std::string> XClipboardTargets();
