// The welcome screen.
#include "maker/KWelcomeGroup.h"

#include "maker/KApp.h"
#include "maker/KMakerEvents.h"

namespace {

enum : int32_t {
    kTextWelcome = 147,
    kFontWelcome = 1210,
    kCaptionContinue = 118,
    kCaptionQuit = 119,
};

} // namespace

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
