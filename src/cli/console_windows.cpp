#include <windows.h>

#include <cstdio>
#include <string>

#include "cli/console.h"
#include "platform/utf8_to_wide.h"

void WriteErrorLine(const std::string& utf8) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    const std::string line = utf8 + "\n";
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode)) {
        const std::wstring wide = Utf8ToWide(line);
        if (!wide.empty()) {
            DWORD written = 0;
            WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
            return;
        }
    }
    // A file or pipe gets the line ending that standard error's text mode
    // gives the strength line.
    const std::string text = utf8 + "\r\n";
    std::fflush(stderr);
    DWORD written = 0;
    WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool StandardInputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

long ReadStandardInput(void*, std::uint8_t* buffer, std::size_t size) {
    DWORD count = 0;
    const DWORD request = size > 0x10000 ? 0x10000 : static_cast<DWORD>(size);
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, request, &count, nullptr)) {
        // A pipe whose writer has gone is simply the end of the input.
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<long>(count);
}

bool WriteStandardOutput(const std::uint8_t* data, std::size_t size) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x10000 ? 0x10000 : static_cast<DWORD>(size);
        if (!WriteFile(output, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}
