// UTF-8 to UTF-16 for what the program shows: the core's messages and the
// password. Both go through the platform's conversion, as keywords do the
// other way.
#pragma once

#include <cstddef>
#include <string>

// Replaces `out` with the UTF-16 form of the bytes, converting straight into
// it: a temporary string would leave a short text behind in its inline buffer.
void Utf8ToWideInto(const char* bytes, std::size_t size, std::wstring& out);

std::wstring Utf8ToWide(const std::string& text);
