// The setup screen.
#include "setup/KSetupData.h"

#include "setup/KApp.h"

namespace {

constexpr int16_t kWidth = 640;
constexpr int16_t kHeight = 480;

KApp& App()
{
    return *dynamic_cast<KApp*>(NApp::Current());
}

} // namespace

KSetupData::KSetupData(NPage& page)
    : NPageData(page)
{
    fBackground.MakeMemory(NRect(0, 0, kWidth, kHeight), 32, nullptr);
}

KSetupData::~KSetupData() = default;

void KSetupData::Enter()
{
    App().Universe().AddChild(fBackground, 100);
    fBackground.MarkChanged();
}
