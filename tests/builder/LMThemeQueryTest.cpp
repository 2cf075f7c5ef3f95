// Tests of the theme queries through the library's exported functions: profiles, names,
// icons, feature lists and the per-user theme cache.
#include "tests/builder/QipBuildClient.h"

#include "framework/NRegistry.h"
#include "tests/support/NTestEnvironment.h"

namespace {

constexpr char kIcon[] = "BMicon-bytes";

class LMThemeQueryTest : public ::testing::Test {
protected:
    LMThemeQueryTest()
    {
        fEnv.Set("LANG", "fr_FR.UTF-8");
        fEnv.Unset("LC_ALL");
        fEnv.Unset("LC_MESSAGES");
        fLoaded = fQip.Load();
    }

    void SetUp() override { ASSERT_TRUE(fLoaded) << fQip.fLibrary.LastError(); }

    // A theme with a project folder "Garden" and the given profile and assets.
    std::filesystem::path Theme(const std::string& file, const std::string& profile,
                                std::vector<std::pair<std::string, std::string>> extra = {},
                                const std::string& folder = "themes")
    {
        std::vector<std::pair<std::string, std::string>> elements = {
            {"ProjDir.txt", "Garden\r\n"}, {"Garden:profile.txt", profile}};
        for (auto& element : extra)
            elements.push_back(std::move(element));
        std::filesystem::path path = fPrefix.Root() / folder / file;
        MakeTheme(path, 7, elements);
        return path;
    }

    std::string Name(const std::filesystem::path& theme)
    {
        char name[300] = "stale";
        fQip.QLA_GetThemeName(Host(theme).c_str(), name, sizeof name);
        return name;
    }

    std::pair<int32_t, std::string> Info(const std::filesystem::path& theme)
    {
        int32_t flag = -1;
        int32_t id = -1;
        char triple[32] = "stale";
        EXPECT_EQ(fQip.QLA_GetThemeInfo(Host(theme).c_str(), &flag, &id, triple, sizeof triple), 1);
        EXPECT_EQ(flag, 0);
        return {id, triple};
    }

    void UseCacheIn(const std::string& folder)
    {
        fPrefix.MakeFolder(folder);
        ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumorad", "", Host(fPrefix.Root() / folder)));
    }

    std::filesystem::path CacheFile() const { return fPrefix.Root() / "themes" / "cache.dat"; }

    NTestPrefix fPrefix;
    NTestEnvironment fEnv;
    QipBuildClient fQip;
    bool fLoaded = false;
};

TEST_F(LMThemeQueryTest, ProfileVersionsGiveIdAndTriple)
{
    EXPECT_EQ(Info(Theme("v1.LMx", "abc\r\n#17\r\nXYZW\r\nGarden\r\n")), std::make_pair(17, std::string("XYZ")));
    EXPECT_EQ(Info(Theme("v2.LMx", "Version = 2\nlmxid=$42\n\tlmxtriple =  ABCD \nphotosize=800 , 600\nnoequals\n")),
              std::make_pair(42, std::string("ABC")));
    EXPECT_EQ(Info(Theme("v3.LMx", "version=3\nlmxid=5\nlmxtriple=ZZZ\n")), std::make_pair(0, std::string("Qip")));
    // A version 1 profile that ends early keeps what it read.
    EXPECT_EQ(Info(Theme("short.LMx", "abc\n#9")), std::make_pair(9, std::string("Qip")));

    // No theme at all: zero and empty answers, never an error.
    EXPECT_EQ(Info(fPrefix.Root() / "missing.LMx"), std::make_pair(0, std::string()));
    EXPECT_EQ(Name(fPrefix.Root() / "missing.LMx"), "");
    EXPECT_EQ(fQip.QLA_GetThemeIcon("not a path", nullptr, 0), 0);
    std::filesystem::path junk = fPrefix.Root() / "junk.LMx";
    NTestPrefix::WriteFile(junk, std::string(300, 'j'));
    EXPECT_EQ(Info(junk), std::make_pair(0, std::string()));
}

TEST_F(LMThemeQueryTest, NameInTheUsersLanguageElseEnglish)
{
    std::filesystem::path both = Theme("both.LMx", "abc\n#1\nQip\nGarden\n",
                                       {{"Garden:Help:English:Name.txt", "Garden\r\nsecond line"},
                                        {"Garden:Help:French:Name.txt", "Jardin\r\n"}});
    std::filesystem::path english = Theme("english.LMx", "abc\n#1\nQip\nGarden\n",
                                          {{"Garden:Help:English:Name.txt", "Garden"}});
    EXPECT_EQ(Name(both), "Jardin");
    EXPECT_EQ(Name(english), "Garden");
    char tiny[4];
    fQip.QLA_GetThemeName(Host(english).c_str(), tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "Gar");
}

TEST_F(LMThemeQueryTest, IconAndFeatureBytesCopiedOnlyIntoLargeEnoughBuffers)
{
    std::string features = ChunkBytes("LMxI", 1).Int("SHOW", 2).Finish();
    std::filesystem::path theme = Theme("t.LMx", "abc\n#1\nQip\nGarden\n",
                                        {{"Garden:Help:icon24.bmp", kIcon}, {"Garden:Features.nfo", features}});
    std::string path = Host(theme);
    int32_t size = static_cast<int32_t>(sizeof kIcon - 1);
    EXPECT_EQ(fQip.QLA_GetThemeIcon(path.c_str(), nullptr, 0), size);
    std::string buffer(64, '.');
    EXPECT_EQ(fQip.QLA_GetThemeIcon(path.c_str(), buffer.data(), size - 1), size);
    EXPECT_EQ(buffer, std::string(64, '.'));
    EXPECT_EQ(fQip.QLA_GetThemeIcon(path.c_str(), buffer.data(), 64), size);
    EXPECT_EQ(buffer.substr(0, size), kIcon);
    EXPECT_EQ(fQip.QLA_GetThemeFeatures(path.c_str(), buffer.data(), 64), static_cast<int32_t>(features.size()));
    EXPECT_EQ(buffer.substr(0, features.size()), features);
    EXPECT_EQ(fQip.QLA_GetThemeFeatures(Host(Theme("none.LMx", "x")).c_str(), nullptr, 0), 0);
}

TEST_F(LMThemeQueryTest, LevelThreeFeaturesHideThemeUnlessMakerAsks)
{
    auto theme = [&](const std::string& file, const std::string& features) {
        return Theme(file, "abc\n#1\nQip\nGarden\n",
                     {{"Garden:Help:English:Name.txt", "Garden"}, {"Garden:Features.nfo", features}});
    };
    std::filesystem::path caption = theme("caption.LMx", ChunkBytes("LMxI", 1).Int("CAPT", 3).Int("SHOW", 2).Finish());
    std::filesystem::path hidden = theme("hidden.LMx", ChunkBytes("LMxI", 1).Raw("LONG", "12345").Int("MUSC", 3).Finish());
    std::filesystem::path otherType = theme("other.LMx", ChunkBytes("LMxJ", 1).Int("MUSC", 3).Finish());
    std::filesystem::path cut = theme("cut.LMx", ChunkBytes("LMxI", 1).Int("SHOW", 2).fBytes.substr(0, 14));
    EXPECT_EQ(Name(caption), "Garden");
    EXPECT_EQ(Name(hidden), "");
    EXPECT_EQ(Name(otherType), "Garden");
    EXPECT_EQ(Name(cut), "Garden");
    fQip.QLA_VeltraMaker(1);
    EXPECT_EQ(Name(hidden), "Garden");
}

TEST_F(LMThemeQueryTest, CacheKeepsThemesOfItsFolderAcrossLoads)
{
    UseCacheIn("themes");
    std::filesystem::path cached = Theme("Garden.LMx", "abc\n#17\nXYZ\nGarden\n",
                                         {{"Garden:Help:English:Name.txt", "Garden"}, {"Garden:Help:icon24.bmp", kIcon}});
    std::filesystem::path elsewhere = Theme("Away.LMx", "abc\n#5\nAWY\nAway\n",
                                            {{"Garden:Help:English:Name.txt", "Away"}}, "other");
    EXPECT_EQ(Name(cached), "Garden");
    EXPECT_EQ(Name(elsewhere), "Away");
    fQip.fLibrary.Unload();
    ASSERT_TRUE(std::filesystem::exists(CacheFile()));

    std::string type;
    std::vector<Chunk> chunks = ParseChunks(NTestPrefix::ReadFile(CacheFile()), type);
    EXPECT_EQ(type, "TCCH");
    EXPECT_EQ(Tags(chunks), "LANG list FNAM TNAM ICON FEAT LxID TRIP fini fini");
    EXPECT_EQ(chunks.at(0).fBody, ChunkString("fra"));
    EXPECT_EQ(chunks.at(1).fBody, Be32(1));
    EXPECT_EQ(chunks.at(2).fBody, ChunkString("Garden.LMx"));
    EXPECT_EQ(chunks.at(4).fBody, Be32(sizeof kIcon - 1) + kIcon);
    EXPECT_EQ(chunks.at(5).fBody, Be32(0));
    EXPECT_EQ(chunks.at(6).fBody, Be32(17));

    // With the archive gone, the cached theme still answers; the other one does not.
    std::filesystem::remove(cached);
    std::filesystem::remove(elsewhere);
    ASSERT_TRUE(fQip.Load());
    EXPECT_EQ(Name(cached), "Garden");
    EXPECT_EQ(Info(cached), std::make_pair(17, std::string("XYZ")));
    EXPECT_EQ(fQip.QLA_GetThemeIcon(Host(cached).c_str(), nullptr, 0), static_cast<int32_t>(sizeof kIcon - 1));
    EXPECT_EQ(Name(elsewhere), "");
}

TEST_F(LMThemeQueryTest, DamagedOrOtherLanguageCacheIsRebuilt)
{
    UseCacheIn("themes");
    std::filesystem::path theme = Theme("Garden.LMx", "abc\n#3\nQip\nGarden\n", {{"Garden:Help:English:Name.txt", "Garden"}});
    struct {
        const char* fWhy;
        std::string fBytes;
    } const damaged[] = {
        {"garbage", std::string(50, '\xEE')},
        {"negative icon size", ChunkBytes("TCCH", 6).Raw("LANG", ChunkString("fra")).Int("list", 1)
                                   .Raw("FNAM", ChunkString("Garden.LMx")).Raw("ICON", Be32(0xFFFFFFF0)).Finish()},
        {"chunk past the end", ChunkBytes("TCCH", 6).Raw("LANG", ChunkString("fra")).fBytes + "listAAAA"},
        {"other language", ChunkBytes("TCCH", 6).Raw("LANG", ChunkString("deu")).Int("list", 1)
                               .Raw("FNAM", ChunkString("Garden.LMx")).Raw("TNAM", ChunkString("Garten")).Finish()},
        {"other version", ChunkBytes("TCCH", 5).Raw("LANG", ChunkString("fra")).Finish()},
    };
    for (const auto& c : damaged) {
        NTestPrefix::WriteFile(CacheFile(), c.fBytes);
        ASSERT_TRUE(fQip.Load()) << c.fWhy;
        EXPECT_EQ(Name(theme), "Garden") << c.fWhy;
        fQip.fLibrary.Unload();
        std::string type;
        std::vector<Chunk> chunks = ParseChunks(NTestPrefix::ReadFile(CacheFile()), type);
        EXPECT_EQ(type, "TCCH") << c.fWhy;
        ASSERT_GE(chunks.size(), 3u) << c.fWhy;
        EXPECT_EQ(chunks[0].fBody, ChunkString("fra")) << c.fWhy;
        EXPECT_EQ(chunks[2].fBody, ChunkString("Garden.LMx")) << c.fWhy;
    }
}

} // namespace

namespace {

// A cache folder that does not exist must not silence the queries: each one answers from
// its archive, themes inside and outside that folder alike, and no cache file appears.
TEST_F(LMThemeQueryTest, MissingCacheFolderNeverEmptiesTheAnswers)
{
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumorad", "", Host(fPrefix.Root() / "gone")));
    std::filesystem::path first = Theme("Garden.LMx", "abc\n#17\nXYZ\nGarden\n",
                                        {{"Garden:Help:English:Name.txt", "Garden"}});
    std::filesystem::path second = Theme("Away.LMx", "abc\n#5\nAWY\nAway\n",
                                         {{"Garden:Help:English:Name.txt", "Away"}}, "other");
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(Name(first), "Garden") << round;
        EXPECT_EQ(Name(second), "Away") << round;
        EXPECT_EQ(Info(second), std::make_pair(5, std::string("AWY"))) << round;
    }
    fQip.fLibrary.Unload();
    EXPECT_FALSE(std::filesystem::exists(fPrefix.Root() / "gone"));
}

} // namespace
