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
using ProbeReport = std::map<std::wstring, std::wstring>;

// Installs the hook on the program's thread, sends the probe to `window`,
// and returns the report; empty when the hook could not be installed.
ProbeReport ProbeWindow(HWND window);
