// lumora-screens: composes every Lumora Maker screen from the built archive (background,
// logo, buttons with their captions, texts, theme buttons, thermometers, newborn fields)
// through the sprite tree on the headless window, writes one PNG per screen and language
// and a contact sheet per language, and measures every text against its box with the
// text renderer. A text that does not fit, or a file the screens need that does not
// load, makes it exit 1.
#include "assets/tool/ScreenTable.h"
#include "framework/NAppClock.h"
#include "framework/NStringTable.h"
#include "imaging/NDrawTransformed.h"
#include "imaging/NFont.h"
#include "imaging/NJpegSprite.h"
#include "imaging/NMemSprite.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpGroup.h"
#include "imaging/NSpImage.h"
#include "imaging/NSpText.h"
#include "imaging/NSpUniverse.h"
#include "imaging/NSprite.h"
#include "platform/NHostHeadlessWindow.h"
#include "platform/NHostPng.h"
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFileException.h"
#include "tools/ImageToolSupport.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kMountRoot[] = "\\\\lumora-screens\\";
constexpr int kSmoothing = 4;
constexpr int kSheetColumns = 3;
constexpr int kSheetGap = 8;
constexpr uint32_t kSheetFill = 0xFF2A1D3A;
// The progress screen's preview box (drawn into its background).
constexpr int16_t kPreviewX = 364, kPreviewY = 128, kPreviewWidth = 236, kPreviewHeight = 177;

const char kUsage[] =
    "usage: lumora-screens render ARCHIVE.xpb OUTDIR\n"
    "Renders every Maker screen in English and German from the archive into\n"
    "OUTDIR/<screen>-<lang>.png and OUTDIR/contact-<lang>.png, and prints each text with its\n"
    "measured size against its box (\"fits\" or \"OVERFLOW\"). Exits 1 when a text\n"
    "overflows or a sprite or background is missing.\n";

class Clock : public NAppClock::Source {
public:
    uint32_t Milliseconds() override { return fNow; }
    uint32_t fNow = 1000;
};

struct Renderer {
    NFDirSpec fAssets;
    std::string fLanguage;
    int fFaults = 0;
    int fTexts = 0;

    NFileSpec Spec(const std::string& path) const { return NFileSpec(fAssets, path); }
    /// Whether the archive holds the file.
    bool Holds(const std::string& path) const { return NBinderRegistry::The().SizeOf(Spec(path)) > 0; }

    uint8_t Index(uint32_t colour) const
    {
        const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
        return palette->Data()->NearestIndex(int(colour >> 16 & 0xFF), int(colour >> 8 & 0xFF), int(colour & 0xFF));
    }

    void Fault(const std::string& what)
    {
        std::printf("MISSING  %s\n", what.c_str());
        ++fFaults;
    }

    // The texts drawn on one screen, kept until it is rendered.
    std::vector<std::unique_ptr<NSpObject>> fNodes;

    NSprite& Sprite(NSpUniverse& universe, const std::string& name, int layer, int frame = 0)
    {
        auto sprite = std::make_unique<NSprite>();
        if (!sprite->LoadSpriteFile(Spec("Sprites:" + name)))
            Fault("Sprites:" + name);
        sprite->ShowFrame(frame);
        universe.AddChild(*sprite, layer);
        fNodes.push_back(std::move(sprite));
        return static_cast<NSprite&>(*fNodes.back());
    }

    /// A text at its place, measured against its box; the box's height 0 means one line.
    NSpText& Text(NSpUniverse& universe, const ScreenText& text)
    {
        auto node = std::make_unique<NSpText>();
        NSpText& label = *node;
        universe.AddChild(label, 11);
        NFont font;
        font.FontFromText(NStringTable::The().GetString(text.fFont));
        label.SetSmoothing(true, kSmoothing);
        label.SetFont(font);
        if (text.fWrap > 0) {
            label.SetWrapWidth(text.fWrap);
            label.SetWordWrap(true);
        }
        if (text.fMargin > 0)
            label.SetMargins(text.fMargin, text.fMargin);
        std::string words = text.fLiteral ? text.fLiteral : NStringTable::The().GetString(text.fId);
        if (text.fSecondId)
            words += "\n" + NStringTable::The().GetString(text.fSecondId);
        label.SetText(words, Index(text.fColour), 0, text.fShadow ? Index(text.fShadow) : 0, true);
        const NRect& size = label.LocalRect();
        int16_t x = text.fX;
        if (text.fAnchor == kAnchorRight)
            x = int16_t(text.fX - size.fWidth);
        else if (text.fAnchor == kAnchorCentre)
            x = int16_t(text.fX - size.fWidth / 2);
        int16_t y = text.fY;
        if (text.fAnchor == kAnchorCentre)
            y = int16_t(text.fY - size.fHeight / 2);
        label.MoveTo(NPoint(x, y));
        bool fits = x >= text.fBox.fX && y >= text.fBox.fY && x + size.fWidth <= text.fBox.fX + text.fBox.fWidth
            && y + size.fHeight <= text.fBox.fY + text.fBox.fHeight;
        std::printf("%-8s %s %s text %d: %dx%d at (%d, %d) in box (%d, %d, %d, %d)\n", fits ? "fits" : "OVERFLOW",
                    fLanguage.c_str(), text.fScreen, text.fId, size.fWidth, size.fHeight, x, y, text.fBox.fX,
                    text.fBox.fY, text.fBox.fWidth, text.fBox.fHeight);
        fFaults += fits ? 0 : 1;
        ++fTexts;
        fNodes.push_back(std::move(node));
        return label;
    }

    void Render(const ScreenLayout& screen, const std::string& outPath, Clock& clock)
    {
        NHostHeadlessWindow window(640, 480);
        NSpUniverse universe;
        universe.SetBounds(NRect(0, 0, 640, 480), &window);
        fNodes.clear();

        NJpegSprite background;
        background.MakeMemory(NRect(0, 0, 640, 480), 32, nullptr);
        NFileSpec picture = Spec("BGjpg:" + fLanguage + ":" + screen.fBackground);
        if (!Holds("BGjpg:" + fLanguage + ":" + screen.fBackground))
            picture = Spec(std::string("BGjpg:eng:") + screen.fBackground);
        if (!Holds(std::string("BGjpg:eng:") + screen.fBackground))
            Fault(std::string("BGjpg:eng:") + screen.fBackground);
        background.LoadJpeg(picture, 1);
        universe.AddChild(background, 16);
        if (screen.fLogo) {
            std::string logo = screen.fPartner ? "sfLogo.xps" : "mktLogo" + fLanguage + ".xps";
            if (!Holds("Sprites:" + logo))
                logo = "mktLogoEng.xps";
            Sprite(universe, logo, 15);
        }
        for (const ScreenSprite& part : screen.fSprites) {
            if (!part.fName)
                break;
            std::string name = part.fName;
            if (part.fLocalised && Holds("Sprites:" + fLanguage + name))
                name = fLanguage + name;
            NSprite& sprite = Sprite(universe, name, 12, part.fFrame);
            if (part.fX || part.fY)
                sprite.MoveTo(NPoint(part.fX, part.fY));
            if (part.fFillPercent > 0) {
                const NRect& full = sprite.LocalRect();
                sprite.Resize(full.fWidth * part.fFillPercent / 100, full.fHeight);
            }
            if (part.fCaption) {
                // A text button's label: centred on the button's face.
                const NRect& face = sprite.Rect();
                ScreenText caption {};
                caption.fScreen = screen.fName;
                caption.fId = part.fCaption;
                caption.fFont = part.fCaptionFont;
                caption.fColour = 0xFFFFFF;
                caption.fShadow = part.fCaptionShadow;
                caption.fAnchor = kAnchorCentre;
                caption.fX = int16_t(face.fX + face.fWidth / 2);
                caption.fY = int16_t(face.fY + kButtonFaceHeight / 2 + 1);
                caption.fBox = NRect(int16_t(face.fX + kButtonInset), face.fY, int16_t(face.fWidth - 2 * kButtonInset),
                                     kButtonFaceHeight + 2);
                Text(universe, caption);
            }
        }
        for (const ScreenText& text : screen.fTexts) {
            if (!text.fScreen)
                break;
            Text(universe, text);
        }
        for (const ScreenBox& box : screen.fBoxes) {
            if (box.fRect.fWidth == 0)
                break;
            auto field = std::make_unique<NSpGroup>();
            universe.AddChild(*field, 12);
            field->SetRect(box.fRect);
            field->SetFill(box.fFill);
            field->SetBorder(box.fBorder, 1);
            fNodes.push_back(std::move(field));
        }
        std::unique_ptr<NJpegSprite> full;
        if (screen.fPreview) {
            // The picture being processed, scaled to the preview box's height.
            full = std::make_unique<NJpegSprite>();
            full->MakeMemory(NRect(0, 0, 640, 480), 32, nullptr);
            full->LoadJpeg(Spec(fLanguage + ":Samples:" + std::to_string(screen.fPreview - 1) + ".jpg"), 1);
        }
        // JPEG sprites decode in slices on the application clock: let them finish.
        for (int i = 0; i < 400 && (background.IsDecoding() || (full && full->IsDecoding())); ++i) {
            clock.fNow += 50;
            NAppClock::The().Update();
            universe.RenderChanges();
        }
        if (full) {
            auto photo = std::make_unique<NMemSprite>();
            photo->MakeMemory(NRect(0, 0, kPreviewWidth, kPreviewHeight), 32, nullptr);
            const NTransformPoint from[3] = { { 0, 0 }, { 640, 0 }, { 0, 480 } };
            const NTransformPoint to[3] = { { 0, 0 }, { kPreviewWidth, 0 }, { 0, kPreviewHeight } };
            DrawTransformed(*full, *photo, full->CurrentImage()->Bounds(), photo->CurrentImage()->Bounds(), from, to,
                            0, true, kTransformOpaque, NSpImage::kFullPercent);
            photo->CurrentImage()->SetFlags(0);
            universe.AddChild(*photo, 12);
            photo->MoveTo(NPoint(kPreviewX, kPreviewY));
            fNodes.push_back(std::move(photo));
        }
        universe.RepaintAll(NRect(0, 0, 640, 480));
        universe.RenderChanges();
        std::string error;
        if (!window.SavePng(outPath, error))
            ToolFail(outPath + ": " + error);
        fNodes.clear();
    }
};

// A contact sheet: the screens at half size on a dark board, three to a row.
void ContactSheet(const std::vector<std::string>& pictures, const std::string& outPath)
{
    constexpr int32_t kWidth = 320, kHeight = 240;
    int rows = int(pictures.size() + kSheetColumns - 1) / kSheetColumns;
    NHostRgbaImage sheet;
    sheet.fWidth = kSheetColumns * (kWidth + kSheetGap) + kSheetGap;
    sheet.fHeight = rows * (kHeight + kSheetGap) + kSheetGap;
    sheet.fPixels.resize(size_t(sheet.fWidth) * size_t(sheet.fHeight) * 4);
    for (size_t i = 0; i < sheet.fPixels.size(); i += 4) {
        sheet.fPixels[i] = uint8_t(kSheetFill >> 16);
        sheet.fPixels[i + 1] = uint8_t(kSheetFill >> 8);
        sheet.fPixels[i + 2] = uint8_t(kSheetFill);
        sheet.fPixels[i + 3] = 0xFF;
    }
    for (size_t n = 0; n < pictures.size(); ++n) {
        NHostRgbaImage screen = ToolReadPng(pictures[n]);
        int32_t left = kSheetGap + int32_t(n % kSheetColumns) * (kWidth + kSheetGap);
        int32_t top = kSheetGap + int32_t(n / kSheetColumns) * (kHeight + kSheetGap);
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < 2; ++dy)
                        for (int dx = 0; dx < 2; ++dx)
                            sum += screen.fPixels[(size_t(2 * y + dy) * size_t(screen.fWidth) + size_t(2 * x + dx)) * 4 + size_t(c)];
                    sheet.fPixels[(size_t(top + y) * size_t(sheet.fWidth) + size_t(left + x)) * 4 + size_t(c)] = uint8_t(sum / 4);
                }
            }
        }
    }
    ToolWritePng(outPath, sheet);
}

int RenderAll(int argc, char** argv)
{
    if (argc != 4)
        ToolFail("render needs ARCHIVE.xpb OUTDIR");
    std::filesystem::create_directories(argv[3]);
    NFileSpec archive = ToolHostFile(argv[2]);
    NFDirSpec mount { NFDriveSpec(kMountRoot) };
    NBinder binder;
    if (binder.Open(archive, mount, kBinderRead) != kMakerApplication)
        ToolFail(std::string(argv[2]) + ": not the Maker's archive");
    NBinderRegistry::The().Register(&binder);
    Clock clock;
    NAppClock::The().SetSource(&clock);

    Renderer renderer;
    renderer.fAssets = mount;
    auto palette = std::make_unique<NPalette>();
    if (!palette->LoadFile(renderer.Spec("Lumo8.pal"), true))
        ToolFail("Lumo8.pal does not load");
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));

    for (const char* language : { "eng", "deu" }) {
        renderer.fLanguage = language;
        if (!NStringTable::The().Load(renderer.Spec(std::string(language) + ".xst"), false))
            ToolFail(std::string(language) + ".xst does not load");
        if (std::string(language) != "eng")
            NStringTable::The().Load(renderer.Spec("eng.xst"), true);
        std::vector<std::string> pictures;
        for (const ScreenLayout& screen : MakerScreens()) {
            std::string out = std::string(argv[3]) + "/" + screen.fName + "-" + language + ".png";
            renderer.Render(screen, out, clock);
            pictures.push_back(out);
        }
        ContactSheet(pictures, std::string(argv[3]) + "/contact-" + language + ".png");
    }
    NAppClock::The().SetSource(nullptr);
    std::printf("%d texts measured, %d fault(s)\n", renderer.fTexts, renderer.fFaults);
    binder.Close();
    return renderer.fFaults == 0 ? 0 : kToolExitFailure;
}

} // namespace

int main(int argc, char** argv)
{
    return ToolMain("lumora-screens", kUsage, argc, argv, { { "render", RenderAll } });
}
