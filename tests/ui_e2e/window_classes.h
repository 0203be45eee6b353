// The class names of the program's windows, as users' tools see them.
#pragma once

constexpr wchar_t kMainClass[] = L"VORKAMainClass";
constexpr wchar_t kResultClass[] = L"VORKAResultClass";
