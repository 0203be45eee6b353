#include "cli/keyword_prompts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Typed lines served one per prompt, and a record of the dialogue: every
// prompt shown and every message told in between.
struct ScriptedTyping {
    std::vector<std::pair<LineStatus, std::string>> lines;
    std::size_t next = 0;
    std::vector<std::string> dialogue;
};

LineStatus ReadTyped(void* context, const char* prompt, Bytes& line) {
    auto& typing = *static_cast<ScriptedTyping*>(context);
    typing.dialogue.push_back(prompt);
    SecureWipeContents(line);
    line.clear();
    if (typing.next == typing.lines.size()) return LineStatus::EndOfInput;
    const auto& typed = typing.lines[typing.next++];
    line.assign(typed.second.begin(), typed.second.end());
    return typed.first;
}

void Tell(void* context, const std::string& message) {
    static_cast<ScriptedTyping*>(context)->dialogue.push_back("told: " + message);
}

struct Outcome {
    bool ok;
    std::string keyword1, keyword2, error;
    std::vector<std::string> dialogue;
};

Outcome Ask(const std::vector<std::string>& typed, PromptChoices choices,
            LineStatus last = LineStatus::Ok) {
    ScriptedTyping typing;
    for (const std::string& line : typed) typing.lines.emplace_back(LineStatus::Ok, line);
    if (last != LineStatus::Ok) typing.lines.emplace_back(last, "");
    KeywordPrompter prompter;
    prompter.readLine = ReadTyped;
    prompter.tell = Tell;
    prompter.context = &typing;
    KeywordPair keywords;
    if (!choices.askKeyword2) keywords.keyword2 = {'s', 'i', 't', 'e'};
    Outcome outcome;
    outcome.ok = AskForKeywords(prompter, choices, keywords, outcome.error);
    outcome.keyword1.assign(keywords.keyword1.begin(), keywords.keyword1.end());
    outcome.keyword2.assign(keywords.keyword2.begin(), keywords.keyword2.end());
    outcome.dialogue = typing.dialogue;
    EXPECT_EQ(typing.next, typing.lines.size()) << "a typed line was never asked for";
    return outcome;
}

const std::string kArrowAgain =
    "told: Keyword 1 holds a control character, perhaps from an arrow or Delete key; only "
    "Backspace edits at this prompt. Type it again.";

TEST(KeywordPromptsTest, PromptsAndTheirOrder) {
    struct Case {
        const char* name;
        PromptChoices choices;
        std::vector<std::string> typed;
        std::vector<std::string> dialogue;
        std::string keyword2;
    };
    const Case cases[] = {
        {"both keywords", {true, false}, {"alpha", "beta"}, {"Keyword 1: ", "Keyword 2: "}, "beta"},
        {"keyword 2 as an argument", {false, false}, {"alpha"}, {"Keyword 1: "}, "site"},
        {"confirmed", {true, true}, {"alpha", "alpha", "beta"},
         {"Keyword 1: ", "Keyword 1 again: ", "Keyword 2: "}, "beta"},
        {"confirmed, keyword 2 as an argument", {false, true}, {"alpha", "alpha"},
         {"Keyword 1: ", "Keyword 1 again: "}, "site"},
        {"an arrow key, then typed again", {true, false}, {"alp\x1b[Dha", "alpha", "beta"},
         {"Keyword 1: ", kArrowAgain, "Keyword 1: ", "Keyword 2: "}, "beta"},
        {"two tries at the confirmation", {false, true}, {"alpha", "alph\x7f", "alpha"},
         {"Keyword 1: ", "Keyword 1 again: ", kArrowAgain, "Keyword 1 again: "}, "site"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = Ask(c.typed, c.choices);
        EXPECT_TRUE(outcome.ok) << c.name << ": " << outcome.error;
        EXPECT_EQ(outcome.keyword1, "alpha") << c.name;
        EXPECT_EQ(outcome.keyword2, c.keyword2) << c.name;
        EXPECT_EQ(outcome.dialogue, c.dialogue) << c.name;
    }
}

TEST(KeywordPromptsTest, Refusals) {
    const std::string control2 =
        "Keyword 2 holds a control character, perhaps from an arrow or Delete key; only "
        "Backspace edits at this prompt. Nothing was generated after 3 tries.";
    struct Case {
        const char* name;
        PromptChoices choices;
        std::vector<std::string> typed;
        LineStatus last;
        std::string error;
        std::size_t prompts;
    };
    const Case cases[] = {
        {"entries differ", {true, true}, {"alpha", "alpah"}, LineStatus::Ok, kEntriesDifferText, 2},
        {"an entry cut short", {false, true}, {"alpha", "alph"}, LineStatus::Ok,
         kEntriesDifferText, 2},
        {"three control lines", {true, false}, {"alpha", "\x1b[A", "b\tc", "\x1b[3~"},
         LineStatus::Ok, control2, 4},
        {"the terminal's line limit", {true, false}, {"alpha"}, LineStatus::TerminalLimit,
         LineStatusText(LineStatus::TerminalLimit, 2, true), 2},
        {"a read error at the confirmation", {true, true}, {"alpha"}, LineStatus::ReadError,
         "Could not read the keywords from the terminal.", 2},
        // The user left: no message at all.
        {"end of input at keyword 2", {true, false}, {"alpha"}, LineStatus::EndOfInput, "", 2},
        {"end of input at the confirmation", {true, true}, {"alpha"}, LineStatus::EndOfInput, "",
         2},
        // Typed keywords meet the keyword rules as piped ones do.
        {"not UTF-8", {true, false}, {"caf\xe9", "beta"}, LineStatus::Ok,
         KeywordFaultText(KeywordFault::NotUtf8, 1), 2},
        {"empty keyword 2", {true, false}, {"alpha", ""}, LineStatus::Ok, kKeywordsRequiredText,
         2},
    };
    for (const Case& c : cases) {
        const Outcome outcome = Ask(c.typed, c.choices, c.last);
        EXPECT_FALSE(outcome.ok) << c.name;
        EXPECT_EQ(outcome.error, c.error) << c.name;
        std::size_t prompts = 0;
        for (const std::string& step : outcome.dialogue) prompts += step.rfind("told: ", 0) != 0;
        EXPECT_EQ(prompts, c.prompts) << c.name;
    }
}

}  // namespace
