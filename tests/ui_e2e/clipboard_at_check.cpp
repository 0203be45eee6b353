#include "clipboard_at_check.h"

#include <windows.h>

#include <cstring>

#include "clipboard_access.h"

namespace {

constexpr wchar_t kPrivateFormatName[] = L"Tarnwell e2e private format";

// Empties the clipboard and, unless `bytes` is zero, puts one block of
// exactly `bytes` bytes in `format`. Returns the block's GlobalSize, or 0.
SIZE_T PutClipboardBlock(UINT format, const void* data, SIZE_T bytes) {
    if (!OpenClipboardWhenFree()) return 0;
    EmptyClipboard();
    SIZE_T size = 0;
    if (bytes > 0) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (block) {
            size = GlobalSize(block);
            void* view = GlobalLock(block);
            std::memset(view, 0x55, size);
            std::memcpy(view, data, bytes);
            GlobalUnlock(block);
            if (!SetClipboardData(format, block)) {
                GlobalFree(block);
                size = 0;
            }
        }
    }
    CloseClipboard();
    return size;
}

}  // namespace

// The case's clipboard for the check; false if it could not be made.
bool PutCaseContent(AtCheck atCheck, const std::wstring& password) {
    const SIZE_T passwordBytes = password.size() * sizeof(wchar_t);
    switch (atCheck) {
        case AtCheck::kAsCopied:
            return true;
        case AtCheck::kOtherText:
            return PutTextOnClipboard(kOtherText);
        case AtCheck::kPassword:
        case AtCheck::kPasswordWhileHeldOpen:
            return PutTextOnClipboard(password);
        case AtCheck::kUnterminatedWithOddByte:
            return PutClipboardBlock(CF_UNICODETEXT, password.data(), passwordBytes + 1) != 0;
        case AtCheck::kLongerText:
            return PutTextOnClipboard(password + L" and more");
        case AtCheck::kPasswordInPrivateFormat:
            return PutClipboardBlock(RegisterClipboardFormatW(kPrivateFormatName),
                                     password.c_str(), passwordBytes + sizeof(wchar_t)) != 0;
        case AtCheck::kNothing:
            PutClipboardBlock(0, nullptr, 0);
            return CountClipboardFormats() == 0;
    }
    return false;
}

// Whether the check is to empty the clipboard: only the password, measured
// up to its first zero or the end of the block, is cleared.
bool ExpectCleared(AtCheck atCheck) {
    switch (atCheck) {
        case AtCheck::kUnterminatedWithOddByte:
        case AtCheck::kAsCopied:
        case AtCheck::kPassword:
        case AtCheck::kPasswordWhileHeldOpen:
            return true;
        default:
            return false;
    }
}

// Whether an unterminated block reaches the program as the case needs it:
// of the size put and, when one odd byte longer, still without a zero unit.
// That is the system's doing, not the program's: GlobalAlloc may round a
// size up (Windows documents that it may; Wine does not), and then the case
// cannot be made.
bool TheProgramSeesTheBlockAsPut(AtCheck atCheck, const ProbeReport& seen,
                                 const std::wstring& password) {
    const std::size_t bytes = password.size() * sizeof(wchar_t);
    switch (atCheck) {
        case AtCheck::kUnterminatedWithOddByte:
            return seen.at(L"text.bytes") == std::to_wstring(bytes + 1) &&
                   seen.at(L"text.length") == std::to_wstring(password.size()) &&
                   seen.at(L"text.terminated") == L"no";
        default:
            return true;
    }
}
