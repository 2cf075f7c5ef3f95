// Tests of folder searches and of the wildcard match.
#include "platform/NHostSearch.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct NFoundEntry {
    bool fIsDirectory = false;
    bool fHidden = false;
    int64_t fSize = 0;

    bool operator==(const NFoundEntry&) const = default;
};

class NHostSearchTest : public ::testing::Test {
protected:
    static std::map<std::string, NFoundEntry> Find(const std::string& pattern)
    {
        std::map<std::string, NFoundEntry> found;
        NHostSearch search;
        for (bool more = search.First(pattern); more; more = search.Next()) {
            EXPECT_EQ(found.count(search.Name()), 0u) << search.Name();
            found[search.Name()] = {search.IsDirectory(), search.IsHidden(), search.Size()};
        }
        return found;
    }
};

TEST_F(NHostSearchTest, WildcardsFollowWin32Rules)
{
    struct Case {
        const char* fPattern;
        const char* fName;
        bool fMatches;
    };
    const Case kCases[] = {
        {"*", "anything.txt", true},        {"*", ".hidden", true},
        {"*.jpg", "Photo.JPG", true},       {"*.jpg", "photo.jpeg", false},
        {"*.jpg", "a.jpg.txt", false},      {"*.jpg", ".jpg", true},
        {"?.txt", "a.txt", true},           {"?.txt", ".txt", false},
        {"?.txt", "ab.txt", false},         {"a?c", "abc", true},
        {"*.*", "README", true},            {"*.*", "a.b.c", true},
        {"foo.*", "foo", true},             {"foo.*", "FOO.bar", true},
        {"foo.*", "foobar", false},         {"*.", "README", true},
        {"*.", "a.txt", false},             {"read?e.", "readme", true},
        {"Qip*", "qip.xpb", true},          {"*b*", "abc", true},
        {"*b*", "acd", false},              {"a*c", "abbbc", true},
        {"a*c", "abbcd", false},            {"", "a", false},
        {"\xC3\x84*", "\xC3\xA4rger", false}, {"\xC3\x84*", "\xC3\x84rger", true},
    };
    for (const Case& test : kCases)
        EXPECT_EQ(NHostSearch::Matches(test.fPattern, test.fName), test.fMatches)
            << test.fPattern << " against " << test.fName;
}

TEST_F(NHostSearchTest, ManyStarsDoNotBacktrackExponentially)
{
    std::string name(4000, 'a');
    EXPECT_FALSE(NHostSearch::Matches("*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(NHostSearch::Matches("*a*a*a*a*a*a*a*a*a*a*a*a*b", name + "b"));
}

TEST_F(NHostSearchTest, ListsMatchesWithTheirKindSizeAndHiddenFlag)
{
    NTestPrefix prefix("D=%ROOT%/d:removable");
    NTestPrefix::WriteFile(prefix.Root() / "d/Album/one.JPG", "123");
    NTestPrefix::WriteFile(prefix.Root() / "d/Album/two.jpg", "12345");
    NTestPrefix::WriteFile(prefix.Root() / "d/Album/notes.txt", "1");
    NTestPrefix::WriteFile(prefix.Root() / "d/Album/.thumbs.jpg", "12");
    prefix.MakeFolder("d/Album/Sub.jpg");

    std::map<std::string, NFoundEntry> jpegs = Find("d:\\ALBUM\\*.jpg");
    std::map<std::string, NFoundEntry> expected = {
        {"one.JPG", {false, false, 3}},
        {"two.jpg", {false, false, 5}},
        {".thumbs.jpg", {false, true, 2}},
        {"Sub.jpg", {true, false, 0}},
    };
    EXPECT_EQ(jpegs, expected);

    std::map<std::string, NFoundEntry> all = Find("D:/Album/*.*");
    EXPECT_EQ(all.size(), 7u);
    EXPECT_EQ(all["."], (NFoundEntry{true, false, 0}));
    EXPECT_EQ(all[".."], (NFoundEntry{true, false, 0}));
    EXPECT_EQ(Find("D:\\Album\\NOTES.TXT").count("notes.txt"), 1u);
}

TEST_F(NHostSearchTest, DriveRootListsNoDotEntriesAndMissingFoldersFail)
{
    NTestPrefix prefix("D=%ROOT%/d:removable");
    NTestPrefix::WriteFile(prefix.Root() / "d/Album/one.jpg", "1");
    EXPECT_EQ(Find("D:\\*"), (std::map<std::string, NFoundEntry>{{"Album", {true, false, 0}}}));
    EXPECT_EQ(Find("D:\\Album\\..\\*").size(), 1u);   // ".." cannot leave the root
    EXPECT_EQ(Find("C:\\*").count("Program Files"), 1u);
    NHostSearch search;
    for (std::string pattern : {"D:\\Missing\\*", "D:\\Album\\*.gif", "D:\\Album\\", "Album\\*"})
        EXPECT_FALSE(search.First(pattern)) << pattern;
    ASSERT_TRUE(search.First("D:\\Album\\*.JPG"));
    EXPECT_EQ(search.Name(), "one.jpg");
    EXPECT_FALSE(search.Next());
    EXPECT_FALSE(search.Next());
}

// Names are listed in their Windows-1252 form; a name the code page cannot hold is left out
// and remembered for the program to report.
TEST_F(NHostSearchTest, NamesAreListedInTheCodePageAndOthersAreSkipped)
{
    NTestPrefix prefix("D=%ROOT%/d:fixed");
    NTestPrefix::WriteFile(prefix.Root() / "d" / "Stra\xC3\x9F" "e.jpg", "1");
    NTestPrefix::WriteFile(prefix.Root() / "d" / "tick \xE2\x9C\x93.jpg", "22");
    NTestPrefix::WriteFile(prefix.Root() / "d" / "legacy\xE9.jpg", "333");
    NHostSearch::TakeSkippedNames();
    std::map<std::string, NFoundEntry> found = Find("D:\\*.JPG");
    EXPECT_EQ(found.size(), 2u);
    EXPECT_EQ(found.count("Stra\xDF" "e.jpg"), 1u);
    EXPECT_EQ(found.count("legacy\xE9.jpg"), 1u);
    std::vector<NHostSkippedName> skipped = NHostSearch::TakeSkippedNames();
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].fLinuxPath, (prefix.Root() / "d" / "tick \xE2\x9C\x93.jpg").string());
    EXPECT_EQ(skipped[0].fCharacter, "\xE2\x9C\x93");
    EXPECT_TRUE(NHostSearch::Matches("\xC4*", "\xE4rger")) << "Ä matches ä";
}

}   // namespace
