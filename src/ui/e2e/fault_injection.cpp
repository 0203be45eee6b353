#include "fault_injection.h"

#include <windows.h>

#include "app_process.h"

namespace {

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], bytes,
                        nullptr, nullptr);
    return utf8;
}

bool CopyInto(const std::wstring& from, const std::wstring& to, std::string* error) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;
    *error = "cannot copy " + Narrow(from) + " to " + Narrow(to) + " (error " +
             std::to_string(GetLastError()) + ")";
    return false;
}

bool WriteWholeFile(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

}  // namespace

std::wstring FaultCopyPath() { return g_programPaths.faultCopyFolder + L"\\" + kFaultCopyName; }

bool PrepareFaultCopy(std::string* error) {
    const std::wstring& folder = g_programPaths.faultCopyFolder;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        *error = "cannot create " + Narrow(folder);
        return false;
    }
    if (!CopyInto(g_programPaths.program, FaultCopyPath(), error) ||
        !CopyInto(g_programPaths.bcryptStandin, folder + L"\\bcrypt.dll", error)) {
        return false;
    }
    const std::wstring key =
        std::wstring(L"Software\\Wine\\AppDefaults\\") + kFaultCopyName + L"\\DllOverrides";
    const wchar_t nativeFirst[] = L"native,builtin";
    if (RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"bcrypt", REG_SZ, nativeFirst,
                        sizeof(nativeFirst)) != ERROR_SUCCESS) {
        *error = "cannot set the copy's DLL override";
        return false;
    }
    return true;
}

FaultPlan::FaultPlan(const std::string& faults) {
    static int planCount = 0;
    path_ = g_programPaths.faultCopyFolder + L"\\plan-" + std::to_wstring(GetCurrentProcessId()) +
            L"-" + std::to_wstring(++planCount) + L".txt";
    Set(faults);
}

FaultPlan::~FaultPlan() { DeleteFileW(path_.c_str()); }

bool FaultPlan::Set(const std::string& faults) {
    // The serial word makes every plan's text new to the stand-in.
    return WriteWholeFile(path_, "plan-" + std::to_string(++serial_) + " " + faults);
}
