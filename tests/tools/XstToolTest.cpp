// Tests of the xst tool and its text form: escapes, code page conversion, errors naming the
// line, and exact round trips through compile and dump.
#include "tools/XstText.h"

#include "framework/NStringTable.h"
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestNoise.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class XstToolTest : public ::testing::Test {
protected:
    int Xst(const std::string& arguments, std::string& output) const
    {
        return NRunCommand(std::string(LUMORA_XST) + " " + arguments, output);
    }

    std::string At(const std::string& relative) const { return "'" + (fPrefix.Root() / relative).string() + "'"; }

    NTestPrefix fPrefix;
};

TEST_F(XstToolTest, ParseHandlesEscapesCommentsAndCodePage)
{
    std::vector<XstText::Entry> entries;
    std::string error;
    ASSERT_TRUE(XstText::Parse("# header\r\n\n1\tA\\nB\\tC\\\\D\\r\n-3\t\n7\tCaf\xC3\xA9 \xE2\x82\xAC\n8\tLatin \xE9\n",
                               entries, error))
        << error;
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], XstText::Entry(1, "A\nB\tC\\D\r"));
    EXPECT_EQ(entries[1], XstText::Entry(-3, ""));
    EXPECT_EQ(entries[2], XstText::Entry(7, "Caf\xE9 \x80"));
    // A line that is not UTF-8 is taken as Windows-1252 already.
    EXPECT_EQ(entries[3], XstText::Entry(8, "Latin \xE9"));

    struct {
        const char* fSource;
        const char* fMessage;
    } const bad[] = {
        {"1\tok\n2\t\xE4\xB8\xAD\n", "line 2: the character U+4E2D"},
        {"1\tok\nno tab here\n", "line 2: expected an id"},
        {"x1\ttext\n", "line 1: the id \"x1\""},
        {"99999999999\ttext\n", "line 1: the id"},
        {"1\tbad \\q escape\n", "line 1: unknown escape"},
        {"1\ttrailing \\", "line 1: unknown escape"},
    };
    for (const auto& c : bad) {
        EXPECT_FALSE(XstText::Parse(c.fSource, entries, error)) << c.fSource;
        EXPECT_NE(error.find(c.fMessage), std::string::npos) << error;
    }
}

TEST_F(XstToolTest, EveryByteRoundTripsThroughFormatAndParse)
{
    std::vector<XstText::Entry> entries;
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    entries.emplace_back(0, all);
    entries.emplace_back(2147483647, std::string("zero\0byte", 9));
    entries.emplace_back(-2147483647 - 1, "");
    std::vector<XstText::Entry> back;
    std::string error;
    ASSERT_TRUE(XstText::Parse(XstText::Format(entries), back, error)) << error;
    EXPECT_EQ(back, entries);
}

TEST_F(XstToolTest, CompiledTableLoadsAndDumpsBackExactly)
{
    NTestPrefix::WriteFile(fPrefix.Root() / "eng.txt", "# English\n100\tHello\n125\tCancel\\n(now)\n7\tCaf\xC3\xA9\n");
    std::string output;
    ASSERT_EQ(Xst("compile " + At("eng.txt") + " " + At("eng.xst"), output), 0) << output;
    NFileSpec table;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost((fPrefix.Root() / "eng.xst").string()), table));
    ASSERT_TRUE(NStringTable::The().Load(table, false));
    EXPECT_EQ(NStringTable::The().GetString(125), "Cancel\n(now)");
    EXPECT_EQ(NStringTable::The().GetString(7), "Caf\xE9");
    NStringTable::The().Clear();

    std::string dump;
    ASSERT_EQ(Xst("dump " + At("eng.xst"), dump), 0);
    EXPECT_EQ(dump, "100\tHello\n125\tCancel\\n(now)\n7\tCaf\xC3\xA9\n");
    NTestPrefix::WriteFile(fPrefix.Root() / "again.txt", dump);
    output.clear();
    ASSERT_EQ(Xst("compile " + At("again.txt") + " " + At("again.xst"), output), 0) << output;
    EXPECT_EQ(NTestPrefix::ReadFile(fPrefix.Root() / "again.xst"), NTestPrefix::ReadFile(fPrefix.Root() / "eng.xst"));

    NTestPrefix::WriteFile(fPrefix.Root() / "bad.txt", "1\tfine\n2\t\xE2\x98\x83\n");
    output.clear();
    EXPECT_EQ(Xst("compile " + At("bad.txt") + " " + At("bad.xst"), output), 1);
    EXPECT_NE(output.find("line 2"), std::string::npos) << output;
    output.clear();
    EXPECT_EQ(Xst("frobnicate", output), 2);
}

TEST_F(XstToolTest, DumpRefusesWhatIsNoStringTableOrIsCut)
{
    std::string random = NTestNoise(2000, 3);
    NTestPrefix::WriteFile(fPrefix.Root() / "random.xst", random);
    std::string output;
    EXPECT_EQ(Xst("dump " + At("random.xst"), output), 1);
    EXPECT_NE(output.find("random.xst: not a string table"), std::string::npos) << output;

    NTestPrefix::WriteFile(fPrefix.Root() / "eng.txt", "1\tOne\n2\tTwo two two\n3\tThree\n");
    ASSERT_EQ(Xst("compile " + At("eng.txt") + " " + At("eng.xst"), output), 0);
    std::string table = NTestPrefix::ReadFile(fPrefix.Root() / "eng.xst");
    NTestPrefix::WriteFile(fPrefix.Root() / "cut.xst", table.substr(0, table.size() - 8));
    output.clear();
    EXPECT_EQ(Xst("dump " + At("cut.xst"), output), 1);
    EXPECT_NE(output.find("cut.xst: damaged"), std::string::npos) << output;
    // The program's loader stays lenient: it takes the texts that are there.
    NFileSpec cut;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost((fPrefix.Root() / "cut.xst").string()), cut));
    NStringTable::The().Load(cut, false);
    EXPECT_EQ(NStringTable::The().GetString(1), "One");
    NStringTable::The().Clear();

    output.clear();
    EXPECT_EQ(NRunCommand("(" + std::string(LUMORA_XST) + " dump --help 2>/dev/null)", output), 0);
    EXPECT_EQ(output.find("usage: xst"), 0u);
}

} // namespace
