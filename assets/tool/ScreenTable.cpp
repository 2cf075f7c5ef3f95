// The Maker's screens for the contact sheets and the text-fit check.
#include "assets/tool/ScreenTable.h"

namespace {

constexpr uint32_t kPanelText = 0xC3BCFC;     // light lavender on the dark panels
constexpr uint32_t kWelcomeText = 0xCDB7DD;
constexpr uint32_t kLabelText = 0x4B2A73;
constexpr uint32_t kHeading = 0x6B3FA0;
constexpr uint32_t kTyped = 0x3B2352;
constexpr uint32_t kCoralShadow = 0xA83C2C;
constexpr uint32_t kPlumShadow = 0x3E2163;
// Inside the dark text panels of the backgrounds (their inner border).
constexpr int16_t kPanelLeft = 24;
constexpr int16_t kPanelWidth = 266;

ScreenSprite Button(const char* name, int32_t caption, int32_t font, bool primary)
{
    ScreenSprite sprite;
    sprite.fName = name;
    sprite.fCaption = caption;
    sprite.fCaptionFont = font;
    sprite.fCaptionShadow = primary ? kCoralShadow : kPlumShadow;
    return sprite;
}

ScreenSprite Plain(const char* name, int frame = 0, int16_t x = 0, int16_t y = 0)
{
    ScreenSprite sprite;
    sprite.fName = name;
    sprite.fFrame = frame;
    sprite.fX = x;
    sprite.fY = y;
    return sprite;
}

ScreenSprite Bar(const char* name, int percent)
{
    ScreenSprite sprite = Plain(name);
    sprite.fFillPercent = percent;
    return sprite;
}

ScreenText PanelText(const char* screen, int32_t id, int32_t font, int16_t y, int16_t panelTop, int16_t panelHeight)
{
    ScreenText text;
    text.fScreen = screen;
    text.fId = id;
    text.fFont = font;
    text.fColour = kPanelText;
    text.fX = 30;
    text.fY = y;
    text.fWrap = 245;
    text.fBox = NRect(kPanelLeft, panelTop, kPanelWidth, panelHeight);
    return text;
}

ScreenText WelcomeLine(const char* screen)
{
    ScreenText text;
    text.fScreen = screen;
    text.fId = 147;
    text.fFont = 1210;
    text.fColour = kWelcomeText;
    text.fAnchor = kAnchorRight;
    text.fX = 620;
    text.fY = 460;
    text.fBox = NRect(16, 449, 608, 31);
    return text;
}

ScreenText Label(const char* screen, int32_t id, int32_t font, uint32_t colour, int16_t x, int16_t y, NRect box,
                 const char* literal = nullptr)
{
    ScreenText text;
    text.fScreen = screen;
    text.fId = id;
    text.fFont = font;
    text.fColour = colour;
    text.fX = x;
    text.fY = y;
    text.fBox = box;
    text.fLiteral = literal;
    return text;
}

std::vector<ScreenLayout> Build()
{
    std::vector<ScreenLayout> screens;
    // Font entries of what a user types into the newborn fields (the editors' faces).
    static const char* const kTyping[] = { "Anna", "Sophie", "Berg", "12 March 2026", "3.4 kg", "51 cm" };

    ScreenLayout welcome;
    welcome.fName = "welcome";
    welcome.fBackground = "welcomeBG.jpg";
    welcome.fSprites = { Button("welcomeL.xps", 118, 111, true), Button("welcomeR.xps", 119, 112, false) };
    welcome.fTexts = { WelcomeLine("welcome") };
    screens.push_back(welcome);

    ScreenLayout partner = welcome;
    partner.fName = "welcome-partner";
    partner.fBackground = "wc_sf.jpg";
    partner.fPartner = true;
    partner.fTexts = { WelcomeLine("welcome-partner") };
    screens.push_back(partner);

    ScreenLayout disk;
    disk.fName = "insert-disk";
    disk.fBackground = "diskBG.jpg";
    disk.fSprites = { Button("diskOK.xps", 120, 107, true), Button("diskCancel.xps", 121, 108, false) };
    disk.fTexts = { PanelText("insert-disk", 151, 1215, 156, 146, 218) };
    screens.push_back(disk);

    ScreenLayout error;
    error.fName = "insert-disk-error";
    error.fBackground = "errorBG.jpg";
    error.fSprites = { Button("errorOK.xps", 120, 107, true), Button("errorCancel.xps", 121, 108, false) };
    // The top comes from text 1217 ("156"); the margins of 8 move the words in and down.
    ScreenText message = PanelText("insert-disk-error", 153, 1215, 156, 146, 218);
    message.fSecondId = 154;
    message.fMargin = 8;
    message.fX = 22;
    // The margins belong to the text's rectangle: it may reach the panel's outer edge.
    message.fBox = NRect(16, 140, 282, 230);
    error.fTexts = { message };
    screens.push_back(error);

    ScreenLayout choose;
    choose.fName = "choose-theme";
    choose.fBackground = "chooseBG.jpg";
    choose.fSprites = { Button("choosePlay.xps", 117, 105, true), Button("chooseQuit.xps", 119, 106, false) };
    const char* const tiles[] = { "themeHolidays.xps", "themeBirthday.xps", "themeKitty.xps", "themeNewborn.xps",
                                  "themeLove.xps", "themeFall.xps", "themeAlbum.xps", "themeCollage.xps" };
    for (int i = 0; i < 8; ++i) {
        ScreenSprite tile = Plain(tiles[i], i == 0 ? 1 : i == 5 ? 3 : 0);
        tile.fLocalised = true;
        choose.fSprites.push_back(tile);
    }
    screens.push_back(choose);

    ScreenLayout install;
    install.fName = "progress-player";
    install.fBackground = "installQip.jpg";
    install.fSprites = { Plain("instThermBG.xps"), Bar("instTherm.xps", 45) };
    screens.push_back(install);

    ScreenLayout installPartner = install;
    installPartner.fName = "progress-partner";
    installPartner.fBackground = "installPSW.jpg";
    installPartner.fSprites = { Plain("instThermBG.xps"), Bar("instTherm.xps", 70) };
    screens.push_back(installPartner);

    ScreenLayout progress;
    progress.fName = "progress-album";
    progress.fBackground = "progressBG.jpg";
    progress.fPreview = 5;
    progress.fSprites = { Plain("prgThermBG.xps"), Bar("prgTherm.xps", 60) };
    screens.push_back(progress);

    ScreenLayout play;
    play.fName = "play";
    play.fBackground = "playBG.jpg";
    play.fTexts = { PanelText("play", 144, 1480, 250, 238, 188) };
    screens.push_back(play);

    ScreenLayout quit;
    quit.fName = "quit";
    quit.fBackground = "quitbg.jpg";
    quit.fSprites = { Button("quitFreeOffer.xps", 122, 109, true), Button("quitQuit.xps", 119, 110, false) };
    quit.fTexts = { PanelText("quit", 135, 1240, 202, 192, 188) };
    screens.push_back(quit);

    ScreenLayout quitPartner = quit;
    quitPartner.fName = "quit-partner";
    quitPartner.fPartner = true;
    quitPartner.fTexts = { PanelText("quit-partner", 133, 1240, 202, 192, 188) };
    screens.push_back(quitPartner);

    ScreenLayout newborn;
    newborn.fName = "newborn";
    newborn.fBackground = "newbornBG.jpg";
    newborn.fSprites = { Button("newBack.xps", 125, 116, false), Button("newContinue.xps", 118, 115, true),
                         Plain("newBoy.xps", 1), Plain("newGirl.xps", 0) };
    // Two columns of label plate + field, rows 28 apart; the field starts at the plate's
    // x + the offset of text 1354 (118).
    constexpr int16_t kOffset = 118, kRow = 28, kTop = 140;
    const int16_t columns[] = { 26, 330 };
    for (int i = 0; i < 6; ++i) {
        int16_t x = columns[i / 3];
        auto y = int16_t(kTop + kRow * (i % 3));
        newborn.fSprites.push_back(Plain("newLeftText.xps", 0, x, y));
        newborn.fSprites.push_back(Plain("newRightText.xps", 0, int16_t(x + kOffset), y));
        newborn.fTexts.push_back(Label("newborn", 1342 + i, 1340, kLabelText, int16_t(x + 12), int16_t(y + 3),
                                       NRect(x, y, kOffset, 24)));
        newborn.fTexts.push_back(Label("newborn", 0, 1340, kTyped, int16_t(x + kOffset + 8), int16_t(y + 3),
                                       NRect(int16_t(x + kOffset), y, 150, 24), kTyping[i]));
    }
    newborn.fTexts.push_back(Label("newborn", 1352, 1341, kHeading, 30, 112, NRect(26, 104, 280, 34)));
    newborn.fTexts.push_back(Label("newborn", 1353, 1341, kHeading, 334, 112, NRect(330, 104, 280, 34)));
    const char* const initials[] = { "A", "S", "B" };
    for (int i = 0; i < 3; ++i) {
        auto y = int16_t(238 + kRow * i);
        newborn.fTexts.push_back(Label("newborn", 1348 + i, 1340, kLabelText, 30, int16_t(y + 3), NRect(26, y, 150, 24)));
        newborn.fBoxes.push_back({ NRect(176, y, 28, 24), 0xFFFFFFFF, 0xFF9B72CF });
        newborn.fTexts.push_back(Label("newborn", 0, 1340, kTyped, 184, int16_t(y + 3), NRect(176, y, 28, 24), initials[i]));
    }
    newborn.fTexts.push_back(Label("newborn", 1351, 1340, kLabelText, 334, 274, NRect(330, 266, 280, 30)));
    screens.push_back(newborn);
    return screens;
}

} // namespace

const std::vector<ScreenLayout>& MakerScreens()
{
    static const std::vector<ScreenLayout> screens = Build();
    return screens;
}
