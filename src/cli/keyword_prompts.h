// Asking for the keywords at a terminal or console, one hidden prompt at a
// time: keyword 1 (twice when it is to be confirmed), then keyword 2 unless
// it was given as an argument.
#pragma once

#include <string>

#include "cli/keyword_input.h"

// Where the prompts are shown and the typed lines read, and where the
// messages between prompts go; the console in the program, a script in tests.
struct KeywordPrompter {
    // Shows the prompt and reads one typed line as UTF-8.
    LineStatus (*readLine)(void* context, const char* prompt, Bytes& line) = nullptr;
    // One message line for the user while the prompts go on.
    void (*tell)(void* context, const std::string& message) = nullptr;
    void* context = nullptr;
};

struct PromptChoices {
    bool askKeyword2 = true;  // false: keyword 2 came as an argument
    bool confirm = false;     // keyword 1 typed twice, and the two must agree
};

// A line with a control character (an arrow key, say) is asked for again;
// after this many such lines in a row the program gives up.
constexpr int kTypingTries = 3;

// Fills the pair's typed keywords and checks the whole pair. On failure
// false, with the message in `error`; `error` stays empty when the user ended
// the input at an empty prompt.
bool AskForKeywords(const KeywordPrompter& prompter, const PromptChoices& choices,
                    KeywordPair& keywords, std::string& error);

// "Keyword 1 holds a control character, ...": the stem of the notice that
// asks again and of the final refusal.
std::string ControlCharacterText(int keywordNumber, bool finalTry);

extern const char kEntriesDifferText[];
