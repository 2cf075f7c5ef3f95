// The demo's application class: one page with a background, moving sprites and a button.
#pragma once

#include "framework/NSpriteApp.h"

#include <memory>
#include <string>

class KDemoPage;

/// Options come on the command line: "--still" (nothing moves), "--one" (a single sprite
/// moving at 25 frames a second), "--save-png=FILE" (save the first frame and quit; with
/// LUMORA_HEADLESS=1 this is the headless rendering of the scene), "--trace-clicks" (print
/// the monotonic time in nanoseconds of each frame that first shows a click, for the
/// latency benchmark), "--backdrop" (a dark backdrop fills the screen behind the window).
class KDemoApp : public NSpriteApp {
public:
    static constexpr int32_t kMainPage = 1;

    KDemoApp();
    ~KDemoApp() override;

    bool Initialize() override;
    void Start() override;
    void Idle() override;
    std::string GetAppName() const override;
    std::string GetWindowTitle() const override;
    void DataReceived(const void* data, int32_t size, uint32_t tag) override;

    bool Still() const { return fStill; }
    bool OneSprite() const { return fOneSprite; }
    /// The last copy data another start sent, as received.
    const std::string& Received() const { return fReceived; }

private:
    std::unique_ptr<KDemoPage> fPage;
    bool fStill = false;
    bool fOneSprite = false;
    bool fTraceClicks = false;
    int32_t fClicksShown = 0;
    uint32_t fPresentsSeen = 0;
    std::string fSavePng;
    std::string fReceived;
};
