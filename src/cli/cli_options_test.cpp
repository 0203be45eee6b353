#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "derivation/keyword_rules.h"

namespace {

TEST(CliOptionsTest, AcceptedOptions) {
    struct Case {
        std::vector<std::u16string> arguments;
        std::int32_t length;
        bool numbers, uppercase, lowercase;
        std::string symbols;
    };
    const Case cases[] = {
        {{}, 12, true, true, true, "!@#$%*-_"},
        {{u"--length", u"5"}, 5, true, true, true, "!@#$%*-_"},
        {{u"--length=128"}, 128, true, true, true, "!@#$%*-_"},
        {{u"--no-numbers", u"--no-uppercase"}, 12, false, false, true, "!@#$%*-_"},
        {{u"--no-lowercase", u"--no-symbols"}, 12, true, true, false, ""},
        // Filtered like the Allowed field: letters, digits, spaces, repeats
        // and bytes outside ASCII go.
        {{u"--symbols", u"aa!!b  #\u00e9@"}, 12, true, true, true, "!#@"},
        // Characters outside ASCII are dropped, never mapped to a look-alike
        // or to '?': full-width '!', a check mark, a double exclamation mark.
        {{u"--symbols", u"\uff01#"}, 12, true, true, true, "#"},
        {{u"--symbols", u"\u2713!"}, 12, true, true, true, "!"},
        {{u"--symbols", u"\u203c#"}, 12, true, true, true, "#"},
        {{u"--symbols=\u00e8!\u00e9"}, 12, true, true, true, "!"},
        {{u"--symbols=-"}, 12, true, true, true, "-"},
        {{u"--symbols", u"--"}, 12, true, true, true, "-"},
        {{u"--symbols", u"abc"}, 12, true, true, true, ""},
        {{u"--symbols="}, 12, true, true, true, ""},
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
        std::vector<std::u16string> arguments;
        std::string errorPart;
    };
    const Case cases[] = {
        {{u"--length", u"4"}, "5 to 128"},
        {{u"--length", u"129"}, "5 to 128"},
        {{u"--length", u"12abc"}, "5 to 128"},
        {{u"--length", u"+12"}, "5 to 128"},
        {{u"--length", u"-5"}, "5 to 128"},
        // Only ASCII digits: full-width and Arabic-Indic twelve are refused.
        {{u"--length", u"\uff11\uff12"}, "not '\xef\xbc\x91\xef\xbc\x92'"},
        {{u"--length", u"\u0661\u0662"}, "5 to 128"},
        {{u"--length", u"99999999999"}, "5 to 128"},
        {{u"--length="}, "5 to 128"},
        {{u"--length"}, "needs a value"},
        {{u"--symbols"}, "needs a value"},
        {{u"--no-numbers=yes"}, "takes no value"},
        {{u"--colour"}, "unknown option"},
        {{u"-x"}, "unknown option"},
        {{u"my secret keyword"}, "standard input"},
        {{u"--no-uppercase", u"--no-lowercase"}, "one letter case"},
        {{u"--symbols", u"!", u"--no-symbols"}, "exclude each other"},
        // Typed control characters are not repeated into the message.
        {{u"--length", u"1\n2\x1b[2J"}, "not '1?2?[2J'"},
        {{u"--bad\noption"}, "unknown option '--bad?option'"},
        // Nor characters that reorder or break the line, or C1 controls.
        {{u"--\u202eoops\u2028\u0085"}, "unknown option '--?oops?" "?'"},
        // Cut short, but never inside a surrogate pair.
        {{u"--" + std::u16string(37, u'x') + u"\U0001F511"}, "xxx...'"},
        {{std::u16string(u"--") + std::u16string(100, u'x')}, "xxx...'"},
    };
    for (const Case& c : cases) {
        const CliParseResult result = ParseCliOptions(c.arguments);
        EXPECT_FALSE(result.ok) << c.errorPart;
        EXPECT_NE(result.error.find(c.errorPart), std::string::npos) << result.error;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
        EXPECT_TRUE(IsValidUtf8(Bytes(result.error.begin(), result.error.end()))) << result.error;
        // A stray argument may be a keyword: it is never repeated back.
        EXPECT_EQ(result.error.find("my secret"), std::string::npos);
    }
}

TEST(CliOptionsTest, SymbolsThatFilterToNothingAreSaidSo) {
    // The window gives the same password for an Allowed field of letters
    // only, so it is accepted; but the user hears of it.
    const CliParseResult result = ParseCliOptions({u"--symbols", u"\u2713abc"});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.options.symbols, "");
    EXPECT_NE(result.notice.find("'\xe2\x9c\x93" "abc' holds no ASCII punctuation"),
              std::string::npos)
        << result.notice;
    EXPECT_EQ(ParseCliOptions({u"--symbols", u"#"}).notice, "");
    EXPECT_EQ(ParseCliOptions({u"--no-symbols"}).notice, "");
}

// Off unless asked for: the password goes to standard output by default.
TEST(CliOptionsTest, CopyIsAskedForByEitherName) {
    struct Case {
        std::vector<std::u16string> arguments;
        bool ok, copy;
    };
    const Case cases[] = {
        {{}, true, false},
        {{u"--copy"}, true, true},
        {{u"-c"}, true, true},
        {{u"--length", u"20", u"-c"}, true, true},
        {{u"--copy=yes"}, false, false},
        {{u"--copy-me"}, false, false},
        {{u"-C"}, false, false},
    };
    for (const Case& c : cases) {
        const CliParseResult result = ParseCliOptions(c.arguments);
        EXPECT_EQ(result.ok, c.ok) << result.error;
        EXPECT_EQ(result.options.copy, c.copy);
    }
    EXPECT_EQ(ParseCliOptions({u"--length", u"20", u"-c"}).options.length, 20);
}

TEST(CliOptionsTest, HelpAndVersion) {
    EXPECT_TRUE(ParseCliOptions({u"--help"}).options.showHelp);
    EXPECT_TRUE(ParseCliOptions({u"-h"}).options.showHelp);
    EXPECT_TRUE(ParseCliOptions({u"--version"}).options.showVersion);
}

// The help states the range and the defaults the options really have.
TEST(CliOptionsTest, HelpStatesTheRangeAndTheDefaults) {
    const std::string usage = CliUsage();
    for (const char* line :
         {"  --length N       password length, 5 to 128 in ASCII digits (default 12)\n",
          "  --symbols SET    allowed symbols; only ASCII punctuation is kept (default "
          "\"!@#$%*-_\")\n"}) {
        EXPECT_NE(usage.find(line), std::string::npos) << line;
    }
}

}  // namespace
