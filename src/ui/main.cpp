// Start-up, message loop and shutdown of the Windows program.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "clipboard/clipboard_guard.h"
#include "crypto/crypto.h"
#include "platform/system_library.h"
#include "ui/app_state.h"
#include "ui/line_break_warmup.h"
#include "ui/main_window.h"
#include "ui/result_window.h"
#include "ui/ui_texts.h"
#include "ui/wide_text.h"

AppState g_app;

namespace {

constexpr DWORD kMainStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kMainClientWidth = 523;
constexpr int kMainClientHeight = 380;

// The crypto layer's failure report: a box with no owner, so it appears
// even in the middle of a generation.
void ShowCryptoFailureBox(const char* text) {
    MessageBoxW(nullptr, Utf8ToWide(text).c_str(), kAppTitle, MB_ICONERROR);
}

// Without the common controls the trackbar is missing, like any control
// whose creation fails.
void RegisterTrackbarClass() {
    const auto initCommonControlsEx = FindFunction<decltype(&InitCommonControlsEx)>(
        LoadSystemLibrary(L"comctl32.dll"), "InitCommonControlsEx");
    if (initCommonControlsEx == nullptr) return;
    INITCOMMONCONTROLSEX commonControls{};
    commonControls.dwSize = sizeof(commonControls);
    commonControls.dwICC = ICC_BAR_CLASSES;
    initCommonControlsEx(&commonControls);
}

void CreateFonts() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        g_app.uiFont = CreateFontIndirectW(&metrics.lfMessageFont);
    }

    HDC screen = GetDC(nullptr);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    g_app.passwordFont = CreateFontW(-MulDiv(12, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                     FALSE, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0,
                                     L"Segoe UI");
}

void RegisterWindowClass(WNDPROC procedure, const wchar_t* name) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = g_app.instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

HWND CreateMainWindow() {
    RECT frame = {0, 0, kMainClientWidth, kMainClientHeight};
    AdjustWindowRectEx(&frame, kMainStyle, TRUE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return CreateWindowExW(0, kMainClassName, kAppTitle, kMainStyle, x, y, width, height,
                           nullptr, nullptr, g_app.instance, nullptr);
}

int RunMessageLoop() {
    MSG message{};
    BOOL result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        // Tab and the other dialog keys act in whichever window is in front.
        HWND dialogTarget = g_app.resultWindow ? g_app.resultWindow : g_app.mainWindow;
        if (!dialogTarget || !IsDialogMessageW(dialogTarget, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // The clipboard check cannot wait for its WM_TIMER while other
        // programs keep posting to us.
        RunClipboardCheckIfDue();
    }
    // -1 means the loop itself failed: there is no quit message to take the
    // exit code from, and ending is better than spinning on the error.
    return result == 0 ? static_cast<int>(message.wParam) : 1;
}

void ReleaseSharedResources() {
    if (g_app.uiFont) DeleteObject(g_app.uiFont);
    if (g_app.passwordFont) DeleteObject(g_app.passwordFont);
    g_app.uiFont = nullptr;
    g_app.passwordFont = nullptr;
    CloseCryptoProviders();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    RestrictLibrarySearchToSystem();
    g_app.instance = instance;
    SetCryptoFailurePresenter(ShowCryptoFailureBox);

    if (!OpenCryptoProviders()) {
        const std::wstring text =
            Utf8ToWide(std::string(kCryptoStartFailureText) + "\nThe application cannot start.");
        MessageBoxW(nullptr, text.c_str(), kAppTitle, MB_ICONERROR);
        return 1;
    }

    RegisterTrackbarClass();
    CreateFonts();
    RegisterWindowClass(MainWindowProc, kMainClassName);
    RegisterWindowClass(ResultWindowProc, kResultClassName);
    BreakHarmlessLineOnce(instance);

    HWND mainWindow = CreateMainWindow();
    if (mainWindow) {
        ShowWindow(mainWindow, showCommand);
        UpdateWindow(mainWindow);
    }

    // Without a main window there is nothing to run: a failed start, not a
    // loop that waits for a quit message that can never come.
    const int exitCode = mainWindow ? RunMessageLoop() : 1;
    ReleaseSharedResources();
    return exitCode;
}
