// The command-line options: every accepted spelling and what it sets, where
// KEYWORD2 may stand, each usage error in one line with typed text made
// printable, the notice for a --symbols set that filters to nothing, and the
// help with its defaults, range and the clipboard's time.
#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "support/utf8_oracle.h"

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
        EXPECT_EQ(result.options.request.length, c.length);
        EXPECT_EQ(result.options.request.numbers, c.numbers);
        EXPECT_EQ(result.options.request.uppercase, c.uppercase);
        EXPECT_EQ(result.options.request.lowercase, c.lowercase);
        EXPECT_EQ(result.options.request.symbols, c.symbols);
    }
}

// Every spelling of an option, and where KEYWORD2 may stand.
TEST(CliOptionsTest, SpellingsAndKeyword2) {
    struct Case {
        std::vector<std::u16string> arguments;
        std::int32_t length;
        bool quiet, confirm, help, version;
        bool keyword2Given;
        std::u16string keyword2;
        std::string symbols;
    };
    const Case cases[] = {
        {{u"-l", u"20"}, 20, false, false, false, false, false, u"", "!@#$%*-_"},
        {{u"-l20"}, 20, false, false, false, false, false, u"", "!@#$%*-_"},
        {{u"-l005"}, 5, false, false, false, false, false, u"", "!@#$%*-_"},
        {{u"--length=7", u"-l", u"9"}, 9, false, false, false, false, false, u"", "!@#$%*-_"},
        {{u"-q"}, 12, true, false, false, false, false, u"", "!@#$%*-_"},
        {{u"--quiet", u"--confirm"}, 12, true, true, false, false, false, u"", "!@#$%*-_"},
        {{u"-h"}, 12, false, false, true, false, false, u"", "!@#$%*-_"},
        {{u"--help"}, 12, false, false, true, false, false, u"", "!@#$%*-_"},
        {{u"-V"}, 12, false, false, false, true, false, u"", "!@#$%*-_"},
        {{u"--version"}, 12, false, false, false, true, false, u"", "!@#$%*-_"},
        {{u"bank"}, 12, false, false, false, false, true, u"bank", "!@#$%*-_"},
        // As given: spaces, non-ASCII text and a pair are kept unit for unit.
        {{u"bank 2"}, 12, false, false, false, false, true, u"bank 2", "!@#$%*-_"},
        {{u" M\u00fcnchen \U0001F511 "}, 12, false, false, false, false, true,
         u" M\u00fcnchen \U0001F511 ", "!@#$%*-_"},
        // Empty is still given: the program, not the parser, refuses it.
        {{u""}, 12, false, false, false, false, true, u"", "!@#$%*-_"},
        // Options may follow KEYWORD2.
        {{u"bank", u"-l", u"20", u"-q"}, 20, true, false, false, false, true, u"bank", "!@#$%*-_"},
        // After "--" everything is KEYWORD2, even text that looks like an option.
        {{u"--", u"-q"}, 12, false, false, false, false, true, u"-q", "!@#$%*-_"},
        {{u"-q", u"--", u"--"}, 12, true, false, false, false, true, u"--", "!@#$%*-_"},
        {{u"-l", u"6", u"--", u"-"}, 6, false, false, false, false, true, u"-", "!@#$%*-_"},
        // A value is taken as it is, even when it starts with '-'.
        {{u"--symbols", u"-q"}, 12, false, false, false, false, false, u"", "-"},
        {{u"--symbols", u"--", u"x"}, 12, false, false, false, false, true, u"x", "-"},
        // The parser knows no platform: "/?" is the Windows entry point's
        // business, and here an argument like any other.
        {{u"/?"}, 12, false, false, false, false, true, u"/?", "!@#$%*-_"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        const CliParseResult result = ParseCliOptions(c.arguments);
        ASSERT_TRUE(result.ok) << result.error;
        const CliOptions& o = result.options;
        EXPECT_EQ(o.request.length, c.length) << result.error;
        EXPECT_EQ(o.quiet, c.quiet);
        EXPECT_EQ(o.confirm, c.confirm);
        EXPECT_EQ(o.showHelp, c.help);
        EXPECT_EQ(o.showVersion, c.version);
        EXPECT_EQ(o.keyword2Given, c.keyword2Given);
        EXPECT_TRUE(o.request.keyword2 == c.keyword2);
        EXPECT_EQ(o.request.symbols, c.symbols);
    }
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
        {{u"--length", u"20", u"-c", u"bank"}, true, true},
        {{u"--", u"-c"}, true, false},  // keyword 2 "-c"
        {{u"--copy=yes"}, false, false},
        {{u"-cq"}, false, false},
        {{u"--copy-me"}, false, false},
        {{u"-C"}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        const CliParseResult result = ParseCliOptions(c.arguments);
        EXPECT_EQ(result.ok, c.ok) << result.error;
        EXPECT_EQ(result.options.copy, c.copy);
    }
    EXPECT_EQ(ParseCliOptions({u"--length", u"20", u"-c"}).options.request.length, 20);
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
        {{u"--colour"}, "unknown option '--colour'"},
        {{u"--colour=red"}, "unknown option '--colour'"},
        // No abbreviations, no other letter case, no look-alike letters.
        {{u"--len", u"20"}, "unknown option '--len'"},
        {{u"--LENGTH=20"}, "unknown option '--LENGTH'"},
        {{u"-L", u"20"}, "unknown option '-L'"},
        {{u"-\uff4c", u"20"}, "unknown option '-\xef\xbd\x8c'"},
        {{u"-x"}, "unknown option '-x'"},
        {{u"-"}, "unknown option '-'"},
        {{u"--quiet=yes"}, "option '--quiet' takes no value"},
        {{u"--confirm="}, "option '--confirm' takes no value"},
        // Short switches are not combined, nor do they take text after them.
        {{u"-qV"}, "unknown option '-qV'; give short options one at a time"},
        {{u"-q5"}, "unknown option '-q5'; give short options one at a time"},
        {{u"-l"}, "option '-l' needs a value"},
        {{u"-q", u"-l"}, "option '-l' needs a value"},
        {{u"-l4"}, "5 to 128"},
        {{u"-l", u"129"}, "5 to 128"},
        {{u"-l=20"}, "not '=20'"},
        {{u"-l", u" 20"}, "not ' 20'"},
        // A second argument: keyword 1 typed on the command line, or a keyword
        // 2 with a space that lost its quotes.
        {{u"bank", u"my secret"}, "only one argument, KEYWORD2, is taken"},
        {{u"my secret keyword", u"bank"}, "keyword 1 is read from standard input"},
        {{u"--", u"bank", u"my secret"}, "only one argument"},
        {{u"bank", u"--", u"my secret"}, "only one argument"},
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
        std::vector<char32_t> decoded;
        EXPECT_TRUE(DecodeUtf8Strictly(reinterpret_cast<const std::uint8_t*>(result.error.data()),
                                       result.error.size(), decoded))
            << result.error;
        // A stray argument may be a keyword: it is never repeated back.
        EXPECT_EQ(result.error.find("my secret"), std::string::npos);
        EXPECT_EQ(result.error.find("bank"), std::string::npos);
        // The program puts its name in front of every message.
        EXPECT_EQ(result.error.find("tarnwell-cli"), std::string::npos);
    }
}

TEST(CliOptionsTest, SymbolsThatFilterToNothingAreSaidSo) {
    // The window gives the same password for an Allowed field of letters
    // only, so it is accepted; but the user hears of it.
    const CliParseResult result = ParseCliOptions({u"--symbols", u"\u2713abc"});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.options.request.symbols, "");
    EXPECT_NE(result.notice.find("'\xe2\x9c\x93" "abc' holds no ASCII punctuation"),
              std::string::npos)
        << result.notice;
    EXPECT_EQ(ParseCliOptions({u"--symbols", u"#"}).notice, "");
    EXPECT_EQ(ParseCliOptions({u"--no-symbols"}).notice, "");
}

// The help states the synopsis, every spelling, the range and the defaults
// the options really have, and warns about what a process list shows.
TEST(CliOptionsTest, HelpStatesTheOptionsTheRangeAndTheDefaults) {
    const std::string usage = CliUsage();
    EXPECT_EQ(usage.rfind("Usage: tarnwell-cli [options] [KEYWORD2]\n", 0), 0u) << usage;
    for (const char* line : {
             "  -l, --length N      password length, 5 to 128 in ASCII digits (default 12)\n",
             "      --no-numbers    no digits\n",
             "      --no-uppercase  no uppercase letters\n",
             "      --no-lowercase  no lowercase letters (not together with --no-uppercase)\n",
             "      --symbols SET   allowed symbols; only ASCII punctuation is kept (default "
             "\"!@#$%*-_\")\n",
             "      --no-symbols    no symbols\n",
             "  -q, --quiet         leave out the strength estimate\n",
             "      --confirm       at a terminal, ask for keyword 1 twice and go on only if "
             "both agree\n",
             "  -c, --copy          copy to the clipboard for 30 s instead of standard output\n",
             "  -h, --help          show this help\n",
             "  -V, --version       show the version\n",
             "      --              end of the options: what follows is KEYWORD2, even if it "
             "starts with '-'\n",
             "KEYWORD2 shows in the process list and in the shell's history",
             "Keyword 1 is never\ntaken from the command line.\n",
         }) {
        EXPECT_NE(usage.find(line), std::string::npos) << line;
    }
}

}  // namespace
