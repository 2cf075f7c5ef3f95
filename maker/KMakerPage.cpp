// The Maker page.
#include "maker/KMakerPage.h"

#include "imaging/NPalette.h"
#include "maker/KApp.h"
#include "maker/KMakerData.h"

KMakerPage::~KMakerPage() = default;

bool KMakerPage::LoadPalette(NPalette& palette)
{
    if (palette.LoadFile(NFileSpec(KApp::The().AssetsFolder(), KApp::kPalette, false), true))
        return true;
    palette.FromSystem();
    return true;
}

std::unique_ptr<NPageData> KMakerPage::CreateData()
{
    return std::make_unique<KMakerData>(*this);
}
