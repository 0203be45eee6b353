// UTF-8 to Windows' UTF-16, for everything the programs show: messages, the
// strength heading and the password. Windows only (utf8_to_wide_windows.cpp);
// the conversion is the platform's, as keywords' is the other way.
#pragma once

#include <cstddef>
#include <string>

// Replaces `out` with the UTF-16 form of the bytes, converting straight into
// it: a temporary string would leave a short text behind in its inline buffer.
// Empty when the platform cannot convert them.
void Utf8ToWideInto(const char* bytes, std::size_t size, std::wstring& out);

std::wstring Utf8ToWide(const std::string& text);
