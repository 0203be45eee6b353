// Wine runs a Linux program that a Windows program starts, but gives back no
// process handle for it: the shell that runs xclip writes a closing line of
// its own to the output file, and that line is what the test waits for.
#include "x_clipboard.h"

#include <windows.h>

#include <cstdlib>

#include "app_process.h"

namespace {

constexpr char kEndMarker[] = "\n<<xclip exit=";

std::string ReadWholeFile(const std::wstring& path) {
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

}  // namespace

XClipboardRead ReadXClipboardTarget(const std::string& target) {
    XClipboardRead result;
    wchar_t folder[MAX_PATH];
    wchar_t path[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"xcb", 0, path)) {
        return result;
    }
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE output = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inheritable, CREATE_ALWAYS, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) return result;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    // xclip waits for the selection's owner to answer; `timeout` ends a wait
    // that no answer ends.
    std::wstring commandLine =
        L"Z:\\bin\\sh -c \"timeout 10 xclip -selection clipboard -o -t '" +
        Utf8ToWide(target) + L"' 2>/dev/null; printf '\\n<<xclip exit=%d>>\\n' $?\"";
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(output);
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    std::string text;
    if (started) {
        WaitUntil(
            [&] {
                text = ReadWholeFile(path);
                const std::size_t marker = text.rfind(kEndMarker);
                return marker != std::string::npos &&
                       text.find(">>\n", marker) != std::string::npos;
            },
            15000);
    }
    DeleteFileW(path);
    const std::size_t marker = text.rfind(kEndMarker);
    if (marker == std::string::npos) return result;
    result.ran = true;
    result.exitCode = std::atoi(text.c_str() + marker + sizeof(kEndMarker) - 1);
    result.data = text.substr(0, marker);
    return result;
}

std::vector<std::string> XClipboardTargets() {
    std::vector<std::string> targets;
    const XClipboardRead read = ReadXClipboardTarget("TARGETS");
    if (!read.ran || read.exitCode != 0) return targets;
    std::size_t start = 0;
    while (start < read.data.size()) {
        std::size_t end = read.data.find('\n', start);
        if (end == std::string::npos) end = read.data.size();
        if (end > start) targets.push_back(read.data.substr(start, end - start));
        start = end + 1;
    }
    return targets;
}
