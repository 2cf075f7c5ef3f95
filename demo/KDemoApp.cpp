// The demo application: options, its page, and what another start hands over.
#include "demo/KDemoApp.h"

#include "demo/KDemoData.h"
#include "demo/KDemoPage.h"
#include "platform/NHostHeadlessDisplay.h"

#include <chrono>
#include <cstdio>
#include <sstream>

namespace {

constexpr char kSaveOption[] = "--save-png=";
constexpr uint32_t kBackdropColor = 0x00203048;

} // namespace

KDemoApp::KDemoApp() = default;
KDemoApp::~KDemoApp() = default;

std::string KDemoApp::GetAppName() const
{
    return "Lumora Demo";
}

std::string KDemoApp::GetWindowTitle() const
{
    return "Lumora Demo";
}

bool KDemoApp::Initialize()
{
    // The command line is stored before start-up, and the backdrop must be asked for
    // before the windows are made.
    std::istringstream words(CommandLine());
    for (std::string word; words >> word;) {
        if (word == "--backdrop") {
            fBackdropMode = true;
            fBackdropColor = kBackdropColor;
        }
    }
    return NSpriteApp::Initialize();
}

void KDemoApp::Start()
{
    std::istringstream words(CommandLine());
    for (std::string word; words >> word;) {
        if (word == "--still")
            fStill = true;
        else if (word == "--one")
            fOneSprite = true;
        else if (word == "--trace-clicks")
            fTraceClicks = true;
        else if (word.rfind(kSaveOption, 0) == 0)
            fSavePng = word.substr(sizeof kSaveOption - 1);
    }
    fPage = std::make_unique<KDemoPage>(kMainPage);
    RequestPage(kMainPage, false);
}

void KDemoApp::Idle()
{
    NSpriteApp::Idle();
    if (fTraceClicks && fUniverse.PresentCount() != fPresentsSeen) {
        fPresentsSeen = fUniverse.PresentCount();
        auto* screen = CurrentPage() ? dynamic_cast<KDemoData*>(CurrentPage()->Data()) : nullptr;
        if (screen && screen->Button().Clicks() != fClicksShown) {
            fClicksShown = screen->Button().Clicks();
            auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("click %d %lld\n", fClicksShown,
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            std::fflush(stdout);
        }
    }
    if (fSavePng.empty() || !CurrentPage() || fUniverse.PresentCount() == 0)
        return;
    auto* headless = dynamic_cast<NHostHeadlessDisplay*>(Display());
    std::string error;
    if (!headless || !headless->HeadlessMain() || !headless->HeadlessMain()->SavePng(fSavePng, error))
        std::fprintf(stderr, "lumora-demo: cannot save %s: %s\n", fSavePng.c_str(),
                     headless ? error.c_str() : "only the headless window can be saved");
    fSavePng.clear();
    fQuit = true;
}

void KDemoApp::DataReceived(const void* data, int32_t size, uint32_t)
{
    fReceived.assign(static_cast<const char*>(data), size_t(size));
    if (CurrentPage())
        if (auto* screen = dynamic_cast<KDemoData*>(CurrentPage()->Data()))
            screen->ShowReceived(fReceived);
}
