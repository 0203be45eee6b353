// The UTF-8 bytes a keyword becomes, which make the password: one
// implementation per platform, giving the same bytes on each.
#pragma once

#include <string>

#include "base/secure_bytes.h"

// UTF-16 to UTF-8 exactly as Windows' WideCharToMultiByte(CP_UTF8, 0) does it:
// an unpaired surrogate becomes U+FFFD (EF BF BD).
Bytes ToUtf8(const std::u16string& text);
