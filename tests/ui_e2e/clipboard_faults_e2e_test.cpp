// The clipboard guard against another application and against failures: a
// clipboard held open at Copy or at the check, memory or clipboard formats
// that fail at Copy, copies made with the password edit's own keys, and
// clipboard contents at the check that look like the password without being
// it. The test plays the other application, setting up each case's
// clipboard between the program's Copy and its check.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "probe_hook.h"
#include "process_memory.h"
#include "program_driver.h"

namespace {


// How the password reaches the clipboard.
enum class AtCopy {
    kButton,                  // COPY TO CLIPBOARD
    kCtrlC,                   // typed in the password edit
    kCtrlInsert,
    kContextMenu,             // the password edit's Select All, then Copy
    // A first Copy, then a second generation whose Copy finds the clipboard
    // held open by another application.
    kSecondCopyWhileHeldOpen,
    kButtonWithoutMemory,     // every GlobalAlloc fails at the first try
    kButtonWithoutNoHistory,  // the exclusion formats are refused at the first try
};

// What the other application leaves on the clipboard for the check.
enum class AtCheck {
    kAsCopied,                  // the program's own block, untouched
    kPassword,                  // the password again, put by the test
    kOtherText,
    kPasswordWhileHeldOpen,     // the password, with the clipboard held open
                                // until the check has found it busy
    kUnterminatedExactSize,     // the password, no zero, a block of 2n bytes
    kUnterminatedWithOddByte,   // the password, no zero, a block of 2n + 1 bytes
    kLongerText,                // a text that starts with the password
    kPasswordInPrivateFormat,   // the password's bytes, in a format that is not text
    kNothing,
};

struct ClipboardCase {
    const char* name;
    const char* vector;
    AtCopy atCopy;
    AtCheck atCheck;
};

const ClipboardCase kCases[] = {
    {"held open at a second Copy", "default", AtCopy::kSecondCopyWhileHeldOpen,
     AtCheck::kPassword},
    {"held open at the check", "swapped", AtCopy::kButton, AtCheck::kPasswordWhileHeldOpen},
    {"Ctrl+C in the password edit", "letters-only", AtCopy::kCtrlC, AtCheck::kPassword},
    {"Ctrl+Insert in the password edit", "uppercase-digits", AtCopy::kCtrlInsert,
     AtCheck::kPassword},
    {"Copy on the password edit's context menu", "digits-lowercase-long", AtCopy::kContextMenu,
     AtCheck::kPassword},
    {"no memory at Copy", "lowercase-symbols", AtCopy::kButtonWithoutMemory, AtCheck::kPassword},
    {"exclusion formats refused at Copy", "symbol-order", AtCopy::kButtonWithoutNoHistory,
     AtCheck::kPassword},
    {"other text", "boundary-moved", AtCopy::kButton, AtCheck::kOtherText},
    {"unterminated, block of its exact size", "spaces-kept", AtCopy::kButton,
     AtCheck::kUnterminatedExactSize},
    {"unterminated, one odd byte more", "only-spaces", AtCopy::kButton,
     AtCheck::kUnterminatedWithOddByte},
    {"longer text starting with the password", "non-ascii", AtCopy::kButton,
     AtCheck::kLongerText},
    {"only a format that is not text", "shortest", AtCopy::kButton,
     AtCheck::kPasswordInPrivateFormat},
    {"nothing", "one-symbol", AtCopy::kButton, AtCheck::kNothing},
    {"the program's own block at the check", "uppercase-symbol-32", AtCopy::kButton,
     AtCheck::kAsCopied},
};

// The second generation of the held-open case, whose Copy fails.
constexpr char kSecondVector[] = "lowercase-only";
constexpr wchar_t kClipboardBusyText[] = L"The clipboard is in use by another program. Try again.";
constexpr wchar_t kCopyFailedText[] = L"The password could not be put on the clipboard. Try again.";

constexpr wchar_t kOtherText[] = L"copied by someone else";
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
        case AtCheck::kUnterminatedExactSize:
            return PutClipboardBlock(CF_UNICODETEXT, password.data(), passwordBytes) != 0;
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

// Whether the check is to empty the clipboard, judged from the text block
// as the program itself sees it: only the password, measured up to its
// first zero or the end of the block, is cleared. Wine writes a zero over
// the last whole unit of every CF_UNICODETEXT block it is given, so the
// exact-size block reaches the program as the password less its last
// character, and is another text there; Windows hands the block over as it
// is, and the check clears it.
bool ExpectCleared(AtCheck atCheck, const ProbeReport& seen, const std::wstring& password) {
    switch (atCheck) {
        case AtCheck::kUnterminatedExactSize:
            return seen.at(L"text.length") == std::to_wstring(password.size());
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
        case AtCheck::kUnterminatedExactSize:
            return seen.at(L"text.bytes") == std::to_wstring(bytes);
        case AtCheck::kUnterminatedWithOddByte:
            return seen.at(L"text.bytes") == std::to_wstring(bytes + 1) &&
                   seen.at(L"text.length") == std::to_wstring(password.size()) &&
                   seen.at(L"text.terminated") == L"no";
        default:
            return true;
    }
}

struct Instance {
    const ClipboardCase* c;
    std::unique_ptr<AppProcess> app;
    HWND main = nullptr;
    HWND result = nullptr;
    std::wstring password;
    ProbeReport seen;  // the clipboard as the program saw it before its check
};

// A failed Copy: one warning box with `text`, owned by the result window,
// which stays open once the box is closed.
void ExpectFailedCopy(const AppProcess& app, HWND result, HWND box, const wchar_t* text) {
    ASSERT_NE(box, nullptr) << "no box for the failed Copy";
    ExpectMessageBoxAndClose(box, result, text, L"warning");
    SyncWithProgram(app.MainWindow());
    EXPECT_TRUE(IsWindow(result)) << "the result window closed after a failed Copy";
}

// Copy with the edit's own keys: like COPY TO CLIPBOARD, it closes the window.
void CopyWithKeys(const Instance& instance, WORD key) {
    ASSERT_TRUE(ClickToFocus(*instance.app, GetDlgItem(instance.result, kResultEdit)))
        << "the password edit never got the focus";
    ASSERT_TRUE(PressKeys(*instance.app, {VK_CONTROL, key})) << "the keys were not taken";
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(instance.result); }, 10000))
        << "the result window stayed open";
}

// The edit's context menu, opened with the right button and driven by the
// items' access keys: Select All first, since Copy needs a selection.
void CopyWithContextMenu(const Instance& instance) {
    HWND edit = GetDlgItem(instance.result, kResultEdit);
    ASSERT_TRUE(ClickToFocus(*instance.app, edit)) << "the password edit never got the focus";
    auto menuOpen = [&] {
        HWND menu = instance.app->FindTopLevel(L"#32768");
        return menu && IsWindowVisible(menu);
    };
    for (WORD accessKey : {'A', 'C'}) {
        ClickMiddleOf(edit, MouseButton::kRight);
        ASSERT_TRUE(WaitUntil(menuOpen, 5000)) << "no context menu";
        ASSERT_TRUE(PressKeys(*instance.app, {accessKey})) << "the key was not taken";
        ASSERT_TRUE(WaitUntil([&] { return !menuOpen(); }, 5000)) << "the menu stayed open";
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(instance.result); }, 10000))
        << "the result window stayed open";
}

// A first Copy succeeds; a second generation's Copy then meets a clipboard
// held open by another application, and changes nothing: the guard keeps
// guarding the first password.
void CopyThenCopyAgainWhileHeldOpen(const Instance& instance) {
    ASSERT_TRUE(CopyAndWaitForClose(instance.result));
    SyncWithProgram(instance.main);
    EnterVector(instance.main, VectorNamed(kSecondVector));
    HWND second = GenerateAndWaitForResult(*instance.app, 60000);
    ASSERT_NE(second, nullptr);
    const DWORD sequence = GetClipboardSequenceNumber();
    ClipboardHolder holder;
    ASSERT_TRUE(holder.IsOpen());
    PostMessageW(GetDlgItem(second, kCopy), BM_CLICK, 0, 0);
    HWND box = instance.app->WaitForTopLevel(L"#32770", 10000);
    holder.Release();
    ExpectFailedCopy(*instance.app, second, box, kClipboardBusyText);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "Copy changed a busy clipboard";
    PostMessageW(second, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(second); }, 10000));
}

// The first Copy fails inside the program, with another application's text
// on the clipboard; the second, with the program's calls restored, succeeds.
void CopyAfterAFailure(const Instance& instance, ProbeTopic failure) {
    ASSERT_TRUE(PutTextOnClipboard(kOtherText));
    const DWORD sequence = GetClipboardSequenceNumber();
    ASSERT_EQ(ProbeWindow(instance.main, failure)[L"imports"], L"patched");
    PostMessageW(GetDlgItem(instance.result, kCopy), BM_CLICK, 0, 0);
    HWND box = instance.app->WaitForTopLevel(L"#32770", 10000);
    ExpectFailedCopy(*instance.app, instance.result, box, kCopyFailedText);
    bool hasText = false;
    if (failure == ProbeTopic::kFailGlobalAlloc) {
        // Nothing was touched before the memory was there.
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the user's clipboard was changed";
        EXPECT_EQ(ReadClipboardText(&hasText), kOtherText);
    } else {
        // The password never stays without the formats that keep it out of
        // the clipboard history.
        EXPECT_EQ(CountClipboardFormats(), 0) << ReadClipboardText(&hasText).c_str();
    }
    ASSERT_EQ(ProbeWindow(instance.main, ProbeTopic::kRestoreImports)[L"imports"], L"restored");
    ASSERT_TRUE(CopyAndWaitForClose(instance.result)) << "the second Copy failed too";
}

void CopyAsTheCaseSays(const Instance& instance) {
    switch (instance.c->atCopy) {
        case AtCopy::kButton:
            ASSERT_TRUE(CopyAndWaitForClose(instance.result)) << "the result window stayed open";
            break;
        case AtCopy::kCtrlC:
            CopyWithKeys(instance, 'C');
            break;
        case AtCopy::kCtrlInsert:
            CopyWithKeys(instance, VK_INSERT);
            break;
        case AtCopy::kContextMenu:
            CopyWithContextMenu(instance);
            break;
        case AtCopy::kSecondCopyWhileHeldOpen:
            CopyThenCopyAgainWhileHeldOpen(instance);
            break;
        case AtCopy::kButtonWithoutMemory:
            CopyAfterAFailure(instance, ProbeTopic::kFailGlobalAlloc);
            break;
        case AtCopy::kButtonWithoutNoHistory:
            CopyAfterAFailure(instance, ProbeTopic::kFailNonTextClipboardData);
            break;
    }
    SyncWithProgram(instance.main);
}

// Copies of a password in the program's memory: none of one that never
// reached the clipboard; of one whose block the guard has cleared, none but
// the block that Copy handed to the clipboard, which Wine's user32 frees
// without overwriting when the clipboard is emptied. The program may not
// write to that block once it is the clipboard's, so it cannot wipe it.
void ExpectPasswordCopiesInMemory(const AppProcess& app, const char* vector,
                                  std::size_t clipboardBlocks) {
    HANDLE process = app.ProcessHandle();
    const SecretCopies copies = FindSecrets(app, VectorNamed(vector));
    EXPECT_LE(copies.password[0].size(), clipboardBlocks)
        << vector << ", UTF-16: " << DescribeCopies(process, copies.password[0]);
    EXPECT_EQ(copies.password[1].size(), 0u)
        << vector << ", UTF-8: " << DescribeCopies(process, copies.password[1]);
    EXPECT_EQ(copies.password[2].size(), 0u)
        << vector << ", quoted: " << DescribeCopies(process, copies.password[2]);
}

std::wstring Describe(const ProbeReport& report) {
    std::wstring text;
    for (const auto& entry : report) text += entry.first + L"=" + entry.second + L" ";
    return text;
}

// The programs start and generate all at once, since each generation costs
// seconds; then each case copies and has its check run on its own.
class ClipboardFaults : public testing::TestWithParam<std::size_t> {
protected:
    static void SetUpTestSuite() {
        instances_ = new std::vector<Instance>;
        for (const ClipboardCase& c : kCases) {
            instances_->push_back(Instance{&c, std::make_unique<AppProcess>(), nullptr, nullptr,
                                           VectorPassword(VectorNamed(c.vector)), {}});
        }
        for (Instance& instance : *instances_) {
            instance.main = instance.app->WaitForMainWindow();
            if (!instance.main) continue;
            EnterVector(instance.main, VectorNamed(instance.c->vector));
            PostMessageW(GetDlgItem(instance.main, kGenerate), BM_CLICK, 0, 0);
        }
        watch_ = new ClipboardTimerWatch;
        for (Instance& instance : *instances_) {
            if (!instance.main) continue;
            instance.result = instance.app->WaitForTopLevel(kResultClass, 60000);
            if (!watch_->Watch(instance.main)) instance.main = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete instances_;
        instances_ = nullptr;
        delete watch_;
        watch_ = nullptr;
    }

    static std::vector<Instance>* instances_;
    static ClipboardTimerWatch* watch_;
};

std::vector<Instance>* ClipboardFaults::instances_ = nullptr;
ClipboardTimerWatch* ClipboardFaults::watch_ = nullptr;

// The guard's 30 seconds are another test's promise (clipboard_guard); here
// only what the check does matters, so each case sends the program the
// message its timer would, a real WM_TIMER that it takes from its queue.
TEST_P(ClipboardFaults, CopyIsGuardedAndOnlyTheExactTextIsCleared) {
    Instance& instance = (*instances_)[GetParam()];
    const ClipboardCase& c = *instance.c;
    ASSERT_NE(instance.main, nullptr) << "the program never showed its window, or is not watched";
    ASSERT_NE(instance.result, nullptr) << "no result window";

    CopyAsTheCaseSays(instance);
    if (HasFatalFailure()) return;
    ExpectGuardedTextOnClipboard(instance.password);
    EXPECT_TRUE(IsWindowEnabled(instance.main));

    ASSERT_TRUE(PutCaseContent(c.atCheck, instance.password));
    instance.seen = ProbeWindow(instance.main, ProbeTopic::kClipboard);
    const ProbeReport& seen = instance.seen;
    ASSERT_EQ(seen.count(L"text.bytes"), 1u) << "the probe could not read the clipboard";
    if (!TheProgramSeesTheBlockAsPut(c.atCheck, seen, instance.password)) {
        GTEST_SKIP() << "the system did not hand over the block as put: " << Describe(seen);
    }
    const std::unique_ptr<ClipboardHolder> holder(
        c.atCheck == AtCheck::kPasswordWhileHeldOpen ? new ClipboardHolder : nullptr);
    if (holder) {
        ASSERT_TRUE(holder->IsOpen());
    }
    const DWORD sequence = GetClipboardSequenceNumber();
    ASSERT_EQ(watch_->TimerMessages(instance.main), 0) << "the check came before its case";

    PostMessageW(instance.main, WM_TIMER, kClipboardTimerId, 0);
    ASSERT_TRUE(WaitUntil([&] { return watch_->TimerMessages(instance.main) > 0; }, 10000))
        << "the program never took the timer message";
    SyncWithProgram(instance.main);
    if (holder) {
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the check changed a busy clipboard";
        holder->Release();
    }

    if (ExpectCleared(c.atCheck, seen, instance.password)) {
        // At once, or, for a clipboard that was busy, at a retry once it is free.
        EXPECT_TRUE(WaitUntil([] { return CountClipboardFormats() == 0; }, 3000))
            << "the program saw " << Describe(seen);
        // Wine counts the owner's own emptying as no change.
        if (c.atCheck != AtCheck::kAsCopied) {
            EXPECT_NE(GetClipboardSequenceNumber(), sequence);
        }
    } else {
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence)
            << "the check changed the clipboard; the program saw " << Describe(seen);
    }
    EXPECT_TRUE(IsWindow(instance.main));
    EXPECT_TRUE(IsWindowEnabled(instance.main));
    EXPECT_EQ(instance.app->FindMessageBox(), nullptr);

    // One check per copy: the check stopped the guard's own timer. No
    // password is left behind by a check that cleared the program's own
    // block, and the program still ends normally.
    EXPECT_EQ(watch_->TimerMessages(instance.main), 1);
    if (c.atCheck == AtCheck::kAsCopied) ExpectPasswordCopiesInMemory(*instance.app, c.vector, 1);
    if (c.atCopy == AtCopy::kSecondCopyWhileHeldOpen) {
        ExpectPasswordCopiesInMemory(*instance.app, kSecondVector, 0);
    }
    PostMessageW(instance.main, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(instance.app->WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// The case's name as a test name: its words run together, capitalised.
std::string CaseTestName(const testing::TestParamInfo<std::size_t>& info) {
    std::string name;
    bool wordStart = true;
    for (const char* letter = kCases[info.param].name; *letter; ++letter) {
        const auto ch = static_cast<unsigned char>(*letter);
        if (!std::isalnum(ch)) {
            wordStart = true;
            continue;
        }
        name += wordStart ? static_cast<char>(std::toupper(ch)) : static_cast<char>(ch);
        wordStart = false;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ClipboardFaults,
                         testing::Range<std::size_t>(0, std::size(kCases)), CaseTestName);

}  // namespace
