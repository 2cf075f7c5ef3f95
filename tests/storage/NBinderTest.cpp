// Binder archives: creating, opening through the trailer, reading elements, adding, sealing.
#include "storage/NBinder.h"

#include "storage/NBinderCopyFilter.h"
#include "storage/NBinderRegistry.h"
#include "storage/NCrc32.h"
#include "storage/NFileException.h"
#include "storage/NStreamMem.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class NBinderTest : public ::testing::Test {
protected:
    NBinderTest()
        : fRoot(NFDriveSpec())
        , fMount(NFDriveSpec(), "Binder:")
    {
        fs::create_directories(fPrefix.DriveC() / "src");
    }

    fs::path OnC(const std::string& relative) const { return fPrefix.DriveC() / relative; }
    NFileSpec File(const std::string& name) const { return NFileSpec(fRoot, name); }
    NFileSpec InMount(const std::string& name) const { return NFileSpec(fMount, name); }

    NFileSpec Source(const std::string& name, const std::string& bytes) const
    {
        NTestPrefix::WriteFile(OnC("src/" + name), bytes);
        return File("src:" + name);
    }

    // A closed binder at `name` holding the given elements (paths below the mount).
    void MakeBinder(const std::string& name, std::initializer_list<std::pair<std::string, std::string>> elements,
                    int32_t application = 2)
    {
        NBinder binder;
        ASSERT_TRUE(binder.Create(File(name), fMount, application, 0));
        int n = 0;
        for (const auto& [path, bytes] : elements)
            binder.Add(InMount(path), Source("e" + std::to_string(n++), bytes), static_cast<int64_t>(bytes.size()));
        EXPECT_TRUE(binder.Close());
    }

    std::string ReadElement(const std::string& path) const
    {
        NStream in = InMount(path).Open(NStreamMode::kRead, true);
        std::string text(static_cast<size_t>(in.GetLength()), '\0');
        in.ReadFully(static_cast<int32_t>(text.size()), text.data());
        return text;
    }

    NTestPrefix fPrefix;
    NFDirSpec fRoot;
    NFDirSpec fMount;
};

TEST_F(NBinderTest, EmptyBinderHasHeaderCompressedDirectoryAndTrailer)
{
    MakeBinder("empty.xpb", {});
    std::string bytes = NTestPrefix::ReadFile(OnC("empty.xpb"));
    const std::string header("\0\0\0\x18XPB!\0\0\0\x03\0\0\0\x02----\0\0\0\0", 24);
    // The directory is a count of 0 compressed: a literal, a reference back over the
    // zero-filled window, the end marker and padding; then the trailer.
    ASSERT_EQ(bytes.size(), 24u + 11u + 8u);
    EXPECT_EQ(bytes.substr(0, 24), header);
    EXPECT_EQ(bytes.substr(24, 11), std::string("\x9F\0\0\x21\0\0\x11\x11\x11\x11\x11", 11));
    EXPECT_EQ(bytes.substr(35), std::string("\xFF\xFF\xFF\xF5\xFF\xFF\xFF\xD9", 8));
}

TEST_F(NBinderTest, ElementsReadBackThroughFileSpecificationsWithoutRegardToCase)
{
    MakeBinder("theme.xpb", { { "Assets:theme.jpg", "JPEGDATA" }, { "Assets:Sub:x.txt", "xx" }, { "top.bin", "T" } });
    NBinder binder;
    EXPECT_EQ(binder.Open(File("theme.xpb"), fMount, NBinderMode::kRead), 2);
    NBinderRegistry::The().Register(&binder);
    EXPECT_EQ(ReadElement("assets:THEME.JPG"), "JPEGDATA");
    EXPECT_EQ(ReadElement("ASSETS:sub:X.TXT"), "xx");
    EXPECT_EQ(ReadElement("top.bin"), "T");
    EXPECT_EQ(NBinderRegistry::The().SizeOf(InMount("Assets:theme.jpg")), 8);
    EXPECT_EQ(NBinderRegistry::The().SizeOf(InMount("Assets:none.jpg")), 0);
    // A folder and a file of one name are told apart.
    EXPECT_FALSE(InMount("Assets").Exists());
    EXPECT_THROW(InMount("assets").Open(NStreamMode::kRead), NFileException);

    NStream element = InMount("top.bin").Open(NStreamMode::kRead);
    EXPECT_EQ(element.ReadByte(), 'T');
    EXPECT_THROW(element.ReadByte(), NFileException);
    try {
        element.WriteByte(1);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileElementWrite);
    }
    // Closing the binder drops the streams it served.
    EXPECT_TRUE(binder.Close());
    try {
        element.Seek(0);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileNotOpen);
    }
    NBinderRegistry::The().Unregister(&binder);
}

TEST_F(NBinderTest, AppendedBindersOpenByIndexWithOffsetsFromTheirStart)
{
    MakeBinder("first.xpb", { { "a.txt", "first binder" } }, 7);
    MakeBinder("second.xpb", { { "a.txt", "second one" } }, 8);
    std::string combined = "PROGRAM BYTES" + NTestPrefix::ReadFile(OnC("first.xpb")) + NTestPrefix::ReadFile(OnC("second.xpb"));
    NTestPrefix::WriteFile(OnC("setup.exe"), combined);

    NBinder latest;
    EXPECT_EQ(latest.Open(File("setup.exe"), fMount, NBinderMode::kRead, 0), 8);
    NBinder earlier;
    EXPECT_EQ(earlier.Open(File("setup.exe"), NFDirSpec(NFDriveSpec(), "Old:"), NBinderMode::kRead, 1), 7);
    EXPECT_EQ(earlier.Place().fStart, 13);
    NBinderRegistry::The().Register(&latest);
    NBinderRegistry::The().Register(&earlier);
    EXPECT_EQ(ReadElement("a.txt"), "second one");
    NStream old = NFileSpec(NFDirSpec(NFDriveSpec(), "Old:"), "a.txt").Open(NStreamMode::kRead);
    std::string text(12, '\0');
    old.ReadFully(12, text.data());
    EXPECT_EQ(text, "first binder");
    NBinder none;
    EXPECT_EQ(none.Open(File("setup.exe"), fMount, NBinderMode::kRead, 2), -1);
    NBinderRegistry::The().Unregister(&latest);
    NBinderRegistry::The().Unregister(&earlier);
}

TEST_F(NBinderTest, AlternativeFormWithAbsoluteDirectoryPositionOpens)
{
    MakeBinder("plain.xpb", { { "x.txt", "xyz" } });
    std::string bytes = NTestPrefix::ReadFile(OnC("plain.xpb"));
    // Replace the relative trailer by the absolute directory position alone.
    int32_t directory = static_cast<int32_t>(bytes.size() - 8) + static_cast<int32_t>(
        (uint8_t(bytes[bytes.size() - 8]) << 24) | (uint8_t(bytes[bytes.size() - 7]) << 16)
        | (uint8_t(bytes[bytes.size() - 6]) << 8) | uint8_t(bytes[bytes.size() - 5]));
    bytes.resize(bytes.size() - 8);
    bytes += std::string { char(directory >> 24), char(directory >> 16), char(directory >> 8), char(directory) };
    NTestPrefix::WriteFile(OnC("alt.xpb"), bytes);
    NBinder binder;
    EXPECT_EQ(binder.Open(File("alt.xpb"), fMount, NBinderMode::kRead), 2);
    int64_t position = 0;
    int32_t size = 0;
    ASSERT_TRUE(binder.Lookup(InMount("x.txt"), position, size));
    EXPECT_EQ(size, 3);
    EXPECT_EQ(position, 24);
}

TEST_F(NBinderTest, UpdateWithNothingAddedLeavesTheFileUnchanged)
{
    MakeBinder("same.xpb", { { "a:b:c.txt", "abc" } });
    std::string before = NTestPrefix::ReadFile(OnC("same.xpb"));
    NBinder binder;
    EXPECT_EQ(binder.Open(File("same.xpb"), fMount, NBinderMode::kUpdate), 2);
    EXPECT_TRUE(binder.Close());
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("same.xpb")), before);
}

TEST_F(NBinderTest, UpdateAddsElementsAndRefusesPresentNamesInAnyCase)
{
    MakeBinder("grow.xpb", { { "Photo:0001.jpg", "one" } });
    {
        NBinder binder;
        ASSERT_EQ(binder.Open(File("grow.xpb"), fMount, NBinderMode::kUpdate), 2);
        binder.Add(InMount("Photo:Mixed.JPG"), Source("m", "mixed"), 5);
        for (const char* name : { "Photo:0001.jpg", "photo:MIXED.jpg" }) {
            try {
                binder.Add(InMount(name), Source("n", "new"), 3);
                FAIL() << name;
            } catch (const NFileException& error) {
                EXPECT_EQ(error.Code(), kFileArchiveRefused);
            }
        }
        // Found before the binder is reopened, whatever the case asked for.
        int64_t position = 0;
        int32_t size = 0;
        EXPECT_TRUE(binder.Lookup(InMount("PHOTO:mixed.jpg"), position, size));
        EXPECT_THROW(binder.Add(NFileSpec(NFDirSpec(NFDriveSpec(), "Elsewhere:"), "x"), Source("o", "o"), 1),
                     NFileException);
        EXPECT_TRUE(binder.Close());
    }
    NBinder reopened;
    ASSERT_EQ(reopened.Open(File("grow.xpb"), fMount, NBinderMode::kRead), 2);
    NBinderRegistry::The().Register(&reopened);
    EXPECT_EQ(ReadElement("photo:0001.jpg"), "one");
    EXPECT_EQ(ReadElement("photo:mixed.jpg"), "mixed");
    NBinderRegistry::The().Unregister(&reopened);

    NBinder reader;
    ASSERT_EQ(reader.Open(File("grow.xpb"), fMount, NBinderMode::kRead), 2);
    EXPECT_THROW(reader.Add(InMount("z"), Source("z", "z"), 1), NFileException);
}

TEST_F(NBinderTest, OpenRefusesWhatIsNoBinder)
{
    NBinder binder;
    EXPECT_EQ(binder.Open(File("missing.xpb"), fMount, NBinderMode::kUpdate), -1);
    EXPECT_FALSE(fs::exists(OnC("missing.xpb")));
    NTestPrefix::WriteFile(OnC("empty.xpb"), "");
    EXPECT_EQ(binder.Open(File("empty.xpb"), fMount, NBinderMode::kUpdate), -1);
    NTestPrefix::WriteFile(OnC("text.xpb"), "just some text that is not an archive");
    EXPECT_EQ(binder.Open(File("text.xpb"), fMount, NBinderMode::kRead), -1);
    MakeBinder("ok.xpb", {});
    EXPECT_EQ(binder.Open(File("ok.xpb"), fMount, NBinderMode::kUpdate, 1), -1);
    EXPECT_EQ(binder.Open(File("ok.xpb"), fMount, NBinderMode::kCreated), -1);
    EXPECT_EQ(binder.Open(File("ok.xpb"), fMount, NBinderMode::kRead), 2);
    EXPECT_EQ(binder.Open(File("ok.xpb"), fMount, NBinderMode::kRead), -1);
    NBinder creator;
    EXPECT_FALSE(creator.Create(File("ok.xpb"), fMount, 2, 0));
}

TEST_F(NBinderTest, DamagedDirectoriesFailCleanly)
{
    MakeBinder("good.xpb", { { "a.txt", "aaaa" } });
    std::string good = NTestPrefix::ReadFile(OnC("good.xpb"));
    // A plain (version 2) directory claiming a billion elements.
    std::string huge = good.substr(0, 28) + std::string("\x40\0\0\0", 4);
    huge[11] = 2;
    int32_t back = -4;
    huge += std::string { char(back >> 24), char(back >> 16), char(back >> 8), char(back) };
    int32_t start = -static_cast<int32_t>(huge.size()) + 4 - 4;
    huge += std::string { char(start >> 24), char(start >> 16), char(start >> 8), char(start) };
    NTestPrefix::WriteFile(OnC("huge.xpb"), huge);
    NBinder binder;
    EXPECT_THROW(static_cast<void>(binder.Open(File("huge.xpb"), fMount, NBinderMode::kRead)), NFileException);
    EXPECT_FALSE(binder.IsOpen());
    EXPECT_EQ(binder.Open(File("good.xpb"), fMount, NBinderMode::kRead), 2);
}

TEST_F(NBinderTest, CopyToTakesWhatTheFilterAccepts)
{
    MakeBinder("theme.xpb", { { "Custom:a.txt", "custom" }, { "Keep:b.txt", "keep" }, { "c.txt", "plain" } });
    NBinder source;
    ASSERT_EQ(source.Open(File("theme.xpb"), fMount, NBinderMode::kRead), 2);
    NBinderRegistry::The().Register(&source);

    struct SkipCustom : NBinderCopyFilter {
        bool Accept(bool isFile, const NFDirSpec&, const std::string& name) override
        {
            return isFile || name != "custom";
        }
    } filter;
    NFDirSpec albumMount(NFDriveSpec(), "Album:");
    {
        NBinder album;
        ASSERT_TRUE(album.Create(File("album.qip"), albumMount, 2, 0));
        source.CopyTo(album, &filter);
        EXPECT_TRUE(album.Close());
        NBinder closed;
        EXPECT_THROW(source.CopyTo(closed), NFileException);
    }
    NBinderRegistry::The().Unregister(&source);
    NBinder album;
    ASSERT_EQ(album.Open(File("album.qip"), albumMount, NBinderMode::kRead), 2);
    int64_t position = 0;
    int32_t size = 0;
    EXPECT_TRUE(album.Lookup(NFileSpec(albumMount, "keep:b.txt"), position, size));
    EXPECT_TRUE(album.Lookup(NFileSpec(albumMount, "c.txt"), position, size));
    EXPECT_FALSE(album.Lookup(NFileSpec(albumMount, "custom:a.txt"), position, size));
}

// The sum kept while writing must be the one a full pass over the file gives, also when a
// copy failed halfway and its bytes were written over, and when the directory grew long.
TEST_F(NBinderTest, ChecksumSummedWhileWritingIsTheFileChecksum)
{
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + i / 251);
    NBinder binder;
    ASSERT_TRUE(binder.Create(File("summed.xpb"), fMount, 2, 0));
    binder.Add(InMount("big.bin"), Source("big", big), static_cast<int64_t>(big.size()));
    // The source is shorter than asked for: a block is written, then the copy fails.
    EXPECT_THROW(binder.Add(InMount("cut.bin"), Source("cut", big.substr(0, 200000)), 300000), NFileException);
    for (int i = 0; i < 300; ++i)
        binder.Add(InMount("Many:element-" + std::to_string(i) + ".txt"), Source("m", "x" + std::to_string(i)), 1);
    ASSERT_TRUE(binder.Close());
    ASSERT_TRUE(binder.MadeChecksum().has_value());
    uint32_t computed = 0;
    EXPECT_TRUE(binder.Verify(File("summed.xpb"), 0, &computed));
    EXPECT_EQ(*binder.MadeChecksum(), computed);

    NBinder::Seal(File("summed.xpb"), 0, binder.MadeChecksum());
    EXPECT_TRUE(binder.Verify(File("summed.xpb")));

    // Opened again, nothing was summed: sealing then reads the file.
    ASSERT_EQ(binder.Open(File("summed.xpb"), fMount, NBinderMode::kUpdate), 2);
    binder.Add(InMount("late.txt"), Source("late", "late"), 4);
    ASSERT_TRUE(binder.Close());
    EXPECT_FALSE(binder.MadeChecksum().has_value());
    NBinder::Seal(File("summed.xpb"));
    EXPECT_TRUE(binder.Verify(File("summed.xpb")));
}

TEST_F(NBinderTest, SealStoresTheChecksumThatVerifyChecks)
{
    MakeBinder("seal.xpb", { { "a.txt", "sealed contents" } });
    NBinder binder;
    uint32_t computed = 0;
    EXPECT_TRUE(binder.Verify(File("seal.xpb"), 0, &computed));
    std::string bytes = NTestPrefix::ReadFile(OnC("seal.xpb"));
    NCrc32 crc;
    crc.Update(bytes.data() + 24, bytes.size() - 24);
    EXPECT_EQ(computed, crc.Value());

    NBinder::Seal(File("seal.xpb"));
    std::string sealed = NTestPrefix::ReadFile(OnC("seal.xpb"));
    EXPECT_EQ(sealed.substr(24), bytes.substr(24));
    uint32_t stored = (uint32_t(uint8_t(sealed[20])) << 24) | (uint32_t(uint8_t(sealed[21])) << 16)
        | (uint32_t(uint8_t(sealed[22])) << 8) | uint8_t(sealed[23]);
    EXPECT_EQ(stored, crc.Value());
    EXPECT_TRUE(binder.Verify(File("seal.xpb")));

    sealed[30] ^= 0x40;
    NTestPrefix::WriteFile(OnC("seal.xpb"), sealed);
    EXPECT_FALSE(binder.Verify(File("seal.xpb")));
}

TEST_F(NBinderTest, SealingAnAppendedBinderLeavesTheHostFileBe)
{
    MakeBinder("payload.xpb", { { "a.txt", "payload" } });
    std::string program = "MZ program that must survive";
    NTestPrefix::WriteFile(OnC("setup.exe"), program + NTestPrefix::ReadFile(OnC("payload.xpb")));
    NBinder::Seal(File("setup.exe"));
    std::string after = NTestPrefix::ReadFile(OnC("setup.exe"));
    EXPECT_EQ(after.substr(0, program.size()), program);
    NBinder binder;
    EXPECT_TRUE(binder.Verify(File("setup.exe")));
    EXPECT_NE(after.substr(program.size() + 20, 4), std::string(4, '\0'));
}

TEST_F(NBinderTest, VersionTwoHeaderIsRaisedWhenTheDirectoryIsRewritten)
{
    // An empty plain directory: count 0 and the trailer.
    std::string v2("\0\0\0\x18XPB!\0\0\0\x02\0\0\0\x02----\0\0\0\0\0\0\0\0\xFF\xFF\xFF\xFC\xFF\xFF\xFF\xE0", 36);
    NTestPrefix::WriteFile(OnC("v2.xpb"), v2);
    {
        NBinder binder;
        ASSERT_EQ(binder.Open(File("v2.xpb"), fMount, NBinderMode::kUpdate), 2);
        binder.Add(InMount("new.txt"), Source("n", "new"), 3);
        EXPECT_TRUE(binder.Close());
    }
    NBinder reopened;
    ASSERT_EQ(reopened.Open(File("v2.xpb"), fMount, NBinderMode::kRead), 2);
    EXPECT_EQ(reopened.Place().fHeader.fVersion, NBinderHeader::kCompressedVersion);
    int64_t position = 0;
    int32_t size = 0;
    EXPECT_TRUE(reopened.Lookup(InMount("new.txt"), position, size));
}

TEST_F(NBinderTest, BinderOpensOverAStreamInMemory)
{
    MakeBinder("mem.xpb", { { "a:b.txt", "in memory" } });
    std::string bytes = NTestPrefix::ReadFile(OnC("mem.xpb"));
    NBinder binder;
    EXPECT_EQ(binder.OpenStream(NStream(std::make_unique<NStreamMem>(bytes.data(), bytes.size(), NStreamMode::kRead)), fMount), 2);
    int64_t position = 0;
    int32_t size = 0;
    EXPECT_TRUE(binder.Lookup(InMount("a:b.txt"), position, size));
    EXPECT_EQ(size, 9);
}

} // namespace

namespace {

TEST_F(NBinderTest, VerifyOfAFileThatCannotBeOpenedIsFalse)
{
    MakeBinder("sealed.xpb", { { "a.txt", "aaaa" } });
    NBinder::Seal(File("sealed.xpb"));
    NBinder binder;
    EXPECT_TRUE(binder.Verify(File("sealed.xpb")));
    EXPECT_FALSE(binder.Verify(File("missing.xpb")));
    fs::create_directories(OnC("folder.xpb"));
    EXPECT_FALSE(binder.Verify(File("folder.xpb")));
}

} // namespace
