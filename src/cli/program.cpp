// tarnwell-cli: the command-line companion of Tarnwell Password Generator.
// Same keywords and settings, same password, on Linux and on Windows.
#include <csignal>
#include <cstdio>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "cli/cli_options.h"
#include "cli/clipboard.h"
#include "cli/console.h"
#include "terminal/hidden_line.h"
#include "cli/keyword_input.h"
#include "cli/keyword_prompts.h"
#include "cli/program.h"
#include "crypto/crypto.h"
#include "derivation/generation_request.h"
#include "derivation/password_generator.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr char kVersion[] = "tarnwell-cli " TARNWELL_VERSION;
constexpr char kMessagePrefix[] = "tarnwell-cli: ";
constexpr char kOutOfMemoryText[] = "out of memory; close other programs and try again.";

// Every message of the program goes out here, on standard error, so that
// each says which program it comes from.
void Tell(const std::string& message) { WriteErrorLine(kMessagePrefix + message); }

void TellCryptoFailure(const char* text) { Tell(text); }

void TellUsageError(const std::string& error) { Tell(error + " (see tarnwell-cli --help)"); }

LineStatus ReadAtPrompt(void*, const char* prompt, Bytes& line) {
    return ReadHiddenLine(prompt, line);
}

void TellAtPrompt(void*, const std::string& message) { Tell(message); }

bool ReadKeywords(const CliOptions& options, KeywordPair& keywords, std::string& error) {
    // Keyword 2 from the command line meets the rules of a typed one.
    if (options.keyword2Given) keywords.keyword2 = KeywordFromArgument(options.request.keyword2);
    if (!StandardInputIsTerminal()) {
        LineReader reader;
        reader.source = ReadStandardInput;
        return ReadKeywordsFromLines(
            reader, options.keyword2Given ? PipedKeywords::Keyword1Only : PipedKeywords::Both,
            keywords, error);
    }
    // At a terminal it is judged before anyone types keyword 1 in vain.
    if (options.keyword2Given) {
        const KeywordFault fault = CheckKeyword(keywords.keyword2);
        if (fault != KeywordFault::None) {
            error = KeywordFaultText(fault, 2);
            return false;
        }
    }
    KeywordPrompter prompter;
    prompter.readLine = ReadAtPrompt;
    prompter.tell = TellAtPrompt;
    PromptChoices choices;
    choices.askKeyword2 = !options.keyword2Given;
    choices.confirm = options.confirm;
    return AskForKeywords(prompter, choices, keywords, error);
}

// Keywords in, password out; the keywords are wiped when this returns, so
// that none stays in memory while --copy waits. Empty when the keywords
// were refused (the message is already out) or a cryptographic call failed.
Bytes DerivePassword(const CliOptions& options) {
    KeywordPair keywords;
    std::string error;
    if (!ReadKeywords(options, keywords, error)) {
        // Empty when the user ended the input at a prompt (Ctrl+D).
        if (!error.empty()) Tell(error);
        return {};
    }
    ArmCryptoFailureReport();
    const GenerationRequest& settings = options.request;
    Bytes password = GeneratePassword(keywords.keyword1, keywords.keyword2, settings.length,
                                      settings.symbols, settings.numbers, settings.uppercase,
                                      settings.lowercase);
    // The report has already gone to standard error.
    if (!IsCryptoFailureReportPending()) {
        SecureWipeContents(password);
        password.clear();
    }
    return password;
}

int Run(const CliOptions& options) {
    // Before the keywords: a missing provider or clipboard fails before
    // anyone types a secret.
    if (!OpenCryptoProviders()) {
        Tell(kCryptoStartFailureText);
        return kExitFailure;
    }
    CopySessionHandle clipboard;
    if (options.copy) {
        std::string error;
        clipboard = ConnectClipboard(error);
        if (!clipboard) {
            Tell(error);
            return kExitFailure;
        }
    }
    const GenerationRequest& settings = options.request;
    const double bits = EstimateEntropyBits(settings.length, settings.numbers, settings.uppercase,
                                            settings.lowercase, settings.symbols);
    Bytes password = DerivePassword(options);
    CloseCryptoProviders();
    if (password.empty()) return kExitFailure;
    if (clipboard) {
        if (!options.quiet) std::fprintf(stderr, "%s\n", StrengthHeading(bits).c_str());
        const GuardedCopyResult copied = CopyAndGuard(*clipboard, std::move(password));
        if (!copied.error.empty()) Tell(copied.error);
        if (copied.endBySignal != 0) std::raise(copied.endBySignal);
        return copied.exitCode;
    }
    // Written apart from the newline: appending it could move the buffer
    // and leave an unwiped copy of the password behind.
    static const std::uint8_t kNewline = '\n';
    const bool written = WriteStandardOutput(password.data(), password.size()) &&
                         WriteStandardOutput(&kNewline, 1);
    SecureWipeContents(password);
    if (!written) {
        Tell("Could not write the password to standard output.");
        return kExitFailure;
    }
    if (!options.quiet) std::fprintf(stderr, "%s\n", StrengthHeading(bits).c_str());
    return 0;
}

}  // namespace

int RunProgram(const std::vector<std::u16string>& arguments) {
    SetCryptoFailurePresenter(TellCryptoFailure);
    // Not caught anywhere else: a failed allocation ends the program with a
    // message, and the keyword holders wipe themselves on the way out.
    try {
        const CliParseResult parsed = ParseCliOptions(arguments);
        if (!parsed.ok) {
            TellUsageError(parsed.error);
            return kExitUsage;
        }
        if (parsed.options.showHelp) {
            std::fputs(CliUsage().c_str(), stdout);
            return 0;
        }
        if (parsed.options.showVersion) {
            std::printf("%s\n", kVersion);
            return 0;
        }
        // A second entry can only be typed: piped input holds keyword 1 once.
        if (parsed.options.confirm && !StandardInputIsTerminal()) {
            TellUsageError("--confirm asks for keyword 1 twice at a terminal, and standard input "
                           "is not one");
            return kExitUsage;
        }
        if (!parsed.notice.empty()) Tell(parsed.notice);
        return Run(parsed.options);
    } catch (const std::bad_alloc&) {
        // Without building a string, which could fail again.
        std::fprintf(stderr, "%s%s\n", kMessagePrefix, kOutOfMemoryText);
        return kExitFailure;
    }
}
