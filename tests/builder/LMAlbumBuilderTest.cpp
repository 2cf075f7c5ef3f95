// Tests of album building through the library's exported functions, loaded as a client loads it.
#include "tests/builder/QipBuildClient.h"

#include "framework/NRegistry.h"
#include "storage/NStreamSegmented.h"
#include "tests/support/NTestEnvironment.h"

#include <fstream>
#include <map>

namespace {

constexpr int32_t kDate = 0x12345678;

class LMAlbumBuilderTest : public ::testing::Test {
protected:
    LMAlbumBuilderTest()
    {
        fEnv.Unset("LUMORA_DIALOG_ANSWER");
        fEnv.Set("LANG", "en_US.UTF-8");
        fEnv.Unset("LC_ALL");
        fEnv.Unset("LC_MESSAGES");
        fLoaded = fQip.Load();
    }

    void SetUp() override { ASSERT_TRUE(fLoaded) << fQip.fLibrary.LastError(); }

    std::filesystem::path Photo(const std::string& name, size_t size = 1000)
    {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 7 + name.size()) & 0xFF);
        std::filesystem::path path = fPrefix.Root() / "photos" / name;
        NTestPrefix::WriteFile(path, bytes);
        return path;
    }

    std::filesystem::path Out(const std::string& name = "a.Qip")
    {
        fPrefix.MakeFolder("out");
        return fPrefix.Root() / "out" / name;
    }

    int32_t CreateNoTheme(const std::filesystem::path& out, int32_t options = 0, int32_t segment = 0)
    {
        return fQip.QLA_CreateAlbum(".lmp", options, Host(out).c_str(), segment);
    }

    std::vector<Chunk> Info(AlbumReader& album, const std::string& element, std::string& type)
    {
        return ParseChunks(album.Read(element), type);
    }

    NTestPrefix fPrefix;
    NTestEnvironment fEnv;
    QipBuildClient fQip;
    bool fLoaded = false;
};

TEST_F(LMAlbumBuilderTest, HandlesRiseFrom200EvenAcrossFailures)
{
    EXPECT_EQ(fQip.QLA_VersionNumber(), 0x19990521);
    EXPECT_EQ(fQip.QLA_GetJpegQuality(), 0);
    fQip.QLA_DebugOutputOn();
    fQip.QLA_DebugOutputOff();

    int32_t first = CreateNoTheme(Out("one.Qip"));
    EXPECT_EQ(first, 200);
    // A second album while one is open changes nothing.
    EXPECT_EQ(CreateNoTheme(Out("two.Qip")), -3);
    EXPECT_FALSE(std::filesystem::exists(Out("two.Qip")));
    EXPECT_EQ(fQip.QLA_AddPhoto(first, Host(Photo("p.jpg")).c_str(), "p", "", "", kDate), 1);
    fQip.QLA_CloseAlbum(first);

    // A theme that is no archive fails after the builder took its handle; so does a theme
    // path that cannot be converted, which leaves no album open.
    std::filesystem::path notTheme = fPrefix.Root() / "broken.LMx";
    NTestPrefix::WriteFile(notTheme, "not an archive");
    EXPECT_EQ(fQip.QLA_CreateAlbum(Host(notTheme).c_str(), 0, Host(Out("b.Qip")).c_str(), 0), -2);
    EXPECT_FALSE(std::filesystem::exists(Out("b.Qip")));
    EXPECT_EQ(fQip.QLA_CreateAlbum("relative\\theme.LMx", 0, Host(Out("c.Qip")).c_str(), 0), -2);
    EXPECT_EQ(fQip.QLA_GetNumSegments(202), 0);
    int32_t next = CreateNoTheme(Out("d.Qip"));
    EXPECT_EQ(next, 203);

    // Stale and wrong handles do nothing.
    char name[8] = "xyz";
    fQip.QLA_GetCurPhotoName(first, name, sizeof name);
    EXPECT_STREQ(name, "xyz");
    fQip.QLA_GetOutputFilename(first, name, sizeof name);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(fQip.QLA_AddPhoto(first, Host(Photo("p.jpg")).c_str(), "p", "", "", kDate), 0);
    fQip.QLA_CloseAlbum(first);
    char path[260];
    fQip.QLA_GetOutputFilename(next, path, sizeof path);
    EXPECT_EQ(std::string(path), Host(Out("d.Qip")));
    fQip.QLA_CloseAlbum(next);
}

TEST_F(LMAlbumBuilderTest, PhotosAreNumberedAndDescribedInOrder)
{
    int32_t album = CreateNoTheme(Out(), 0x41);
    ASSERT_EQ(album, 200);
    fQip.QLA_SaveAlbumString(album, Tag("NAME"), "Holiday");
    char name[8];
    fQip.QLA_GetCurPhotoName(album, name, sizeof name);
    EXPECT_STREQ(name, "0000");

    ASSERT_EQ(fQip.QLA_OpenPhoto(album, Host(Photo("a.jpg")).c_str(), "C:\\Mine\\a.jpg", "Hi", "Sunset//Beach//", kDate), 1);
    fQip.QLA_GetCurPhotoName(album, name, sizeof name);
    EXPECT_STREQ(name, "0000");
    fQip.QLA_SavePhotoString(album, Tag("XTRA"), "x");
    fQip.QLA_SavePhotoInt(album, Tag("RATE"), -7);
    fQip.QLA_ClosePhoto(album);
    fQip.QLA_SaveAlbumInt(album, Tag("KIND"), 5);
    EXPECT_EQ(fQip.QLA_AddPhoto(album, Host(Photo("b.jpg", 10)).c_str(), "b", "", "Sunset//", kDate), 1);
    // A missing source leaves the number where it was.
    EXPECT_EQ(fQip.QLA_AddPhoto(album, Host(fPrefix.Root() / "none.jpg").c_str(), "n", "", "", kDate), 0);
    EXPECT_EQ(fQip.QLA_AddPhoto(album, Host(Photo("c.jpg", 0)).c_str(), "c", "", "a//b", kDate), 1);
    EXPECT_EQ(fQip.QLA_SaveFile(album, Host(Photo("disc.dat", 33)).c_str(), "Disc.dat"), 1);
    EXPECT_EQ(fQip.QLA_SaveFile(album, Host(Photo("disc.dat", 33)).c_str(), "Disc.dat"), 0);
    fQip.QLA_GetCurPhotoName(album, name, sizeof name);
    EXPECT_STREQ(name, "0003");
    char small[3];
    fQip.QLA_GetCurPhotoName(album, small, sizeof small);
    EXPECT_STREQ(small, "00");
    fQip.QLA_CloseAlbum(album);

    AlbumReader reader(Out());
    EXPECT_EQ(reader.Elements(), (std::vector<std::string>{"photo:0000.jpg", "photo:0000.nfo", "photo:0001.jpg",
                                                           "photo:0001.nfo", "photo:0002.jpg", "photo:0002.nfo",
                                                           "photo:disc.dat", "photo:album.nfo"}));
    EXPECT_EQ(reader.Read("photo:0000.jpg"), NTestPrefix::ReadFile(fPrefix.Root() / "photos" / "a.jpg"));
    EXPECT_EQ(reader.Read("photo:0002.jpg"), "");

    std::string type;
    std::vector<Chunk> first = Info(reader, "photo:0000.nfo", type);
    EXPECT_EQ(type, "PNFO");
    EXPECT_EQ(Tags(first), "FNAM TITL JPEG AUXI CAPT DATE SPEC XTRA RATE fini");
    EXPECT_EQ(first[2].fBody, ChunkString("0000.jpg"));
    EXPECT_EQ(first[3].fBody, ChunkString("Beach"));
    EXPECT_EQ(first[4].fBody, ChunkString("Sunset"));
    EXPECT_EQ(first[5].fBody, Be32(kDate));
    EXPECT_EQ(first[8].fBody, Be32(uint32_t(-7)));
    // "TITL" with "Hi": tag, length 4, string length 2, the two bytes.
    std::string bytes = reader.Read("photo:0000.nfo");
    EXPECT_NE(bytes.find(std::string("TITL\0\0\0\x04\0\x02Hi", 12)), std::string::npos);
    EXPECT_EQ(bytes.substr(0, 8), std::string("PNFO\0\0\0\x03", 8));

    NFileSpec source;
    ASSERT_TRUE(NFileSpec::FromHostPath(Host(fPrefix.Root() / "photos" / "a.jpg"), source));
    EXPECT_EQ(first[6].fBody, ChunkString(source.Drive().Root()) + ChunkString(":") + ChunkString(source.Dir().Path())
                                  + ChunkString("a.jpg"));

    std::vector<Chunk> second = Info(reader, "photo:0001.nfo", type);
    EXPECT_EQ(Tags(second), "FNAM TITL JPEG CAPT DATE SPEC fini");
    EXPECT_EQ(second[3].fBody, ChunkString("Sunset"));
    std::vector<Chunk> third = Info(reader, "photo:0002.nfo", type);
    EXPECT_EQ(third[3].fBody, ChunkString("a//b"));

    std::vector<Chunk> info = Info(reader, "photo:Album.nfo", type);
    EXPECT_EQ(type, "LBUM");
    EXPECT_EQ(Tags(info), "NAME KIND NUMP OPTI DATE OSpc TSpc fini");
    EXPECT_EQ(info[2].fBody, Be32(3));
    EXPECT_EQ(info[3].fBody, Be32(0x41));
    // Without a theme the theme's specification is four empty strings.
    EXPECT_EQ(info[6].fBody, std::string(8, '\0'));
}

TEST_F(LMAlbumBuilderTest, ThemeIsCopiedWithoutCustomAndOtherVariantFolders)
{
    std::filesystem::path theme = fPrefix.Root() / "themes" / "Garden.LMx";
    MakeTheme(theme, 0x1234,
              {{"Assets:a.txt", "a"}, {"Assets:Custom:c.txt", "c"}, {"Assets:Deep:CUSTOM:d.txt", "d"},
               {"Assets:@Boy:b.txt", "boy"}, {"Assets:@girl:g.txt", "girl"}, {"Assets:@note.txt", "n"},
               {"Assets:Photo:x.jpg", "x"}});
    fQip.QLA_SetKeepFolder("@BOY");
    int32_t album = fQip.QLA_CreateAlbum(Host(theme).c_str(), 0x2000000, Host(Out()).c_str(), 0);
    ASSERT_EQ(album, 200);
    fQip.QLA_CloseAlbum(album);
    {
        AlbumReader reader(Out());
        EXPECT_EQ(reader.Elements(), (std::vector<std::string>{"assets:a.txt", "assets:@boy:b.txt",
                                                               "assets:@note.txt", "assets:photo:x.jpg",
                                                               "photo:album.nfo"}));
        EXPECT_EQ(reader.Application(), 0x1234 | 0x2100000);
        EXPECT_EQ(reader.Binder().Place().fHeader.fTag, Tag("Qip2"));
        std::string type;
        std::vector<Chunk> info = Info(reader, "photo:Album.nfo", type);
        NFileSpec themeSpec;
        ASSERT_TRUE(NFileSpec::FromHostPath(Host(theme), themeSpec));
        EXPECT_EQ(info.at(4).fBody, ChunkString(themeSpec.Drive().Root()) + ChunkString(":")
                                        + ChunkString(themeSpec.Dir().Path()) + ChunkString("Garden.LMx"));
    }

    // With an empty keep folder no "@" folder is copied.
    fQip.QLA_SetKeepFolder("");
    album = fQip.QLA_CreateAlbum(Host(theme).c_str(), 0, Host(Out("b.Qip")).c_str(), 0);
    ASSERT_EQ(album, 201);
    fQip.QLA_CloseAlbum(album);
    AlbumReader reader(Out("b.Qip"));
    EXPECT_EQ(reader.Elements(), (std::vector<std::string>{"assets:a.txt", "assets:@note.txt", "assets:photo:x.jpg",
                                                           "photo:album.nfo"}));
    EXPECT_EQ(reader.Application(), 0x1234);
}

TEST_F(LMAlbumBuilderTest, ApplicationNumberWithoutThemeAndTheSealedChecksum)
{
    int32_t album = CreateNoTheme(Out(), 0x2000000);
    ASSERT_EQ(album, 200);
    fQip.QLA_AddPhoto(album, Host(Photo("a.jpg", 5000)).c_str(), "a", "", "", kDate);
    fQip.QLA_CloseAlbum(album);
    NFileSpec spec;
    ASSERT_TRUE(NFileSpec::FromHostPath(Host(Out()), spec));
    uint32_t checksum = 0;
    EXPECT_TRUE(NBinder().Verify(spec, 0, &checksum));
    {
        AlbumReader reader(Out());
        EXPECT_EQ(reader.Application(), 0x30000 | 0x2100000);
        EXPECT_EQ(static_cast<uint32_t>(reader.Binder().Place().fHeader.fChecksum), checksum);
        EXPECT_NE(checksum, 0u);
    }
    // A changed byte is found by the stored checksum.
    std::fstream file(Out(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(40);
    file.put('\x5A');
    file.close();
    EXPECT_FALSE(NBinder().Verify(spec, 0));
}

TEST_F(LMAlbumBuilderTest, SegmentSizeCodesAndTheirLimits)
{
    struct {
        int32_t fCode;
        int32_t fBytes;   // 0: one file, no segment header
    } const cases[] = {{-5, 2999808}, {-3, 1999872}, {-2, 1433600}, {-1, 999936}, {0, 0}, {-4, 0}, {1000, 512}};
    int index = 0;
    for (const auto& c : cases) {
        std::filesystem::path out = Out("s" + std::to_string(index++) + ".Qip");
        int32_t album = CreateNoTheme(out, 0, c.fCode);
        ASSERT_GE(album, 200);
        fQip.QLA_CloseAlbum(album);
        NFileSpec spec;
        ASSERT_TRUE(NFileSpec::FromHostPath(Host(out), spec));
        NStream file = spec.Open(NStreamMode::kRead);
        std::optional<NSegmentHeader> header = NSegmentHeader::Read(file);
        if (c.fBytes == 0) {
            EXPECT_FALSE(header) << c.fCode;
        } else {
            ASSERT_TRUE(header) << c.fCode;
            // The limit is the size of a whole segment file, its header included.
            EXPECT_EQ(header->fBytesPerSegment + NSegmentHeader::kSize, c.fBytes) << c.fCode;
        }
    }
}

TEST_F(LMAlbumBuilderTest, SegmentedAlbumIsOneSealedLogicalFile)
{
    int32_t album = CreateNoTheme(Out("Trip.Qip"), 0, 1000);
    ASSERT_EQ(album, 200);
    ASSERT_EQ(fQip.QLA_AddPhoto(album, Host(Photo("a.jpg", 3000)).c_str(), "a", "", "", kDate), 1);
    int32_t count = fQip.QLA_GetNumSegments(album);
    EXPECT_GT(count, 5);
    // The count is remembered; saves no longer reach the finished file.
    fQip.QLA_SaveAlbumString(album, Tag("LATE"), "late");
    EXPECT_EQ(fQip.QLA_GetNumSegments(album), count);
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
        char name[260];
        fQip.QLA_GetSegmentName(album, i, name, sizeof name);
        names.push_back(name);
        EXPECT_TRUE(std::filesystem::exists(fPrefix.Root() / "out" / name)) << name;
    }
    EXPECT_EQ(names[0], "Trip.Qip");
    EXPECT_EQ(names[1], "Trip2_" + std::to_string(count) + ".Qip");
    fQip.QLA_CloseAlbum(album);

    // The first segment's own header is intact and the set verifies as one file.
    std::string first = NTestPrefix::ReadFile(Out("Trip.Qip"));
    EXPECT_EQ(first.substr(0, 4), "SgMt");
    NFileSpec spec;
    ASSERT_TRUE(NFileSpec::FromHostPath(Host(Out("Trip.Qip")), spec));
    uint32_t checksum = 0;
    EXPECT_TRUE(NBinder().Verify(spec, 0, &checksum));
    EXPECT_NE(checksum, 0u);
    AlbumReader reader(Out("Trip.Qip"));
    EXPECT_EQ(reader.Read("photo:0000.jpg"), NTestPrefix::ReadFile(fPrefix.Root() / "photos" / "a.jpg"));
    EXPECT_EQ(static_cast<uint32_t>(reader.Binder().Place().fHeader.fChecksum), checksum);

    // An album made again under the same name replaces the whole set.
    album = CreateNoTheme(Out("Trip.Qip"), 0, 0);
    fQip.QLA_CloseAlbum(album);
    EXPECT_FALSE(std::filesystem::exists(fPrefix.Root() / "out" / names[1]));
}

TEST_F(LMAlbumBuilderTest, SaveDialogAnsweredAndCancelled)
{
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, ".Qip", "", "Lumora.Album"));
    fEnv.Set("LUMORA_DIALOG_ANSWER", "cancel");
    EXPECT_EQ(fQip.QLA_CreateAlbum(".lmp", 0, "", 0), -1);
    EXPECT_EQ(fQip.QLA_GetNumSegments(200), 0);

    fEnv.Set("LUMORA_DIALOG_ANSWER", Out("Chosen.Qip").string());
    int32_t album = fQip.QLA_CreateAlbum(".lmp", 0, nullptr, 0);
    ASSERT_EQ(album, 201);
    char path[260];
    fQip.QLA_GetOutputFilename(album, path, sizeof path);
    EXPECT_EQ(std::string(path), Host(Out("Chosen.Qip")));
    fQip.QLA_CloseAlbum(album);
    EXPECT_TRUE(std::filesystem::exists(Out("Chosen.Qip")));
    std::string lastDir;
    ASSERT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", lastDir));
    NFileSpec chosen;
    ASSERT_TRUE(NFileSpec::FromHostPath(Host(Out("Chosen.Qip")), chosen));
    EXPECT_EQ(lastDir, chosen.Dir().HostPath());
}

TEST_F(LMAlbumBuilderTest, SecondAlbumWhileInfoFileRemainsUsesTheNextName)
{
    // A cancelled creation leaves its started album info behind in the work folder.
    fEnv.Set("LUMORA_DIALOG_ANSWER", "cancel");
    ASSERT_EQ(fQip.QLA_CreateAlbum(".lmp", 0, "", 0), -1);
    int32_t album = CreateNoTheme(Out());
    ASSERT_EQ(album, 201);
    size_t infoFiles = 0;
    std::string names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(fPrefix.Prefix())) {
        std::string name = entry.path().filename().string();
        if (name.rfind("Qipa", 0) == 0) {
            ++infoFiles;
            names += name + ";";
        }
    }
    EXPECT_EQ(infoFiles, 2u);
    EXPECT_NE(names.find("Qipa #2"), std::string::npos) << names;
    fQip.QLA_CloseAlbum(album);
}

TEST_F(LMAlbumBuilderTest, LaunchViewerRunsTheRegisteredCommand)
{
    std::filesystem::path echo = fPrefix.Root() / "echo.txt";
    fEnv.Set("LUMORA_ECHO_OUTPUT", echo.string());
    std::string helper = Host(LUMORA_ARGUMENT_ECHO);
    // No class with "lumo" in its name: the default class is used.
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, ".Qip", "", "OtherViewer"));
    EXPECT_EQ(fQip.QLA_LaunchViewer("C:\\a.Qip"), 0);
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumora.Album\\Shell\\open\\command", "",
                                       "\"" + helper + "\" -show \"%1\" again=%1"));
    ASSERT_EQ(fQip.QLA_LaunchViewer("C:\\My Albums\\a.Qip"), 1);
    ASSERT_TRUE(NTestEnvironment::WaitForFile(echo));
    std::string lines = NTestPrefix::ReadFile(echo);
    EXPECT_NE(lines.find("\n-show\nC:\\My Albums\\a.Qip\nagain=C:\\My\nAlbums\\a.Qip\n"), std::string::npos) << lines;
    std::filesystem::remove(echo);

    // Without "%1" the path is appended after one space, unquoted.
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, ".Qip", "", "Lumora.Viewer"));
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumora.Viewer\\Shell\\open\\command", "", helper));
    ASSERT_EQ(fQip.QLA_LaunchViewer("C:\\x y.Qip"), 1);
    ASSERT_TRUE(NTestEnvironment::WaitForFile(echo));
    lines = NTestPrefix::ReadFile(echo);
    EXPECT_NE(lines.find("\nC:\\x\ny.Qip\n"), std::string::npos) << lines;

    // Refused while an album is open.
    int32_t album = CreateNoTheme(Out());
    EXPECT_EQ(fQip.QLA_LaunchViewer("C:\\a.Qip"), 0);
    fQip.QLA_CloseAlbum(album);
}

} // namespace

namespace {

// An album already at the output stays whole while the new one is built beside it, and is
// replaced in one step when the new one is finished; a creation that fails leaves it alone.
TEST_F(LMAlbumBuilderTest, ExistingAlbumIsReplacedOnlyWhenTheNewOneIsFinished)
{
    int32_t first = CreateNoTheme(Out());
    ASSERT_GT(first, 0);
    ASSERT_EQ(fQip.QLA_AddPhoto(first, Host(Photo("a.jpg")).c_str(), "a", "", "", kDate), 1);
    fQip.QLA_CloseAlbum(first);
    std::string old = NTestPrefix::ReadFile(Out());

    std::filesystem::path notTheme = fPrefix.Root() / "broken.LMx";
    NTestPrefix::WriteFile(notTheme, "not an archive");
    EXPECT_EQ(fQip.QLA_CreateAlbum(Host(notTheme).c_str(), 0, Host(Out()).c_str(), 0), -2);
    EXPECT_EQ(NTestPrefix::ReadFile(Out()), old) << "a failed creation leaves the album there";

    int32_t second = CreateNoTheme(Out());
    ASSERT_GT(second, 0);
    ASSERT_EQ(fQip.QLA_AddPhoto(second, Host(Photo("b.jpg", 5000)).c_str(), "b", "", "", kDate), 1);
    ASSERT_EQ(fQip.QLA_AddPhoto(second, Host(Photo("c.jpg", 7000)).c_str(), "c", "", "", kDate), 1);
    EXPECT_EQ(NTestPrefix::ReadFile(Out()), old) << "the old album stands while the new one is open";
    char path[260];
    fQip.QLA_GetOutputFilename(second, path, sizeof path);
    EXPECT_EQ(std::string(path), Host(Out()));
    fQip.QLA_CloseAlbum(second);
    std::string now = NTestPrefix::ReadFile(Out());
    EXPECT_NE(now, old);
    EXPECT_GT(now.size(), 12000u);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Out().parent_path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u) << "no temporary file is left";
    AlbumReader album(Out());
    std::string type;
    std::vector<Chunk> info = Info(album, "photo:Album.nfo", type);
    bool numberOfPhotos = false;
    for (const Chunk& chunk : info)
        numberOfPhotos |= chunk.fTag == "NUMP" && chunk.fBody == std::string("\0\0\0\x02", 4);
    EXPECT_TRUE(numberOfPhotos);
}

} // namespace

namespace {

// A base name longer than segment names allow: the set's first file carries the cut name,
// the album is made, counted, sealed and read back under it.
TEST_F(LMAlbumBuilderTest, SegmentedAlbumWithALongNameWorks)
{
    std::string longBase(120, 'L');
    int32_t album = CreateNoTheme(Out(longBase + ".Qip"), 0, 1000);
    ASSERT_GT(album, 0);
    ASSERT_EQ(fQip.QLA_AddPhoto(album, Host(Photo("a.jpg", 3000)).c_str(), "a", "", "", kDate), 1);
    int32_t count = fQip.QLA_GetNumSegments(album);
    EXPECT_GT(count, 3);
    char name[260];
    fQip.QLA_GetSegmentName(album, 0, name, sizeof name);
    EXPECT_EQ(std::string(name), std::string(32, 'L') + ".Qip");
    fQip.QLA_CloseAlbum(album);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Out().parent_path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, static_cast<size_t>(count));
    AlbumReader reader(Out(std::string(name)));
    EXPECT_EQ(reader.Read("photo:0000.jpg"), NTestPrefix::ReadFile(fPrefix.Root() / "photos" / "a.jpg"));
    NFileSpec spec;
    ASSERT_TRUE(NFileSpec::FromHostPath(Host(Out(std::string(name))), spec));
    uint32_t checksum = 0;
    EXPECT_TRUE(NBinder().Verify(spec, 0, &checksum));
    EXPECT_EQ(static_cast<uint32_t>(reader.Binder().Place().fHeader.fChecksum), checksum);
}

} // namespace

namespace {

std::map<std::string, std::string> FolderFiles(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = entry.is_regular_file() ? NTestPrefix::ReadFile(entry.path()) : "(folder)";
    return files;
}

// A segmented album made over one already there: the old set stands, byte for byte, until
// the new set is finished, and a creation that fails leaves it alone.
TEST_F(LMAlbumBuilderTest, ExistingSetIsReplacedOnlyWhenTheNewSetIsFinished)
{
    int32_t first = CreateNoTheme(Out("Trip.Qip"), 0, 1000);
    ASSERT_GT(first, 0);
    ASSERT_EQ(fQip.QLA_AddPhoto(first, Host(Photo("a.jpg", 3000)).c_str(), "a", "", "", kDate), 1);
    int32_t oldCount = fQip.QLA_GetNumSegments(first);
    fQip.QLA_CloseAlbum(first);
    std::map<std::string, std::string> old = FolderFiles(Out().parent_path());
    ASSERT_EQ(old.size(), static_cast<size_t>(oldCount));

    std::filesystem::path notTheme = fPrefix.Root() / "broken.LMx";
    NTestPrefix::WriteFile(notTheme, "not an archive");
    EXPECT_EQ(fQip.QLA_CreateAlbum(Host(notTheme).c_str(), 0, Host(Out("Trip.Qip")).c_str(), 1000), -2);
    EXPECT_EQ(FolderFiles(Out().parent_path()), old) << "a failed creation leaves the set there";

    int32_t second = CreateNoTheme(Out("Trip.Qip"), 0, 1000);
    ASSERT_GT(second, 0);
    ASSERT_EQ(fQip.QLA_AddPhoto(second, Host(Photo("b.jpg", 5000)).c_str(), "b", "", "", kDate), 1);
    std::map<std::string, std::string> during = FolderFiles(Out().parent_path());
    for (const auto& [name, bytes] : old)
        EXPECT_EQ(during[name], bytes) << name << " changed while the new set was open";
    int32_t count = fQip.QLA_GetNumSegments(second);
    EXPECT_GT(count, oldCount);
    fQip.QLA_CloseAlbum(second);

    std::map<std::string, std::string> now = FolderFiles(Out().parent_path());
    EXPECT_EQ(now.size(), static_cast<size_t>(count)) << "only the new set, no old segment or temporary folder";
    EXPECT_EQ(now.count("Trip2_" + std::to_string(oldCount) + ".Qip"), 0u);
    AlbumReader reader(Out("Trip.Qip"));
    EXPECT_EQ(reader.Read("photo:0000.jpg"), NTestPrefix::ReadFile(fPrefix.Root() / "photos" / "b.jpg"));
    NFileSpec spec;
    ASSERT_TRUE(NFileSpec::FromHostPath(Host(Out("Trip.Qip")), spec));
    uint32_t checksum = 0;
    EXPECT_TRUE(NBinder().Verify(spec, 0, &checksum));
    EXPECT_EQ(static_cast<uint32_t>(reader.Binder().Place().fHeader.fChecksum), checksum);
}

} // namespace
