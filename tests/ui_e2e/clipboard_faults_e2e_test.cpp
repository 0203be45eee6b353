// The clipboard guard against another application and against failures: a
// clipboard held open at Copy or at the check, memory or clipboard formats
// that fail at Copy, copies made with the password edit's own keys, and
// clipboard contents at the check that look like the password without being
// it. The test plays the other application, setting up each case's
// clipboard between the program's Copy and its check. The ways of copying
// are in password_copy_ways.h, the clipboards at the check in
// clipboard_at_check.h.
#include <windows.h>

#include <cctype>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "clipboard_access.h"
#include "clipboard_at_check.h"
#include "clipboard_timer_watch.h"
#include "password_copy_ways.h"
#include "probe_report.h"
#include "process_memory.h"
#include "program_driver.h"
#include "queue_sync.h"
#include "wait_until.h"

namespace {

struct ClipboardCase {
    const char* name;
    const char* vector;
    AtCopy atCopy;
    AtCheck atCheck;
};

// Copied with messages: these cases' programs run side by side.
const ClipboardCase kCases[] = {
    {"held open at a second Copy", "default", AtCopy::kSecondCopyWhileHeldOpen,
     AtCheck::kPassword},
    {"held open at the check", "swapped", AtCopy::kButton, AtCheck::kPasswordWhileHeldOpen},
    {"no memory at Copy", "lowercase-symbols", AtCopy::kButtonWithoutMemory, AtCheck::kPassword},
    {"exclusion formats refused at Copy", "symbol-order", AtCopy::kButtonWithoutNoHistory,
     AtCheck::kPassword},
    {"other text", "boundary-moved", AtCopy::kButton, AtCheck::kOtherText},
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

// Copied with real keys and clicks, which go to whichever window is active:
// each of these cases' programs runs alone.
const ClipboardCase kTypedCases[] = {
    {"Ctrl+C in the password edit", "letters-only", AtCopy::kCtrlC, AtCheck::kPassword},
    {"Ctrl+Insert in the password edit", "uppercase-digits", AtCopy::kCtrlInsert,
     AtCheck::kPassword},
    {"Copy on the password edit's context menu", "digits-lowercase-long", AtCopy::kContextMenu,
     AtCheck::kPassword},
};

struct Instance {
    const ClipboardCase* c;
    std::unique_ptr<AppProcess> app;
    HWND main = nullptr;
    HWND result = nullptr;
    std::wstring password;
    ProbeReport seen;  // the clipboard as the program saw it before its check
};

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

// The guard's 30 seconds are another test's promise (clipboard_guard); here
// only what the check does matters, so each case sends the program the
// message its timer would, a real WM_TIMER that it takes from its queue.
void CopyAndCheck(Instance& instance, ClipboardTimerWatch& watch) {
    const ClipboardCase& c = *instance.c;
    ASSERT_NE(instance.main, nullptr) << "the program never showed its window, or is not watched";
    ASSERT_NE(instance.result, nullptr) << "no result window";

    CopyThePassword(c.atCopy, {instance.app.get(), instance.main, instance.result});
    if (testing::Test::HasFatalFailure()) return;
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
    ASSERT_EQ(watch.TimerMessages(instance.main), 0) << "the check came before its case";

    PostMessageW(instance.main, WM_TIMER, kClipboardTimerId, 0);
    ASSERT_TRUE(WaitUntil([&] { return watch.TimerMessages(instance.main) > 0; }, 10000))
        << "the program never took the timer message";
    SyncWithProgram(instance.main);
    if (holder) {
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the check changed a busy clipboard";
        holder->Release();
    }

    if (ExpectCleared(c.atCheck)) {
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
    EXPECT_EQ(watch.TimerMessages(instance.main), 1);
    if (c.atCheck == AtCheck::kAsCopied) ExpectPasswordCopiesInMemory(*instance.app, c.vector, 1);
    if (c.atCopy == AtCopy::kSecondCopyWhileHeldOpen) {
        ExpectPasswordCopiesInMemory(*instance.app, kSecondVector, 0);
    }
    PostMessageW(instance.main, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(instance.app->WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
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

TEST_P(ClipboardFaults, CopyIsGuardedAndOnlyTheExactTextIsCleared) {
    CopyAndCheck((*instances_)[GetParam()], *watch_);
}

// One program for the case, started and made to generate by the test alone.
class ClipboardCopyKeys : public testing::TestWithParam<std::size_t> {};

TEST_P(ClipboardCopyKeys, CopyIsGuardedAndOnlyTheExactTextIsCleared) {
    const ClipboardCase& c = kTypedCases[GetParam()];
    Instance instance{&c, std::make_unique<AppProcess>(), nullptr, nullptr,
                      VectorPassword(VectorNamed(c.vector)), {}};
    ClipboardTimerWatch watch;
    instance.main = instance.app->WaitForMainWindow();
    ASSERT_NE(instance.main, nullptr) << "the program never showed its window";
    ASSERT_TRUE(watch.Watch(instance.main));
    EnterVector(instance.main, VectorNamed(c.vector));
    instance.result = GenerateAndWaitForResult(*instance.app, 60000);
    CopyAndCheck(instance, watch);
}

// The case's name as a test name: its words run together, capitalised.
std::string CaseTestName(const char* caseName) {
    std::string name;
    bool wordStart = true;
    for (const char* letter = caseName; *letter; ++letter) {
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
                         testing::Range<std::size_t>(0, std::size(kCases)),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return CaseTestName(kCases[info.param].name);
                         });
INSTANTIATE_TEST_SUITE_P(Cases, ClipboardCopyKeys,
                         testing::Range<std::size_t>(0, std::size(kTypedCases)),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return CaseTestName(kTypedCases[info.param].name);
                         });

}  // namespace
