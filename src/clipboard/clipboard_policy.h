// How long a copied secret stays on the clipboard, written once for the
// window's clipboard guard, the command-line program's --copy and every
// text that states it.
#pragma once

// The window's promise: the clipboard is checked this long after a copy and
// emptied if it still holds the copied text. No option changes it.
constexpr int kGuardSeconds = 30;
