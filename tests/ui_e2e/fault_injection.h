// The real programs with failing CNG calls. The programs load bcrypt.dll from
// the system folder only, so the stand-in bcrypt.dll (bcrypt_standin/) is
// installed as the system folder's bcrypt.dll of the tests' own Wine prefix,
// forwarding to Wine's own bcrypt.dll under the name bcryptreal.dll. Wine
// loads it only into a program whose DLL overrides say "bcrypt=n,b": a
// byte-for-byte copy of each program under a name of its own, in a folder of
// its own. A fault plan file, read by the stand-in at every call, says which
// calls fail (its header describes the plan's words).
//
// Wine does not take WINEDLLOVERRIDES from the environment block given to
// CreateProcessW: a child started by a Wine process gets the Unix
// environment's WINE* variables instead. So the overrides are Wine's
// per-program settings (HKCU\Software\Wine\AppDefaults\<name>), which is why
// every copy has a name of its own.
#pragma once

#include <string>

constexpr wchar_t kFaultCopyName[] = L"TarnwellPasswordGenerator_faultcopy.exe";
constexpr wchar_t kCliFaultCopyName[] = L"tarnwell-cli_faultcopy.exe";
// The window program's copy beside planted DLLs (planting_e2e_test.cpp), and
// there too the same program built without its embedded manifest.
constexpr wchar_t kPlantedCopyName[] = L"TarnwellPasswordGenerator_planted.exe";
constexpr wchar_t kUnmanifestedCopyName[] = L"TarnwellPasswordGenerator_unmanifested.exe";

// Installs the stand-in into the prefix's system folder, copies both
// programs into the fault copy folder and sets the copies' DLL override.
// False, with the reason in `error`, if anything failed.
bool PrepareFaultCopy(std::string* error);
// The copies, as Windows paths.
std::wstring FaultCopyPath();
std::wstring CliFaultCopyPath();

// Copies a file, replacing what is there; the reason in `error` on failure.
bool CopyInto(const std::wstring& from, const std::wstring& to, std::string* error);
// Makes the program of this file name prefer a native `dll` (as "dll" without
// ".dll") to Wine's built-in one, as a per-program Wine setting.
bool PreferNativeDll(const std::wstring& programName, const wchar_t* dll, std::string* error);

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
    // This process's environment with TARNWELL_BCRYPT_FAULTS naming the plan
    // file, as a block for CreateProcessW.
    std::wstring Environment() const;

private:
    std::wstring path_;
    int serial_ = 0;
};
