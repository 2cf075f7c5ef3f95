// Composing slides: pictures decoded by slices, the photo fitted and turned, texts set.
#include "player/KSlideComposer.h"

#include "player/KAlbum.h"
#include "framework/NAppClock.h"
#include "framework/NIdleTaskRegistry.h"
#include "imaging/NCanvas.h"
#include "imaging/NDrawTransformed.h"
#include "imaging/NFont.h"
#include "imaging/NJpegSprite.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpMemImage.h"
#include "imaging/NSpText.h"
#include "imaging/NSpUniverse.h"
#include "platform/NHostHeadlessWindow.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

static constexpr int kSmoothing = 4;
static constexpr int kFinishPasses = 5000;
static constexpr uint32_t kFinishSlice = 1000;
static constexpr int32_t kBackgroundPriority = 16;
static constexpr int32_t kTextPriority = 11;
static constexpr int kMaxScale = 8;
static constexpr uint32_t kDamageBackground = 0xFF2A1D3A;
static constexpr uint32_t kDamagePanel = 0xC0000000;
static constexpr int kDamageMargin = 60;
static constexpr int16_t kDamageBand = 40;
static constexpr double kPi = 3.14159265358979;
static constexpr int kMatSide = 4;
static constexpr uint32_t kOpaque = 0xFF000000;
static constexpr char kDefaultFont[] = "Quicksand Medium,16";

KSlideComposer::KSlideComposer(const KAlbum& album) : fAlbum(album) {}

KSlideComposer::~KSlideComposer() = default;

std::string KSlideComposer::ExpandTags(const KAlbum& album, const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "\\n") == 0) {
            out += '\n';
            i += 2;
        } else if (text[i] == '@' && i + 4 <= text.size()) {
            out += album.AlbumString(text.substr(i, 4));
            i += 4;
        } else {
            out += text[i++];
        }
    }
    // Names left empty leave runs of spaces behind.
    std::string tidy;
    for (char c : out)
        if (!(c == ' ' && (tidy.empty() || tidy.back() == ' ' || tidy.back() == '\n')))
            tidy += c;
    while (!tidy.empty() && tidy.back() == ' ')
        tidy.pop_back();
    return tidy;
}

bool KSlideComposer::Decoded(const NJpegSprite* sprite, const std::string& picture)
{
    if (picture.empty())
        return false;
    if (sprite && !sprite->DecodedSize().IsEmpty() && !sprite->HadFileError())
        return true;
    fFailures.push_back(picture);
    return false;
}

std::unique_ptr<NJpegSprite> KSlideComposer::StartDecode(const std::string& picture, uint32_t sliceMilliseconds)
{
    if (picture.empty())
        return nullptr;
    // Theme pictures are named relative to "Assets:"; photos and co-brand pictures from
    // the root.
    NFileSpec spec = fAlbum.Element("Assets:" + picture);
    if (picture.rfind("photo:", 0) == 0 || !NJpegSprite::IsJpegFile(spec))
        spec = fAlbum.Element(picture);
    NRect size = NJpegSprite::JpegInfo(spec);
    if (size.IsEmpty())
        return nullptr;
    int scale = 1;
    while (scale < kMaxScale && (size.fWidth / scale > 2 * kWidth || size.fHeight / scale > 2 * kHeight))
        scale *= 2;
    auto sprite = std::make_unique<NJpegSprite>();
    sprite->MakeMemory(NRect(0, 0, int16_t((size.fWidth + scale - 1) / scale), int16_t((size.fHeight + scale - 1) / scale)),
                       32, nullptr);
    sprite->SetSliceTime(sliceMilliseconds);
    sprite->LoadJpeg(spec, scale);
    return sprite;
}

void KSlideComposer::Begin(const KSlide& slide, uint32_t sliceMilliseconds)
{
    fSlide = slide;
    fPhotos.clear();
    fPhotoNames.clear();
    fBackground.reset();
    fPhotoRect = NRect();
    fPhotoDecoded = false;
    fFailures.clear();
    const KShowDescription& show = fAlbum.Show();
    std::string background;
    switch (slide.fKind) {
    case KSlideKind::kPhoto:
    case KSlideKind::kDamage:
        background = show.Text("slide.background");
        break;
    default:
        background = slide.fPicture;
        break;
    }
    fBackgroundName = background;
    fBackground = StartDecode(background, sliceMilliseconds);
    if (slide.fKind == KSlideKind::kPhoto) {
        if (slide.fCollage.empty())
            fPhotoNames.push_back(slide.fPicture);
        for (int32_t number : slide.fCollage)
            fPhotoNames.push_back(number < 0 ? std::string() : KAlbum::PhotoElement(number));
        for (const std::string& name : fPhotoNames)
            fPhotos.push_back(StartDecode(name, sliceMilliseconds));
    }
}

bool KSlideComposer::IsReady() const
{
    if (fBackground && fBackground->IsDecoding())
        return false;
    for (const auto& photo : fPhotos)
        if (photo && photo->IsDecoding())
            return false;
    return true;
}

static void FinishDecode(NJpegSprite* sprite)
{
    // A decode still running is finished by ticks at once; the slice task keeps going
    // until its rows are done.
    for (int i = 0; sprite && sprite->IsDecoding() && i < kFinishPasses; ++i) {
        sprite->SetSliceTime(kFinishSlice);
        NAppClock::The().Update();
        NIdleTaskRegistry::The().RunDueTasks();
        if (sprite->IsDecoding())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

namespace {

/// The pieces of one composition: the universe over its window and the text sprites.
struct Stage {
    NHostHeadlessWindow fWindow { KSlideComposer::kWidth, KSlideComposer::kHeight };
    NSpUniverse fUniverse;
    NMemSprite fCanvas;
    std::vector<std::unique_ptr<NSpText>> fTexts;

    Stage()
    {
        fUniverse.SetBounds(NRect(0, 0, KSlideComposer::kWidth, KSlideComposer::kHeight), &fWindow);
        fCanvas.MakeMemory(NRect(0, 0, KSlideComposer::kWidth, KSlideComposer::kHeight), 32, nullptr);
    }
    ~Stage()
    {
        for (auto& text : fTexts)
            fUniverse.RemoveChild(*text);
        fUniverse.RemoveChild(fCanvas);
    }
    uint32_t* Bits() { return reinterpret_cast<uint32_t*>(fCanvas.CurrentImage()->GetBits()); }
    int32_t Stride() { return fCanvas.CurrentImage()->RowBytes() / 4; }
};

uint8_t PaletteIndex(uint32_t colour)
{
    const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
    if (!palette || !palette->Data())
        return NCanvas::kDefaultTextIndex;
    return palette->Data()->NearestIndex(int(colour >> 16 & 0xFF), int(colour >> 8 & 0xFF), int(colour & 0xFF));
}

void AddText(Stage& stage, const std::string& font, uint32_t colour, const std::vector<int>& box, const std::string& words)
{
    if (box.size() < 4 || box[2] <= 0 || words.empty())
        return;
    auto label = std::make_unique<NSpText>();
    stage.fUniverse.AddChild(*label, kTextPriority);
    NFont face;
    face.FontFromText(font.empty() ? kDefaultFont : font);
    label->SetSmoothing(true, kSmoothing);
    label->SetFont(face);
    label->SetWrapWidth(box[2]);
    label->SetWordWrap(true);
    label->SetAlignment(kAlignCentreTop);
    label->SetText(words, PaletteIndex(colour), 0, 0, true);
    const NRect& size = label->LocalRect();
    label->MoveTo(NPoint(int16_t(box[0] + (box[2] - size.fWidth) / 2), int16_t(box[1] + (box[3] - size.fHeight) / 2)));
    stage.fTexts.push_back(std::move(label));
}

void Fill(Stage& stage, const NRect& rect, uint32_t colour)
{
    uint32_t* bits = stage.Bits();
    int32_t stride = stage.Stride();
    uint32_t alpha = colour >> 24;
    for (int y = std::max<int>(0, rect.fY); y < std::min<int>(KSlideComposer::kHeight, rect.fY + rect.fHeight); ++y)
        for (int x = std::max<int>(0, rect.fX); x < std::min<int>(KSlideComposer::kWidth, rect.fX + rect.fWidth); ++x) {
            uint32_t& pixel = bits[size_t(y) * size_t(stride) + size_t(x)];
            uint32_t mixed = kOpaque;
            for (int shift = 0; shift < 24; shift += 8) {
                uint32_t under = pixel >> shift & 0xFF, over = colour >> shift & 0xFF;
                mixed |= ((over * alpha + under * (255 - alpha)) / 255) << shift;
            }
            pixel = mixed;
        }
}

} // namespace

void KSlideComposer::Finish(std::vector<uint32_t>& pixels)
{
    FinishDecode(fBackground.get());
    for (const auto& photo : fPhotos)
        FinishDecode(photo.get());
    const KShowDescription& show = fAlbum.Show();
    Stage stage;
    NSpImage& canvas = *stage.fCanvas.CurrentImage();
    canvas.FillRect(canvas.Bounds(), kDamageBackground);
    if (Decoded(fBackground.get(), fBackgroundName)) {
        const NRect& size = fBackground->DecodedSize();
        const NTransformPoint from[3] = { { 0, 0 }, { double(size.fWidth), 0 }, { 0, double(size.fHeight) } };
        const NTransformPoint to[3] = { { 0, 0 }, { double(kWidth), 0 }, { 0, double(kHeight) } };
        DrawTransformed(*fBackground->CurrentImage(), canvas, size, canvas.Bounds(), from, to, 0, true, kTransformOpaque,
                        NSpImage::kFullPercent);
    }
    stage.fUniverse.AddChild(stage.fCanvas, kBackgroundPriority);

    switch (fSlide.fKind) {
    case KSlideKind::kPhoto: {
        // One photo in the photo box, or a collage's photos each in its own box.
        bool collage = !fSlide.fCollage.empty();
        std::string prefix = collage ? "collage" : "photo";
        std::vector<int> border = show.Numbers(prefix + ".border");
        int b = border.empty() ? 0 : std::max(0, border[0]);
        std::vector<int> shadow = show.Numbers(prefix + ".shadow");
        for (size_t at = 0; at < fPhotos.size(); ++at) {
            std::vector<int> box = collage ? show.Numbers("collage.box." + std::to_string(at + 1)) : show.Numbers("photo.box");
            int angle = collage ? (box.size() > 4 ? box[4] : 0) : show.Int("photo.angle", 0);
            if (box.size() < 4)
                box = { 0, 0, kWidth, kHeight };
            if (fPhotoNames[at].empty() || !Decoded(fPhotos[at].get(), fPhotoNames[at]))
                continue;
            const NRect& size = fPhotos[at]->DecodedSize();
            double scale = std::min(double(box[2]) / size.fWidth, double(box[3]) / size.fHeight);
            double w = size.fWidth * scale, h = size.fHeight * scale;
            double cx = box[0] + box[2] / 2.0, cy = box[1] + box[3] / 2.0;
            if (!collage || fSlide.fCollage[at] == fSlide.fPhoto) {
                fPhotoDecoded = true;
                fPhotoRect = NRect(int16_t(std::lround(cx - w / 2)), int16_t(std::lround(cy - h / 2)), int16_t(std::lround(w)),
                                   int16_t(std::lround(h)));
            }
            double radians = angle * kPi / 180;
            auto turned = [&](double x, double y) {
                return NTransformPoint { cx + x * std::cos(radians) - y * std::sin(radians),
                                         cy + x * std::sin(radians) + y * std::cos(radians) };
            };
            // The mat and the shadow are a small plain picture stretched over the turned box.
            auto mat = [&](uint32_t colour, double dx, double dy, int mode) {
                NSpMemImage plain;
                std::vector<uint32_t> bits(kMatSide * kMatSide, colour);
                plain.SetBits(reinterpret_cast<uint8_t*>(bits.data()), kMatSide, kMatSide, kMatSide * 4, 32, nullptr);
                plain.SetFlag(kImageAlpha, mode == kTransformBlend);
                const NTransformPoint from[3] = { { 0, 0 }, { kMatSide, 0 }, { 0, kMatSide } };
                NTransformPoint to[3] = { turned(-w / 2 - b, -h / 2 - b), turned(w / 2 + b, -h / 2 - b),
                                          turned(-w / 2 - b, h / 2 + b) };
                for (NTransformPoint& point : to) {
                    point.fX += dx;
                    point.fY += dy;
                }
                DrawTransformed(plain, canvas, plain.Bounds(), canvas.Bounds(), from, to, 0, true, mode,
                                NSpImage::kFullPercent);
                plain.SetBits(nullptr, 0, 0, 0, 32, nullptr);
            };
            if (shadow.size() >= 2 && show.Has(prefix + ".shadow"))
                mat(show.Colour(prefix + ".shadow", 0), shadow[0], shadow[1], kTransformBlend);
            if (b > 0)
                mat(show.Colour(prefix + ".border", 0xFFFFFFFF) | kOpaque, 0, 0, kTransformOpaque);
            const NTransformPoint from[3] = { { 0, 0 }, { double(size.fWidth), 0 }, { 0, double(size.fHeight) } };
            const NTransformPoint to[3] = { turned(-w / 2, -h / 2), turned(w / 2, -h / 2), turned(-w / 2, h / 2) };
            DrawTransformed(*fPhotos[at]->CurrentImage(), canvas, size, canvas.Bounds(), from, to, 0, true,
                            kTransformOpaque, NSpImage::kFullPercent);
        }
        std::string caption = fSlide.fText;
        if (!fSlide.fSecondText.empty())
            caption += (caption.empty() ? "" : "\n") + fSlide.fSecondText;
        AddText(stage, show.Text("caption.font"), show.Colour("caption.colour", 0xFFFFFFFF), show.Numbers("caption.box"),
                caption);
        break;
    }
    case KSlideKind::kTitle: {
        std::string words = fSlide.fText;
        if (!fSlide.fSecondText.empty())
            words += (words.empty() ? "" : "\n") + fSlide.fSecondText;
        AddText(stage, show.Text("title.font"), show.Colour("title.colour", 0xFFFFFFFF), show.Numbers("title.box"), words);
        break;
    }
    case KSlideKind::kCredit:
        AddText(stage, show.Text("credit.font"), show.Colour("credit.colour", 0xFFFFFFFF), show.Numbers("credit.box"),
                fSlide.fText);
        break;
    case KSlideKind::kNewborn:
        for (const char* part : { "newborn.initials", "newborn.name", "newborn.details" }) {
            std::string key = part;
            AddText(stage, show.Text(key + ".font"), show.Colour(key + ".colour", 0xFFFFFFFF), show.Numbers(key + ".box"),
                    ExpandTags(fAlbum, show.Text(key + ".text")));
        }
        break;
    case KSlideKind::kDamage: {
        NRect panel(kDamageMargin, kHeight / 3, kWidth - 2 * kDamageMargin, kHeight / 3);
        Fill(stage, panel, kDamagePanel);
        AddText(stage, kDefaultFont, 0xFFFFFFFF,
                { panel.fX + 16, panel.fY + 8, panel.fWidth - 32, panel.fHeight - 16 }, fSlide.fText);
        break;
    }
    case KSlideKind::kClosing:
        break;
    }
    if (!fFailures.empty()) {
        // The slide still shows what it can, and says which part of the album is damaged.
        std::string note = "Damaged in this album:";
        for (const std::string& name : fFailures)
            note += " " + name;
        NRect band(0, 0, kWidth, kDamageBand);
        Fill(stage, band, kDamagePanel);
        AddText(stage, kDefaultFont, 0xFFFFFFFF, { 8, 4, kWidth - 16, kDamageBand - 8 }, note);
    }
    stage.fCanvas.MarkChanged();
    stage.fUniverse.RepaintAll(NRect(0, 0, kWidth, kHeight));
    stage.fUniverse.RenderChanges();
    pixels.resize(size_t(kWidth) * size_t(kHeight));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels[size_t(y) * kWidth + size_t(x)] = stage.fWindow.Pixel(x, y);
}

bool KSlideComposer::Fitted(const KAlbum& album, const std::string& picture, int width, int height, uint32_t fill,
                            std::vector<uint32_t>& pixels)
{
    NFileSpec spec = album.Element(picture);
    NRect size = NJpegSprite::JpegInfo(spec);
    if (size.IsEmpty() || width <= 0 || height <= 0)
        return false;
    int scale = 1;
    while (scale < kMaxScale && size.fWidth / (scale * 2) >= width && size.fHeight / (scale * 2) >= height)
        scale *= 2;
    NJpegSprite sprite;
    sprite.MakeMemory(NRect(0, 0, int16_t((size.fWidth + scale - 1) / scale), int16_t((size.fHeight + scale - 1) / scale)),
                      32, nullptr);
    sprite.SetSliceTime(kFinishSlice);
    sprite.LoadJpeg(spec, scale);
    FinishDecode(&sprite);
    const NRect& decoded = sprite.DecodedSize();
    if (decoded.IsEmpty() || sprite.HadFileError())
        return false;
    NMemSprite target;
    target.MakeMemory(NRect(0, 0, int16_t(width), int16_t(height)), 32, nullptr);
    NSpImage& canvas = *target.CurrentImage();
    canvas.FillRect(canvas.Bounds(), fill);
    double fit = std::min(double(width) / decoded.fWidth, double(height) / decoded.fHeight);
    double w = decoded.fWidth * fit, h = decoded.fHeight * fit, x = (width - w) / 2, y = (height - h) / 2;
    const NTransformPoint from[3] = { { 0, 0 }, { double(decoded.fWidth), 0 }, { 0, double(decoded.fHeight) } };
    const NTransformPoint to[3] = { { x, y }, { x + w, y }, { x, y + h } };
    DrawTransformed(*sprite.CurrentImage(), canvas, decoded, canvas.Bounds(), from, to, 0, true, kTransformOpaque,
                    NSpImage::kFullPercent);
    pixels.resize(size_t(width) * size_t(height));
    const auto* bits = reinterpret_cast<const uint32_t*>(canvas.GetBits());
    int32_t stride = canvas.RowBytes() / 4;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            pixels[size_t(row) * size_t(width) + size_t(column)] = bits[size_t(row) * size_t(stride) + size_t(column)] | kOpaque;
    return true;
}

void KSlideComposer::Compose(const KSlide& slide, std::vector<uint32_t>& pixels)
{
    Begin(slide, 0);
    Finish(pixels);
}
