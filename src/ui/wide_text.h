// The program's text in UTF-16: UTF-8 from the core (its messages and the
// password) converted for display (platform/utf8_to_wide.h), and text read
// back from controls.
#pragma once

#include <windows.h>

#include <string>

#include "platform/utf8_to_wide.h"

// A control's whole text; empty when it has none.
std::wstring ReadWindowText(HWND control);
