// tarnwell-cli: the command-line companion of Tarnwell Password Generator.
// Same keywords and settings, same password, on Linux and on Windows.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/keyword_input.h"
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
        if (status == LineStatus::TooLong) {
            error = "Keyword " + std::to_string(k + 1) + " is longer than 1 MiB.";
            return false;
        }
        if (status == LineStatus::ReadError) {
            error = "Could not read the keywords from the terminal.";
            return false;
        }
    }
    return CheckKeywords(keywords, error);
}

int Run(const CliOptions& options) {
    KeywordPair keywords;
    std::string error;
    if (!ReadKeywords(keywords, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitFailure;
    }
    if (!OpenCryptoProviders()) {
        std::fprintf(stderr, "Failed to initialize cryptographic providers.\n");
        return kExitFailure;
    }
    const double bits = EstimateEntropyBits(options.length, options.numbers, options.uppercase,
                                            options.lowercase, options.symbols);
    ArmCryptoFailureReport();
    Bytes password = GeneratePassword(keywords.keyword1, keywords.keyword2, options.length,
                                      options.symbols, options.numbers, options.uppercase,
                                      options.lowercase);
    CloseCryptoProviders();
    // The report has already gone to standard error.
    const bool sound = IsCryptoFailureReportPending() && !password.empty();
    bool written = false;
    if (sound) {
        // Written apart from the newline: appending it could move the buffer
        // and leave an unwiped copy of the password behind.
        static const std::uint8_t kNewline = '\n';
        written = WriteStandardOutput(password.data(), password.size()) &&
                  WriteStandardOutput(&kNewline, 1);
    }
    SecureWipeContents(password);
    if (!sound) return kExitFailure;
    if (!written) {
        std::fprintf(stderr, "Could not write the password to standard output.\n");
        return kExitFailure;
    }
    std::fprintf(stderr, "Generated password  (%.0f bits)\n", bits);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const CliParseResult parsed = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok) {
        std::fprintf(stderr, "tarnwell-cli: %s (see tarnwell-cli --help)\n", parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.showHelp) {
        std::fputs(kCliUsage, stdout);
        return 0;
    }
    if (parsed.options.showVersion) {
        std::printf("%s\n", kVersion);
        return 0;
    }
    return Run(parsed.options);
}
