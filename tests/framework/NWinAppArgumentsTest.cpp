// Tests of how a windowed program receives its Linux command line.
#include "framework/NWinApp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NWinAppArgumentsTest, TheCommandLineIsCodePageTextQuotedToSplitBack)
{
    char program[] = "lumora";
    char folder[] = "C:\\Fotos_\xc3\xa4 \xe2\x82\xac\\";
    char option[] = "-lang";
    char quote[] = "say \"hi\"";
    char* argv[] = {program, folder, option, quote};
    EXPECT_EQ(NWinApp::JoinArguments(4, argv), "\"C:\\Fotos_\xe4 \x80\\\\\" -lang \"say \\\"hi\\\"\"");
}

TEST(NWinAppArgumentsTest, AnArgumentOutsideTheCodePageStopsTheProgramNamingIt)
{
    char program[] = "lumora";
    char fine[] = "caf\xc3\xa9";
    char bad[] = "\xe2\x98\x83.Qip";   // U+2603, a snowman
    char* argv[] = {program, fine, bad};
    EXPECT_EXIT(NWinApp::JoinArguments(3, argv), testing::ExitedWithCode(NWinApp::kBadArgumentsExit),
                "lumora: argument 2 \"\xe2\x98\x83.Qip\" has the character \"\xe2\x98\x83\"");
}

}   // namespace
