// Secrets left in the program's memory, read from the outside as a debugger
// or a crash dump would: after a generation, the password and the keywords
// may remain only where the user can see them, the keyword edits' own text,
// and the clipboard while the guard guards it. Several instances run at
// once; the case after the guard fired is part of clipboard_faults. The
// passwords of 64 and 128 characters wrap in the result window, and a
// double-click selects a word in a keyword: both make the edit control find
// where its text breaks, which Wine's line breaker once quoted into a buffer
// of debug strings that nothing clears.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "probe_hook.h"
#include "process_memory.h"
#include "program_driver.h"

namespace {

constexpr wchar_t kResultWindowFailedText[] =
    L"The window with the password could not be opened. Try again.";

enum class Ending { kClosedWithoutCopy, kCopied, kResultWindowRefused };

struct SecretsCase {
    const char* name;
    const char* vector;
    Ending ending;
};

const SecretsCase kCases[] = {
    {"closed without Copy", "default", Ending::kClosedWithoutCopy},
    // Five characters fit a short string's inline buffer.
    {"closed without Copy, a five-character password", "shortest", Ending::kClosedWithoutCopy},
    {"after Copy, the guard armed", "non-ascii", Ending::kCopied},
    // Long enough to wrap in the password edit: two lines, and three.
    {"closed without Copy, 64 characters", "uppercase-symbol-32", Ending::kClosedWithoutCopy},
    {"after Copy, 128 characters", "longest-all-symbols", Ending::kCopied},
    {"the result window could not be created", "swapped", Ending::kResultWindowRefused},
};

struct Instance {
    const SecretsCase* c;
    std::unique_ptr<AppProcess> app;
    HWND main = nullptr;
    std::unique_ptr<ResultWindowRefusal> refusal;
    SecretCopies beforeGeneration;
};

void EndCase(Instance& instance) {
    HWND main = instance.main;
    if (instance.c->ending == Ending::kResultWindowRefused) {
        HWND box = instance.app->WaitForTopLevel(L"#32770", 60000);
        ASSERT_NE(box, nullptr) << "no box for the missing result window";
        ExpectMessageBoxAndClose(box, main, kResultWindowFailedText, L"error");
        SyncWithProgram(main);
        EXPECT_EQ(instance.app->FindTopLevel(kResultClass), nullptr);
        EXPECT_TRUE(IsWindowEnabled(main));
        return;
    }
    HWND result = instance.app->WaitForTopLevel(kResultClass, 60000);
    ASSERT_NE(result, nullptr);
    if (instance.c->ending == Ending::kCopied) {
        ASSERT_TRUE(CopyAndWaitForClose(result));
    } else {
        PostMessageW(result, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result); }, 10000));
    }
    SyncWithProgram(main);
}

TEST(SecretsInMemory, OnlyTheKeywordEditsAndTheGuardedClipboardHoldThem) {
    std::vector<Instance> instances;
    for (const SecretsCase& c : kCases) {
        instances.push_back(Instance{&c, std::make_unique<AppProcess>(), nullptr, nullptr, {}});
    }
    for (Instance& instance : instances) {
        instance.main = instance.app->WaitForMainWindow();
        ASSERT_NE(instance.main, nullptr) << instance.c->name;
        const PasswordVector& vector = VectorNamed(instance.c->vector);
        // Everything but the keywords, which are typed.
        PasswordVector settings = vector;
        settings.keyword1.clear();
        settings.keyword2.clear();
        EnterVector(instance.main, settings);
        TypeKeywords(instance.main, vector);
        // The copies that the keyword edits hold of their own text, and any
        // that a short keyword finds by chance in the program's data.
        instance.beforeGeneration = FindSecrets(*instance.app, vector);
        ASSERT_GE(instance.beforeGeneration.keyword1[0].size(), 1u) << "the typing went wrong";
        if (instance.c->ending == Ending::kResultWindowRefused) {
            instance.refusal = std::make_unique<ResultWindowRefusal>(instance.main);
            ASSERT_TRUE(instance.refusal->Active());
        }
        PostMessageW(GetDlgItem(instance.main, kGenerate), BM_CLICK, 0, 0);
    }
    for (Instance& instance : instances) {
        SCOPED_TRACE(instance.c->name);
        EndCase(instance);
        HANDLE process = instance.app->ProcessHandle();
        const SecretCopies after = FindSecrets(*instance.app, VectorNamed(instance.c->vector));
        const SecretCopies& before = instance.beforeGeneration;
        // While the guard is armed the password is in two places by design:
        // the guard's own copy, and the clipboard's block, which under Wine
        // stays in the memory of the program that put it there.
        const std::size_t onClipboard = instance.c->ending == Ending::kCopied ? 2 : 0;
        EXPECT_LE(after.password[0].size(), onClipboard)
            << "password, UTF-16: " << DescribeCopies(process, after.password[0]);
        EXPECT_EQ(after.password[1].size(), 0u)
            << "password, UTF-8: " << DescribeCopies(process, after.password[1]);
        EXPECT_EQ(after.password[2].size(), 0u)
            << "password, quoted: " << DescribeCopies(process, after.password[2]);
        const struct {
            const char* name;
            const std::vector<std::uintptr_t>& before;
            const std::vector<std::uintptr_t>& after;
        } keywords[] = {{"keyword 1, UTF-16", before.keyword1[0], after.keyword1[0]},
                        {"keyword 1, UTF-8", before.keyword1[1], after.keyword1[1]},
                        {"keyword 2, UTF-16", before.keyword2[0], after.keyword2[0]},
                        {"keyword 2, UTF-8", before.keyword2[1], after.keyword2[1]}};
        for (const auto& keyword : keywords) {
            EXPECT_LE(keyword.after.size(), keyword.before.size())
                << keyword.name << " before: " << DescribeCopies(process, keyword.before)
                << "; after: " << DescribeCopies(process, keyword.after);
        }
    }
}

TEST(SecretsInMemory, SelectingAWordInAKeywordLeavesNoCopy) {
    AppProcess app;
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    const PasswordVector& vector = VectorNamed("default");
    TypeKeywords(main, vector);
    SyncWithProgram(main);
    const SecretCopies before = FindSecrets(app, vector);

    // What a double-click on the first word sends, after its first click.
    HWND keyword1 = GetDlgItem(main, kKeyword1);
    PostMessageW(keyword1, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
    PostMessageW(keyword1, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    SyncWithProgram(main);
    // Start and end of the selection, packed: the keyword is short.
    const auto selection = static_cast<DWORD>(SendMessageW(keyword1, EM_GETSEL, 0, 0));
    EXPECT_LT(LOWORD(selection), HIWORD(selection))
        << "no word was selected, so no line was broken";

    const SecretCopies after = FindSecrets(app, vector);
    HANDLE process = app.ProcessHandle();
    for (int form : {0, 1}) {
        EXPECT_LE(after.keyword1[form].size(), before.keyword1[form].size())
            << (form == 0 ? "UTF-16" : "UTF-8")
            << " before: " << DescribeCopies(process, before.keyword1[form])
            << "; after: " << DescribeCopies(process, after.keyword1[form]);
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(app.WaitForExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
