// Tests of album reading and slide composition: order, photo placement, segmented sets,
// the newborn slide, damage, and the version records of the shipped files.
#include "player/KAlbum.h"
#include "player/KSlideComposer.h"
#include "player/KTransition.h"
#include "tests/player/PlayerTestSupport.h"

#include "framework/NAppClock.h"
#include "imaging/NJpegSprite.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpImage.h"
#include "platform/NHostDrives.h"
#include "platform/NHostFileVersion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

class KAlbumTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto palette = std::make_unique<NPalette>();
        palette->FromSystem();
        NPaletteRegistry::The().SetScreenPalette(std::move(palette));
    }

    static NFileSpec Spec(const std::string& path)
    {
        NFileSpec spec;
        EXPECT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(path), spec)) << path;
        return spec;
    }

    static std::vector<std::string> Kinds(const KAlbum& album)
    {
        std::vector<std::string> kinds;
        for (const KSlide& slide : album.Slides())
            kinds.push_back(KSlideKindName(slide.fKind) + (slide.fPhoto >= 0 ? std::to_string(slide.fPhoto) : ""));
        return kinds;
    }

    static int Channel(uint32_t pixel, int shift) { return int(pixel >> shift & 0xFF); }

    static int MaxDifference(uint32_t a, uint32_t b)
    {
        int worst = 0;
        for (int shift : { 0, 8, 16 })
            worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
        return worst;
    }

    NTestPrefix fPrefix;
};

TEST_F(KAlbumTest, PlaysTitlePhotosAndCreditsInOrderWithCaptions)
{
    std::string path = MakeAlbum(fPrefix, "walk.Qip", "fall", "");
    KAlbum album;
    ASSERT_TRUE(album.Open(Spec(path)));
    EXPECT_EQ(Kinds(album), (std::vector<std::string> { "title", "photo0", "photo1", "photo2", "credit" }));
    EXPECT_TRUE(album.Damage().empty());
    EXPECT_EQ(album.Slides()[0].fText, "Summer at the Lake");
    EXPECT_EQ(album.Slides()[1].fText, "Harbour");
    EXPECT_EQ(album.Slides()[1].fSecondText, "Morning");
    EXPECT_EQ(album.Slides()[1].fMilliseconds, 5000);   // the theme's slide.seconds
    EXPECT_EQ(album.Slides()[0].fMilliseconds, 4000);   // its title.seconds
    EXPECT_EQ(album.Slides()[4].fText, "Made with love\nLumora Photo Studio");
    // The show description is the one the album carries.
    EXPECT_EQ(album.Show().Text("transition"), "slide-down,900");
}

TEST_F(KAlbumTest, PhotoSlideShowsThePhotoFittedIntoTheBox)
{
    // The photo-album theme sets its photo straight (angle 0).
    std::string path = MakeAlbum(fPrefix, "straight.Qip", "photoalb", "");
    KAlbum album;
    ASSERT_TRUE(album.Open(Spec(path)));
    ASSERT_EQ(album.Show().Int("photo.angle", -1), 0);
    KSlideComposer composer(album);
    std::vector<uint32_t> frame;
    composer.Compose(album.Slides()[1], frame);
    ASSERT_TRUE(composer.PhotoDecoded());
    NRect placed = composer.PhotoRect();
    std::vector<int> box = album.Show().Numbers("photo.box");
    ASSERT_EQ(box.size(), 4u);
    // Fitted: inside the box, touching two of its opposite sides, centred.
    EXPECT_GE(placed.fX, box[0] - 1);
    EXPECT_LE(placed.fX + placed.fWidth, box[0] + box[2] + 1);
    EXPECT_TRUE(std::abs(placed.fWidth - box[2]) <= 1 || std::abs(placed.fHeight - box[3]) <= 1);

    NJpegSprite photo;
    NRect size = NJpegSprite::JpegInfo(album.Element("photo:0000.jpg"));
    photo.MakeMemory(size, 32, nullptr);
    photo.LoadJpeg(album.Element("photo:0000.jpg"), 1);
    const auto* bits = reinterpret_cast<const uint32_t*>(photo.CurrentImage()->GetBits());
    int32_t stride = photo.CurrentImage()->RowBytes() / 4;
    // A downscaled grid over the placed region against the photo at the same places.
    int worst = 0;
    for (int gy = 1; gy < 12; ++gy)
        for (int gx = 1; gx < 16; ++gx) {
            int x = placed.fX + placed.fWidth * gx / 16, y = placed.fY + placed.fHeight * gy / 12;
            int px = size.fWidth * gx / 16, py = size.fHeight * gy / 12;
            worst = std::max(worst, MaxDifference(frame[size_t(y) * 640 + size_t(x)], bits[size_t(py) * size_t(stride) + size_t(px)]));
        }
    EXPECT_LE(worst, 24);
    // And the slide is not simply the photo everywhere: the theme's background is around it.
    int outside = MaxDifference(frame[5 * 640 + 5], bits[0]);
    EXPECT_GT(outside, 0);
}

TEST_F(KAlbumTest, SegmentedAlbumPlaysTheSameAsTheSingleFile)
{
    std::string single = MakeAlbum(fPrefix, "one.Qip", "fall", "");
    std::string split = MakeAlbum(fPrefix, "split.Qip", "fall", "--segment 16384");
    ASSERT_TRUE(std::filesystem::exists(fPrefix.Root() / "split2_4.Qip") || std::filesystem::exists(fPrefix.Root() / "split2_3.Qip"));
    KAlbum a, b;
    ASSERT_TRUE(a.Open(Spec(single)));
    ASSERT_TRUE(b.Open(Spec(split)));
    ASSERT_EQ(Kinds(a), Kinds(b));
    EXPECT_TRUE(b.Damage().empty());
    KSlideComposer ca(a), cb(b);
    for (size_t i = 0; i < a.Slides().size(); ++i) {
        std::vector<uint32_t> fa, fb;
        ca.Compose(a.Slides()[i], fa);
        cb.Compose(b.Slides()[i], fb);
        EXPECT_TRUE(fa == fb) << "slide " << i;
    }
}

/// Adds a "CoBrand:show.txt" with the lines (read last, so its keys win) and seals the album.
void AddShowLines(const NTestPrefix& prefix, const std::string& album, const std::string& lines)
{
    std::string file = (prefix.Root() / "extra-show.txt").string();
    std::ofstream(file) << lines;
    std::string output;
    ASSERT_EQ(NRunCommand(std::string(LUMORA_XPB) + " add " + PlayerQuote(album) + " " + PlayerQuote(file)
                              + " CoBrand:show.txt", output), 0) << output;
    ASSERT_EQ(NRunCommand(std::string(LUMORA_XPB) + " seal " + PlayerQuote(album), output), 0) << output;
}

TEST_F(KAlbumTest, CollageRotatesOnePhotoInAtATimeOrChangesWholePages)
{
    std::string path = MakeAlbum(fPrefix, "collage.Qip", "collage", "", 6);
    {
        KAlbum album;
        ASSERT_TRUE(album.Open(Spec(path)));
        // rotate: a slide a photo; each enters the next of the four boxes, the others stay.
        EXPECT_EQ(Kinds(album), (std::vector<std::string> { "title", "photo0", "photo1", "photo2", "photo3", "photo4",
                                                            "photo5", "credit" }));
        EXPECT_EQ(album.Slides()[1].fCollage, (std::vector<int32_t> { 0, -1, -1, -1 }));
        EXPECT_EQ(album.Slides()[4].fCollage, (std::vector<int32_t> { 0, 1, 2, 3 }));
        EXPECT_EQ(album.Slides()[6].fCollage, (std::vector<int32_t> { 4, 5, 2, 3 }));
        // The newest photo lands in its box: box 2 of the collage for photo 5.
        KSlideComposer composer(album);
        std::vector<uint32_t> frame;
        composer.Compose(album.Slides()[6], frame);
        EXPECT_TRUE(composer.Failures().empty());
        std::vector<int> box = album.Show().Numbers("collage.box.2");
        const NRect& placed = composer.PhotoRect();
        EXPECT_TRUE(NRect(int16_t(box[0]), int16_t(box[1]), int16_t(box[2]), int16_t(box[3]))
                        .Contains(NPoint(int16_t(placed.fX + placed.fWidth / 2), int16_t(placed.fY + placed.fHeight / 2))));
    }
    AddShowLines(fPrefix, path, "collage.fill=page\nnewborn.after=photos\n");
    KAlbum album;
    ASSERT_TRUE(album.Open(Spec(path)));
    // page: the four boxes change together, a slide a page.
    EXPECT_EQ(Kinds(album), (std::vector<std::string> { "title", "photo0", "photo4", "credit" }));
    EXPECT_EQ(album.Slides()[1].fCollage, (std::vector<int32_t> { 0, 1, 2, 3 }));
    EXPECT_EQ(album.Slides()[2].fCollage, (std::vector<int32_t> { 4, 5, -1, -1 }));
}

TEST_F(KAlbumTest, NewbornAndClosingSlidesFollowThePartsTheyName)
{
    std::string path = MakeAlbum(fPrefix, "after.Qip", "newborn",
                                 "--keep @boy --string FLDR=@boy --string @1st=Ben --string '@Ini=B'", 2);
    AddShowLines(fPrefix, path, "newborn.after=credit\nclosing.background=title.jpg\nclosing.after=title\n");
    KAlbum album;
    ASSERT_TRUE(album.Open(Spec(path)));
    EXPECT_EQ(Kinds(album),
              (std::vector<std::string> { "title", "closing", "photo0", "photo1", "credit", "newborn" }));
    EXPECT_TRUE(album.Damage().empty());
}

TEST_F(KAlbumTest, NewbornSlideFollowsTheTitleAndShowsTheNames)
{
    std::string path = MakeAlbum(fPrefix, "baby.Qip", "newborn",
                                 "--keep @girl --string FLDR=@girl --string @1st=Anna --string @Mid=Sophie "
                                 "--string @Lst=Berg --string '@Dat=12 March 2026' --string '@Wgt=3.4 kg' "
                                 "--string '@Len=51 cm' --string '@Ini=A S B'", 1);
    KAlbum album;
    ASSERT_TRUE(album.Open(Spec(path)));
    EXPECT_EQ(album.Variant(), "@girl");
    EXPECT_EQ(Kinds(album), (std::vector<std::string> { "title", "newborn", "photo0", "credit" }));
    EXPECT_EQ(KSlideComposer::ExpandTags(album, album.Show().Text("newborn.name.text")), "Anna Sophie Berg");
    EXPECT_EQ(KSlideComposer::ExpandTags(album, album.Show().Text("newborn.details.text")),
              "12 March 2026\n3.4 kg \xB7 51 cm");   // the show text in the programs' code page
    // The girl variant's picture, and the names drawn in their box.
    EXPECT_EQ(album.Slides()[1].fPicture, "@girl:title.jpg");
    KSlideComposer composer(album);
    std::vector<uint32_t> withNames, without;
    composer.Compose(album.Slides()[1], withNames);
    KSlide bare = album.Slides()[1];
    bare.fKind = KSlideKind::kClosing;   // the same picture without texts
    composer.Compose(bare, without);
    std::vector<int> box = album.Show().Numbers("newborn.name.box");
    int changed = 0;
    for (int y = box[1]; y < box[1] + box[3]; ++y)
        for (int x = box[0]; x < box[0] + box[2]; ++x)
            changed += withNames[size_t(y) * 640 + size_t(x)] != without[size_t(y) * 640 + size_t(x)];
    EXPECT_GT(changed, 500);
}

TEST_F(KAlbumTest, DamagedPhotoGetsItsDamageSlideAndTheShowGoesOn)
{
    std::string path = MakeAlbum(fPrefix, "hurt.Qip", "fall", "");
    KAlbum intact;
    ASSERT_TRUE(intact.Open(Spec(path)));
    int64_t position = 0;
    int32_t size = 0;
    // Break the second photo's JPEG signature in the file itself.
    {
        NBinder probe;
        NFDirSpec mount(NFDriveSpec("\\\\probe\\"), "");
        ASSERT_GE(probe.Open(Spec(path), mount, NBinderMode::kRead), 0);
        ASSERT_TRUE(probe.Lookup(NFileSpec(mount, "photo:0001.jpg"), position, size));
        (void)probe.Close();
    }
    intact.Close();
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(position);
        file.write("XXXX", 4);
    }
    KAlbum album;
    ASSERT_TRUE(album.Open(Spec(path)));
    EXPECT_EQ(Kinds(album), (std::vector<std::string> { "title", "photo0", "damage1", "photo2", "credit" }));
    EXPECT_NE(album.Slides()[2].fText.find("photo:0001.jpg"), std::string::npos);
    // The seal no longer matches either, and that is said.
    ASSERT_GE(album.Damage().size(), 2u);
    EXPECT_NE(album.Damage()[0].find("seal"), std::string::npos);
    KSlideComposer composer(album);
    std::vector<uint32_t> frame;
    composer.Compose(album.Slides()[2], frame);
    EXPECT_EQ(frame.size(), 640u * 480u);
}

TEST_F(KAlbumTest, TruncatedOrMissingPartsGiveOneDamageSlide)
{
    std::string path = MakeAlbum(fPrefix, "short.Qip", "fall", "");
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    KAlbum album;
    EXPECT_FALSE(album.Open(Spec(path)));
    ASSERT_EQ(Kinds(album), (std::vector<std::string> { "damage" }));
    EXPECT_NE(album.Slides()[0].fText.find("short.Qip"), std::string::npos);

    std::string split = MakeAlbum(fPrefix, "gap.Qip", "fall", "--segment 16384");
    std::filesystem::path second = fPrefix.Root() / "gap2_4.Qip";
    if (!std::filesystem::exists(second))
        second = fPrefix.Root() / "gap2_3.Qip";
    ASSERT_TRUE(std::filesystem::remove(second));
    KAlbum gap;
    (void)gap.Open(Spec(split));
    ASSERT_FALSE(gap.Slides().empty());
    // Every slide is composed; those whose pictures lay in the lost segment name them.
    KSlideComposer composer(gap);
    std::vector<uint32_t> frame;
    std::string named;
    for (const KSlide& slide : gap.Slides()) {
        composer.Compose(slide, frame);
        EXPECT_EQ(frame.size(), 640u * 480u);
        for (const std::string& failure : composer.Failures())
            named += failure + " ";
        if (slide.fKind == KSlideKind::kDamage)
            named += slide.fText + " ";
    }
    EXPECT_FALSE(named.empty());
}

TEST_F(KAlbumTest, ShowDescriptionValuesAndTransitions)
{
    KShowDescription show;
    show.Read("# comment\ntransition=zoom-in,1200\r\nphoto.border=8,#fff6e8\nphoto.shadow=4,6,#50000000\nbad line\n"
              "transition=push-left,300\n");
    EXPECT_EQ(show.Text("transition"), "push-left,300");
    EXPECT_EQ(show.Colour("photo.border", 0), 0xFFFFF6E8u);
    EXPECT_EQ(show.Colour("photo.shadow", 0), 0x50000000u);
    EXPECT_EQ(show.Numbers("photo.shadow"), (std::vector<int> { 4, 6, 50000000 }));
    KTransition move = KTransition::Parse(show.Text("transition"));
    EXPECT_EQ(move.fKind, KTransitionKind::kPushLeft);
    EXPECT_EQ(move.fMilliseconds, 300);
    EXPECT_EQ(KTransition::Parse("sparkle,5").fKind, KTransitionKind::kCrossfade);

    // A crossfade halfway is the mean of both; a slide-left halfway shows both halves.
    std::vector<uint32_t> black(640 * 480, 0xFF000000), white(640 * 480, 0xFFFFFFFF), out(640 * 480);
    KTransition::Draw(KTransitionKind::kCrossfade, 0.5, black, white, out.data(), 640, 640, 480);
    EXPECT_NEAR(int(out[1000] & 0xFF), 0x80, 1);
    KTransition::Draw(KTransitionKind::kSlideLeft, 0.5, black, white, out.data(), 640, 640, 480);
    EXPECT_EQ(out[10], 0xFF000000u);
    EXPECT_EQ(out[630], 0xFFFFFFFFu);
    KTransition::Draw(KTransitionKind::kCrossfade, 1.0, black, white, out.data(), 640, 640, 480);
    EXPECT_EQ(out[1000], 0xFFFFFFFFu);
}

TEST_F(KAlbumTest, ShippedFilesCarryVersionRecords)
{
    for (const char* file : { LUMORA_PLAYER_BIN, LUMORA_LUMORAD, LUMORA_LUMORAD_XPB }) {
        NHostVersion version = NHostFileVersion::Read(NHostDrives::The().ToHost(file));
        EXPECT_EQ(version, (NHostVersion { 1, 0, 0, 0 })) << file;
    }
}

} // namespace
