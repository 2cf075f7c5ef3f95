// The player page.
#include "player/KPlayerPage.h"

#include "imaging/NPalette.h"
#include "player/KPlayerScreen.h"

KPlayerPage::~KPlayerPage() = default;

bool KPlayerPage::LoadPalette(NPalette& palette)
{
    palette.FromSystem();
    return true;
}

std::unique_ptr<NPageData> KPlayerPage::CreateData()
{
    return std::make_unique<KPlayerScreen>(*this);
}
