// The start page.
#include "player/KStartPage.h"

#include "imaging/NPalette.h"
#include "player/KStartScreen.h"

KStartPage::~KStartPage() = default;

bool KStartPage::LoadPalette(NPalette& palette)
{
    palette.FromSystem();
    return true;
}

std::unique_ptr<NPageData> KStartPage::CreateData()
{
    return std::make_unique<KStartScreen>(*this);
}
