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
/// latency benchmark), "--backdrop" (a dark backdrop fills the screen behind the window),
/// "--gallery" (the widget gallery instead of the moving sprites), "--lines=N" (the
/// gallery's multi-line editor holds N lines), "--trace-keys" (print the monotonic time of
/// each frame that first shows a change of the multi-line editor's text).
class KDemoApp : public NSpriteApp {
public:
    static constexpr int32_t kMainPage = 1;

    KDemoApp();
    ~KDemoApp() override;

    bool Initialize() override;
    void Start() override;
    void Idle() override;
    /// Control with X, C or V is cut, copy or paste.
    void KeyDown(const NInputEvent& event) override;
    std::string GetAppName() const override;
    std::string GetWindowTitle() const override;
    void DataReceived(const void* data, int32_t size, uint32_t tag) override;
    /// Counts clicks on the backdrop, which the demo shows.
    bool HandleEvent(const NPortEvent& event) override;

    bool Still() const { return fStill; }
    bool OneSprite() const { return fOneSprite; }
    bool Gallery() const { return fGallery; }
    int32_t GalleryLines() const { return fGalleryLines; }
    /// The last copy data another start sent, as received.
    const std::string& Received() const { return fReceived; }
    int32_t BackdropClicks() const { return fBackdropClicks; }

private:
    std::unique_ptr<KDemoPage> fPage;
    bool fStill = false;
    bool fOneSprite = false;
    bool fTraceClicks = false;
    bool fGallery = false;
    int32_t fGalleryLines = 0;
    bool fTraceKeys = false;
    size_t fTextShown = 0;
    uint32_t fKeyPresentsSeen = 0;
    int32_t fClicksShown = 0;
    uint32_t fPresentsSeen = 0;
    std::string fSavePng;
    std::string fReceived;
    int32_t fBackdropClicks = 0;
};
