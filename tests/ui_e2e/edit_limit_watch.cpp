#include "edit_limit_watch.h"

#include <cstring>

EditLimitWatch::EditLimitWatch() {
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(EditLimitLog), kEditLimitLogName);
    if (mapping_) {
        log_ = static_cast<EditLimitLog*>(
            MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(EditLimitLog)));
    }
    if (log_) std::memset(log_, 0, sizeof(EditLimitLog));
}

EditLimitWatch::~EditLimitWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (log_) UnmapViewOfFile(log_);
    if (mapping_) CloseHandle(mapping_);
}

bool EditLimitWatch::Watch(DWORD threadId) {
    if (!log_ || hook_) return false;
    hook_ = dll_.SetHook(WH_CALLWNDPROC, "RecordEditLimits", threadId);
    return hook_ != nullptr;
}

bool EditLimitWatch::CallsIn(DWORD processId, std::vector<EditLimitCall>& calls) const {
    calls.clear();
    if (!log_) return false;
    const LONG used = InterlockedCompareExchange(&log_->used, 0, 0);
    for (LONG i = 0; i < used && i < kEditLimitLogSlots; ++i) {
        if (log_->calls[i].processId == processId) calls.push_back(log_->calls[i]);
    }
    return used <= kEditLimitLogSlots;
}
