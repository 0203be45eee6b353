// tarnwell-cli: the command-line companion of Tarnwell Password Generator.
// Same keywords and settings, same password, on Linux and on Windows.
#include <cstdio>
#include <new>
#include <utility>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/clipboard.h"
#include "cli/console.h"
#include "cli/keyword_input.h"
#include "cli/program.h"
#include "derivation/generation_request.h"
#include "derivation/password_generator.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr char kVersion[] = "tarnwell-cli " TARNWELL_VERSION;

bool ReadKeywords(KeywordPair& keywords, std::string& error) {
    if (!StandardInputIsTerminal()) {
        LineReader reader;
        reader.source = ReadStandardInput;
        return ReadKeywordsFromLines(reader, keywords, error);
    }
    const char* prompts[] = {"Keyword 1: ", "Keyword 2: "};
    Bytes* targets[] = {&keywords.keyword1, &keywords.keyword2};
    for (int k = 0; k < 2; ++k) {
        const LineStatus status = ReadHiddenKeyword(prompts[k], *targets[k]);
        // Ctrl+D (Ctrl+Z on Windows) at an empty prompt: the user is leaving,
        // with no message; `error` stays empty.
        if (status != LineStatus::Ok) {
            error = LineStatusText(status, k + 1, true);
            return false;
        }
    }
    return CheckKeywords(keywords, error);
}

// Keywords in, password out; the keywords are wiped when this returns, so
// that none stays in memory while --copy waits. Empty when the keywords
// were refused (the message is already out) or a cryptographic call failed.
Bytes DerivePassword(const CliOptions& options) {
    KeywordPair keywords;
    std::string error;
    if (!ReadKeywords(keywords, error)) {
        if (!error.empty()) WriteErrorLine(error);
        return {};
    }
    ArmCryptoFailureReport();
    Bytes password = GeneratePassword(keywords.keyword1, keywords.keyword2, options.length,
                                      options.symbols, options.numbers, options.uppercase,
                                      options.lowercase);
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
        std::fprintf(stderr, "%s\n", kCryptoStartFailureText);
        return kExitFailure;
    }
    ClipboardHandle clipboard;
    if (options.copy) {
        std::string error;
        clipboard = ConnectClipboard(error);
        if (!clipboard) {
            WriteErrorLine("tarnwell-cli: " + error);
            return kExitFailure;
        }
    }
    const double bits = EstimateEntropyBits(options.length, options.numbers, options.uppercase,
                                            options.lowercase, options.symbols);
    Bytes password = DerivePassword(options);
    CloseCryptoProviders();
    if (password.empty()) return kExitFailure;
    if (clipboard) {
        std::fprintf(stderr, "%s\n", StrengthHeading(bits).c_str());
        const GuardedCopyResult copied = CopyAndGuard(*clipboard, std::move(password));
        if (!copied.error.empty()) WriteErrorLine("tarnwell-cli: " + copied.error);
        return copied.exitCode;
    }
    // Written apart from the newline: appending it could move the buffer
    // and leave an unwiped copy of the password behind.
    static const std::uint8_t kNewline = '\n';
    const bool written = WriteStandardOutput(password.data(), password.size()) &&
                         WriteStandardOutput(&kNewline, 1);
    SecureWipeContents(password);
    if (!written) {
        std::fprintf(stderr, "Could not write the password to standard output.\n");
        return kExitFailure;
    }
    std::fprintf(stderr, "%s\n", StrengthHeading(bits).c_str());
    return 0;
}

}  // namespace

int RunProgram(const std::vector<std::u16string>& arguments) {
    // Not caught anywhere else: a failed allocation ends the program with a
    // message, and the keyword holders wipe themselves on the way out.
    try {
        const CliParseResult parsed = ParseCliOptions(arguments);
        if (!parsed.ok) {
            WriteErrorLine("tarnwell-cli: " + parsed.error + " (see tarnwell-cli --help)");
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
        if (!parsed.notice.empty()) WriteErrorLine("tarnwell-cli: " + parsed.notice);
        return Run(parsed.options);
    } catch (const std::bad_alloc&) {
        std::fputs("tarnwell-cli: out of memory; close other programs and try again.\n", stderr);
        return kExitFailure;
    }
}
