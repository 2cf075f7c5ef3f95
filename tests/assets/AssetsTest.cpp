// Tests of the built assets: the Maker's archive against the table of files the programs
// open, the themes through the builder's queries and albums, every sprite through the
// decoders, the string tables against the ids the programs use, and every text against
// its box.
#include "assets/tool/ScreenTable.h"
#include "framework/NStringTable.h"
#include "imaging/NJpegSprite.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NSpFrame.h"
#include "imaging/NSpMemImage.h"
#include "imaging/NSpSet.h"
#include "imaging/NSprite.h"
#include "storage/NBinder.h"
#include "storage/NBinderElement.h"
#include "storage/NBinderRegistry.h"
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const std::string kSource = LUMORA_ASSETS_SOURCE;
const std::string kBuild = LUMORA_ASSETS_BUILD;
constexpr char kMountRoot[] = "\\\\assets-test\\";

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void CollectFiles(const NBinderFolder& folder, const std::string& prefix, std::set<std::string>& files)
{
    for (const NVectorPtr<NBinderElement>& element : folder.fElements) {
        if (element->IsFile())
            files.insert(prefix + element->fName);
        else if (element->fFolder)
            CollectFiles(*element->fFolder, prefix + element->fName + ":", files);
    }
}

/// The lower-cased ":"-paths of every file in the archive.
std::set<std::string> ArchiveFiles(const fs::path& path, int32_t& application)
{
    NFileSpec file;
    EXPECT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(path.string()), file));
    NBinder binder;
    application = binder.Open(file, NFDirSpec { NFDriveSpec(kMountRoot) }, NBinderMode::kRead);
    std::set<std::string> files;
    if (binder.Root())
        CollectFiles(*binder.Root(), "", files);
    EXPECT_TRUE(binder.Close());
    return files;
}

/// The table of files the programs open in Qip.xpb.
std::vector<std::string> Manifest()
{
    std::ifstream in(kSource + "/manifest.txt");
    std::vector<std::string> entries;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#')
            entries.push_back(line);
    }
    return entries;
}

class AssetsTest : public ::testing::Test {
protected:
    NTestPrefix fPrefix;
};

TEST_F(AssetsTest, ArchiveOpensAsTheMakersSealedAndHoldsEveryFileOfTheTable)
{
    NFileSpec file;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(LUMORA_ARCHIVE), file));
    NStream stream = file.Open(NStreamMode::kRead, false, 1);
    NBinderPlace place = NBinder::Locate(stream, 0);
    ASSERT_TRUE(place.fValid);
    EXPECT_EQ(place.fHeader.fApplication, 2);
    EXPECT_EQ(place.fHeader.fTag, 0x50535732);   // "PSW2"
    ASSERT_NE(place.fHeader.fChecksum, 0);
    EXPECT_EQ(uint32_t(place.fHeader.fChecksum), NBinder::ComputeChecksum(stream, place));
    stream.Close();

    int32_t application = 0;
    std::set<std::string> files = ArchiveFiles(LUMORA_ARCHIVE, application);
    EXPECT_EQ(application, 2);
    std::vector<std::string> table = Manifest();
    EXPECT_GT(table.size(), 120u);
    for (const std::string& entry : table)
        EXPECT_TRUE(files.count(Lowered(entry))) << entry << " is missing from Qip.xpb";

    // What the screens draw is in the table too, so the table cannot fall behind them.
    std::set<std::string> lowered;
    for (const std::string& entry : table)
        lowered.insert(Lowered(entry));
    for (const ScreenLayout& screen : MakerScreens()) {
        for (const char* language : { "eng", "deu" })
            EXPECT_TRUE(lowered.count(Lowered(std::string("BGjpg:") + language + ":" + screen.fBackground)))
                << screen.fBackground;
        for (const ScreenSprite& sprite : screen.fSprites)
            EXPECT_TRUE(lowered.count(Lowered(std::string("Sprites:") + sprite.fName))) << sprite.fName;
    }
}

struct ThemeCase {
    const char* fFile;
    const char* fProject;
    int fId;
    const char* fTriple;
};

const ThemeCase kThemes[] = {
    { "holidays.lmx", "holidays", 101, "HOL" }, { "birthday.lmx", "birthday", 102, "BDY" },
    { "cats.lmx", "cats", 103, "CAT" },         { "newborn.lmx", "newborn", 104, "NEW" },
    { "iloveyou.lmx", "iloveyou", 105, "LUV" }, { "fall.lmx", "fall", 106, "FAL" },
    { "photoalb.lmx", "photoalb", 107, "ALB" }, { "collage.lmx", "collage", 108, "COL" },
};

/// The tool prints names in UTF-8; the name files hold Windows-1252 (here: Latin-1 letters).
std::string Utf8(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

TEST_F(AssetsTest, EveryThemeAnswersItsNameInThreeLanguagesItsIconFeaturesAndInfo)
{
    for (const ThemeCase& theme : kThemes) {
        std::string path = kBuild + "/Qip/LMx/" + theme.fFile;
        for (auto [locale, folder] : { std::pair { "en_US.UTF-8", "English" }, std::pair { "de_DE.UTF-8", "German" },
                                       std::pair { "fr_FR.UTF-8", "French" } }) {
            std::string output;
            ASSERT_EQ(NRunCommand(std::string("LANG=") + locale + " LC_ALL= " + LUMORA_QIPALBUM + " theme '" + path + "'",
                                  output), 0) << output;
            std::string expected = Utf8(FirstLine(ReadText(kSource + "/themes/" + theme.fProject + "/Help/" + folder + "/Name.txt")));
            EXPECT_NE(output.find("name\t" + expected + "\n"), std::string::npos) << theme.fFile << " " << folder << ":\n" << output;
            if (std::string(folder) == "English") {
                EXPECT_NE(output.find("id\t" + std::to_string(theme.fId) + "\n"), std::string::npos) << output;
                EXPECT_NE(output.find(std::string("triple\t") + theme.fTriple + "\n"), std::string::npos) << output;
                // A 24 x 24 BMP of 24 bits: 54 header bytes and 24 rows of 72 bytes.
                EXPECT_NE(output.find("icon-bytes\t1782\n"), std::string::npos) << output;
                EXPECT_EQ(output.find("feature-bytes\t0\n"), std::string::npos) << output;
            }
        }
    }
    // The names differ by language where the words do.
    EXPECT_NE(ReadText(kSource + "/themes/holidays/Help/German/Name.txt"),
              ReadText(kSource + "/themes/holidays/Help/French/Name.txt"));
}

TEST_F(AssetsTest, AlbumsReceiveTheThemeButNeverItsAuthoringFolder)
{
    for (const ThemeCase& theme : kThemes) {
        fs::path album = fPrefix.Root() / (std::string(theme.fProject) + ".Qip");
        std::string output;
        ASSERT_EQ(NRunCommand(std::string(LUMORA_QIPALBUM) + " make --out '" + album.string() + "' --theme '" + kBuild
                                  + "/Qip/LMx/" + theme.fFile + "' " + kSource + "/photos/samples/0.jpg",
                              output), 0) << output;
        int32_t application = 0;
        std::set<std::string> files = ArchiveFiles(album, application);
        int32_t themeApplication = 0;
        std::set<std::string> themeFiles = ArchiveFiles(kBuild + "/Qip/LMx/" + theme.fFile, themeApplication);
        EXPECT_TRUE(files.count("projdir.txt")) << theme.fFile;
        EXPECT_TRUE(files.count("assets:show.txt")) << theme.fFile;
        EXPECT_TRUE(files.count("photo:0000.jpg")) << theme.fFile;
        int custom = 0;
        for (const std::string& file : themeFiles) {
            bool authoring = file.find(":custom:") != std::string::npos;
            custom += authoring ? 1 : 0;
            bool variant = file.find(":@") != std::string::npos;
            if (!variant) {
                EXPECT_EQ(files.count(file), authoring ? 0u : 1u) << theme.fFile << ": " << file;
            }
        }
        EXPECT_GT(custom, 0) << theme.fFile << " has no authoring folder";
    }
}

TEST_F(AssetsTest, TheNewbornAlbumKeepsOnlyTheChosenVariant)
{
    fs::path album = fPrefix.Root() / "girl.Qip";
    std::string output;
    ASSERT_EQ(NRunCommand(std::string(LUMORA_QIPALBUM) + " make --out '" + album.string() + "' --theme '" + kBuild
                              + "/Qip/LMx/newborn.lmx' --keep @girl " + kSource + "/photos/samples/1.jpg",
                          output), 0) << output;
    int32_t application = 0;
    std::set<std::string> files = ArchiveFiles(album, application);
    for (const char* file : { "assets:@girl:show.txt", "assets:@girl:slide.jpg", "assets:@girl:title.jpg" })
        EXPECT_TRUE(files.count(file)) << file;
    for (const std::string& file : files)
        EXPECT_EQ(file.find("@boy"), std::string::npos) << file;
    // The theme itself holds both.
    std::set<std::string> theme = ArchiveFiles(kBuild + "/Qip/LMx/newborn.lmx", application);
    EXPECT_TRUE(theme.count("assets:@boy:slide.jpg"));
    EXPECT_TRUE(theme.count("assets:@girl:slide.jpg"));
}

/// Draws every frame of the sprite file at 32 and at 8 bits; answers the frame count and
/// adds a failure for a frame that draws nothing.
int DrawEveryFrame(const NFileSpec& spec, const NPalette& palette, const std::string& name)
{
    NSprite sprite;
    if (!sprite.LoadSpriteFile(spec)) {
        ADD_FAILURE() << name << " does not load";
        return 0;
    }
    int frames = sprite.Set()->FrameCount();
    for (int f = 0; f < frames; ++f) {
        NSpImage* image = sprite.Set()->GetFrame(f)->GetImage();
        if (!image) {
            ADD_FAILURE() << name << " frame " << f << " has no image";
            continue;
        }
        NRect bounds = image->Bounds();
        for (int16_t depth : { int16_t(32), int16_t(8) }) {
            int32_t rowBytes = depth / 8 * ((bounds.fWidth + 3) / 4 * 4);
            std::vector<uint8_t> bits(size_t(rowBytes) * size_t(bounds.fHeight), 0);
            NSpMemImage target;
            target.SetBits(bits.data(), bounds.fWidth, bounds.fHeight, rowBytes, depth, &palette);
            EXPECT_TRUE(image->DrawTo(bits.data(), target, bounds, false, false)) << name << " frame " << f;
            target.SetBits(nullptr, 0, 0, 0, depth, nullptr);
            size_t drawn = size_t(std::count_if(bits.begin(), bits.end(), [](uint8_t b) { return b != 0; }));
            // At least a quarter of the picture shows (the rest is transparent corners).
            EXPECT_GT(drawn * 4, bits.size() / 4) << name << " frame " << f << " at " << depth << " bits";
        }
    }
    return frames;
}

TEST_F(AssetsTest, EverySpriteDecodesAtThirtyTwoAndEightBits)
{
    NBinder binder;
    NFileSpec archive;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(LUMORA_ARCHIVE), archive));
    NFDirSpec mount { NFDriveSpec(kMountRoot) };
    ASSERT_EQ(binder.Open(archive, mount, NBinderMode::kRead), 2);
    NBinderRegistry::The().Register(&binder);
    NPalette palette;
    ASSERT_TRUE(palette.LoadFile(NFileSpec(mount, "Lumo8.pal"), true));
    // The file keeps black at 10 and white at 245 (RIFF header of 24 bytes, 4 a colour).
    std::string file = ReadText(kBuild + "/Qip/Lumo8.pal");
    ASSERT_EQ(file.size(), 24u + 4 * 256);
    EXPECT_EQ(file.substr(24 + 4 * 10, 3), std::string(3, '\0'));
    EXPECT_EQ(file.substr(24 + 4 * 245, 3), std::string(3, '\xFF'));

    int32_t application = 0;
    int sprites = 0;
    for (const std::string& path : ArchiveFiles(LUMORA_ARCHIVE, application)) {
        if (path.size() < 4 || path.substr(path.size() - 4) != ".xps")
            continue;
        ++sprites;
        int frames = DrawEveryFrame(NFileSpec(mount, path), palette, path);
        std::string name = path.substr(path.find(':') + 1);
        bool radio = name.find("theme") != std::string::npos || name == "newboy.xps" || name == "newgirl.xps";
        bool button = name.find("therm") == std::string::npos && name.find("logo") == std::string::npos
            && name.find("text.xps") == std::string::npos && !radio;
        if (radio)
            EXPECT_EQ(frames, 8) << path;
        else if (button)
            EXPECT_EQ(frames, 4) << path;
        else
            EXPECT_EQ(frames, 1) << path;
    }
    EXPECT_EQ(sprites, 39);
    NBinderRegistry::The().Unregister(&binder);
    EXPECT_TRUE(binder.Close());

    // The setup's sprites, loose in its folder with their palettes.
    NPalette theme;
    NFileSpec themePalette;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(kBuild + "/Setup/theme.pal"), themePalette));
    ASSERT_TRUE(theme.LoadFile(themePalette, true));
    for (auto [name, count] : { std::pair { "button.xps", 4 }, std::pair { "name.xps", 1 }, std::pair { "therm.xps", 1 } }) {
        NFileSpec spec;
        ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(kBuild + "/Setup/" + name), spec));
        EXPECT_EQ(DrawEveryFrame(spec, theme, name), count) << name;
    }
}

TEST_F(AssetsTest, SamplePhotosAreSmallColourBaselineJpegs)
{
    for (const char* folder : { "samples", "partner" }) {
        for (int i = 0; i < 7; ++i) {
            fs::path path = fs::path(kSource) / "photos" / folder / (std::to_string(i) + ".jpg");
            std::string bytes = ReadText(path);
            NFileSpec spec;
            ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(path.string()), spec));
            int components = 0;
            NRect size = NJpegSprite::JpegInfo(spec, &components);
            EXPECT_EQ(components, 3) << path;
            EXPECT_GT(size.fWidth, 0) << path;
            EXPECT_LE(size.fWidth, 640) << path;
            EXPECT_LE(size.fHeight, 480) << path;
            // A baseline frame (SOF0), not a progressive one (SOF2).
            EXPECT_NE(bytes.find("\xFF\xC0"), std::string::npos) << path;
            EXPECT_EQ(bytes.find("\xFF\xC2"), std::string::npos) << path;
        }
    }
}

// The ids the programs ask their tables for.
const std::vector<int32_t> kMakerIds = {
    100, 101, 105, 106, 107, 108, 109, 110, 111, 112, 115, 116, 117, 118, 119, 120, 121, 122, 125, 133, 135, 144,
    147, 151, 153, 154, 180, 182, 1210, 1215, 1217, 1240, 1340, 1341, 1342, 1343, 1344, 1345, 1346, 1347, 1348,
    1349, 1350, 1351, 1352, 1353, 1354, 1400, 1401, 1402, 1403, 1404, 1405, 1406, 1407, 1408, 1409, 1480, 1703,
    1704, 1705, 1706, 1707, 1708, 1710, 1711, 1712, 1713,
};
const std::vector<int32_t> kSetupIds = {
    100, 101, 270, 271, 272, 273, 274, 275, 276, 277, 278, 279, 280, 281, 282, 283, 284, 285, 286, 287, 288, 289,
    290, 291, 292, 310, 311, 312, 320, 321, 322, 323, 340, 341, 342, 343, 344, 490,
};

bool HasString(int32_t id)
{
    const auto& entries = NStringTable::The().Entries();
    return std::any_of(entries.begin(), entries.end(), [id](const auto& entry) { return entry.first == id; });
}

bool LoadTable(const std::string& path)
{
    NFileSpec spec;
    return NFileSpec::FromHostPath(NHostDrives::The().ToHost(path), spec) && NStringTable::The().Load(spec, false);
}

TEST_F(AssetsTest, EveryStringIdTheProgramsUseIsInEveryTable)
{
    std::vector<int32_t> screenIds;
    for (const ScreenLayout& screen : MakerScreens()) {
        for (const ScreenText& text : screen.fTexts) {
            for (int32_t id : { text.fId, text.fSecondId, text.fFont })
                if (id)
                    screenIds.push_back(id);
        }
        for (const ScreenSprite& sprite : screen.fSprites) {
            for (int32_t id : { sprite.fCaption, sprite.fCaptionFont })
                if (id)
                    screenIds.push_back(id);
        }
    }
    for (const char* language : { "eng", "deu" }) {
        ASSERT_TRUE(LoadTable(kBuild + "/Qip/" + language + ".xst")) << language;
        for (int32_t id : kMakerIds)
            EXPECT_TRUE(HasString(id)) << language << " lacks " << id;
        for (int32_t id : screenIds)
            EXPECT_TRUE(HasString(id)) << language << " lacks " << id;
        // The newborn screen reads its field offset and the error form its top as numbers.
        EXPECT_GT(std::atoi(NStringTable::The().GetString(1354).c_str()), 0);
        EXPECT_GT(std::atoi(NStringTable::The().GetString(1217).c_str()), 0);
    }
    for (const char* language : { "eng", "deu", "fra" }) {
        ASSERT_TRUE(LoadTable(kBuild + "/Setup/" + language + ".xst")) << language;
        for (int32_t id : kSetupIds)
            EXPECT_TRUE(HasString(id)) << language << " lacks " << id;
    }
    // The English setup texts are the ones the setup was written with.
    ASSERT_TRUE(LoadTable(kBuild + "/Setup/eng.xst"));
    EXPECT_EQ(NStringTable::The().GetString(100), "Lumora Player 3.0 Setup");
    EXPECT_EQ(NStringTable::The().GetString(272), "Install To...");
    EXPECT_EQ(NStringTable::The().GetString(277), "Times New Roman,12,0,Times,16");
    EXPECT_EQ(NStringTable::The().GetString(292), "The program has been uninstalled.  Press 'OK' to continue.");
    EXPECT_EQ(NStringTable::The().GetString(490), "Installing Lumora Player 3.0 ...");
}

TEST_F(AssetsTest, FontEntriesNameFacesFontconfigResolves)
{
    for (const std::string& table : { kSource + "/text/maker-eng.txt", kSource + "/text/maker-deu.txt",
                                       kSource + "/text/setup-eng.txt", kSource + "/text/setup-fra.txt" }) {
        std::ifstream in(table);
        for (std::string line; std::getline(in, line);) {
            size_t tab = line.find('\t');
            if (line.empty() || line[0] == '#' || tab == std::string::npos)
                continue;
            std::string text = line.substr(tab + 1);
            if (std::count(text.begin(), text.end(), ',') != 4)
                continue;
            std::string face = text.substr(0, text.find(','));
            std::string resolved;
            ASSERT_EQ(NRunCommand("fc-match -f '%{family}' '" + face + "'", resolved), 0);
            // "Times New Roman" is an alias of a metric-compatible face; the others are themselves.
            if (face == "Times New Roman")
                EXPECT_NE(resolved.find("Liberation Serif"), std::string::npos) << resolved;
            else
                EXPECT_NE(resolved.find(face.substr(0, face.find(' '))), std::string::npos) << face << " -> " << resolved;
        }
    }
}

TEST_F(AssetsTest, EveryTextFitsWhereItIsDrawn)
{
    std::string output;
    int status = NRunCommand(std::string(LUMORA_SCREENS) + " render " + LUMORA_ARCHIVE + " '"
                                 + (fPrefix.Root() / "sheets").string() + "'",
                             output);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("OVERFLOW"), std::string::npos) << output;
    EXPECT_EQ(output.find("MISSING"), std::string::npos) << output;
    EXPECT_NE(output.find(" fault(s)"), std::string::npos) << output;
    EXPECT_TRUE(fs::exists(fPrefix.Root() / "sheets" / "contact-eng.png"));
    EXPECT_TRUE(fs::exists(fPrefix.Root() / "sheets" / "newborn-deu.png"));

    // The themes as the player shows them from their show descriptions.
    output.clear();
    status = NRunCommand(std::string(LUMORA_SCREENS) + " themes " + LUMORA_ARCHIVE + " " + kBuild + "/Qip/LMx '"
                             + (fPrefix.Root() / "themes").string() + "'",
                         output);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("OVERFLOW"), std::string::npos) << output;
    EXPECT_EQ(output.find("MISSING"), std::string::npos) << output;
    EXPECT_TRUE(fs::exists(fPrefix.Root() / "themes" / "theme-newborn-girl-title.png"));
    EXPECT_TRUE(fs::exists(fPrefix.Root() / "themes" / "theme-collage.png"));

    // The setup's panes in its three languages; only the choice heading, whose place, width,
    // font and English words the panes fix, may take more than its row.
    output.clear();
    status = NRunCommand(std::string(LUMORA_SCREENS) + " setup " + kBuild + "/Setup '"
                             + (fPrefix.Root() / "setup").string() + "' --known 341",
                         output);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("OVERFLOW"), std::string::npos) << output;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("KNOWN", 0) == 0) {
            EXPECT_NE(line.find("text 341:"), std::string::npos) << line;
        }
    }
    EXPECT_TRUE(fs::exists(fPrefix.Root() / "setup" / "setup-choice-fra.png"));
}

} // namespace
