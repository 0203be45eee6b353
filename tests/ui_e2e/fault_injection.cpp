#include "fault_injection.h"

#include <windows.h>

#include <cwchar>

#include "platform/system_library.h"
#include "program_paths.h"
#include "utf8_conversion.h"

namespace {

bool ReadWholeFile(const std::wstring& path, std::string* text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) != FALSE && size.QuadPart < (1 << 30);
    if (ok) {
        text->assign(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        ok = text->empty() || (ReadFile(file, &(*text)[0], static_cast<DWORD>(text->size()),
                                        &read, nullptr) &&
                               read == text->size());
    }
    CloseHandle(file);
    return ok;
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

// A DLL that a program of the prefix may have loaded cannot be replaced, so
// an identical one is left in place.
bool InstallIntoSystemFolder(const std::wstring& from, const wchar_t* name, std::string* error) {
    const std::wstring folder = SystemFolderPath();
    if (folder.empty()) {
        *error = "no system folder";
        return false;
    }
    const std::wstring to = folder + L"\\" + name;
    std::string wanted, present;
    if (ReadWholeFile(from, &wanted) && ReadWholeFile(to, &present) && wanted == present) {
        return true;
    }
    return CopyInto(from, to, error);
}

}  // namespace

bool CopyInto(const std::wstring& from, const std::wstring& to, std::string* error) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;
    *error = "cannot copy " + WideToUtf8(from) + " to " + WideToUtf8(to) + " (error " +
             std::to_string(GetLastError()) + ")";
    return false;
}

bool PreferNativeDll(const std::wstring& programName, const wchar_t* dll, std::string* error) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + programName + L"\\DllOverrides";
    const wchar_t nativeFirst[] = L"native,builtin";
    if (RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), dll, REG_SZ, nativeFirst,
                        sizeof(nativeFirst)) == ERROR_SUCCESS) {
        return true;
    }
    *error = "cannot set the DLL override of " + WideToUtf8(programName);
    return false;
}

std::wstring FaultCopyPath() { return g_programPaths.faultCopyFolder + L"\\" + kFaultCopyName; }

std::wstring CliFaultCopyPath() {
    return g_programPaths.faultCopyFolder + L"\\" + kCliFaultCopyName;
}

bool PrepareFaultCopy(std::string* error) {
    const std::wstring& folder = g_programPaths.faultCopyFolder;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        *error = "cannot create " + WideToUtf8(folder);
        return false;
    }
    return InstallIntoSystemFolder(g_programPaths.wineBcrypt, L"bcryptreal.dll", error) &&
           InstallIntoSystemFolder(g_programPaths.bcryptStandin, L"bcrypt.dll", error) &&
           CopyInto(g_programPaths.program, FaultCopyPath(), error) &&
           CopyInto(g_programPaths.cli, CliFaultCopyPath(), error) &&
           PreferNativeDll(kFaultCopyName, L"bcrypt", error) &&
           PreferNativeDll(kCliFaultCopyName, L"bcrypt", error);
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

std::wstring FaultPlan::Environment() const {
    const std::wstring name = L"TARNWELL_BCRYPT_FAULTS=";
    std::wstring block;
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
            if (_wcsnicmp(entry, name.c_str(), name.size()) != 0) {
                block.append(entry);
                block.push_back(L'\0');
            }
        }
        FreeEnvironmentStringsW(strings);
    }
    block += name + path_;
    block.push_back(L'\0');
    block.push_back(L'\0');
    return block;
}
