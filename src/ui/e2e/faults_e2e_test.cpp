// The program on a crypto layer that fails on demand: the start-up failure,
// the failure box of a generation, and the click that comes while that box
// is open.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "probe_hook.h"
#include "program_driver.h"

namespace {

int CountMessageBoxes(const AppProcess& app) {
    struct Search {
        DWORD processId;
        int count;
    } search{app.ProcessId(), 0};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId && ClassNameOf(window) == L"#32770" && IsWindowVisible(window)) {
                ++s->count;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

TEST(CryptoFaults, ProvidersThatCannotBeOpenedEndTheProgramWithCodeOne) {
    AppProcess app(L"open");
    ASSERT_TRUE(app.Started());
    HWND box = app.WaitForTopLevel(L"#32770", 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(WindowText(box), kAppTitle);
    EXPECT_EQ(MessageBoxText(box),
              L"Failed to initialize cryptographic providers.\nThe application cannot start.");
    EXPECT_EQ(ProbeWindow(box)[L"icon"], L"error");
    EXPECT_EQ(app.FindTopLevel(kMainClass), nullptr);
    ASSERT_TRUE(CloseMessageBox(box));
    DWORD exitCode = 0;
    ASSERT_TRUE(app.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 1u);
    EXPECT_EQ(app.FindTopLevel(kMainClass), nullptr);
}

TEST(CryptoFaults, FailedGenerationShowsOneBoxAndAClickMeanwhileStartsNothing) {
    // The first PBKDF2 call fails and shows the box; the first HMAC call,
    // after the box, fails silently.
    AppProcess app(L"pbkdf2:1,hmac:1");
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EnterVector(main, VectorNamed("default"));
    PostMessageW(GetDlgItem(main, kGenerate), BM_CLICK, 0, 0);
    HWND box = app.WaitForTopLevel(L"#32770", 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(WindowText(box), kAppTitle);
    EXPECT_EQ(MessageBoxText(box), L"Cryptographic operation failed.\nPassword generation aborted.");
    EXPECT_EQ(ProbeWindow(box)[L"icon"], L"error");
    EXPECT_TRUE(IsWindowEnabled(main)) << "the box has no owner; the main window stays usable";

    // A second click while the box is open. A nested generation would use up
    // the planned HMAC failure and show a second box, or open a result window.
    PostMessageW(GetDlgItem(main, kGenerate), BM_CLICK, 0, 0);
    SyncWithProgram(main);
    Sleep(1000);
    SyncWithProgram(main);
    EXPECT_EQ(CountMessageBoxes(app), 1);
    EXPECT_EQ(app.FindTopLevel(kResultClass), nullptr);

    ASSERT_TRUE(CloseMessageBox(box));
    SyncWithProgram(main);
    EXPECT_EQ(CountMessageBoxes(app), 0) << "a second failure in one generation showed a box";
    EXPECT_EQ(app.FindTopLevel(kResultClass), nullptr) << "a failed generation showed a result";
    EXPECT_EQ(WindowText(GetDlgItem(main, kKeyword1)), L"correct horse");

    // The next generation arms the report again and, with no fault left,
    // gives the real password.
    HWND result = GenerateAndWaitForResult(app);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(result, kResultEdit)), VectorPassword(VectorNamed("default")));
}

}  // namespace
