// Searching another process's memory for secrets, from the outside, as an
// attacker with a debugger's rights (or a crash dump) would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The addresses in the committed, writable memory of `process` where each of
// `needles` (raw bytes) starts, one list per needle.
std::vector<std::vector<std::uintptr_t>> FindInProcessMemory(
    HANDLE process, const std::vector<std::string>& needles);

// The bytes of a text as UTF-16LE.
std::string Utf16Bytes(const std::wstring& text);

class AppProcess;
struct PasswordVector;

// Where a vector's secrets lie in the program's memory. The password is also
// looked for as text quoted for a C string, with '"' and '\\' escaped, the
// form in which debugging and logging code writes strings out.
struct SecretCopies {
    std::vector<std::uintptr_t> password[3];  // UTF-16, UTF-8, quoted
    std::vector<std::uintptr_t> keyword1[2];
    std::vector<std::uintptr_t> keyword2[2];
};
SecretCopies FindSecrets(const AppProcess& app, const PasswordVector& vector);

// For test messages: "3 at 0x1234 (private), 0x5678 (image ...)".
std::string DescribeCopies(HANDLE process, const std::vector<std::uintptr_t>& addresses);
