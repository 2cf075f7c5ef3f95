// lumora-screens: composes every Lumora Maker screen from the built archive (background,
// logo, buttons with their captions, texts, theme buttons, thermometers, newborn fields)
// through the sprite tree on the headless window, writes one PNG per screen and language
// and a contact sheet per language, and measures every text against its box with the
// text renderer. A text that does not fit, or a file the screens need that does not
// load, makes it exit 1.
#include "assets/tool/ScreenTable.h"
#include "framework/NAppClock.h"
#include "framework/NStringTable.h"
#include "imaging/NCanvas.h"
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
#include "platform/NHostDrives.h"
#include "platform/NHostHeadlessWindow.h"
#include "platform/NHostPng.h"
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFileException.h"
#include "tools/ImageToolSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kMountRoot[] = "\\\\lumora-screens\\";
constexpr int kSmoothing = 4;
constexpr int kSheetGap = 8;
constexpr uint32_t kSheetFill = 0xFF2A1D3A;
// The progress screen's preview box (drawn into its background).
constexpr int16_t kPreviewX = 364, kPreviewY = 128, kPreviewWidth = 236, kPreviewHeight = 177;

const char kUsage[] =
    "usage: lumora-screens render ARCHIVE.xpb OUTDIR\n"
    "       lumora-screens themes ARCHIVE.xpb LMXDIR OUTDIR\n"
    "       lumora-screens setup SETUPDIR OUTDIR [--known ID]...\n"
    "Renders every Maker screen in English and German from the archive into\n"
    "OUTDIR/<screen>-<lang>.png and OUTDIR/contact-<lang>.png, and prints each text with its\n"
    "measured size against its box (\"fits\" or \"OVERFLOW\"). Exits 1 when a text\n"
    "overflows or a sprite or background is missing.\n"
    "themes shows every theme of LMXDIR as the player would from its show description\n"
    "(Assets:show.txt): a photo slide with the archive's sample photos and caption, and the\n"
    "title slide, into OUTDIR/theme-<name>.png and OUTDIR/contact-themes.png.\n"
    "setup shows the player setup's choice, progress and success panes in English, German\n"
    "and French from its folder (theme.jpg, palettes, sprites, string tables) into\n"
    "OUTDIR/setup-<pane>-<lang>.png and OUTDIR/contact-setup.png, measuring the texts; a\n"
    "text given with --known (its place, width, font and English words fixed by the panes)\n"
    "that does not fit is printed as KNOWN and not counted.\n";

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
    std::string fFontText;   // a font entry given directly instead of a string id
    std::vector<int32_t> fKnown;

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
        font.FontFromText(fFontText.empty() ? NStringTable::The().GetString(text.fFont) : fFontText);
        label.SetSmoothing(true, kSmoothing);
        label.SetFont(font);
        if (text.fWrap > 0) {
            label.SetWrapWidth(text.fWrap);
            label.SetWordWrap(true);
            if (text.fAnchor == kAnchorCentre)
                label.SetAlignment(kAlignCentreTop);
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
        bool known = !fits && std::find(fKnown.begin(), fKnown.end(), text.fId) != fKnown.end();
        std::printf("%-8s %s %s text %d: %dx%d at (%d, %d) in box (%d, %d, %d, %d)\n",
                    fits ? "fits" : known ? "KNOWN" : "OVERFLOW",
                    fLanguage.c_str(), text.fScreen, text.fId, size.fWidth, size.fHeight, x, y, text.fBox.fX,
                    text.fBox.fY, text.fBox.fWidth, text.fBox.fHeight);
        fFaults += fits || known ? 0 : 1;
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
void ContactSheet(const std::vector<std::string>& pictures, const std::string& outPath, int columns = 3)
{
    constexpr int32_t kWidth = 320, kHeight = 240;
    int rows = int(pictures.size() + size_t(columns) - 1) / columns;
    NHostRgbaImage sheet;
    sheet.fWidth = columns * (kWidth + kSheetGap) + kSheetGap;
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
        int32_t left = kSheetGap + int32_t(n % columns) * (kWidth + kSheetGap);
        int32_t top = kSheetGap + int32_t(n / columns) * (kHeight + kSheetGap);
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

// --- Themes ---

using ShowValues = std::map<std::string, std::string>;

std::string ReadElement(const NFileSpec& spec)
{
    std::string text;
    try {
        NStream stream = spec.Open(kStreamRead, true);
        text.resize(size_t(stream.GetLength()));
        stream.ReadFully(int32_t(text.size()), text.data());
    } catch (const NFileException&) {
        text.clear();
    }
    return text;
}

/// key=value lines; '#' starts a comment line; later lines win.
void ReadShow(const std::string& text, ShowValues& values)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        values[line.substr(0, equals)] = line.substr(equals + 1);
    }
}

std::vector<int> Numbers(const std::string& text)
{
    std::vector<int> numbers;
    const char* p = text.c_str();
    while (*p) {
        char* end = nullptr;
        long value = std::strtol(p, &end, 10);
        if (end == p) {
            ++p;
            continue;
        }
        numbers.push_back(int(value));
        p = end;
    }
    return numbers;
}

uint32_t Colour(const std::string& text)
{
    size_t hash = text.find('#');
    return hash == std::string::npos ? 0 : uint32_t(std::strtoul(text.c_str() + hash + 1, nullptr, 16));
}

/// Decodes a JPEG of the archive into a 32-bit picture of the given size.
std::unique_ptr<NJpegSprite> DecodeJpeg(const NFileSpec& spec, int16_t width, int16_t height, Clock& clock)
{
    auto sprite = std::make_unique<NJpegSprite>();
    sprite->MakeMemory(NRect(0, 0, width, height), 32, nullptr);
    sprite->LoadJpeg(spec, 1);
    for (int i = 0; i < 400 && sprite->IsDecoding(); ++i) {
        clock.fNow += 50;
        NAppClock::The().Update();
    }
    return sprite;
}

/// Draws the photo fitted into the box (its shape kept, centred), on a mat of the
/// border's width and colour, turned by the angle in degrees about the box's centre.
void PlacePhoto(NSpImage& canvas, const NSpImage& photo, const std::vector<int>& box, int border, uint32_t borderColour,
                double angle)
{
    double boxW = box[2], boxH = box[3];
    double scale = std::min(boxW / photo.Bounds().fWidth, boxH / photo.Bounds().fHeight);
    double w = photo.Bounds().fWidth * scale, h = photo.Bounds().fHeight * scale;
    double cx = box[0] + boxW / 2, cy = box[1] + boxH / 2;
    double radians = angle * 3.14159265358979 / 180;
    auto turned = [&](double x, double y) {
        return NTransformPoint { cx + x * std::cos(radians) - y * std::sin(radians),
                                 cy + x * std::sin(radians) + y * std::cos(radians) };
    };
    if (border > 0) {
        NSpMemImage mat;
        std::vector<uint32_t> matBits(16, 0xFF000000u | borderColour);
        mat.SetBits(reinterpret_cast<uint8_t*>(matBits.data()), 4, 4, 16, 32, nullptr);
        const NTransformPoint from[3] = { { 0, 0 }, { 4, 0 }, { 0, 4 } };
        const NTransformPoint to[3] = { turned(-w / 2 - border, -h / 2 - border), turned(w / 2 + border, -h / 2 - border),
                                        turned(-w / 2 - border, h / 2 + border) };
        DrawTransformed(mat, canvas, mat.Bounds(), canvas.Bounds(), from, to, 0, true, kTransformOpaque,
                        NSpImage::kFullPercent);
        mat.SetBits(nullptr, 0, 0, 0, 32, nullptr);
    }
    const NTransformPoint from[3] = { { 0, 0 }, { double(photo.Bounds().fWidth), 0 }, { 0, double(photo.Bounds().fHeight) } };
    const NTransformPoint to[3] = { turned(-w / 2, -h / 2), turned(w / 2, -h / 2), turned(-w / 2, h / 2) };
    DrawTransformed(photo, canvas, photo.Bounds(), canvas.Bounds(), from, to, 0, true, kTransformOpaque,
                    NSpImage::kFullPercent);
}

int ThemeTextFaults(Renderer& renderer, NSpUniverse& universe, const ShowValues& show, const std::string& key,
                    const std::string& words, const char* theme)
{
    auto value = [&](const std::string& name) {
        auto found = show.find(key + "." + name);
        return found == show.end() ? std::string() : found->second;
    };
    std::vector<int> box = Numbers(value("box"));
    if (box.size() != 4 || box[2] <= 0)
        return 0;
    ScreenText text;
    text.fScreen = theme;
    text.fLiteral = words.c_str();
    text.fColour = Colour(value("colour"));
    text.fAnchor = kAnchorCentre;
    text.fX = int16_t(box[0] + box[2] / 2);
    text.fY = int16_t(box[1] + box[3] / 2);
    text.fWrap = box[2];
    text.fBox = NRect(int16_t(box[0]), int16_t(box[1]), int16_t(box[2]), int16_t(box[3]));
    renderer.fFontText = value("font");
    int before = renderer.fFaults;
    renderer.Text(universe, text);
    renderer.fFontText.clear();
    return renderer.fFaults - before;
}

void RenderThemeSlide(Renderer& renderer, const NFDirSpec& theme, const ShowValues& show, bool titleSlide,
                      const std::string& outPath, Clock& clock, const char* name, int firstPhoto)
{
    auto value = [&](const std::string& key) {
        auto found = show.find(key);
        return found == show.end() ? std::string() : found->second;
    };
    NHostHeadlessWindow window(640, 480);
    NSpUniverse universe;
    universe.SetBounds(NRect(0, 0, 640, 480), &window);
    std::string background = value(titleSlide ? "title.background" : "slide.background");
    auto slide = DecodeJpeg(NFileSpec(theme, "Assets:" + background), 640, 480, clock);
    if (slide->DecodedSize().fWidth == 0)
        renderer.Fault(std::string(name) + " Assets:" + background);
    NSpImage& canvas = *slide->CurrentImage();
    renderer.fNodes.clear();
    if (!titleSlide) {
        std::vector<std::string> boxes;
        if (value("photo.layout") == "collage") {
            for (int i = 1; i <= std::atoi(value("collage.count").c_str()); ++i)
                boxes.push_back(value("collage.box." + std::to_string(i)));
        } else {
            boxes.push_back(value("photo.box") + "," + value("photo.angle"));
        }
        std::vector<int> border = Numbers(value(value("photo.layout") == "collage" ? "collage.border" : "photo.border"));
        for (size_t i = 0; i < boxes.size(); ++i) {
            auto photo = DecodeJpeg(renderer.Spec("eng:Samples:" + std::to_string((size_t(firstPhoto) + i) % 7) + ".jpg"), 640, 480, clock);
            std::vector<int> box = Numbers(boxes[i]);
            if (box.size() < 4) {
                renderer.Fault(std::string(name) + " photo box");
                continue;
            }
            PlacePhoto(canvas, *photo->CurrentImage(), box, border.empty() ? 0 : border[0],
                       Colour(value(value("photo.layout") == "collage" ? "collage.border" : "photo.border")),
                       box.size() > 4 ? box[4] : 0);
        }
    }
    universe.AddChild(*slide, 16);
    if (titleSlide) {
        if (show.count("newborn.name.box")) {
            ThemeTextFaults(renderer, universe, show, "newborn.initials", "A S B", name);
            ThemeTextFaults(renderer, universe, show, "newborn.name", "Anna Sophie Berg", name);
            ThemeTextFaults(renderer, universe, show, "newborn.details", "12 March 2026\n3.4 kg  -  51 cm", name);
        } else {
            ThemeTextFaults(renderer, universe, show, "title", "Summer at the Lake", name);
            ThemeTextFaults(renderer, universe, show, "credit", "Made with Lumora Maker\nLumora Photo Studio", name);
        }
    } else {
        ThemeTextFaults(renderer, universe, show, "caption", "Our best day together", name);
    }
    universe.RepaintAll(NRect(0, 0, 640, 480));
    universe.RenderChanges();
    std::string error;
    if (!window.SavePng(outPath, error))
        ToolFail(outPath + ": " + error);
    renderer.fNodes.clear();
}

int RenderThemes(int argc, char** argv)
{
    if (argc != 5)
        ToolFail("themes needs ARCHIVE.xpb LMXDIR OUTDIR");
    std::filesystem::create_directories(argv[4]);
    NFDirSpec mount { NFDriveSpec(kMountRoot) };
    NBinder binder;
    if (binder.Open(ToolHostFile(argv[2]), mount, kBinderRead) != kMakerApplication)
        ToolFail(std::string(argv[2]) + ": not the Maker's archive");
    NBinderRegistry::The().Register(&binder);
    Clock clock;
    NAppClock::The().SetSource(&clock);
    Renderer renderer;
    renderer.fAssets = mount;
    renderer.fLanguage = "eng";
    auto palette = std::make_unique<NPalette>();
    palette->LoadFile(renderer.Spec("Lumo8.pal"), true);
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));

    std::vector<std::string> pictures;
    int photo = 0;
    for (const char* stem : { "holidays", "birthday", "cats", "newborn", "iloveyou", "fall", "photoalb", "collage" }) {
        NFDirSpec themeMount { NFDriveSpec(std::string("\\\\lumora-theme-") + stem + "\\") };
        NBinder theme;
        if (theme.Open(ToolHostFile(std::string(argv[3]) + "/" + stem + ".lmx"), themeMount, kBinderRead) < 0)
            ToolFail(std::string(stem) + ".lmx does not open");
        NBinderRegistry::The().Register(&theme);
        ShowValues show;
        ReadShow(ReadElement(NFileSpec(themeMount, "Assets:show.txt")), show);
        std::vector<std::string> variants = { "" };
        if (show.count("variants")) {
            variants.clear();
            std::string list = show["variants"];
            for (size_t start = 0; start <= list.size();) {
                size_t comma = list.find(',', start);
                variants.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
                start = comma == std::string::npos ? list.size() + 1 : comma + 1;
            }
        }
        for (const std::string& variant : variants) {
            ShowValues values = show;
            if (!variant.empty())
                ReadShow(ReadElement(NFileSpec(themeMount, "Assets:" + variant + ":show.txt")), values);
            std::string name = std::string(stem) + (variant.empty() ? "" : "-" + variant.substr(1));
            for (bool title : { false, true }) {
                std::string out = std::string(argv[4]) + "/theme-" + name + (title ? "-title" : "") + ".png";
                RenderThemeSlide(renderer, themeMount, values, title, out, clock, name.c_str(), photo);
                pictures.push_back(out);
            }
        }
        NBinderRegistry::The().Unregister(&theme);
        theme.Close();
        ++photo;
    }
    ContactSheet(pictures, std::string(argv[4]) + "/contact-themes.png", 4);
    NAppClock::The().SetSource(nullptr);
    std::printf("%d texts measured, %d fault(s)\n", renderer.fTexts, renderer.fFaults);
    NBinderRegistry::The().Unregister(&binder);
    binder.Close();
    return renderer.fFaults == 0 ? 0 : kToolExitFailure;
}

// --- The player setup ---

// The pane band and its places, as the setup's panes lay them out.
constexpr int16_t kBandX = 20, kBandY = 310, kBandWidth = 620, kBandHeight = 170;
constexpr int16_t kPaneTextX = kBandX + 170;

ScreenText SetupText(const char* pane, int32_t id, int32_t font, int16_t x, int16_t y, int32_t wrap, int16_t boxHeight,
                     uint32_t colour)
{
    ScreenText text;
    text.fScreen = pane;
    text.fId = id;
    text.fFont = font;
    text.fColour = colour;
    text.fX = x;
    text.fY = y;
    text.fWrap = wrap;
    text.fBox = NRect(x, y, int16_t(wrap), boxHeight);
    return text;
}

void RenderSetupPane(Renderer& renderer, const NFDirSpec& folder, const std::string& pane, const std::string& outPath,
                     Clock& clock)
{
    constexpr uint32_t kInk = 0x3B2352, kHeading = 0x6B3FA0;
    NHostHeadlessWindow window(640, 480);
    NSpUniverse universe;
    universe.SetBounds(NRect(0, 0, 640, 480), &window);
    renderer.fNodes.clear();
    auto page = DecodeJpeg(NFileSpec(folder, "theme.jpg"), 640, 480, clock);
    if (page->DecodedSize().fWidth == 0)
        renderer.Fault("theme.jpg");
    universe.AddChild(*page, 16);
    renderer.Text(universe, SetupText("setup", 100, 278, 14, 146, 180, 100, kHeading));
    auto button = [&](int32_t label, int16_t y) {
        auto sprite = std::make_unique<NSprite>();
        if (!sprite->LoadSpriteFile(NFileSpec(folder, "button.xps")))
            renderer.Fault("button.xps");
        universe.AddChild(*sprite, 12);
        sprite->MoveTo(NPoint(kBandX + 8, y));
        const NRect& face = sprite->Rect();
        ScreenText caption;
        caption.fScreen = "setup";
        caption.fId = label;
        caption.fFont = 280;
        caption.fColour = 0xFFFFFF;
        caption.fAnchor = kAnchorCentre;
        caption.fX = int16_t(face.fX + face.fWidth / 2);
        caption.fY = int16_t(face.fY + 16);
        caption.fBox = NRect(int16_t(face.fX + 6), face.fY, int16_t(face.fWidth - 12), 34);
        renderer.fNodes.push_back(std::move(sprite));
        renderer.Text(universe, caption);
    };
    if (pane == "choice") {
        renderer.Text(universe, SetupText("setup-choice", 341, 340, kPaneTextX, kBandY, 240, 30, kHeading));
        const int32_t labels[] = { 270, 272, 275 };
        for (int i = 0; i < 3; ++i) {
            auto y = int16_t(kBandY + 30 + 38 * i);
            button(labels[i], y);
            renderer.Text(universe, SetupText("setup-choice", 342 + i, 277, kPaneTextX, y, 241, 38, kInk));
        }
    } else if (pane == "progress") {
        renderer.Text(universe, SetupText("setup-progress", 490, 277, kPaneTextX, kBandY, 430, 50, kHeading));
        for (const char* name : { "name.xps", "therm.xps" }) {
            auto sprite = std::make_unique<NSprite>();
            if (!sprite->LoadSpriteFile(NFileSpec(folder, name)))
                renderer.Fault(name);
            universe.AddChild(*sprite, 12);
            sprite->MoveTo(NPoint(kPaneTextX, kBandY + 59));
            if (std::string(name) == "therm.xps")
                sprite->Resize(sprite->LocalRect().fWidth * 8 / 13, sprite->LocalRect().fHeight);
            renderer.fNodes.push_back(std::move(sprite));
        }
    } else {
        bool failed = pane == "failure";
        renderer.Text(universe, SetupText("setup-message", failed ? 320 : 310, 277, kPaneTextX, kBandY, failed ? 242 : 240,
                                          30, kHeading));
        renderer.Text(universe, SetupText("setup-message", failed ? 322 : 311, failed ? 323 : 312, kPaneTextX,
                                          kBandY + 32, 430, kBandHeight - 32, kInk));
        button(275, kBandY + 30);
    }
    universe.RepaintAll(NRect(0, 0, 640, 480));
    universe.RenderChanges();
    std::string error;
    if (!window.SavePng(outPath, error))
        ToolFail(outPath + ": " + error);
    renderer.fNodes.clear();
}

int RenderSetup(int argc, char** argv)
{
    if (argc < 4)
        ToolFail("setup needs SETUPDIR OUTDIR");
    Renderer renderer;
    for (int i = 4; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) != "--known")
            ToolFail(std::string("unknown option ") + argv[i]);
        renderer.fKnown.push_back(std::atoi(argv[i + 1]));
    }
    std::filesystem::create_directories(argv[3]);
    NFDirSpec folder;
    if (!NFDirSpec::FromHostPath(NHostDrives::The().ToHost(std::string(argv[2]) + "/"), folder))
        ToolFail(std::string(argv[2]) + ": not a folder the drive table reaches");
    Clock clock;
    NAppClock::The().SetSource(&clock);
    renderer.fAssets = folder;
    auto palette = std::make_unique<NPalette>();
    if (!palette->LoadFile(NFileSpec(folder, "theme.pal"), true))
        ToolFail("theme.pal does not load");
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));
    std::vector<std::string> pictures;
    for (const char* language : { "eng", "deu", "fra" }) {
        renderer.fLanguage = language;
        if (!NStringTable::The().Load(NFileSpec(folder, std::string(language) + ".xst"), false))
            ToolFail(std::string(language) + ".xst does not load");
        if (std::string(language) != "eng")
            NStringTable::The().Load(NFileSpec(folder, "eng.xst"), true);
        for (const char* pane : { "choice", "progress", "success", "failure" }) {
            std::string out = std::string(argv[3]) + "/setup-" + pane + "-" + language + ".png";
            RenderSetupPane(renderer, folder, pane, out, clock);
            pictures.push_back(out);
        }
    }
    ContactSheet(pictures, std::string(argv[3]) + "/contact-setup.png", 4);
    NAppClock::The().SetSource(nullptr);
    std::printf("%d texts measured, %d fault(s)\n", renderer.fTexts, renderer.fFaults);
    return renderer.fFaults == 0 ? 0 : kToolExitFailure;
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
    return ToolMain("lumora-screens", kUsage, argc, argv, { { "render", RenderAll }, { "themes", RenderThemes }, { "setup", RenderSetup } });
}
