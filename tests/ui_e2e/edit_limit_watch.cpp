#include "edit_limit_watch.h"

EditLimitWatch::EditLimitWatch()
    : table_(kEditLimitLogName, sizeof(EditLimitLog)), log_(table_.As<EditLimitLog>()) {}

EditLimitWatch::~EditLimitWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
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
