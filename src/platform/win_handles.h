// Small owners for the clipboard and global-memory handles, so that every
// early return still closes, unlocks or frees what was opened.
#pragma once

#include <windows.h>

#include "base/secure_bytes.h"

// Open for the lifetime of the object once OpenClipboard has succeeded. The
// constructor tries once; how often and how patiently to try again is the
// caller's policy (clipboard_guard.cpp).
class ClipboardSession {
public:
    ClipboardSession() = default;
    explicit ClipboardSession(HWND owner) { TryOpen(owner); }
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    // One try, unless already open. True when open.
    bool TryOpen(HWND owner) {
        if (!open_) open_ = OpenClipboard(owner) != FALSE;
        return open_;
    }
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// A global-memory block that is wiped and freed unless ownership is handed
// on, for instance to the clipboard by a successful SetClipboardData. Every
// block the program fills may hold the password.
class GlobalBlock {
public:
    GlobalBlock(UINT flags, SIZE_T bytes) : block_(GlobalAlloc(flags, bytes)) {}
    ~GlobalBlock() {
        if (!block_) return;
        if (void* data = GlobalLock(block_)) {
            SecureWipe(data, GlobalSize(block_));
            GlobalUnlock(block_);
        }
        GlobalFree(block_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Get() const { return block_; }
    void Release() { block_ = nullptr; }

private:
    HGLOBAL block_;
};

// A locked view of a global-memory block; Data() is null when the lock failed.
class GlobalLockView {
public:
    explicit GlobalLockView(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
    ~GlobalLockView() {
        if (data_) GlobalUnlock(block_);
    }
    GlobalLockView(const GlobalLockView&) = delete;
    GlobalLockView& operator=(const GlobalLockView&) = delete;
    void* Data() const { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};
