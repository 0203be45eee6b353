#include "terminal/console_control.h"

namespace {

bool (*volatile g_onEvent)(DWORD event) = nullptr;

BOOL WINAPI OnControl(DWORD event) {
    bool (*const onEvent)(DWORD) = g_onEvent;
    return onEvent != nullptr && onEvent(event) ? TRUE : FALSE;
}

}  // namespace

ConsoleControl::ConsoleControl(bool (*onEvent)(DWORD event)) {
    g_onEvent = onEvent;
    installed_ = SetConsoleCtrlHandler(OnControl, TRUE) != FALSE;
}

ConsoleControl::~ConsoleControl() {
    if (installed_) SetConsoleCtrlHandler(OnControl, FALSE);
    g_onEvent = nullptr;
}
