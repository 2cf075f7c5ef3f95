// The setup page.
#include "setup/KSetupPage.h"

#include "imaging/NPalette.h"
#include "setup/KApp.h"
#include "setup/KSetupData.h"

KSetupPage::~KSetupPage() = default;

bool KSetupPage::LoadPalette(NPalette& palette)
{
    auto* app = dynamic_cast<KApp*>(NApp::Current());
    if (app && palette.LoadFile(NFileSpec(app->AssetsFolder(), KApp::kPalette, false), true))
        return true;
    palette.FromSystem();
    return true;
}

std::unique_ptr<NPageData> KSetupPage::CreateData()
{
    return std::make_unique<KSetupData>(*this);
}
