// Test builds only: a stand-in bcrypt.dll that makes chosen calls of the
// real programs fail, the way a failing CNG provider would.
//
// It exports the seven functions the programs look up and hands each call to
// Wine's own bcrypt.dll, installed beside it as bcryptreal.dll and loaded by
// its full path, unless the fault plan says this call is to fail.
//
// The programs load bcrypt.dll from the system folder only, so the tests
// install the stand-in as System32\bcrypt.dll of their own Wine prefix
// (fault_injection.h). There Wine loads it only into a program run with
// "bcrypt=n,b" among its DLL overrides; every other program keeps Wine's
// built-in bcrypt. Nothing ships with it, and no other prefix gets it.
//
// The fault plan. TARNWELL_BCRYPT_FAULTS holds the path of a plan file; only
// this DLL reads that variable. The file is read again at every call below,
// so a test changes the plan between generations without restarting the
// program. It holds words separated by spaces, commas or line breaks:
//
//   <call>:<n>   the n-th call of <call> fails (counted from 1)
//   <call>:*     every call of <call> fails
//
// where <call> is one of
//
//   open            BCryptOpenAlgorithmProvider (1 = hash provider, 2 = HMAC)
//   digest-create   BCryptCreateHash on a provider opened without the HMAC flag
//   hmac-create     BCryptCreateHash on a provider opened with the HMAC flag
//   hashdata        BCryptHashData
//   finish          BCryptFinishHash
//   pbkdf2          BCryptDeriveKeyPBKDF2
//   load            loading the DLL itself (DllMain fails, as for a DLL
//                   that cannot be loaded)
//
// Any other word is ignored. The counts start from zero whenever the file's
// text differs from the text read at the previous call, so "pbkdf2:1" written
// just before a generation means "the PBKDF2 call of that generation", and
// "hmac-create:*" means "every HMAC of every generation until the plan
// changes". To run the same faults twice in a row, make the text differ: the
// tests put a fresh serial word ("plan-7") in front of every plan. A missing
// or empty file means no faults. Closing a provider and destroying a hash are
// always passed on.
//
// A failing call returns STATUS_INTERNAL_ERROR without calling the system's
// function and without touching its output arguments. The program runs on
// one thread, so the counts need no lock.
#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/system_library.h"

namespace {

constexpr NTSTATUS kInjectedFailure = static_cast<NTSTATUS>(0xC00000E5L);  // STATUS_INTERNAL_ERROR
constexpr NTSTATUS kSystemDllMissing = static_cast<NTSTATUS>(0xC0000135L);  // STATUS_DLL_NOT_FOUND

enum Call { kOpen, kDigestCreate, kHmacCreate, kHashData, kFinish, kPbkdf2, kLoad, kCallCount };

const char* const kCallNames[kCallCount] = {"open",   "digest-create", "hmac-create", "hashdata",
                                            "finish", "pbkdf2",        "load"};

using OpenFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CloseFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, ULONG);
using CreateHashFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG,
                                       PUCHAR, ULONG, ULONG);
using HashDataFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using FinishHashFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyHashFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);
using Pbkdf2Fn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, PUCHAR, ULONG, ULONGLONG,
                                   PUCHAR, ULONG, ULONG);

struct SystemBcrypt {
    bool loaded = false;
    OpenFn open = nullptr;
    CloseFn close = nullptr;
    CreateHashFn createHash = nullptr;
    HashDataFn hashData = nullptr;
    FinishHashFn finishHash = nullptr;
    DestroyHashFn destroyHash = nullptr;
    Pbkdf2Fn pbkdf2 = nullptr;
};

struct StandinState {
    SystemBcrypt system;
    std::vector<BCRYPT_ALG_HANDLE> hmacProviders;  // opened with the HMAC flag
    std::string planText;                         // as read at the previous call
    int counts[kCallCount] = {};
};

StandinState g_state;

// Loaded on first use rather than in DllMain, where loading another DLL is
// not allowed. Wine's own bcrypt under another name: "bcrypt.dll" is this DLL.
const SystemBcrypt& System() {
    SystemBcrypt& system = g_state.system;
    if (system.loaded) return system;
    system.loaded = true;
    const std::wstring folder = SystemFolderPath();
    if (folder.empty()) return system;
    HMODULE module = LoadLibraryW((folder + L"\\bcryptreal.dll").c_str());
    if (!module) return system;
    system.open = FindFunction<OpenFn>(module, "BCryptOpenAlgorithmProvider");
    system.close = FindFunction<CloseFn>(module, "BCryptCloseAlgorithmProvider");
    system.createHash = FindFunction<CreateHashFn>(module, "BCryptCreateHash");
    system.hashData = FindFunction<HashDataFn>(module, "BCryptHashData");
    system.finishHash = FindFunction<FinishHashFn>(module, "BCryptFinishHash");
    system.destroyHash = FindFunction<DestroyHashFn>(module, "BCryptDestroyHash");
    system.pbkdf2 = FindFunction<Pbkdf2Fn>(module, "BCryptDeriveKeyPBKDF2");
    return system;
}

std::string ReadPlanText() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"TARNWELL_BCRYPT_FAULTS", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    HANDLE file = CreateFileW(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char buffer[4096];
    DWORD read = 0;
    const BOOL ok = ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(file);
    return ok ? std::string(buffer, read) : std::string();
}

// True when the plan names this call number, or every call, of `call`.
bool PlanNames(const std::string& plan, Call call, int number) {
    const std::string prefix = std::string(kCallNames[call]) + ":";
    const char* separators = " ,\t\r\n";
    std::size_t start = plan.find_first_not_of(separators);
    while (start != std::string::npos) {
        std::size_t end = plan.find_first_of(separators, start);
        if (end == std::string::npos) end = plan.size();
        const std::string word = plan.substr(start, end - start);
        if (word.compare(0, prefix.size(), prefix) == 0) {
            const std::string which = word.substr(prefix.size());
            if (which == "*" || which == std::to_string(number)) return true;
        }
        start = plan.find_first_not_of(separators, end);
    }
    return false;
}

// Counts the call; true when the plan says it fails.
bool ShouldFail(Call call) {
    std::string plan = ReadPlanText();
    if (plan != g_state.planText) {
        g_state.planText.swap(plan);
        std::memset(g_state.counts, 0, sizeof(g_state.counts));
    }
    const int number = ++g_state.counts[call];
    return PlanNames(g_state.planText, call, number);
}

bool IsHmacProvider(BCRYPT_ALG_HANDLE provider) {
    for (BCRYPT_ALG_HANDLE hmac : g_state.hmacProviders) {
        if (hmac == provider) return true;
    }
    return false;
}

}  // namespace

// Exported under the system's names by bcrypt_standin.def.
extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    return reason != DLL_PROCESS_ATTACH || !ShouldFail(kLoad);
}

NTSTATUS WINAPI StandinOpenAlgorithmProvider(BCRYPT_ALG_HANDLE* algorithm, LPCWSTR algorithmId,
                                             LPCWSTR implementation, ULONG flags) {
    if (ShouldFail(kOpen)) return kInjectedFailure;
    if (!System().open) return kSystemDllMissing;
    const NTSTATUS status = System().open(algorithm, algorithmId, implementation, flags);
    if (status >= 0 && (flags & BCRYPT_ALG_HANDLE_HMAC_FLAG) != 0) {
        g_state.hmacProviders.push_back(*algorithm);
    }
    return status;
}

NTSTATUS WINAPI StandinCloseAlgorithmProvider(BCRYPT_ALG_HANDLE algorithm, ULONG flags) {
    if (!System().close) return kSystemDllMissing;
    for (BCRYPT_ALG_HANDLE& hmac : g_state.hmacProviders) {
        if (hmac == algorithm) hmac = nullptr;
    }
    return System().close(algorithm, flags);
}

NTSTATUS WINAPI StandinCreateHash(BCRYPT_ALG_HANDLE algorithm, BCRYPT_HASH_HANDLE* hash,
                                  PUCHAR hashObject, ULONG hashObjectSize, PUCHAR secret,
                                  ULONG secretSize, ULONG flags) {
    if (ShouldFail(IsHmacProvider(algorithm) ? kHmacCreate : kDigestCreate)) {
        return kInjectedFailure;
    }
    if (!System().createHash) return kSystemDllMissing;
    return System().createHash(algorithm, hash, hashObject, hashObjectSize, secret, secretSize,
                               flags);
}

NTSTATUS WINAPI StandinHashData(BCRYPT_HASH_HANDLE hash, PUCHAR input, ULONG inputSize,
                                ULONG flags) {
    if (ShouldFail(kHashData)) return kInjectedFailure;
    if (!System().hashData) return kSystemDllMissing;
    return System().hashData(hash, input, inputSize, flags);
}

NTSTATUS WINAPI StandinFinishHash(BCRYPT_HASH_HANDLE hash, PUCHAR output, ULONG outputSize,
                                  ULONG flags) {
    if (ShouldFail(kFinish)) return kInjectedFailure;
    if (!System().finishHash) return kSystemDllMissing;
    return System().finishHash(hash, output, outputSize, flags);
}

NTSTATUS WINAPI StandinDestroyHash(BCRYPT_HASH_HANDLE hash) {
    if (!System().destroyHash) return kSystemDllMissing;
    return System().destroyHash(hash);
}

NTSTATUS WINAPI StandinDeriveKeyPbkdf2(BCRYPT_ALG_HANDLE prf, PUCHAR password,
                                       ULONG passwordSize, PUCHAR salt, ULONG saltSize,
                                       ULONGLONG iterations, PUCHAR derivedKey,
                                       ULONG derivedKeySize, ULONG flags) {
    if (ShouldFail(kPbkdf2)) return kInjectedFailure;
    if (!System().pbkdf2) return kSystemDllMissing;
    return System().pbkdf2(prf, password, passwordSize, salt, saltSize, iterations, derivedKey,
                           derivedKeySize, flags);
}

}  // extern "C"
