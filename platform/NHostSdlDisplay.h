// The desktop window service over SDL2: windows, presenting through the window surface, and SDL's events.
#pragma once

#include "platform/NHostDisplay.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;
class NHostSdlWindow;
class NHostSdlClipboard;

/// SDL events become the platform's messages: several characters per text event, the keys
/// mapped to virtual-key codes, focus to activation, exposure to paint, drops to one
/// message with every path. Only the rectangles presented in one render travel to the
/// screen, scaled by whole factors with nearest-neighbour pixels.
///
/// The backdrop is a borderless window covering the screen, raised behind the main window.
/// Where the window manager does not leave it there (it moves or sizes it, or the window
/// system places no windows), the main window fills the screen instead, the content centred
/// on the backdrop colour: "covering". Clicks and paints around the content are then the
/// backdrop's. A program's full screen (CoverScreen) is the same covering, with the content
/// enlarged by its own factor, and it can be left again.
class NHostSdlDisplay : public NHostDisplay {
    friend class NHostSdlWindow;
public:
    /// Opens SDL's video; false with SDL's reason.
    static bool Open(std::string& error);
    /// The virtual key of an SDL key, given as SDL's scancode and keycode numbers: navigation,
    /// function and keypad keys by their place, letters and digits by the layout's keycode,
    /// punctuation named one by one. 0 for a key without one.
    static int32_t VirtualKeyOf(int32_t scancode, int32_t keycode);
    /// The backdrop is painted around the content of a full-screen main window.
    bool IsCovering() const { return fCovering; }
    NHostSdlDisplay();
    ~NHostSdlDisplay() override;

    bool CreateBackdrop(std::string_view title, uint32_t rgb) override;
    void SetBackdropColor(uint32_t rgb) override;
    bool CreateMain(std::string_view title, int32_t x, int32_t y, int32_t width, int32_t height,
                    const NHostWindowStyle& style) override;
    NHostWindow* Main() override;
    bool HasMain() const override { return fMain != nullptr; }
    void Show() override;
    void Minimize() override;
    void Maximize() override;
    void Restore() override;
    bool IsMinimized() const override;
    void MoveMain(int32_t x, int32_t y) override;
    void SetStyle(const NHostWindowStyle& style, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetTitle(std::string_view title) override;
    void MainPosition(int32_t& x, int32_t& y) const override;
    bool RaiseMain() override;
    bool IsForeground() const override;
    void Invalidate() override;
    void CoverScreen(bool on, int32_t scale) override;
    bool IsCoveringScreen() const override { return fCoverAsked; }

    bool PollMessage(NHostMessage& message) override;
    bool WaitMessage(NHostMessage& message, int32_t timeout) override;

    void ShowCursor(bool shown) override;
    void SetArrowCursor() override;
    void CaptureMouse(bool on) override;
    bool IsKeyDown(int32_t virtualKey) const override;
    uint8_t Modifiers() const override;
    void AcceptDrops(bool on) override;
    void AllowScreenSaver(bool on) override;

protected:
    int32_t NativeWidth() const override;
    int32_t NativeHeight() const override;
    int32_t NativeDepth() const override;

private:
    void Translate(const SDL_Event& event);
    void TranslateWindowEvent(const SDL_Event& event);
    void PaintBackdrop();
    bool TakePending(NHostMessage& message);
    NHostMessage Stamped(NHostMessageType type) const;
    /// A point of the main window in content pixels.
    int32_t ToContentX(int32_t windowX) const;
    int32_t ToContentY(int32_t windowY) const;
    /// Where the content's top-left lies in the main window, in window pixels.
    void ContentOffset(int32_t& x, int32_t& y) const;
    /// Leaves the backdrop window for covering when the window manager did not honour it.
    void CheckBackdrop();
    void StartCovering();
    /// Makes the main window full-screen, the content centred on the backdrop colour.
    void FillScreen();
    /// Fills the main window around the content with the backdrop colour.
    void PaintSurround();

    std::unique_ptr<NHostSdlWindow> fMain;
    std::unique_ptr<NHostSdlClipboard> fClipboard;
    SDL_Window* fBackdrop = nullptr;
    uint32_t fBackdropColor = 0;
    bool fCovering = false;
    bool fBackdropCovered = false;   // covering in place of a backdrop window: it stays
    bool fCoverAsked = false;        // the program asked to cover the screen
    int fWindowedX = 0;              // where the window was before the program covered the screen
    int fWindowedY = 0;
    int fWindowedWidth = 0;
    int fWindowedHeight = 0;
    bool fWindowedBordered = true;
    std::deque<NHostMessage> fPending;
    std::vector<std::string> fDropped;
    bool fDropping = false;
};
