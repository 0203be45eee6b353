// Closing the result window hands the activation straight back to the main
// window. While the main window is still disabled, the system has nowhere
// in the program to go and activates another program's window, which then
// comes to the front over the program or keeps the keyboard from it: Wine
// tells that window's thread by a posted message, which may be handled after
// the program has taken the activation back.
#include <windows.h>

#include <gtest/gtest.h>

#include "app_process.h"
#include "program_driver.h"
#include "queue_sync.h"
#include "wait_until.h"

namespace {

// Each way the result window closes, as the program is told of it.
const struct {
    const char* how;
    UINT message;
    WPARAM wParam;
    int target;  // a control of the result window, or 0 for the window itself
} kCloses[] = {
    {"COPY TO CLIPBOARD", BM_CLICK, 0, kCopy},
    {"the close box", WM_SYSCOMMAND, SC_CLOSE, 0},
    {"WM_CLOSE, as Copy in the password edit closes it", WM_CLOSE, 0, 0},
};

TEST(ResultWindowClose, NoOtherProgramsWindowIsActivatedOnTheWay) {
    // Another program's window, behind the program's.
    AppProcess other;
    HWND otherMain = other.WaitForMainWindow();
    ASSERT_NE(otherMain, nullptr);
    AppProcess app;
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EnterVector(main, VectorNamed("default"));

    for (const auto& close : kCloses) {
        SCOPED_TRACE(close.how);
        ASSERT_TRUE(ActivateAndWait(main, 10000)) << "the main window never became active";
        HWND result = GenerateAndWaitForResult(app, 60000);
        ASSERT_NE(result, nullptr);
        Activations before;
        ASSERT_TRUE(ActivationsOf(main, &before));
        ASSERT_EQ(before.last, result) << "the result window is not the active one";
        Activations otherBefore;
        ASSERT_TRUE(ActivationsOf(otherMain, &otherBefore));

        PostMessageW(close.target ? GetDlgItem(result, close.target) : result, close.message,
                     close.wParam, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result); }, 10000))
            << "the result window stayed open";
        ASSERT_TRUE(WaitUntil(
            [&] {
                Activations now;
                return ActivationsOf(main, &now) && now.count > before.count &&
                       now.last == main;
            },
            10000))
            << "the main window never became active again";
        // Whatever the other program was told, posted or sent, it has
        // handled once this returns.
        SyncWithProgram(otherMain);
        SyncWithProgram(main);
        Activations otherAfter;
        ASSERT_TRUE(ActivationsOf(otherMain, &otherAfter));
        EXPECT_EQ(otherAfter.count, otherBefore.count)
            << "another program's window was activated on the way";
        EXPECT_EQ(GetForegroundWindow(), main);
        EXPECT_TRUE(IsWindowEnabled(main));
    }
}

}  // namespace
