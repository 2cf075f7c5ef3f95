// Tests of command-line splitting and quoting by the host C runtime's rules.
#include "platform/NHostCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Arguments = std::vector<std::string>;

TEST(NHostCommandLineTest, SplitsArgumentsAsTheRuntimeDoes)
{
    const struct {
        const char* fLine;
        Arguments fExpected;
    } cases[] = {
        {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
        {R"(p "ab\"c" "\\" d)", {"p", R"(ab"c)", R"(\)", "d"}},
        {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
        {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
        {R"(p "" "")", {"p", "", ""}},
        {"p \t a\t\tb  ", {"p", "a", "b"}},
        {R"(p "unterminated \" quote)", {"p", R"(unterminated " quote)"}},
        {R"(p C:\Program Files\x.Qip)", {"p", R"(C:\Program)", R"(Files\x.Qip)"}},
        {R"(p trailing\)", {"p", R"(trailing\)"}},
        {"p", {"p"}},
        {"", {""}},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(NHostCommandLine::Split(entry.fLine), entry.fExpected) << entry.fLine;
}

TEST(NHostCommandLineTest, TheProgramNameKeepsBackslashesAndDropsQuotes)
{
    EXPECT_EQ(NHostCommandLine::Split(R"("C:\Program Files\Lumora\Lumora.exe" "C:\a.Qip")"),
              (Arguments {R"(C:\Program Files\Lumora\Lumora.exe)", R"(C:\a.Qip)"}));
    EXPECT_EQ(NHostCommandLine::Split(R"(C:\a"b c"\d.exe -x)"), (Arguments {R"(C:\ab c\d.exe)", "-x"}));
    EXPECT_EQ(NHostCommandLine::Split(R"(C:\dir\\"x)"), (Arguments {R"(C:\dir\\x)"}));
    EXPECT_EQ(NHostCommandLine::SplitArguments(R"(-silent -lang "fra")"), (Arguments {"-silent", "-lang", "fra"}));
    EXPECT_EQ(NHostCommandLine::SplitArguments("   "), Arguments {});
}

TEST(NHostCommandLineTest, QuotedArgumentsSplitBackUnchanged)
{
    Arguments arguments = {"plain", "two words", "", R"(ends\)", R"(ends with blank\ )", R"(say "hi")",
                           R"(\\server\share\)", R"(a\\"b)", "tab\there", R"(C:\Program Files\)"};
    std::string line = "prog " + NHostCommandLine::Join(arguments);
    Arguments expected = {"prog"};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(NHostCommandLine::Split(line), expected) << line;
    EXPECT_EQ(NHostCommandLine::Quote("plain"), "plain");
    EXPECT_EQ(NHostCommandLine::Quote(R"(C:\Program Files\)"), R"("C:\Program Files\\")");
}

TEST(NHostCommandLineTest, ProgramArgumentsBecomeCodePageTextAndGoBackAsUtf8)
{
    // "Fotos_ä", "Strand_é €.jpg": two UTF-8 bytes each for ä and é, three for €.
    const char* argv[] = {"/usr/bin/prog", "Fotos_\xc3\xa4", "Strand_\xc3\xa9 \xe2\x82\xac.jpg", "-silent", "", "\xe4t"};
    Arguments ansi;
    std::string problem;
    ASSERT_TRUE(NHostCommandLine::FromUtf8Arguments(6, argv, ansi, problem)) << problem;
    EXPECT_EQ(ansi, (Arguments {"Fotos_\xe4", "Strand_\xe9 \x80.jpg", "-silent", "", "\xe4t"}));
    // A legacy Latin-1 argument (not UTF-8) passes as it is, and so comes back as UTF-8.
    EXPECT_EQ(NHostCommandLine::ToUtf8Arguments(ansi),
              (Arguments {"Fotos_\xc3\xa4", "Strand_\xc3\xa9 \xe2\x82\xac.jpg", "-silent", "", "\xc3\xa4t"}));
    // The host line made of them splits back into the same host arguments.
    EXPECT_EQ(NHostCommandLine::SplitArguments(NHostCommandLine::Join(ansi)), ansi);
}

TEST(NHostCommandLineTest, AnArgumentOutsideTheCodePageIsNamedWithItsCharacter)
{
    // U+0151 (o with double acute) has no place in Windows-1252.
    const char* argv[] = {"prog", "ok", "Bal\xc5\x91 \xc3\xa4.jpg"};
    Arguments ansi = {"stale"};
    std::string problem;
    EXPECT_FALSE(NHostCommandLine::FromUtf8Arguments(3, argv, ansi, problem));
    EXPECT_TRUE(ansi.empty());
    EXPECT_NE(problem.find("argument 2"), std::string::npos) << problem;
    EXPECT_NE(problem.find("\"Bal\xc5\x91 \xc3\xa4.jpg\""), std::string::npos) << problem;
    EXPECT_NE(problem.find("\"\xc5\x91\""), std::string::npos) << problem;
}

}   // namespace
