#include "console_process.h"

namespace {

struct Handle {
    HANDLE value = nullptr;
    ~Handle() { Close(); }
    void Close() {
        if (value != nullptr) CloseHandle(value);
        value = nullptr;
    }
};

// A pipe whose `child` end the program inherits.
bool MakePipe(Handle& child, Handle& parent, bool childReads) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inheritable, 0)) return false;
    child.value = childReads ? read : write;
    parent.value = childReads ? write : read;
    return SetHandleInformation(parent.value, HANDLE_FLAG_INHERIT, 0) != FALSE;
}

std::string ReadToEnd(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    return text;
}

}  // namespace

ConsoleRun RunConsoleProgram(const std::wstring& path, const std::string& input,
                             bool keepInputOpen, wchar_t* environment, DWORD timeoutMs) {
    ConsoleRun run;
    Handle inChild, inParent, outChild, outParent, errChild, errParent;
    if (!MakePipe(inChild, inParent, true) || !MakePipe(outChild, outParent, false) ||
        !MakePipe(errChild, errParent, false)) {
        return run;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inChild.value;
    startup.hStdOutput = outChild.value;
    startup.hStdError = errChild.value;
    std::wstring commandLine = L"\"" + path + L"\"";
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment, nullptr,
                        &startup, &process)) {
        return run;
    }
    Handle processHandle{process.hProcess};
    Handle threadHandle{process.hThread};
    inChild.Close();
    outChild.Close();
    errChild.Close();

    // The outputs are a line or two, well within the pipes' buffers, so they
    // are read once the program has ended.
    DWORD written = 0;
    WriteFile(inParent.value, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    if (!keepInputOpen) inParent.Close();
    run.exited = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!run.exited) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
    inParent.Close();
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    run.output = ReadToEnd(outParent.value);
    run.errors = ReadToEnd(errParent.value);
    return run;
}
