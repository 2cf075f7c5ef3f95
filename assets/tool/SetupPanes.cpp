// lumora-screens setup: the player setup's panes in its three languages, composed from
// its folder, with their texts measured.
#include "assets/tool/ScreenRenderer.h"

namespace {

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
    renderer.SavePage(universe, window, outPath);
}

} // namespace

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
