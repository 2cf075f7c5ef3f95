// The demo page.
#include "demo/KDemoPage.h"

#include "demo/KDemoApp.h"
#include "demo/KDemoData.h"
#include "demo/KGalleryData.h"
#include "imaging/NPalette.h"

KDemoPage::~KDemoPage() = default;

bool KDemoPage::LoadPalette(NPalette& palette)
{
    palette.FromSystem();
    return true;
}

std::unique_ptr<NPageData> KDemoPage::CreateData()
{
    auto* app = dynamic_cast<KDemoApp*>(NApp::Current());
    if (app && app->Gallery())
        return std::make_unique<KGalleryData>(*this, app->GalleryLines());
    return std::make_unique<KDemoData>(*this);
}
