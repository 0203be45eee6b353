// The real program with failing CNG calls: a byte-for-byte copy of
// TarnwellPasswordGenerator.exe in a folder of its own, beside the stand-in
// bcrypt.dll (bcrypt_standin/), and a fault plan file that the stand-in reads
// at every call (its header describes the plan's words).
//
// Wine does not take WINEDLLOVERRIDES from the environment block given to
// CreateProcessW: a child started by a Wine process gets the Unix
// environment's WINE* variables instead. So the copy has a name of its own,
// and Wine's per-program settings (HKCU\Software\Wine\AppDefaults\<name>)
// make it, and nothing else, prefer the bcrypt.dll beside it.
#pragma once

#include <string>

constexpr wchar_t kFaultCopyName[] = L"TarnwellPasswordGenerator_faultcopy.exe";

// Copies the program and the stand-in into the fault copy folder and sets the
// copy's DLL override. False, with the reason in `error`, if anything failed.
bool PrepareFaultCopy(std::string* error);
// The copy, as a Windows path.
std::wstring FaultCopyPath();

// One plan file, unique to this object, deleted with it.
class FaultPlan {
public:
    explicit FaultPlan(const std::string& faults = "");
    ~FaultPlan();
    FaultPlan(const FaultPlan&) = delete;
    FaultPlan& operator=(const FaultPlan&) = delete;

    // Replaces the plan; the stand-in's call counts start again at its next
    // call, even when `faults` is the same as before. False if the file
    // could not be written.
    bool Set(const std::string& faults);
    // No faults from the next call on.
    bool Clear() { return Set(""); }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    int serial_ = 0;
};
