// UTF-8 to UTF-16 and back, for command lines, paths and the texts of the
// programs' output.
#pragma once

#include <string>

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
