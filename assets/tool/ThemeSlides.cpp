// lumora-screens themes: each theme's photo and title slides as its show description
// places them, composed from the theme archives.
#include "assets/tool/ScreenRenderer.h"

namespace {

constexpr char kMountRoot[] = "\\\\lumora-screens\\";

using ShowValues = std::map<std::string, std::string>;

std::string ReadElement(const NFileSpec& spec)
{
    std::string text;
    try {
        NStream stream = spec.Open(NStreamMode::kRead, true);
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
    renderer.SavePage(universe, window, outPath);
}

} // namespace

int RenderThemes(int argc, char** argv)
{
    if (argc != 5)
        ToolFail("themes needs ARCHIVE.xpb LMXDIR OUTDIR");
    std::filesystem::create_directories(argv[4]);
    NFDirSpec mount { NFDriveSpec(kMountRoot) };
    NBinder binder;
    if (binder.Open(ToolHostFile(argv[2]), mount, NBinderMode::kRead) != kMakerApplication)
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
        if (theme.Open(ToolHostFile(std::string(argv[3]) + "/" + stem + ".lmx"), themeMount, NBinderMode::kRead) < 0)
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
        (void)theme.Close(); // opened for reading: nothing to lose
        ++photo;
    }
    ContactSheet(pictures, std::string(argv[4]) + "/contact-themes.png", 4);
    NAppClock::The().SetSource(nullptr);
    std::printf("%d texts measured, %d fault(s)\n", renderer.fTexts, renderer.fFaults);
    NBinderRegistry::The().Unregister(&binder);
    (void)binder.Close(); // opened for reading: nothing to lose
    return renderer.fFaults == 0 ? 0 : kToolExitFailure;
}
