// The start page: albums found in the albums folder, each with its first photo.
#include "player/KStartScreen.h"

#include "framework/NRegistry.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NPaletteRegistry.h"
#include "player/KAlbum.h"
#include "player/KPlayerApp.h"
#include "player/KPlayerCodes.h"
#include "player/KSlideComposer.h"
#include "platform/NHostRegistry.h"
#include "storage/NFIterator.h"

#include <algorithm>
#include <cctype>
#include <cstring>

static constexpr int16_t kThumbWidth = 128;
static constexpr int16_t kThumbHeight = 96;
static constexpr int16_t kFrameWidth = 144;    // the album frame's art around the thumbnail
static constexpr int16_t kFrameHeight = 112;
static constexpr int16_t kColumns = 4;
static constexpr int16_t kLeft = 14;
static constexpr int16_t kTop = 70;
static constexpr int16_t kCellWidth = 154;
static constexpr int16_t kCellHeight = 134;
static constexpr int16_t kArtX = 8;
static constexpr int16_t kArtY = 2;
static constexpr int16_t kHeadingX = 216;
static constexpr int16_t kHeadingY = 28;
static constexpr int16_t kQuitX = 514;
static constexpr int16_t kQuitY = 18;
static constexpr uint32_t kThumbFill = 0xFF1E1628;
static constexpr int32_t kThumbPriority = 10;
static constexpr int32_t kThumbBehindFrame = 1;   // the frame's state sprite is at 0, in front
static constexpr int32_t kTextPriority = 5;
static constexpr uint32_t kLabelColour = 0xFFF4EAD8;
static constexpr uint32_t kDimmedColour = 0xFF7D7486;
static constexpr char kAlbumExtension[] = ".Qip";
static constexpr char kButtonFont[] = "Quicksand Medium,12b";
static constexpr uint32_t kBackdrop = 0xFF2A1D3A;
static constexpr int kFirstIndex = 10;
static constexpr int kLastIndex = 245;
static constexpr char kAlbumClassKey[] = ".Qip";
static constexpr char kLastSaveFormat[] = "\\LastSaveDir";
static constexpr char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
static constexpr char kAlbumsFolderName[] = "My Lumoras";
static constexpr char kHeadingFont[] = "Quicksand Medium,14b";
static constexpr char kNameFont[] = "Quicksand Medium,11";

KStartScreen::KStartScreen(NPage& page) : NPageData(page) {}

KStartScreen::~KStartScreen()
{
    Leave();
}

NFDirSpec KStartScreen::AlbumsFolder()
{
    std::string className, folder;
    if (NRegistry::ReadString(kHKeyClassesRoot, kAlbumClassKey, "", className) && !className.empty())
        (void)NRegistry::ReadString(kHKeyClassesRoot, className + kLastSaveFormat, "", folder);
    NFileSpec spec;
    if (!folder.empty() && NFileSpec::FromHostPath(folder + "\\" + NFileSpec::kPlaceholderName, spec))
        return spec.Dir();
    std::string programFiles;
    if (!NRegistry::ReadString(kHKeyLocalMachine, kVersionKey, "ProgramFilesDir", programFiles) || programFiles.empty())
        programFiles = "C:\\Program Files";
    if (NFileSpec::FromHostPath(programFiles + "\\" + kAlbumsFolderName + "\\" + NFileSpec::kPlaceholderName, spec))
        return spec.Dir();
    return NFDirSpec();
}

// The later files of a segmented set ("name2_4.Qip") are not albums of their own.
static bool IsLaterSegment(const std::string& name)
{
    size_t dot = name.rfind('.');
    size_t underscore = name.rfind('_', dot);
    if (dot == std::string::npos || underscore == std::string::npos || underscore + 1 == dot || underscore == 0)
        return false;
    for (size_t i = underscore + 1; i < dot; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    return std::isdigit(static_cast<unsigned char>(name[underscore - 1])) != 0;
}

void KStartScreen::Enter()
{
    KPlayerApp& app = KPlayerApp::The();
    const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
    auto index = [&](int r, int g, int b) {
        return palette && palette->Data() ? palette->Data()->NearestIndexIn(r, g, b, kFirstIndex, kLastIndex) : kFirstIndex;
    };
    NFDirSpec folder = AlbumsFolder();
    std::vector<NFileSpec> albums;
    for (NFileIterator files(NFDirRange { folder, "*.Qip" }); !files.Done() && albums.size() < 256; files.Next())
        if (!IsLaterSegment(files.Value().Name()))
            albums.push_back(files.Value());
    std::sort(albums.begin(), albums.end(), [](const NFileSpec& a, const NFileSpec& b) { return a.Name() < b.Name(); });
    if (albums.size() > size_t(kMaxAlbums))
        albums.resize(kMaxAlbums);

    app.Universe().SetFill(kBackdrop);
    app.Universe().MarkChanged();
    NFDirSpec art = app.ArtFolder();
    fArt.LoadSpriteFile(NFileSpec(art, "start-art.xps", false));
    fArt.ShowFrame(0);
    app.Universe().AddChild(fArt, kTextPriority);
    fArt.MoveTo(NPoint(kArtX, kArtY));
    NFont heading;
    heading.FontFromText(kHeadingFont);
    fHeading.SetSmoothing(true, 4);
    fHeading.SetFont(heading);
    app.Universe().AddChild(fHeading, kTextPriority);
    fHeading.SetText(albums.empty() ? "No albums in " + folder.HostPath() : "Your albums: click one to play it",
                     index(255, 250, 240), 0, 0, true);
    fHeading.MoveTo(NPoint(kHeadingX, kHeadingY));

    NFont label;
    label.FontFromText(kButtonFont);
    fQuit.Make(NFileSpec(art, "start-button.xps", false), NPoint(kQuitX, kQuitY), "Quit", &label, kLabelColour, 4,
               kDimmedColour);
    fQuit.Button().SetNotification(NNotification(app.Port().Id(), NPortEvent(kEventQuitPlayer), false));
    fQuit.Button().SetUiName("Quit");
    app.Universe().AddChild(fQuit, kTextPriority);

    NFont small;
    small.FontFromText(kNameFont);
    for (size_t i = 0; i < albums.size(); ++i) {
        Entry entry;
        entry.fAlbum = albums[i];
        int16_t x = int16_t(kLeft + int(i % kColumns) * kCellWidth), y = int16_t(kTop + int(i / kColumns) * kCellHeight);
        entry.fPlace = NRect(x, y, kFrameWidth, kFrameHeight);
        entry.fButton = std::make_unique<NButton>();
        entry.fButton->LoadSprites(NFileSpec(art, "album-frame.xps", false), NPoint(x, y));
        entry.fButton->SetNotification(NNotification(app.Port().Id(), NPortEvent(kEventPlayAlbum, int32_t(i)), false));
        entry.fButton->SetUiName(albums[i].Name());
        app.Universe().AddChild(*entry.fButton, kThumbPriority);
        // The first photo fitted into the frame's opening, behind the frame's rim.
        KAlbum album;
        std::vector<uint32_t> pixels;
        if (album.Open(albums[i], true) && album.PhotoCount() > 0
            && KSlideComposer::Fitted(album, "photo:0000.jpg", kThumbWidth, kThumbHeight, kThumbFill, pixels)) {
            entry.fThumbnail = std::make_unique<NMemSprite>();
            entry.fThumbnail->MakeMemory(NRect(0, 0, kThumbWidth, kThumbHeight), 32, nullptr);
            NSpImage& image = *entry.fThumbnail->CurrentImage();
            for (int y = 0; y < kThumbHeight; ++y)
                std::memcpy(image.GetBits() + size_t(y) * size_t(image.RowBytes()), pixels.data() + size_t(y) * kThumbWidth,
                            size_t(kThumbWidth) * 4);
            entry.fButton->AddChild(*entry.fThumbnail, kThumbBehindFrame);
            entry.fThumbnail->MoveTo(NPoint((kFrameWidth - kThumbWidth) / 2, (kFrameHeight - kThumbHeight) / 2));
        }
        entry.fName = std::make_unique<NSpText>();
        entry.fName->SetFont(small);
        entry.fName->SetWrapWidth(kCellWidth - 8);
        entry.fName->SetEllipsis(true);
        app.Universe().AddChild(*entry.fName, kTextPriority);
        std::string name = albums[i].Name();
        entry.fName->SetText(name.substr(0, name.size() - std::strlen(kAlbumExtension)), index(255, 250, 240), 0, 0, true);
        entry.fName->MoveTo(NPoint(int16_t(x + (kFrameWidth - entry.fName->LocalRect().fWidth) / 2),
                                   int16_t(y + kFrameHeight + 2)));
        fEntries.push_back(std::move(entry));
    }
}

void KStartScreen::Leave()
{
    KPlayerApp* app = KPlayerApp::IfAlive();
    if (!app)
        return;
    for (Entry& entry : fEntries) {
        if (entry.fThumbnail)
            entry.fButton->RemoveChild(*entry.fThumbnail);
        app->Universe().RemoveChild(*entry.fButton);
        app->Universe().RemoveChild(*entry.fName);
    }
    fEntries.clear();
    for (NSpObject* node : std::initializer_list<NSpObject*> { &fHeading, &fArt, &fQuit })
        app->Universe().RemoveChild(*node);
}

const NFileSpec* KStartScreen::AlbumNumber(int32_t index) const
{
    return index >= 0 && size_t(index) < fEntries.size() ? &fEntries[size_t(index)].fAlbum : nullptr;
}

const NFileSpec* KStartScreen::AlbumAt(NPoint point) const
{
    for (const Entry& entry : fEntries) {
        NRect cell(entry.fPlace.fX, entry.fPlace.fY, kFrameWidth, int16_t(kFrameHeight + 16));
        if (cell.Contains(point))
            return &entry.fAlbum;
    }
    return nullptr;
}
