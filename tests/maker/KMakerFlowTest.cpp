// The Maker's whole flow with scripted input through the window's routing: welcome, the
// player installation with the real setup running silently into the test's prefix, no
// disc, the error form, a removable drive that appears with photos and order data, the
// theme, the album, the play screen and the viewer; then the album element by element.
#include "tests/maker/KMakerAppSupport.h"

#include "framework/NInputState.h"
#include "framework/NRegistry.h"
#include "maker/KNewbornGroup.h"
#include "maker/core/KNewbornData.h"
#include "platform/NHostRegistry.h"

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

using namespace makerapp;
using namespace makertest;

namespace {

/// Replaces the album type's open command with a script that records what it was given.
fs::path RecordViewer(const NTestPrefix& prefix)
{
    fs::path script = prefix.Root() / "viewer.sh";
    fs::path log = prefix.Root() / "viewer.log";
    NTestPrefix::WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + log.string() + "'\n");
    chmod(script.c_str(), 0755);
    EXPECT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumora.Album\\Shell\\open\\command", "",
                                       "\"" + Host(script) + "\" \"%1\""));
    return log;
}

/// The element names of an archive inside the disc's archive.
std::vector<std::string> NestedElements(const NTestPrefix& prefix, const fs::path& outer, const std::string& element)
{
    std::string bytes;
    {
        AlbumReader archive(outer);
        bytes = archive.Read(element);
    }
    fs::path copy = prefix.Root() / "nested.xpb";
    NTestPrefix::WriteFile(copy, bytes);
    AlbumReader nested(copy);
    return nested.Elements();
}

/// Pumps until the silent setup has registered the player's open command and hands it back;
/// fails fatally when it never does.
void WaitForRegisteredPlayer(MakerRun& run, std::string& command)
{
    ASSERT_TRUE(run.PumpUntil(
        [&] {
            return NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\Shell\\open\\command", "", command)
                && !command.empty();
        },
        20000))
        << "the silent setup registered no player";
}

class KMakerFlowTest : public ::testing::Test {
protected:
    KMakerFlowTest() : fPrefix("E=%ROOT%/usb:removable")
    {
        setenv("LUMORA_SETUP_QUIT_DELAY", "0", 1);
        fUsb = fPrefix.MakeFolder("usb");
    }

    fs::path AlbumFolder() const { return fPrefix.DriveC() / "Program Files" / "Lumora Maker" / "My Lumoras"; }

    NTestPrefix fPrefix;
    FakeOpener fOpener{fPrefix};
    fs::path fUsb;
};

TEST_F(KMakerFlowTest, FromWelcomeThroughInstallationAndDiscToTheAlbumAndTheViewer)
{
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.ScreenName(), "welcome");

    // Continue: the player installation, the setup started silently from the album folder.
    ASSERT_TRUE(run.Click("welcomeL"));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 5; }, 20000)) << run.State();
    EXPECT_TRUE(fs::exists(AlbumFolder() / "QipSetup.exe"));
    EXPECT_TRUE(fs::exists(AlbumFolder() / "Special Offer.htm"));
    EXPECT_TRUE(fs::exists(AlbumFolder() / "Read this if you need help.txt"));
    std::string saveDir;
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", saveDir));
    EXPECT_EQ(saveDir, Host(AlbumFolder()) + "\\");
    // The setup runs as a process of its own: its player lands in the prefix.
    std::string command;
    ASSERT_NO_FATAL_FAILURE(WaitForRegisteredPlayer(run, command));
    EXPECT_NE(command.find("Lumora.exe"), std::string::npos) << command;
    fs::path viewerLog = RecordViewer(fPrefix);

    // No disc anywhere: the insert-disk screen, then its error form after OK.
    EXPECT_EQ(run.ScreenName(), "insert-disk");
    ASSERT_TRUE(run.Click("diskOK"));
    EXPECT_EQ(run.ScreenName(), "insert-disk-error");
    EXPECT_EQ(run.State(), 5);

    // The disc appears in the removable drive: photos of every kind and the order data.
    fs::path images = fUsb / "Images";
    fs::create_directories(images);
    std::map<std::string, std::string> photos = {
        {"big.jpg", JpegBytes(1600, 1200)},
        {"vga.JPG", JpegBytes(640, 480)},
        {"grey.jpg", JpegBytes(640, 480, true, fPrefix.Root())},
        {"tall.jpg", JpegBytes(480, 640)},
        {"narrow.jpg", JpegBytes(500, 900)},
    };
    for (const auto& [name, bytes] : photos)
        NTestPrefix::WriteFile(images / name, bytes);
    NTestPrefix::WriteFile(images / "notes.txt", "not a photo");
    NTestPrefix::WriteFile(fUsb / "DATA.DAT", "order 4711");
    ASSERT_TRUE(run.Click("errorOK"));
    EXPECT_EQ(run.ScreenName(), "choose-theme");
    EXPECT_EQ(run.State(), 9);
    EXPECT_FALSE(run.Data()->SampleMode());

    // Birthday, then Make Album: the progress screen, then the play screen.
    ASSERT_TRUE(run.Click("themeBirthday"));
    EXPECT_EQ(run.Data()->ChooseTheme()->Index(), 1);
    ASSERT_TRUE(run.Click("choosePlay", 0));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 12; }, 30000)) << run.State();
    EXPECT_EQ(run.ScreenName(), "play");
    EXPECT_EQ(run.Data()->PhotosAdded(), 5);
    fs::path album = AlbumFolder() / "Birthday.Qip";
    ASSERT_TRUE(fs::exists(album));
    EXPECT_FALSE(fs::exists(AlbumFolder() / "selected.lmx"));

    // Two seconds on, the viewer is started with the album and the themes come back.
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 9; }, 5000));
    ASSERT_TRUE(run.PumpUntil([&] { return fs::exists(viewerLog); }, 5000));
    EXPECT_EQ(NTestPrefix::ReadFile(viewerLog), Host(album) + "\n");

    // Quit from the theme screen: the quit screen; its Quit opens the album folder once and ends.
    ASSERT_TRUE(run.Click("chooseQuit"));
    EXPECT_EQ(run.ScreenName(), "quit");
    EXPECT_EQ(run.State(), 13);
    ASSERT_TRUE(run.Click("quitQuit"));
    EXPECT_TRUE(run.Data()->AlbumFolderOpened());
    EXPECT_TRUE(run.App().QuitFlag());
    run.Stop();
    // The shell hands the folder to the desktop's opener (as its Linux path): once.
    ASSERT_TRUE(WaitFor([&] { return !fOpener.Opened().empty(); }, 3000));
    EXPECT_EQ(fOpener.Opened(), AlbumFolder().string() + "\n");

    // The album, element by element.
    AlbumReader reader(album);
    std::vector<Chunk> chunks = MakerChunks(reader.Read("photo:Album.nfo"));
    ASSERT_NO_FATAL_FAILURE(
        ExpectStoreOrderChunks(chunks, "My Lumora Album", "Made with Lumora Maker", "Lumora Photo Studio"));
    EXPECT_EQ(reader.Read("photo:PSWdata.dat"), "order 4711");

    // The photos in the drive's listing order, fitted into 640 x 480 as each needs.
    std::vector<std::string> order;
    for (const auto& entry : fs::directory_iterator(images))
        if (photos.count(entry.path().filename().string()))
            order.push_back(entry.path().filename().string());
    const std::map<std::string, std::pair<int, int>> fitted = {
        {"big.jpg", {640, 480}}, {"vga.JPG", {640, 480}}, {"grey.jpg", {640, 480}},
        {"tall.jpg", {360, 480}}, {"narrow.jpg", {266, 480}},
    };
    for (size_t i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(order[i]);
        char element[32];
        std::snprintf(element, sizeof element, "photo:%04d.jpg", int(i));
        std::string stored = reader.Read(element);
        JpegInfo info = InfoOf(stored);
        EXPECT_EQ(info.fWidth, fitted.at(order[i]).first);
        EXPECT_EQ(info.fHeight, fitted.at(order[i]).second);
        EXPECT_EQ(info.fComponents, 3);
        // Taller than 480 is fitted like every other photo; only the exact colour one is copied.
        bool copied = order[i] == "vga.JPG";
        if (copied)
            EXPECT_TRUE(stored == photos.at(order[i])) << "not stored byte for byte";
        else
            EXPECT_EQ(FirstQuantTable(stored), LuminanceTableAt(90));
        std::snprintf(element, sizeof element, "photo:%04d.nfo", int(i));
        EXPECT_TRUE(reader.Has(element));
    }
    EXPECT_FALSE(reader.Has("photo:0005.jpg"));

    // The store's co-brand elements, every one of them, and the seal.
    for (const std::string& element : NestedElements(fPrefix, run.fDisc / "Data" / "Qip.xpb", "eng:marketa.xpb"))
        EXPECT_TRUE(reader.Has(element)) << element;
    EXPECT_TRUE(Sealed(album));
}

} // namespace

namespace {

/// Welcome, the installations, and the insert-disk screen (or the themes when a disc is found).
void PastInstallation(MakerRun& run, const NTestPrefix& prefix)
{
    ASSERT_TRUE(run.Click("welcomeL"));
    // 2 to 4 lead to the player installation, 7 and 8 to the partner's.
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 5 || run.State() >= 9; }, 30000)) << run.State();
    // The silent setup registers the real player; a show reaching the play screen would
    // start it and leave it running past the test, so the recorder takes its place.
    std::string command;
    ASSERT_NO_FATAL_FAILURE(WaitForRegisteredPlayer(run, command));
    RecordViewer(prefix);
}

TEST_F(KMakerFlowTest, TheLastThemeStaysChosenWhenTheThemesComeBackAndSamplesMakeSevenPhotos)
{
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    PastInstallation(run, fPrefix);
    ASSERT_EQ(run.ScreenName(), "insert-disk");
    ASSERT_TRUE(run.Click("diskCancel"));
    EXPECT_TRUE(run.Data()->SampleMode());
    ASSERT_TRUE(run.Click("themeCollage"));
    EXPECT_EQ(run.Data()->ChooseTheme()->Index(), 7);
    ASSERT_TRUE(run.Click("choosePlay", 0));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 12; }, 30000)) << run.State();
    EXPECT_EQ(run.Data()->PhotosAdded(), 7);
    EXPECT_TRUE(fs::exists(AlbumFolder() / "Collage.Qip"));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 9; }, 5000));
    const UiNode* collage = run.Find("themeCollage");
    ASSERT_NE(collage, nullptr);
    EXPECT_TRUE(collage->fDescription.selected);
    EXPECT_FALSE(run.Find("themeHolidays")->fDescription.selected);
}

TEST_F(KMakerFlowTest, NewbornGirlWithTypedNamesAndAutomaticInitials)
{
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    PastInstallation(run, fPrefix);
    ASSERT_TRUE(run.Click("diskCancel"));
    ASSERT_TRUE(run.Click("themeNewborn"));
    ASSERT_TRUE(run.Click("choosePlay"));
    ASSERT_EQ(run.ScreenName(), "newborn");
    KNewbornGroup& screen = *run.Data()->NewbornScreen();
    ASSERT_TRUE(run.Click("newborn-0"));
    run.Type("anna");
    EXPECT_EQ(screen.Initial(0).Text(), "A");
    ASSERT_TRUE(run.Click("newborn-2"));
    run.Type("berg");
    EXPECT_EQ(screen.Initial(2).Text(), "B");
    // A lower-case initial is stored upper-cased, selected, and the focus moves on.
    ASSERT_TRUE(run.Click("initial-1"));
    run.Type("m");
    EXPECT_EQ(screen.Initial(1).Text(), "M");
    EXPECT_EQ(NInputState::The().Focus(), &screen.Initial(2));
    // Back in the field the letter is selected: the next key replaces it.
    ASSERT_TRUE(run.Click("initial-1"));
    run.Type("k");
    EXPECT_EQ(screen.Initial(1).Text(), "K");
    // The middle initial cleared again: "@Ini" then is "A B".
    ASSERT_TRUE(run.Click("initial-1"));
    NHostMessage backspace;
    backspace.fType = NHostMessageType::kChar;
    backspace.fChar = 8;
    run.Display().Push(backspace);
    run.Pump(40);
    EXPECT_EQ(screen.Initial(1).Text(), "");
    ASSERT_TRUE(run.Click("newborn-3"));
    run.Type("1 June");
    ASSERT_TRUE(run.Click("newGirl"));
    // Back and forth keeps what was typed.
    ASSERT_TRUE(run.Click("newBack"));
    EXPECT_EQ(run.ScreenName(), "choose-theme");
    EXPECT_FALSE(run.Data()->Newborn().fBoy);
    EXPECT_EQ(run.Data()->Newborn().fFirst, "anna");
    ASSERT_TRUE(run.Click("choosePlay"));
    ASSERT_EQ(run.ScreenName(), "newborn");
    EXPECT_EQ(screen.Editor(KNewbornGroup::kFirst).Text(), "anna");
    EXPECT_TRUE(run.Find("newGirl")->fDescription.selected);
    ASSERT_TRUE(run.Click("newContinue", 0));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 12; }, 30000)) << run.State();
    run.Stop();

    AlbumReader album(AlbumFolder() / "Newborn.Qip");
    std::vector<Chunk> chunks = MakerChunks(album.Read("photo:Album.nfo"));
    EXPECT_EQ(Tags(chunks), "COBR GALL BLDN BLDV SHWI INTt INTd SHWC CRDt CRDs CRDb FLDR @1st @Mid @Lst @Dat @Wgt @Len @Ini");
    ASSERT_EQ(chunks.size(), 19u);
    EXPECT_EQ(ChunkText(chunks[11].fBody), "@girl");
    EXPECT_EQ(ChunkText(chunks[12].fBody), "anna");
    EXPECT_EQ(ChunkText(chunks[13].fBody), "");
    EXPECT_EQ(ChunkText(chunks[14].fBody), "berg");
    EXPECT_EQ(ChunkText(chunks[15].fBody), "1 June");
    EXPECT_EQ(ChunkText(chunks[18].fBody), "A B");
    bool girl = false, boy = false;
    for (const std::string& element : album.Elements()) {
        girl = girl || element.find("@girl:") != std::string::npos;
        boy = boy || element.find("@boy:") != std::string::npos;
    }
    EXPECT_TRUE(girl);
    EXPECT_FALSE(boy);
}

TEST_F(KMakerFlowTest, AFolderDroppedOnTheWindowIsTheDiscAndCountsJpegNames)
{
    fs::path dropped = fPrefix.MakeFolder("holiday photos");
    NTestPrefix::WriteFile(dropped / "beach.jpeg", JpegBytes(800, 600));
    NTestPrefix::WriteFile(dropped / "hill.JPG", JpegBytes(640, 480));
    NTestPrefix::WriteFile(dropped / "list.txt", "no photo");
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    PastInstallation(run, fPrefix);
    ASSERT_EQ(run.ScreenName(), "insert-disk");
    run.Drop({dropped});
    EXPECT_EQ(run.ScreenName(), "choose-theme");
    EXPECT_FALSE(run.Data()->SampleMode());
    ASSERT_TRUE(run.Click("choosePlay", 0));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 12; }, 30000)) << run.State();
    EXPECT_EQ(run.Data()->PhotosAdded(), 2);

    // Loose photos from two places become one folder of their own.
    fs::path other = fPrefix.MakeFolder("other");
    NTestPrefix::WriteFile(other / "cat.jpg", JpegBytes(320, 240));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 9; }, 5000));
    run.Drop({dropped / "beach.jpeg", other / "cat.jpg", other / "missing.jpg"});
    ASSERT_TRUE(run.Click("choosePlay", 0));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 12; }, 30000)) << run.State();
    EXPECT_EQ(run.Data()->PhotosAdded(), 2);
    run.Stop();
    AlbumReader album(AlbumFolder() / "Holidays.Qip");
    EXPECT_TRUE(album.Has("photo:0001.jpg"));
    EXPECT_FALSE(album.Has("photo:0002.jpg"));
}

TEST_F(KMakerFlowTest, APartnerDiscInstallsTheViewerInEnglishOnlyAndKeepsAChosenSaveFolder)
{
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", "D:\\Mine"));
    fs::create_directories(fUsb / "Images");
    NTestPrefix::WriteFile(fUsb / "Images" / "a.jpg", JpegBytes(640, 480));
    NTestPrefix::WriteFile(fUsb / "Images" / "b.jpg", JpegBytes(640, 480));
    NTestPrefix::WriteFile(fUsb / "PSWView.exe", std::string(50000, 'v'));
    {
        MakerRun run(fPrefix, "deu-disc");
        NTestPrefix::WriteFile(run.fDisc / "Data" / "Lang.txt", "deu,1\r\n");
        ASSERT_TRUE(run.Start());
        PastInstallation(run, fPrefix);
        EXPECT_EQ(run.State(), 9);
        EXPECT_TRUE(run.Data()->PartnerDisc());
        EXPECT_FALSE(fs::exists(fPrefix.DriveC() / "Program Files" / "PSWPorts" / "PSWPorts" / "PSWView.exe"));
    }
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    PastInstallation(run, fPrefix);
    EXPECT_EQ(run.State(), 9);
    fs::path viewer = fPrefix.DriveC() / "Program Files" / "PSWPorts" / "PSWPorts" / "PSWView.exe";
    EXPECT_TRUE(fs::exists(viewer));
    EXPECT_EQ(fs::file_size(viewer), 50000u);
    EXPECT_TRUE(fs::exists(viewer.parent_path() / "Images" / "a.jpg"));
    EXPECT_TRUE(fs::exists(viewer.parent_path() / "Images" / "b.jpg"));
    std::string saveDir;
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", saveDir));
    EXPECT_EQ(saveDir, "D:\\Mine");
}

} // namespace
