#include "cli/keyword_prompts.h"

const char kEntriesDifferText[] = "the two entries of keyword 1 differ; nothing was generated.";

std::string ControlCharacterText(int keywordNumber, bool finalTry) {
    return KeywordName(keywordNumber) +
           " holds a control character, perhaps from an arrow or Delete key; only Backspace "
           "edits at this prompt." +
           (finalTry ? " Nothing was generated after " + std::to_string(kTypingTries) + " tries."
                     : std::string(" Type it again."));
}

namespace {

// One prompt, asked again while the typed line holds a control character.
bool AskOnce(const KeywordPrompter& prompter, const char* prompt, int keywordNumber,
             Bytes& keyword, std::string& error) {
    for (int attempt = 1;; ++attempt) {
        const LineStatus status = prompter.readLine(prompter.context, prompt, keyword);
        if (status != LineStatus::Ok) {
            error = LineStatusText(status, keywordNumber, true);
            return false;
        }
        if (!HoldsControlCharacter(keyword)) return true;
        SecureWipeContents(keyword);
        keyword.clear();
        const bool finalTry = attempt == kTypingTries;
        if (finalTry) {
            error = ControlCharacterText(keywordNumber, true);
            return false;
        }
        prompter.tell(prompter.context, ControlCharacterText(keywordNumber, false));
    }
}

}  // namespace

bool AskForKeywords(const KeywordPrompter& prompter, const PromptChoices& choices,
                    KeywordPair& keywords, std::string& error) {
    if (!AskOnce(prompter, "Keyword 1: ", 1, keywords.keyword1, error)) return false;
    if (choices.confirm) {
        WipedLine again;
        if (!AskOnce(prompter, "Keyword 1 again: ", 1, again.bytes, error)) return false;
        if (again.bytes != keywords.keyword1) {
            error = kEntriesDifferText;
            return false;
        }
    }
    if (choices.askKeyword2 && !AskOnce(prompter, "Keyword 2: ", 2, keywords.keyword2, error)) {
        return false;
    }
    return CheckKeywords(keywords, error);
}
