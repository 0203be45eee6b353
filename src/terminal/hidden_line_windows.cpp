#include "terminal/hidden_line.h"

#include <windows.h>

#include <string>

#include "derivation/keyword_rules.h"
#include "derivation/utf8.h"
#include "terminal/console_control.h"
#include "terminal/terminal_output.h"

namespace {

// The console mode to put back, also from the Ctrl+C handler's thread.
struct ConsoleRestore {
    HANDLE input = nullptr;
    DWORD savedMode = 0;
    volatile LONG active = 0;
};

ConsoleRestore g_console;

void RestoreConsole() {
    if (InterlockedExchange(&g_console.active, 0) != 0) {
        SetConsoleMode(g_console.input, g_console.savedMode);
    }
}

bool RestoreOnControlEvent(DWORD) {
    RestoreConsole();
    return false;  // let the default handler end the process
}

// Room for the longest keyword, the "\r\n" and one unit more. Windows 10's
// console host drops without a word whatever a line holds beyond the
// buffer it is given, so a line that fills this one is longer than any
// keyword and is refused; nothing shorter can have been cut.
constexpr std::size_t kConsoleLineUnits = kMaxKeywordUnits + 3;

// One line from the console in line mode, without its line ending.
LineStatus ReadConsoleLine(HANDLE input, std::u16string& typed) {
    std::u16string line(kConsoleLineUnits, u'\0');
    std::size_t filled = 0;
    std::size_t lineEnd = std::u16string::npos;
    LineStatus status = LineStatus::Ok;
    while (lineEnd == std::u16string::npos) {
        if (filled == line.size()) {
            status = LineStatus::TooLong;
            break;
        }
        DWORD count = 0;
        static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is 16-bit");
        if (!ReadConsoleW(input, reinterpret_cast<wchar_t*>(&line[filled]),
                          static_cast<DWORD>(line.size() - filled), &count, nullptr)) {
            status = LineStatus::ReadError;
            break;
        }
        if (count == 0) {
            if (filled == 0) status = LineStatus::EndOfInput;
            lineEnd = filled;
            break;
        }
        lineEnd = line.find(u'\n', filled);
        filled += count;
        if (lineEnd >= filled) lineEnd = std::u16string::npos;
    }
    if (status == LineStatus::Ok) {
        std::size_t end = lineEnd;
        if (end > 0 && line[end - 1] == u'\r') --end;
        typed.assign(line, 0, end);
    }
    SecureWipeContents(line);
    return status;
}

}  // namespace

LineStatus ReadHiddenLine(const char* prompt, Bytes& line) {
    g_console.input = GetStdHandle(STD_INPUT_HANDLE);
    if (!GetConsoleMode(g_console.input, &g_console.savedMode)) return LineStatus::ReadError;
    // The prompts go to the console itself (terminal_output.h).
    const TerminalOutput output;
    const ConsoleControl control(RestoreOnControlEvent);
    InterlockedExchange(&g_console.active, 1);
    SetConsoleMode(g_console.input, (g_console.savedMode & ~ENABLE_ECHO_INPUT) |
                                        ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    // Echo is off before the prompt shows.
    output.Write(prompt);

    // The console hands over UTF-16; it becomes UTF-8 exactly as the Windows
    // program converts the keyword edits. Reserved once, so that no copy is
    // left behind by a reallocation.
    std::u16string typed;
    typed.reserve(kConsoleLineUnits);
    LineStatus status = ReadConsoleLine(g_console.input, typed);
    // Ctrl+Z then Enter is the console's end-of-input key: it arrives as a
    // line holding U+001A alone, and at an empty prompt ends the program
    // just as Ctrl+D does on a terminal. Anywhere else in a line it is a
    // control character, which the prompts refuse.
    if (status == LineStatus::Ok && typed == u"\x1a") status = LineStatus::EndOfInput;

    RestoreConsole();
    output.Write("\n");

    SecureWipeContents(line);
    line.clear();
    if (status == LineStatus::Ok) line = ToUtf8(typed);
    SecureWipeContents(typed);
    return status;
}
