// lumora-screens: composes every Lumora Maker screen from the built archive (background,
// logo, buttons with their captions, texts, theme buttons, thermometers, newborn fields)
// through the sprite tree on the headless window, writes one PNG per screen and language
// and a contact sheet per language, and measures every text against its box with the
// text renderer. A text that does not fit, or a file the screens need that does not
// load, makes it exit 1.
#include "assets/tool/ScreenRenderer.h"

namespace {

constexpr char kMountRoot[] = "\\\\lumora-screens\\";

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

int RenderAll(int argc, char** argv)
{
    if (argc != 4)
        ToolFail("render needs ARCHIVE.xpb OUTDIR");
    std::filesystem::create_directories(argv[3]);
    NFileSpec archive = ToolHostFile(argv[2]);
    NFDirSpec mount { NFDriveSpec(kMountRoot) };
    NBinder binder;
    if (binder.Open(archive, mount, NBinderMode::kRead) != kMakerApplication)
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
    (void)binder.Close(); // opened for reading: nothing to lose
    return renderer.fFaults == 0 ? 0 : kToolExitFailure;
}

} // namespace

void Renderer::Render(const ScreenLayout& screen, const std::string& outPath, Clock& clock)
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
    SavePage(universe, window, outPath);
}

int main(int argc, char** argv)
{
    return ToolMain("lumora-screens", kUsage, argc, argv, { { "render", RenderAll }, { "themes", RenderThemes }, { "setup", RenderSetup } });
}
