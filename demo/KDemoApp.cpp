// The demo application: options, its page, and what another start hands over.
#include "demo/KDemoApp.h"

#include "demo/KDemoData.h"
#include "demo/KDemoPage.h"
#include "demo/KGalleryData.h"
#include "framework/NEventCodes.h"
#include "framework/NKeyTable.h"
#include "platform/NHostHeadlessDisplay.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <sstream>

namespace {

constexpr char kSaveOption[] = "--save-png=";
constexpr char kLinesOption[] = "--lines=";
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
        else if (word == "--gallery")
            fGallery = true;
        else if (word == "--trace-keys")
            fTraceKeys = true;
        else if (word.rfind(kLinesOption, 0) == 0)
            fGalleryLines = std::max(0, std::atoi(word.c_str() + sizeof kLinesOption - 1));
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
    if (fTraceKeys && fUniverse.PresentCount() != fKeyPresentsSeen) {
        fKeyPresentsSeen = fUniverse.PresentCount();
        auto* gallery = CurrentPage() ? dynamic_cast<KGalleryData*>(CurrentPage()->Data()) : nullptr;
        if (gallery && gallery->MultiLine().Text().size() != fTextShown) {
            fTextShown = gallery->MultiLine().Text().size();
            auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("text %zu %lld\n", fTextShown,
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

void KDemoApp::KeyDown(const NInputEvent& event)
{
    if ((event.fFlags & kInputControl) != 0 && (event.fKey == kKeyA + ('X' - 'A') || event.fKey == kKeyA + ('C' - 'A')
                                                 || event.fKey == kKeyA + ('V' - 'A'))) {
        NInputEvent command = event;
        command.fType = event.fKey == kKeyA + ('X' - 'A') ? kInputCut
            : event.fKey == kKeyA + ('C' - 'A')           ? kInputCopy
                                                          : kInputPaste;
        EditCommand(command);
        return;
    }
    NSpriteApp::KeyDown(event);
}

bool KDemoApp::HandleEvent(const NPortEvent& event)
{
    bool handled = NSpriteApp::HandleEvent(event);
    if (event.fCode == kEventBackdropClicked) {
        ++fBackdropClicks;
        if (CurrentPage())
            if (auto* screen = dynamic_cast<KDemoData*>(CurrentPage()->Data()))
                screen->ShowBackdropClicks(fBackdropClicks);
    }
    return handled;
}

void KDemoApp::DataReceived(const void* data, int32_t size, uint32_t)
{
    fReceived.assign(static_cast<const char*>(data), size_t(size));
    if (CurrentPage())
        if (auto* screen = dynamic_cast<KDemoData*>(CurrentPage()->Data()))
            screen->ShowReceived(fReceived);
}
