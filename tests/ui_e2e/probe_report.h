// Reading what Wine does not let another process read: a window's menu, the
// fonts of its controls and a message box's icon. A hook DLL, loaded into the
// program's thread, answers a registered message with a report in shared
// memory, as lines of "key=value".
#pragma once

#include <windows.h>

#include <map>
#include <string>

constexpr wchar_t kProbeMessageName[] = L"TarnwellE2eProbe";
constexpr wchar_t kProbeReportName[] = L"TarnwellE2eProbeReport";
constexpr DWORD kProbeReportBytes = 64 * 1024;

// Keys of a report on a window W:
//   font.<id>      the font handle of W's child <id> ("0" for none), as hex
//   face.<id>      that font's face name, height and weight: "Segoe UI|-16|400"
//   menu.<i>       the text of W's top-level menu item i
//   menu.<i>.<j>   "<text>|<id>" of item j of pop-up i
//   icon           the stock icon W's icon static shows: warning, error,
//                  information, question, none or other
// Keys of a report on the clipboard, as the program itself sees it:
//   clipboard          "open", or "busy" when it could not be opened
//   text.bytes         the size of the CF_UNICODETEXT block, or "none"
//   text.length        the units before the first zero unit in the block
//   text.terminated    "yes" when the block holds a zero unit, else "no"
//   text.address       where the program sees the block's text, as hex
using ProbeReport = std::map<std::wstring, std::wstring>;

// Besides reports, the probe can make the program's own calls fail, by
// pointing its import entries at stand-ins in the hook DLL (kernel32 is a
// KnownDLL, so no planted DLL could): every GlobalAlloc, or SetClipboardData
// for any format other than text. kRestoreImports undoes both. Its report
// says "imports=patched" or "imports=restored" when it worked.
enum class ProbeTopic : WPARAM {
    kWindow = 0,
    kClipboard = 1,
    kFailGlobalAlloc = 2,
    kFailNonTextClipboardData = 3,
    kRestoreImports = 4,
};

// Installs the hook on the program's thread, sends the probe to `window`,
// and returns the report; empty when the hook could not be installed.
ProbeReport ProbeWindow(HWND window, ProbeTopic topic = ProbeTopic::kWindow);
