// The quit screen.
#include "maker/KQuitGroup.h"

#include "maker/KApp.h"
#include "maker/KMakerEvents.h"

namespace {

enum : int32_t {
    kTextQuitPartner = 133,
    kTextQuitStore = 135,
    kFontQuit = 1240,
    kCaptionOffer = 122,
    kCaptionQuit = 119,
};

} // namespace

void KQuitGroup::BuildSprites()
{
    AddButton("quitFreeOffer.xps", kCaptionOffer, 109, kEventQuitOffer);
    AddButton("quitQuit.xps", kCaptionQuit, 110, kEventQuitQuit);
    AddText(PanelText(Words(KApp::The().Brand() ? kTextQuitPartner : kTextQuitStore), kFontQuit, 202));
}
