// Ctrl+C, Ctrl+Break and the console's close button on Windows, which reach
// the program on a thread that Windows starts for them. Written once for
// the two places that must act first: a prompt puts the console's echo
// back, and the --copy wait takes the password off the clipboard.
#pragma once

#include <windows.h>

// While an object lives, every console event calls `onEvent` on that
// thread; it returns true when it has handled the event (the program then
// ends in its own time), false to let Windows end the program at once. One
// at a time.
class ConsoleControl {
public:
    explicit ConsoleControl(bool (*onEvent)(DWORD event));
    ~ConsoleControl();
    ConsoleControl(const ConsoleControl&) = delete;
    ConsoleControl& operator=(const ConsoleControl&) = delete;

    bool Installed() const { return installed_; }

private:
    bool installed_ = false;
};
