#include <gtest/gtest.h>

#include "cli/cli_options.h"

namespace {

TEST(CliOptionsTest, AcceptedOptions) {
    struct Case {
        std::vector<std::string> arguments;
        std::int32_t length;
        bool numbers, uppercase, lowercase;
        std::string symbols;
    };
    const Case cases[] = {
        {{}, 12, true, true, true, "!@#$%*-_"},
        {{"--length", "5"}, 5, true, true, true, "!@#$%*-_"},
        {{"--length=128"}, 128, true, true, true, "!@#$%*-_"},
        {{"--no-numbers", "--no-uppercase"}, 12, false, false, true, "!@#$%*-_"},
        {{"--no-lowercase", "--no-symbols"}, 12, true, true, false, ""},
        // Filtered like the Allowed field: letters, digits, spaces, repeats
        // and bytes outside ASCII go.
        {{"--symbols", "aa!!b  #\xc3\xa9@"}, 12, true, true, true, "!#@"},
        {{"--symbols=-"}, 12, true, true, true, "-"},
        {{"--symbols", "--"}, 12, true, true, true, "-"},
        {{"--symbols", "abc"}, 12, true, true, true, ""},
        {{"--symbols="}, 12, true, true, true, ""},
    };
    for (const Case& c : cases) {
        const CliParseResult result = ParseCliOptions(c.arguments);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.options.length, c.length);
        EXPECT_EQ(result.options.numbers, c.numbers);
        EXPECT_EQ(result.options.uppercase, c.uppercase);
        EXPECT_EQ(result.options.lowercase, c.lowercase);
        EXPECT_EQ(result.options.symbols, c.symbols);
    }
}

TEST(CliOptionsTest, UsageErrorsSayWhatIsWrongInOneLine) {
    struct Case {
        std::vector<std::string> arguments;
        std::string errorPart;
    };
    const Case cases[] = {
        {{"--length", "4"}, "5 to 128"},
        {{"--length", "129"}, "5 to 128"},
        {{"--length", "12abc"}, "5 to 128"},
        {{"--length", "+12"}, "5 to 128"},
        {{"--length", "-5"}, "5 to 128"},
        {{"--length", "99999999999"}, "5 to 128"},
        {{"--length="}, "5 to 128"},
        {{"--length"}, "needs a value"},
        {{"--symbols"}, "needs a value"},
        {{"--no-numbers=yes"}, "takes no value"},
        {{"--colour"}, "unknown option"},
        {{"-x"}, "unknown option"},
        {{"my secret keyword"}, "standard input"},
        {{"--no-uppercase", "--no-lowercase"}, "one letter case"},
        {{"--symbols", "!", "--no-symbols"}, "exclude each other"},
        // Typed control characters are not repeated into the message.
        {{"--length", "1\n2\x1b[2J"}, "not '1?2?[2J'"},
        {{"--bad\noption"}, "unknown option '--bad?option'"},
        {{std::string("--") + std::string(100, 'x')}, "xxx...'"},
    };
    for (const Case& c : cases) {
        const CliParseResult result = ParseCliOptions(c.arguments);
        EXPECT_FALSE(result.ok) << c.arguments[0];
        EXPECT_NE(result.error.find(c.errorPart), std::string::npos) << result.error;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
        // A stray argument may be a keyword: it is never repeated back.
        EXPECT_EQ(result.error.find("my secret"), std::string::npos);
    }
}

TEST(CliOptionsTest, HelpAndVersion) {
    EXPECT_TRUE(ParseCliOptions({"--help"}).options.showHelp);
    EXPECT_TRUE(ParseCliOptions({"-h"}).options.showHelp);
    EXPECT_TRUE(ParseCliOptions({"--version"}).options.showVersion);
}

}  // namespace
