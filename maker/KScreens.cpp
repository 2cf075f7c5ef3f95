// The Maker's screens.
#include "maker/KScreens.h"

#include "framework/NStringTable.h"
#include "imaging/NDrawTransformed.h"
#include "imaging/NSpImage.h"
#include "maker/KApp.h"
#include "maker/core/KPhotoDisc.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Texts and their fonts.
enum : int32_t {
    kTextWelcome = 147,
    kFontWelcome = 1210,
    kTextInsertDisk = 151,
    kFontPanel = 1215,
    kTextNoDisc = 153,
    kTextNoDiscHelp = 154,
    kTextErrorTop = 1217,
    kTextPlay = 144,
    kFontPlay = 1480,
    kTextQuitPartner = 133,
    kTextQuitStore = 135,
    kFontQuit = 1240,
    kCaptionContinue = 118,
    kCaptionQuit = 119,
    kCaptionOK = 120,
    kCaptionSamples = 121,
    kCaptionOffer = 122,
    kCaptionMake = 117,
};

constexpr int16_t kPanelX = 30;
constexpr int32_t kPanelWrap = 245;
constexpr int16_t kInsertDiskY = 156;
constexpr int32_t kErrorMargin = 8;

struct ThemeEntry {
    const char* fFile;
    const char* fSprite;
};

constexpr ThemeEntry kThemes[KChooseThemeGroup::kThemeCount] = {
    {"holidays.lmx", "themeHolidays.xps"}, {"birthday.lmx", "themeBirthday.xps"}, {"cats.lmx", "themeKitty.xps"},
    {"newborn.lmx", "themeNewborn.xps"},   {"iloveyou.lmx", "themeLove.xps"},     {"fall.lmx", "themeFall.xps"},
    {"photoalb.lmx", "themeAlbum.xps"},    {"collage.lmx", "themeCollage.xps"},
};

std::string Words(int32_t id)
{
    return NStringTable::The().GetString(id);
}

KScreenText PanelText(std::string words, int32_t font, int16_t y)
{
    KScreenText text;
    text.fWords = std::move(words);
    text.fFont = font;
    text.fColour = kPanelColour;
    text.fBackground = kClearColour;
    text.fX = kPanelX;
    text.fY = y;
    text.fWrap = kPanelWrap;
    return text;
}

} // namespace

// --- welcome ---

std::string KWelcomeGroup::BackgroundName() const
{
    return KApp::The().Brand() ? "wc_sf.jpg" : "welcomeBG.jpg";
}

void KWelcomeGroup::BuildSprites()
{
    AddButton("welcomeL.xps", kCaptionContinue, 111, kEventWelcomeContinue);
    AddButton("welcomeR.xps", kCaptionQuit, 112, kEventWelcomeQuit);
    KScreenText line;
    line.fWords = Words(kTextWelcome);
    line.fFont = kFontWelcome;
    line.fColour = kWelcomeColour;
    line.fBackground = kClearColour;
    line.fX = 620;
    line.fY = 460;
    line.fRightEdge = true;
    AddText(line);
}

// --- insert disk ---

std::string KInsertDiskGroup::BackgroundName() const
{
    return fError ? "errorBG.jpg" : "diskBG.jpg";
}

void KInsertDiskGroup::BuildSprites()
{
    BuildParts();
}

void KInsertDiskGroup::BuildParts()
{
    if (fError) {
        AddButton("errorOK.xps", kCaptionOK, 107, kEventDiskOK);
        AddButton("errorCancel.xps", kCaptionSamples, 108, kEventDiskSamples);
        KScreenText message = PanelText(Words(kTextNoDisc) + "\n" + Words(kTextNoDiscHelp), kFontPanel,
                                        int16_t(std::atoi(Words(kTextErrorTop).c_str())));
        message.fMargin = kErrorMargin;
        AddText(message);
    } else {
        AddButton("diskOK.xps", kCaptionOK, 107, kEventDiskOK);
        AddButton("diskCancel.xps", kCaptionSamples, 108, kEventDiskSamples);
        AddText(PanelText(Words(kTextInsertDisk), kFontPanel, kInsertDiskY));
    }
}

void KInsertDiskGroup::ShowError()
{
    if (fError)
        return;
    fError = true;
    if (!IsBuilt()) {
        Build();
        return;
    }
    while (!fParts.empty())
        Remove(*fParts.back());
    LoadBackground(BackgroundName());
    BuildParts();
    MarkChanged();
}

// --- choose theme ---

KChooseThemeGroup::KChooseThemeGroup() = default;
KChooseThemeGroup::~KChooseThemeGroup() = default;

const char* KChooseThemeGroup::ThemeFileName(int index)
{
    return kThemes[std::clamp(index, 0, kThemeCount - 1)].fFile;
}

void KChooseThemeGroup::BuildSprites()
{
    AddButton("choosePlay.xps", kCaptionMake, 105, kEventMakeAlbum);
    AddButton("chooseQuit.xps", kCaptionQuit, 106, kEventThemeQuit);
    fGroup.SetRect(NRect(0, 0, kWidth, kHeight));
    AddChild(fGroup, kButtonLayer);
    NFDirSpec sprites = KApp::The().AssetsFolder().SubDir("Sprites:");
    for (int i = 0; i < kThemeCount; ++i) {
        std::string name = SpriteName(kThemes[i].fSprite, true);
        NFileSpec spec(sprites, name, false);
        NSprite place;
        place.LoadSpriteFile(spec);
        NRadioButton& button = fThemes[size_t(i)];
        button.LoadSprites(spec, NPoint(place.Rect().fX, place.Rect().fY));
        button.SetNotification(NNotification(KApp::The().Port().Id(), NPortEvent(kEventThemeFirst + i), false));
        button.SetUiName(std::string(kThemes[i].fSprite).substr(0, std::string(kThemes[i].fSprite).find('.')));
        fGroup.AddRadioButton(button, 0);
    }
    fGroup.Select(fThemes[size_t(fIndex)]);
}

void KChooseThemeGroup::ThemeEvent(int32_t code)
{
    fIndex = std::clamp(code - kEventThemeFirst, 0, kThemeCount - 1);
    if (IsBuilt() && fGroup.Selected() != &fThemes[size_t(fIndex)])
        fGroup.Select(fThemes[size_t(fIndex)]);
}

NFileSpec KChooseThemeGroup::ThemeFile() const
{
    return NFileSpec(KApp::The().AssetsFolder().SubDir("LMx:"), kThemes[fIndex].fFile, false);
}

std::string KChooseThemeGroup::AlbumName() const
{
    return Words(kAlbumNameText + fIndex);
}

// --- progress ---

KProgressGroup::~KProgressGroup() = default;

const char* KProgressGroup::ScreenName() const
{
    switch (fMode) {
    case kPlayerMode:
        return "progress-player";
    case kPartnerMode:
        return "progress-partner";
    default:
        return "progress-album";
    }
}

std::string KProgressGroup::BackgroundName() const
{
    switch (fMode) {
    case kPlayerMode:
        return "installQip.jpg";
    case kPartnerMode:
        return "installPSW.jpg";
    default:
        return "progressBG.jpg";
    }
}

void KProgressGroup::LoadBar()
{
    bool album = fMode == kAlbumMode;
    NFDirSpec sprites = KApp::The().AssetsFolder().SubDir("Sprites:");
    fTrack.LoadSpriteFile(NFileSpec(sprites, album ? "prgThermBG.xps" : "instThermBG.xps", false));
    NSprite place;
    NFileSpec bar(sprites, album ? "prgTherm.xps" : "instTherm.xps", false);
    place.LoadSpriteFile(bar);
    fBar.LoadBar(bar, NPoint(place.Rect().fX, place.Rect().fY));
    fTrack.MarkChanged();
    fBar.MarkChanged();
}

void KProgressGroup::BuildSprites()
{
    AddChild(fTrack, kTextLayer);
    AddChild(fBar, kButtonLayer);
    LoadBar();
    fBar.SetRange(0, 1);
    fBar.SetValue(0);
}

void KProgressGroup::SetMode(Mode mode)
{
    if (fPreview) {
        fPreview->MarkChanged();
        RemoveChild(*fPreview);
        fPreview.reset();
    }
    if (mode == fMode)
        return;
    fMode = mode;
    if (!IsBuilt())
        return;
    LoadBackground(BackgroundName());
    LoadBar();
    MarkChanged();
}

int32_t KProgressGroup::CountPhotos(const NFDirSpec& folder, int32_t preset, bool allowLong)
{
    return KPhotoDisc::CountPhotos(folder, preset, allowLong);
}

void KProgressGroup::Redraw()
{
    KApp::The().Housekeeping();
}

void KProgressGroup::SetSteps(int32_t steps)
{
    Build();
    fBar.SetRange(0, std::max<int32_t>(steps, 1));
    fBar.SetValue(0);
    Redraw();
}

void KProgressGroup::Step()
{
    fBar.SetValue(fBar.Value() + 1);
    Redraw();
}

void KProgressGroup::Finish()
{
    fBar.SetValue(fBar.Maximum());
    Redraw();
}

NRect KProgressGroup::PreviewRect() const
{
    return fPreview ? fPreview->Rect() : NRect();
}

void KProgressGroup::ShowPicture(const NFileSpec& jpeg)
{
    int components = 0;
    NRect size = NJpegSprite::JpegInfo(jpeg, &components);
    if (size.fWidth <= 0 || size.fHeight <= 0)
        return;
    // The box's height, or its width when the height would make the picture too wide.
    int32_t height = kPreviewHeight;
    int32_t width = int32_t(size.fWidth) * height / size.fHeight;
    if (width > kPreviewWidth) {
        width = kPreviewWidth;
        height = std::max<int32_t>(1, int32_t(size.fHeight) * width / size.fWidth);
    }
    width = std::max<int32_t>(width, 1);
    // Decoding at the largest reduction that still covers the preview keeps big photos quick.
    int scale = 1;
    while (scale < 8 && size.fWidth / (scale * 2) >= width && size.fHeight / (scale * 2) >= height)
        scale *= 2;
    NJpegSprite full;
    full.MakeMemory(NRect(0, 0, int16_t((size.fWidth + scale - 1) / scale), int16_t((size.fHeight + scale - 1) / scale)),
                    32, nullptr);
    full.LoadJpeg(jpeg, scale);
    if (full.DecodedSize().fWidth <= 0 || !full.CurrentImage())
        return;
    auto photo = std::make_unique<NMemSprite>();
    photo->MakeMemory(NRect(0, 0, int16_t(width), int16_t(height)), 32, nullptr);
    const NRect& decoded = full.DecodedSize();
    const NTransformPoint from[3] = {{0, 0}, {double(decoded.fWidth), 0}, {0, double(decoded.fHeight)}};
    const NTransformPoint to[3] = {{0, 0}, {double(width), 0}, {0, double(height)}};
    DrawTransformed(*full.CurrentImage(), *photo->CurrentImage(), decoded, photo->CurrentImage()->Bounds(), from, to,
                    0, true, kTransformOpaque, NSpImage::kFullPercent);
    photo->CurrentImage()->SetFlags(0);
    if (fPreview) {
        fPreview->MarkChanged();
        RemoveChild(*fPreview);
    }
    fPreview = std::move(photo);
    AddChild(*fPreview, kTextLayer);
    fPreview->MoveTo(NPoint(int16_t(kPreviewX + (kPreviewWidth - width) / 2),
                            int16_t(kPreviewY + (kPreviewHeight - height) / 2)));
    fPreview->MarkChanged();
    Redraw();
}

// --- play and quit ---

void KPlayGroup::BuildSprites()
{
    AddText(PanelText(Words(kTextPlay), kFontPlay, 250));
}

void KQuitGroup::BuildSprites()
{
    AddButton("quitFreeOffer.xps", kCaptionOffer, 109, kEventQuitOffer);
    AddButton("quitQuit.xps", kCaptionQuit, 110, kEventQuitQuit);
    AddText(PanelText(Words(KApp::The().Brand() ? kTextQuitPartner : kTextQuitStore), kFontQuit, 202));
}
