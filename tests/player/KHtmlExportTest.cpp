// Tests of the HTML gallery: valid pages, links and pictures that resolve, every photo listed.
#include "player/KAlbum.h"
#include "player/KHtmlExport.h"
#include "tests/player/PlayerTestSupport.h"

#include "platform/NHostDrives.h"

#include <gtest/gtest.h>

#include <fstream>
#include <cstring>
#include <set>
#include <sstream>

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(KHtmlExportTest, PagesAreValidLinksResolveAndTheIndexListsEveryPhoto)
{
    NTestPrefix prefix;
    std::string path = MakeAlbum(prefix, "gallery.Qip", "iloveyou", "", 3);
    NFileSpec spec;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(path), spec));
    KAlbum album;
    ASSERT_TRUE(album.Open(spec));
    std::filesystem::path out = prefix.Root() / "gallery";
    std::string error;
    ASSERT_TRUE(KHtmlExport::Write(album, out.string(), error)) << error;

    std::set<std::string> pages;
    for (const auto& entry : std::filesystem::directory_iterator(out))
        if (entry.path().extension() == ".html")
            pages.insert(entry.path().filename().string());
    EXPECT_EQ(pages.size(), 4u);   // the index and one page a photo
    for (const std::string& page : pages) {
        std::string text = ReadAll(out / page);
        for (const char* attribute : { "href=\"", "src=\"" })
            for (size_t at = text.find(attribute); at != std::string::npos; at = text.find(attribute, at + 1)) {
                size_t start = at + std::strlen(attribute);
                std::string target = text.substr(start, text.find('"', start) - start);
                EXPECT_TRUE(std::filesystem::exists(out / target)) << page << " links " << target;
            }
        std::string output;
        EXPECT_EQ(NRunCommand("tidy -e -q " + PlayerQuote((out / page).string()), output), 0) << page << ": " << output;
    }
    std::string index = ReadAll(out / "index.html");
    for (const char* photo : { "photo-0000.html", "photo-0001.html", "photo-0002.html" })
        EXPECT_NE(index.find(photo), std::string::npos) << photo;
    EXPECT_NE(index.find("Harbour"), std::string::npos);
    // The middle page links both ways.
    std::string middle = ReadAll(out / "photo-0001.html");
    EXPECT_NE(middle.find("href=\"photo-0000.html\""), std::string::npos);
    EXPECT_NE(middle.find("href=\"photo-0002.html\""), std::string::npos);
    EXPECT_EQ(KHtmlExport::Escape("a<b & \"c\"\xE9"), "a&lt;b &amp; &quot;c&quot;\xC3\xA9");
}

} // namespace
