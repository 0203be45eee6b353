// Test builds only: a program that loads bcrypt.dll and comctl32.dll the way
// the programs used to, by name through the ordinary search, which starts in
// the program's own folder. The planting test runs it beside the planted DLLs
// to show that they are found and loaded there, so that the programs not
// loading them means something. Exits with 0 when both loads succeeded.
#include <windows.h>

int main() {
    const bool loaded = LoadLibraryW(L"bcrypt.dll") != nullptr;
    return loaded && LoadLibraryW(L"comctl32.dll") != nullptr ? 0 : 1;
}
