#include "terminal/terminal_output.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

TerminalOutput::TerminalOutput()
    : handle_(reinterpret_cast<std::intptr_t>(
          CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr))) {
    const HANDLE console = AsHandle(handle_);
    DWORD mode = 0;
    isTerminal_ = console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode);
}

TerminalOutput::~TerminalOutput() {
    if (AsHandle(handle_) != INVALID_HANDLE_VALUE) CloseHandle(AsHandle(handle_));
}

void TerminalOutput::Write(const char* text, std::size_t size) const {
    if (!isTerminal_) {
        std::fwrite(text, 1, size, stderr);
        std::fflush(stderr);
        return;
    }
    const std::wstring wide(text, text + size);  // ASCII only
    DWORD written = 0;
    WriteConsoleW(AsHandle(handle_), wide.data(), static_cast<DWORD>(wide.size()), &written,
                  nullptr);
}
