// The demo page.
#include "demo/KDemoPage.h"

#include "demo/KDemoData.h"
#include "imaging/NPalette.h"

KDemoPage::~KDemoPage() = default;

bool KDemoPage::LoadPalette(NPalette& palette)
{
    palette.FromSystem();
    return true;
}

std::unique_ptr<NPageData> KDemoPage::CreateData()
{
    return std::make_unique<KDemoData>(*this);
}
