#include "cli/copy_countdown.h"

void ShowSecondsLeft(CopyCountdown& countdown, int seconds) {
    if (seconds == countdown.shown) return;
    countdown.shown = seconds;
    std::string line =
        "Copied to the clipboard; it will be cleared in " + std::to_string(seconds) + " s.";
    if (!countdown.inPlace) {
        if (seconds == kGuardSeconds || seconds % 10 == 0) {
            countdown.write(countdown.context, line + "\n");
        }
        return;
    }
    // A shorter line (9 s after 10 s) blanks what is left of the longer one.
    const std::size_t width = line.size();
    if (line.size() < countdown.width) line.append(countdown.width - line.size(), ' ');
    countdown.width = width;
    countdown.write(countdown.context, "\r" + line);
}

void EndCountdown(CopyCountdown& countdown, const char* outcome) {
    std::string text = countdown.inPlace && countdown.shown >= 0 ? "\n" : "";
    if (outcome != nullptr) text += std::string(outcome) + "\n";
    if (!text.empty()) countdown.write(countdown.context, text);
    countdown.inPlace = false;  // the line is finished
    countdown.shown = -1;
}

CopyCountdown CountdownOn(const TerminalOutput& output) {
    CopyCountdown countdown;
    countdown.write = [](void* context, const std::string& text) {
        static_cast<const TerminalOutput*>(context)->Write(text);
    };
    countdown.context = const_cast<TerminalOutput*>(&output);
    countdown.inPlace = output.IsTerminal();
    return countdown;
}
