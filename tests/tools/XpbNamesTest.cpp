// Host names for archive element names.
#include "tools/XpbNames.h"

#include <gtest/gtest.h>

namespace {

TEST(XpbNamesTest, NamesThatStepOrSplitBecomePlainNames)
{
    EXPECT_EQ(SafeHostName("photo.jpg"), "photo.jpg");
    EXPECT_EQ(SafeHostName(".."), "_..");
    EXPECT_EQ(SafeHostName("."), "_.");
    EXPECT_EQ(SafeHostName(""), "_");
    EXPECT_EQ(SafeHostName("..."), "_...");
    EXPECT_EQ(SafeHostName("..\\..\\etc"), "..-..-etc");
    EXPECT_EQ(SafeHostName("a/b:c"), "a-b-c");
    EXPECT_EQ(SafeHostName(std::string("a\0b\nc", 5)), "a-b-c");
    EXPECT_EQ(SafeHostName(".hidden"), ".hidden");
}

} // namespace

#include "tools/ToolPaths.h"
#include "tests/support/NTestPrefix.h"

namespace {

// Messages name files by their Linux paths, whatever form the storage layer reported.
TEST(ToolPathsTest, DisplayNamesAndHostPathsBecomeLinuxPaths)
{
    NTestPrefix prefix;
    EXPECT_EQ(ToolLinuxName("Z:\\tmp:work:seg:s3_4.Qip"), "/tmp/work/seg/s3_4.Qip");
    EXPECT_EQ(ToolLinuxName("Z:\\tmp\\work\\a.xpb"), "/tmp/work/a.xpb");
    EXPECT_EQ(ToolLinuxName("C:\\x.xpb"), (prefix.DriveC() / "x.xpb").string());
    EXPECT_EQ(ToolLinuxName("memfile"), "memfile");
    EXPECT_EQ(ToolFileError(NFileException(kFileHostFailure, "Z:\\tmp:full.Qip", 28)),
              "/tmp/full.Qip: No space left on device");
}

} // namespace
