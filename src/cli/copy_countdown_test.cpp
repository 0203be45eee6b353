#include <gtest/gtest.h>

#include "cli/copy_countdown.h"

namespace {

void Append(void* context, const std::string& text) {
    *static_cast<std::string*>(context) += text;
}

// Each second as the wait shows it, in place and as plain lines.
TEST(CopyCountdownTest, InPlaceOrEveryTenSeconds) {
    struct Case {
        bool inPlace;
        std::string expected;
    };
    const Case cases[] = {
        {true,
         "\rCopied to the clipboard; it will be cleared in 30 s."
         "\rCopied to the clipboard; it will be cleared in 21 s."
         "\rCopied to the clipboard; it will be cleared in 10 s."
         "\rCopied to the clipboard; it will be cleared in 9 s. "  // the 0 of 10 blanked
         "\rCopied to the clipboard; it will be cleared in 1 s."
         "\nThe password was removed from the clipboard.\n"},
        {false,
         "Copied to the clipboard; it will be cleared in 30 s.\n"
         "Copied to the clipboard; it will be cleared in 10 s.\n"
         "The password was removed from the clipboard.\n"},
    };
    for (const Case& c : cases) {
        std::string shown;
        CopyCountdown countdown{Append, &shown, c.inPlace};
        for (int seconds : {30, 30, 21, 10, 9, 1}) ShowSecondsLeft(countdown, seconds);
        EndCountdown(countdown, kRemovedText);
        EXPECT_EQ(shown, c.expected);
    }
}

TEST(CopyCountdownTest, AStopFinishesTheLineWithoutSayingMore) {
    std::string shown;
    CopyCountdown countdown{Append, &shown, true};
    ShowSecondsLeft(countdown, 30);
    EndCountdown(countdown, nullptr);
    EndCountdown(countdown, kStoppedText);  // after `fg`: a line of its own
    EXPECT_EQ(shown,
              "\rCopied to the clipboard; it will be cleared in 30 s.\n" +
                  std::string(kStoppedText) + "\n");
}

}  // namespace
