// The clipboard guard when the program quits with it armed: by its menu,
// its close box or the end of the session, with its own text, someone
// else's, or a clipboard another program holds.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "clipboard_access.h"
#include "program_driver.h"
#include "queue_sync.h"

namespace {

// Quitting while the guard is armed runs its check at once. Under Wine a
// program's own clipboard data goes with its process, so the test first takes
// the clipboard over with the same text: after that, only the program's
// check can remove it. Someone else's text survives the same quit. A
// clipboard that another program holds all the while is tried for three
// seconds, and then the program ends all the same, leaving the password: the
// one case the guard cannot cover.
enum class Quit { kFileExit, kCloseBox, kEndSession };

struct QuitCase {
    const char* name;
    const char* vector;
    Quit quit;
    bool samePassword;  // else someone else's text is on the clipboard
    bool heldBusy;      // another program holds the clipboard across the quit
};

const QuitCase kQuitCases[] = {
    {"File > Exit", "default", Quit::kFileExit, true, false},
    {"the close box", "swapped", Quit::kCloseBox, true, false},
    {"Windows ends the session", "boundary-moved", Quit::kEndSession, true, false},
    {"File > Exit, someone else's text", "spaces-kept", Quit::kFileExit, false, false},
    {"File > Exit, clipboard held by another program", "shortest", Quit::kFileExit, true, true},
};
constexpr ULONGLONG kExitTryMs = 3000;

// Ends the program as the case says; Windows ends a process soon after
// WM_ENDSESSION without destroying its windows, so the clipboard is judged
// before the test closes it.
void QuitAsTheCaseSays(AppProcess& app, Quit quit) {
    HWND main = app.MainWindow();
    DWORD_PTR answer = 0;
    switch (quit) {
        case Quit::kFileExit:
            PostMessageW(main, WM_COMMAND, MAKEWPARAM(kMenuExit, 0), 0);
            break;
        case Quit::kCloseBox:
            PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Quit::kEndSession:
            SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                                &answer);
            EXPECT_NE(answer, 0u) << "the program refused to let the session end";
            SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                                &answer);
            return;
    }
    DWORD exitCode = 99;
    EXPECT_TRUE(app.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST(ClipboardGuard, QuittingWithTheGuardArmedClearsOnlyItsOwnText) {
    std::vector<std::unique_ptr<AppProcess>> apps;
    for (const QuitCase& c : kQuitCases) {
        apps.push_back(std::make_unique<AppProcess>());
        HWND main = apps.back()->WaitForMainWindow();
        ASSERT_NE(main, nullptr) << c.name;
        EnterVector(main, VectorNamed(c.vector));
        PostMessageW(GetDlgItem(main, kGenerate), BM_CLICK, 0, 0);
    }
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const QuitCase& c = kQuitCases[i];
        SCOPED_TRACE(c.name);
        AppProcess& app = *apps[i];
        HWND result = app.WaitForTopLevel(kResultClass, 60000);
        ASSERT_NE(result, nullptr);
        const std::wstring password = VectorPassword(VectorNamed(c.vector));
        ASSERT_NE(CopyAndWaitForClipboard(result, password), 0u);
        SyncWithProgram(app.MainWindow());
        const std::wstring otherText = L"copied by someone else";
        ASSERT_TRUE(PutTextOnClipboard(c.samePassword ? password : otherText));

        std::unique_ptr<ClipboardHolder> holder(c.heldBusy ? new ClipboardHolder : nullptr);
        if (holder) {
            ASSERT_TRUE(holder->IsOpen());
        }
        const ULONGLONG quitAt = GetTickCount64();
        QuitAsTheCaseSays(app, c.quit);
        const ULONGLONG quitTook = GetTickCount64() - quitAt;
        bool hasText = false;
        if (holder) {
            EXPECT_GE(quitTook, kExitTryMs - 500) << "the program did not wait for the clipboard";
            EXPECT_LE(quitTook, kExitTryMs + 5000) << "the program did not end in time";
            holder->Release();
            EXPECT_EQ(ReadClipboardText(&hasText), password);
            continue;
        }
        const std::wstring left = ReadClipboardText(&hasText);
        if (c.samePassword) {
            EXPECT_FALSE(hasText) << "the password is still on the clipboard";
            EXPECT_EQ(CountClipboardFormats(), 0);
        } else {
            EXPECT_EQ(left, otherText) << "someone else's text was removed";
        }
    }
}

}  // namespace
