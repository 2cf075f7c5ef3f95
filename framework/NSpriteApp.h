// The sprite application: a universe filling the window, page switching, and input routed into the sprite tree.
#pragma once

#include "framework/NUiDump.h"
#include "framework/NWinApp.h"
#include "imaging/NPaletteClient.h"
#include "imaging/NSpUniverse.h"

#include <cstdint>
#include <memory>

class NPage;

class NSpriteApp : public NWinApp {
public:
    // Lifetime
    ~NSpriteApp() override = 0;
    // Events
    /// Quit events first; then the page switches 30003 and 30012.
    bool HandleEvent(const NPortEvent& event) override;
    // Start and end
    bool Initialize() override;
    void Start() override = 0;
    /// Leaves the current page first.
    void Shutdown() override;
    // Other instances
    /// Clock, posted events, idle tasks, the page's idle work and the render.
    void Idle() override;
    // Input
    void KeyDown(const NInputEvent& event) override;
    void Char(const NInputEvent& event) override;
    void KeyUp(const NInputEvent& event) override;
    void MouseMove(const NInputEvent& event) override;
    void MouseWheel(const NInputEvent& event) override;
    void MouseDown(const NInputEvent& event) override;
    void MouseUp(const NInputEvent& event) override;
    void Paint(const NInputEvent& event) override;
    void EditCommand(const NInputEvent& event) override;
    // Palette
    void PaletteChanging(NPalette* palette) override;
    void PaletteChanged(NPalette* palette) override;
    // Screen
    NRect GetContentRect() const override;
    // Sprite application
    virtual bool ReservedHook5() const;
    /// The page factory used when no live page has the id.
    virtual NPage* CreatePage(int32_t id);
    /// Moves the main window's corner, keeping its size, and repaints.
    virtual void MoveWindowTo(NPoint point);
    virtual bool ReservedHook6() const;

    /// Posts 30012 (forced) or 30003 with the page id; answers the post's result.
    bool RequestPage(int32_t id, bool forced);
    /// The switch itself; answers the current page afterwards, or null when nothing changed
    /// for want of a page.
    NPage* SwitchToPage(int32_t id, bool forced);

    NSpUniverse& Universe() { return fUniverse; }
    const NPortHandle& PointerPort() const { return fPointerPort; }
    NPage* CurrentPage() const { return fCurrentPage; }
    int32_t PreviousPageId() const { return fPreviousPageId; }
    void SetContentSize(int16_t width, int16_t height);
    NUiDump& UiDump() { return fUiDump; }

protected:
    NSpriteApp();
    int32_t IdleWaitLimit() override;

    NSpUniverse fUniverse;
    NPortHandle fPointerPort;
    int16_t fContentWidth = kDefaultContentWidth;
    int16_t fContentHeight = kDefaultContentHeight;
    int16_t fContentWidth2 = kDefaultContentWidth;
    int16_t fContentHeight2 = kDefaultContentHeight;
    NPage* fCurrentPage = nullptr;
    int32_t fPreviousPageId = -1;

private:
    // The palette registry's notifications, passed on to the application's own operations.
    class PaletteRelay : public NPaletteClient {
    public:
        explicit PaletteRelay(NSpriteApp& app) : fApp(app) {}
        void PaletteChanging(const NPalette* palette) override;
        void PaletteChanged(const NPalette* palette) override;

    private:
        NSpriteApp& fApp;
    };

    void WriteUiDump();

    NPoint fLastMove;
    PaletteRelay fPaletteRelay { *this };
    NUiDump fUiDump;
};
