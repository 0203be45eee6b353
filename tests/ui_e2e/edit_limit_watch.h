// Which edit limits the program sets as it starts. Wine's edits start with a
// limit of 30000 units, the keyword limit itself, so reading the limit back
// there cannot show that the program set it. Instead a WH_CALLWNDPROC hook,
// set on the program's thread before that thread runs, records in a shared
// table every EM_SETLIMITTEXT (alias EM_LIMITTEXT) its windows are sent.
#pragma once

#include <windows.h>

#include <vector>

#include "hook_dll.h"

constexpr wchar_t kEditLimitLogName[] = L"TarnwellE2eEditLimitLog";
constexpr LONG kEditLimitLogSlots = 64;

struct EditLimitCall {
    DWORD processId;
    int controlId;  // GetDlgCtrlID of the edit
    ULONGLONG limit;
};

struct EditLimitLog {
    LONG used;  // may grow past kEditLimitLogSlots; the calls beyond are lost
    EditLimitCall calls[kEditLimitLogSlots];
};

class EditLimitWatch {
public:
    EditLimitWatch();
    ~EditLimitWatch();
    EditLimitWatch(const EditLimitWatch&) = delete;
    EditLimitWatch& operator=(const EditLimitWatch&) = delete;

    // Starts recording on the thread `threadId`: to see what a program does
    // while it starts, call it while the thread is still suspended. False if
    // the table or the hook could not be had.
    bool Watch(DWORD threadId);
    // The recorded calls in the process `processId`, in order. False if the
    // table overflowed, so that the list is incomplete.
    bool CallsIn(DWORD processId, std::vector<EditLimitCall>& calls) const;

private:
    HookDll dll_;
    HANDLE mapping_ = nullptr;
    EditLimitLog* log_ = nullptr;
    HHOOK hook_ = nullptr;
};
