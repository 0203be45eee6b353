// The program's text in UTF-16: UTF-8 from the core (its messages and the
// password) converted for display, and text read back from controls. The
// conversion is the platform's, as keywords' is the other way.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Replaces `out` with the UTF-16 form of the bytes, converting straight into
// it: a temporary string would leave a short text behind in its inline buffer.
void Utf8ToWideInto(const char* bytes, std::size_t size, std::wstring& out);

std::wstring Utf8ToWide(const std::string& text);

// A control's whole text; empty when it has none.
std::wstring ReadWindowText(HWND control);
