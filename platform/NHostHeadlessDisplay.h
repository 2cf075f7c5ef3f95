// The window service without a screen: scripted messages in, presented pixels out.
#pragma once

#include "platform/NHostDisplay.h"
#include "platform/NHostHeadlessWindow.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

/// What a test scripts and what it reads back: the messages the program will take, in
/// order, the keys held down, and everything the program asked of its windows.
class NHostHeadlessDisplay : public NHostDisplay {
public:
    NHostHeadlessDisplay(int32_t screenWidth = 1024, int32_t screenHeight = 768, int32_t depth = 32);
    ~NHostHeadlessDisplay() override;

    // Script
    void Push(const NHostMessage& message) { fQueue.push_back(message); }
    /// A pointer message at a point given in screen pixels of the content area (of the screen
    /// while covering it), mapped back to content pixels as the desktop back end does; a
    /// press around the content of a covered screen is a backdrop click.
    void PushScreenPointer(NHostMessageType type, int32_t screenX, int32_t screenY, NHostButton button = NHostButton::kLeft);
    void SetKeyDown(int32_t virtualKey, bool down);
    void SetModifiers(uint8_t modifiers) { fModifiers = modifiers; }
    void SetRefuseRaise(bool refuse) { fRefuseRaise = refuse; }
    void SetForeground(bool foreground) { fForeground = foreground; }
    /// The screen changes size (as before a display-change message).
    void SetScreen(int32_t width, int32_t height)
    {
        fScreenWidth = width;
        fScreenHeight = height;
    }
    size_t Pending() const { return fQueue.size(); }
    /// Waits sleep for their timeout (a program run headless); by default they return at
    /// once, so that tests run passes back to back.
    void SetRealWaits(bool on) { fRealWaits = on; }
    /// Waits that found nothing: with a timeout each one returned at once.
    const std::deque<int32_t>& Waits() const { return fWaits; }

    // Screen
    bool CreateBackdrop(std::string_view title, uint32_t rgb) override;
    void SetBackdropColor(uint32_t rgb) override { fBackdropColor = rgb; }
    bool CreateMain(std::string_view title, int32_t x, int32_t y, int32_t width, int32_t height,
                    const NHostWindowStyle& style) override;
    NHostWindow* Main() override { return fMain.get(); }
    NHostHeadlessWindow* HeadlessMain() { return fMain.get(); }
    bool HasMain() const override { return fMain != nullptr; }
    void Show() override
    {
        fShown = true;
        fMinimized = false;
        ++fShows;
    }
    void Minimize() override { fMinimized = true; }
    void Maximize() override { fMinimized = false; }
    void Restore() override { fMinimized = false; fRestores++; }
    bool IsMinimized() const override { return fMinimized; }
    void MoveMain(int32_t x, int32_t y) override { fX = x; fY = y; }
    void SetStyle(const NHostWindowStyle& style, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetTitle(std::string_view title) override { fTitle = title; }
    void MainPosition(int32_t& x, int32_t& y) const override;
    bool RaiseMain() override;
    bool IsForeground() const override { return fForeground; }
    void Invalidate() override;
    void CoverScreen(bool on, int32_t scale) override;
    bool IsCoveringScreen() const override { return fCovering; }

    bool PollMessage(NHostMessage& message) override;
    bool WaitMessage(NHostMessage& message, int32_t timeout) override;

    void ShowCursor(bool shown) override { fCursorShown = shown; }
    void SetArrowCursor() override { fArrow = true; }
    void CaptureMouse(bool on) override { fCaptured = on; }
    bool IsKeyDown(int32_t virtualKey) const override;
    uint8_t Modifiers() const override { return fModifiers; }
    void AcceptDrops(bool on) override { fDrops = on; }
    void AllowScreenSaver(bool on) override { fScreenSaver = on; }

    // What the program did
    bool Shown() const { return fShown; }
    /// Shows asked for since the last call.
    int32_t TakeShows()
    {
        int32_t shows = fShows;
        fShows = 0;
        return shows;
    }
    bool HasBackdrop() const { return fBackdrop; }
    uint32_t BackdropColor() const { return fBackdropColor; }
    const std::string& Title() const { return fTitle; }
    const NHostWindowStyle& Style() const { return fStyle; }
    int32_t X() const { return fX; }
    int32_t Y() const { return fY; }
    bool CursorShown() const { return fCursorShown; }
    bool Captured() const { return fCaptured; }
    bool AcceptsDrops() const { return fDrops; }
    bool ScreenSaverAllowed() const { return fScreenSaver; }
    int32_t Raises() const { return fRaises; }
    int32_t Restores() const { return fRestores; }
    /// Where the content's top-left lies on the screen while covering it, in screen pixels;
    /// (0, 0) otherwise.
    void ContentOffset(int32_t& x, int32_t& y) const;
    /// 0xFFRRGGBB the screen shows at (x, y) screen pixels while covering: the content
    /// enlarged by the cover scale, the backdrop colour around it. Not covering, the content
    /// area's pixels at the display's scale, from its top-left.
    uint32_t ScreenPixel(int32_t x, int32_t y) const;

protected:
    int32_t NativeWidth() const override { return fScreenWidth; }
    int32_t NativeHeight() const override { return fScreenHeight; }
    int32_t NativeDepth() const override { return fDepth; }

private:
    int32_t fScreenWidth;
    int32_t fScreenHeight;
    int32_t fDepth;
    std::unique_ptr<NHostHeadlessWindow> fMain;
    std::deque<NHostMessage> fQueue;
    std::deque<int32_t> fWaits;
    bool fKeys[kVkCount] {};
    uint8_t fModifiers = 0;
    bool fShown = false;
    bool fMinimized = false;
    bool fBackdrop = false;
    uint32_t fBackdropColor = 0;
    std::string fTitle;
    NHostWindowStyle fStyle;
    int32_t fX = 0;
    int32_t fY = 0;
    bool fCursorShown = true;
    bool fArrow = false;
    bool fCaptured = false;
    bool fDrops = false;
    bool fScreenSaver = false;
    bool fForeground = false;
    bool fRefuseRaise = false;
    int32_t fRaises = 0;
    int32_t fRestores = 0;
    int32_t fShows = 0;
    bool fRealWaits = false;
    bool fCovering = false;
};
