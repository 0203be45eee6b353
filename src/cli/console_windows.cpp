#include <windows.h>

#include <cstdio>
#include <string>

#include "cli/console.h"
#include "derivation/utf8.h"

namespace {

// The console mode to put back, also from the Ctrl+C handler's thread.
struct ConsoleRestore {
    HANDLE input = nullptr;
    DWORD savedMode = 0;
    volatile LONG active = 0;
};

ConsoleRestore g_console;

void RestoreConsole() {
    if (InterlockedExchange(&g_console.active, 0) != 0) {
        SetConsoleMode(g_console.input, g_console.savedMode);
    }
}

BOOL WINAPI RestoreOnControlEvent(DWORD) {
    RestoreConsole();
    return FALSE;  // let the default handler end the process
}

}  // namespace

void WriteErrorLine(const std::string& utf8) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    const std::string line = utf8 + "\n";
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode)) {
        const int units =
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        if (units > 0) {
            std::wstring wide(static_cast<std::size_t>(units), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &wide[0],
                                units);
            DWORD written = 0;
            WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
            return;
        }
    }
    std::fflush(stderr);
    DWORD written = 0;
    WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
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

LineStatus ReadHiddenKeyword(const char* prompt, Bytes& keyword) {
    g_console.input = GetStdHandle(STD_INPUT_HANDLE);
    if (!GetConsoleMode(g_console.input, &g_console.savedMode)) return LineStatus::ReadError;
    SetConsoleCtrlHandler(RestoreOnControlEvent, TRUE);
    InterlockedExchange(&g_console.active, 1);
    SetConsoleMode(g_console.input, (g_console.savedMode & ~ENABLE_ECHO_INPUT) |
                                        ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    // Echo is off before the prompt shows.
    std::fputs(prompt, stderr);
    std::fflush(stderr);

    // The console hands over UTF-16; it becomes UTF-8 exactly as the Windows
    // program converts the keyword edits.
    // Room for one unit past the limit, so that an over-long keyword is
    // refused by the keyword rules rather than cut here.
    std::u16string typed;
    typed.reserve(kMaxKeywordUnits + 1);
    LineStatus status = LineStatus::Ok;
    wchar_t chunk[256];
    for (;;) {
        DWORD count = 0;
        if (!ReadConsoleW(g_console.input, chunk, 256, &count, nullptr)) {
            status = LineStatus::ReadError;
            break;
        }
        if (count == 0) {
            status = typed.empty() ? LineStatus::EndOfInput : LineStatus::Ok;
            break;
        }
        bool lineEnded = false;
        for (DWORD i = 0; i < count && !lineEnded; ++i) {
            if (chunk[i] == L'\n') {
                lineEnded = true;
            } else if (chunk[i] != L'\r') {
                if (typed.size() > kMaxKeywordUnits) {
                    status = LineStatus::TooLong;
                    lineEnded = true;
                } else {
                    typed.push_back(static_cast<char16_t>(chunk[i]));
                }
            }
        }
        if (lineEnded) break;
    }
    SecureWipe(chunk, sizeof chunk);
    // Ctrl+Z then Enter is the console's end-of-input key: it arrives as a
    // line holding U+001A alone, and at an empty prompt ends the program
    // just as Ctrl+D does on a terminal.
    if (status == LineStatus::Ok && typed == u"\x1a") status = LineStatus::EndOfInput;

    RestoreConsole();
    SetConsoleCtrlHandler(RestoreOnControlEvent, FALSE);
    std::fputs("\n", stderr);

    SecureWipeContents(keyword);
    if (status == LineStatus::Ok) keyword = ToUtf8(typed);
    SecureWipeContents(typed);
    return status;
}
