// A gallery of every widget drawn together on the headless back end and saved as a picture
// for a person to look at; its pixels are checked where the widgets' looks are known.
#include "widgets/NEditor.h"
#include "widgets/NRadioButton.h"
#include "widgets/NRadioGroup.h"
#include "widgets/NSlider.h"
#include "widgets/NTextButton.h"
#include "widgets/NThermometer.h"
#include "tests/widgets/NWidgetTestSupport.h"

namespace {

// Indexes of the system palette: its colour cube starts at 10 (index 10 + 36r + 6g + b).
constexpr uint8_t kBlack = 10;
constexpr uint8_t kWhite = 245;
constexpr uint8_t kSilver = 7;
constexpr uint8_t kSky = 9;
constexpr uint8_t kSteel = 10 + 2 * 36 + 3 * 6 + 4;
constexpr uint8_t kGrey = 248;
constexpr uint8_t kGreen = 10 + 1 * 36 + 4 * 6 + 1;

class NWidgetGalleryTest : public NWidgetTest {
protected:
    void SetUp() override
    {
        NWidgetTest::SetUp();
        auto palette = std::make_unique<NPalette>();
        palette->FromSystem();
        NPaletteRegistry::The().SetScreenPalette(std::move(palette));
        fUniverse->SetFill(0xFFE8E4DC);
    }

    /// Frames of the given fills with a black border; frames listed in dotted get a black
    /// square in the middle (the checked look of a radio button).
    NFileSpec Frames(const std::string& name, int16_t width, int16_t height, const std::vector<uint8_t>& fills,
                     const std::vector<int>& dotted = {})
    {
        std::vector<XpsFrame> frames;
        std::vector<XpsImage> images;
        for (size_t i = 0; i < fills.size(); ++i) {
            frames.push_back({ int32_t(i), 0, 0 });
            XpsImage image;
            image.fWidth = width;
            image.fHeight = height;
            image.fPixels.assign(size_t(width) * size_t(height), fills[i]);
            bool dot = std::find(dotted.begin(), dotted.end(), int(i)) != dotted.end();
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                    bool centre = dot && x >= width / 3 && x < width - width / 3 && y >= height / 3 && y < height - height / 3;
                    if (edge || centre)
                        image.fPixels[size_t(y) * size_t(width) + size_t(x)] = kBlack;
                }
            }
            images.push_back(image);
        }
        std::vector<uint8_t> bytes = XpsWriteFile(frames, images, "none.pal", true);
        std::filesystem::path path = fPrefix.Root() / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return NTestSpec(path);
    }
};

} // namespace

TEST_F(NWidgetGalleryTest, EveryWidgetDrawsTogether)
{
    NFont font;
    font.FontFromText("Arial,12");
    const NFileSpec buttonSet = Frames("button.xps", 120, 32, { kSilver, kSteel, kGrey, kSky });

    NTextButton ok, cancel, off;
    ok.Make(buttonSet, NPoint(20, 20), "OK", nullptr, 0xFF000080, 4, 0xFF606060);
    cancel.Make(buttonSet, NPoint(160, 20), "Cancel", nullptr, 0, 1, 0);
    off.Make(buttonSet, NPoint(300, 20), "Disabled", nullptr, 0xFF000080, 4, 0xFF9A9A9A);
    for (NTextButton* button : { &ok, &cancel, &off })
        fUniverse->AddChild(*button, 0);
    off.Button().Enable(false);

    NRadioGroup group;
    group.SetRect(NRect(20, 70, 300, 24));
    fUniverse->AddChild(group, 0);
    const NFileSpec radioSet = Frames("radio.xps", 18, 18, { kWhite, kWhite, kGrey, kSky, kGrey, kSky, kSilver, kSilver }, { 1, 4, 5, 7 });
    NRadioButton first, second, third;
    int16_t x = 0;
    for (NRadioButton* button : { &first, &second, &third }) {
        button->LoadSprites(radioSet, NPoint(x, 3));
        group.AddRadioButton(*button, 0);
        x = int16_t(x + 40);
    }
    Click(20 + 40 + 9, 70 + 3 + 9);   // select the second
    Move(400, 300);

    NSlider slider;
    slider.SetUp(NRect(20, 110, 300, 18), Frames("left.xps", 18, 18, { kSilver, kSteel, kGrey, kSky }),
                 Frames("right.xps", 18, 18, { kSilver, kSteel, kGrey, kSky }), Frames("knob.xps", 24, 18, { kSteel }),
                 0xFFC8C8C8);
    fUniverse->AddChild(slider, 0);
    slider.SetRange(0, 100);
    slider.SetValue(30);

    NThermometer bar;
    fUniverse->AddChild(bar, 0);
    bar.LoadBar(Frames("bar.xps", 300, 14, { kGreen }), NPoint(20, 140));
    bar.SetRange(0, 100);
    bar.SetValue(60);

    NEditor single;
    single.SetUp(NRect(20, 170, 300, 22), font);
    fUniverse->AddChild(single, 0);
    single.SetText("caf\xE9 Stra\xDF" "e, single line");

    NEditor multi;
    multi.SetUp(NRect(20, 210, 300, 120), font);
    multi.SetMultiLine(true);
    fUniverse->AddChild(multi, 0);
    multi.AttachScrollBar(Frames("up.xps", 16, 16, { kSilver, kSteel, kGrey, kSky }),
                          Frames("down.xps", 16, 16, { kSilver, kSteel, kGrey, kSky }), Frames("thumb.xps", 16, 24, { kSteel }), 16);
    std::string text = "A multi-line editor wraps its words into the width of the field, and a word that is "
                       "far too long for one line, like Donaudampfschifffahrtsgesellschaftskapitaen, breaks "
                       "between its characters.\nA line break starts a new line.\n\n";
    for (int i = 1; i <= 8; ++i)
        text += "Line " + std::to_string(i) + "\n";
    multi.SetText(text);
    Click(20 + 5, 210 + 3);   // focus: the caret at the start
    Key(kKeyDown);
    Key(kKeyEnd, kInputShift);   // select the second line
    Move(70, 30);   // the OK button under the pointer: hover
    fUniverse->AddChange(kScreen);
    Render();

    std::string error;
    std::string path = std::string(LUMORA_BUILD_DIR) + "/widget-gallery.png";
    ASSERT_TRUE(fWindow->SavePng(path, error)) << error;

    const uint32_t* colors = NPaletteRegistry::The().GetScreenPalette()->Data()->Table32();
    EXPECT_EQ(fWindow->Pixel(25, 23), colors[kSky]);       // OK in hover
    EXPECT_EQ(fWindow->Pixel(165, 23), colors[kSilver]);   // Cancel at rest
    EXPECT_EQ(fWindow->Pixel(305, 23), colors[kGrey]);     // disabled
    // Cancel's label has no colour: plain black palette pixels inside the border.
    int black = 0;
    for (int y = 22; y < 50; ++y)
        for (int x = 162; x < 278; ++x)
            black += fWindow->Pixel(x, y) == colors[kBlack];
    EXPECT_GT(black, 40);
    EXPECT_EQ(cancel.Label().CurrentImage()->Depth(), 8);
    EXPECT_EQ(fWindow->Pixel(20 + 40 + 9, 70 + 3 + 9), colors[kBlack]);   // the selected radio's dot
    EXPECT_EQ(fWindow->Pixel(20 + 9, 70 + 3 + 9), colors[kWhite]);
    EXPECT_EQ(fWindow->Pixel(20 + 179, 147), colors[kGreen]);   // 60 % of 300
    EXPECT_NE(fWindow->Pixel(20 + 181, 147), colors[kGreen]);
    EXPECT_TRUE(second.IsChecked());
    EXPECT_EQ(multi.SelectionStart(), multi.Document().LineStart(1));
}
