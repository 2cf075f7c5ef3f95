// Pages and their data objects: entering and leaving.
#include "framework/NPage.h"

#include "framework/NIdleTaskRegistry.h"
#include "framework/NPageData.h"
#include "framework/NPageRegistry.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteRegistry.h"

NPage::NPage(int32_t id)
    : fId(id)
{
    NPageRegistry::The().Add(*this);
}

NPage::~NPage()
{
    if (fData)
        fPort.RemoveListener(*fData);
    fData.reset();
    if (NPageRegistry* registry = NPageRegistry::IfAlive())
        registry->Remove(*this);
}

bool NPage::Entered() { return true; }
void NPage::Leaving() {}

void NPage::Idle()
{
    if (fData)
        fData->Idle();
}

bool NPage::LoadPalette(NPalette&) { return false; }
std::unique_ptr<NPageData> NPage::CreateData() { return nullptr; }
void* NPage::ReservedHook1() { return nullptr; }
void* NPage::ReservedHook2() { return nullptr; }
int32_t NPage::ReservedHook3() { return 0; }
void NPage::ReservedHook4() {}

bool NPage::Enter()
{
    auto palette = std::make_unique<NPalette>();
    if (LoadPalette(*palette))
        NPaletteRegistry::The().SetScreenPalette(std::move(palette));
    if (!fData)
        fData = CreateData();
    if (fData) {
        fPort.AddListener(*fData);
        fData->Enter();
    }
    return Entered();
}

void NPage::Leave()
{
    if (NIdleTaskRegistry* tasks = NIdleTaskRegistry::IfAlive())
        tasks->CancelPageBound();
    Leaving();
    if (fData) {
        fData->Leave();
        fPort.RemoveListener(*fData);
        fData.reset();
    }
}
