// The progress screen of the installations and of album production.
#include "maker/KProgressGroup.h"

#include "imaging/NDrawTransformed.h"
#include "imaging/NSpImage.h"
#include "maker/KApp.h"
#include "maker/core/KPhotoDisc.h"

#include <algorithm>

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
