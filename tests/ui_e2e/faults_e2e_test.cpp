// The real program over a stand-in bcrypt.dll that fails chosen CNG calls
// (fault_injection.h): providers that cannot be opened at start-up, the
// failure box of a generation, and the click that comes while that box is
// open.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "console_process.h"
#include "fault_injection.h"
#include "probe_hook.h"
#include "program_driver.h"

namespace {

constexpr wchar_t kStartupFailureText[] =
    L"Failed to initialize cryptographic providers.\nThe application cannot start.";
constexpr wchar_t kGenerationFailureText[] =
    L"Cryptographic operation failed.\nPassword generation aborted.";

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

// Everything a generation reads from the main window.
struct Inputs {
    std::wstring keyword1, keyword2, allowed;
    LRESULT length;
    bool numbers, uppercase, lowercase, symbols;
};

Inputs ReadInputs(HWND main) {
    return Inputs{WindowText(GetDlgItem(main, kKeyword1)),
                  WindowText(GetDlgItem(main, kKeyword2)),
                  WindowText(GetDlgItem(main, kAllowed)),
                  SendMessageW(GetDlgItem(main, kLength), TBM_GETPOS, 0, 0),
                  IsChecked(main, kNumbers),
                  IsChecked(main, kUppercase),
                  IsChecked(main, kLowercase),
                  IsChecked(main, kSymbols)};
}

void ExpectSameInputs(const Inputs& after, const Inputs& before) {
    EXPECT_EQ(after.keyword1, before.keyword1);
    EXPECT_EQ(after.keyword2, before.keyword2);
    EXPECT_EQ(after.allowed, before.allowed);
    EXPECT_EQ(after.length, before.length);
    EXPECT_EQ(after.numbers, before.numbers);
    EXPECT_EQ(after.uppercase, before.uppercase);
    EXPECT_EQ(after.lowercase, before.lowercase);
    EXPECT_EQ(after.symbols, before.symbols);
}

// The box of a failed start-up or generation: no owner, the application
// title, the error icon.
void ExpectErrorBox(HWND box, const wchar_t* text) {
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(WindowText(box), kAppTitle);
    EXPECT_EQ(MessageBoxText(box), text);
    EXPECT_EQ(ProbeWindow(box)[L"icon"], L"error");
}

// A bcrypt.dll that cannot be loaded; the hash provider; then the HMAC
// provider, with the hash provider already open.
const char* const kStartupFaults[] = {"load:1", "open:1", "open:2"};

TEST(CryptoFaults, ProvidersThatCannotBeOpenedEndTheProgramWithCodeOne) {
    for (const char* faults : kStartupFaults) {
        SCOPED_TRACE(faults);
        FaultPlan plan(faults);
        AppProcess app(plan);
        ASSERT_TRUE(app.Started());
        HWND box = app.WaitForTopLevel(L"#32770", 20000);
        ExpectErrorBox(box, kStartupFailureText);
        EXPECT_EQ(app.FindTopLevel(kMainClass), nullptr);
        ASSERT_TRUE(CloseMessageBox(box));
        DWORD exitCode = 0;
        ASSERT_TRUE(app.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, 1u);
        EXPECT_EQ(app.FindTopLevel(kMainClass), nullptr);
    }
}

// The command-line program opens the providers before it reads a keyword:
// its input stays open and empty, as for a user who has not typed yet, and it
// still ends at once.
TEST(CryptoFaults, TheCommandLineProgramFailsBeforeAskingForKeywords) {
    for (const char* faults : kStartupFaults) {
        SCOPED_TRACE(faults);
        FaultPlan plan(faults);
        std::wstring environment = plan.Environment();
        const ConsoleRun run = RunConsoleProgram(CliFaultCopyPath(), "", true, &environment[0],
                                                 20000);
        ASSERT_TRUE(run.exited) << "the program waited for keywords";
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.output, "");
        // Standard error is in text mode, as for every Windows console program.
        EXPECT_EQ(run.errors, "tarnwell-cli: Failed to initialize cryptographic providers.\r\n");
    }
}

// One generation of the vector below (length 20, 592 bytes of material)
// calls, in this order: digest-create 1, hashdata 1, finish 1 (the salt);
// pbkdf2 1; then 20 HMACs (the extract and 19 expand blocks), each
// hmac-create, hashdata, finish. A failure does not stop the pipeline: the
// later calls still come, with empty input.
struct GenerationFault {
    const char* faults;
    const char* what;
};

const GenerationFault kGenerationFaults[] = {
    {"digest-create:1", "the salt's digest cannot be created"},
    {"hmac-create:1", "the extract HMAC cannot be created"},
    {"hashdata:1", "the salt's data cannot be hashed"},
    {"finish:1", "the salt's digest cannot be finished"},
    {"pbkdf2:1", "PBKDF2 fails"},
    // The very last call: the material is full-length, only the report says
    // it is wrong.
    {"finish:21", "the last expand block cannot be finished"},
    {"digest-create:1 pbkdf2:1", "two primitives fail in one generation"},
    {"hashdata:2 finish:3", "two calls of one HMAC fail"},
    {"hmac-create:*", "every HMAC of the generation fails"},
};

// Every fault, each followed by a generation without faults in the same
// process: the failure box comes once per faulty generation, and a
// generation after it gives the right password.
TEST(CryptoFaults, EachFailedGenerationShowsOneBoxAndTheNextOneSucceeds) {
    FaultPlan plan;
    AppProcess app(plan);
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    const PasswordVector& vector = VectorNamed("uppercase-digits");
    EnterVector(main, vector);
    const std::wstring clipboardBefore = L"on the clipboard before the generation";

    for (const GenerationFault& fault : kGenerationFaults) {
        SCOPED_TRACE(testing::Message() << fault.faults << " (" << fault.what << ")");
        ASSERT_TRUE(PutTextOnClipboard(clipboardBefore));
        const Inputs before = ReadInputs(main);
        ASSERT_TRUE(plan.Set(fault.faults));
        PostMessageW(GetDlgItem(main, kGenerate), BM_CLICK, 0, 0);
        HWND box = app.WaitForTopLevel(L"#32770", 60000);
        ExpectErrorBox(box, kGenerationFailureText);
        ASSERT_TRUE(CloseMessageBox(box));
        // Back from the generation: a second box would hold the thread here.
        SyncWithProgram(main);
        EXPECT_EQ(CountMessageBoxes(app), 0) << "a second failure in one generation showed a box";
        EXPECT_EQ(app.FindTopLevel(kResultClass), nullptr) << "a failed generation showed a result";
        EXPECT_TRUE(IsWindowEnabled(main));
        ExpectSameInputs(ReadInputs(main), before);
        bool hasText = false;
        EXPECT_EQ(ReadClipboardText(&hasText), clipboardBefore);

        ASSERT_TRUE(plan.Clear());
        HWND result = GenerateAndWaitForResult(app, 60000);
        ASSERT_NE(result, nullptr) << "no result after the failed generation";
        EXPECT_EQ(app.FindMessageBox(), nullptr);
        EXPECT_EQ(WindowText(GetDlgItem(result, kResultEdit)), VectorPassword(vector));
        PostMessageW(result, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result); }, 10000));
        SyncWithProgram(main);
    }
}

TEST(CryptoFaults, AClickWhileTheFailureBoxIsOpenStartsNoNestedGeneration) {
    // The PBKDF2 call fails and shows the box; the first HMAC, after the box,
    // fails silently.
    FaultPlan plan("pbkdf2:1 hmac-create:1");
    AppProcess app(plan);
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EnterVector(main, VectorNamed("default"));
    PostMessageW(GetDlgItem(main, kGenerate), BM_CLICK, 0, 0);
    HWND box = app.WaitForTopLevel(L"#32770", 60000);
    ExpectErrorBox(box, kGenerationFailureText);
    EXPECT_TRUE(IsWindowEnabled(main)) << "the box has no owner; the main window stays usable";

    // A second click while the box is open. A nested generation would use up
    // the planned HMAC failure and show a second box, or open a result window.
    PostMessageW(GetDlgItem(main, kGenerate), BM_CLICK, 0, 0);
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
    ASSERT_TRUE(plan.Clear());
    HWND result = GenerateAndWaitForResult(app);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(result, kResultEdit)), VectorPassword(VectorNamed("default")));
}

}  // namespace
