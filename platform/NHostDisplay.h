// The window service: the program's windows and the message source that feeds it, over one back end.
#pragma once

#include "platform/NHostText.h"
#include "platform/NHostVirtualKey.h"
#include "platform/NHostWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Modifier bits of a message, in the same places as the input event's flags.
enum : uint8_t {
    kHostShift = 0x01,
    kHostControl = 0x02,
    kHostAlt = 0x04,
};

enum class NHostMessageType {
    kNone,
    kClose,           // the close item or button: only asks whether the program may quit
    kQuit,            // the main window is gone: the loop ends
    kMouseMove,
    kButtonDown,
    kButtonUp,
    kWheel,
    kKeyDown,
    kKeyUp,
    kChar,            // one Windows-1252 character
    kActivate,        // the main window gained (fActive) or lost the keyboard focus
    kSize,            // minimised, restored or resized
    kMoved,           // the window manager moved the window
    kCaptureChanged,  // the pointer grab ended without the button being released here
    kPaint,           // part of the window must be drawn again
    kDropFiles,       // fPaths holds the dropped files' host paths, in order
    kDisplayChange,   // the screen's size or depth changed
    kBackdropPaint,   // the backdrop was drawn
    kBackdropClick,   // a button was pressed on the backdrop
    kWake,            // an outside source (another instance) has something; no window input
};

enum class NHostButton { kLeft, kRight, kOther };

/// One translated message. Positions are in content pixels of the main window, already
/// mapped back from any scaling; the time is the platform millisecond clock.
struct NHostMessage {
    NHostMessageType fType = NHostMessageType::kNone;
    uint32_t fTime = 0;
    int32_t fX = 0;
    int32_t fY = 0;
    bool fClient = true;          // mouse moves: over the content area (not the frame)
    NHostButton fButton = NHostButton::kLeft;
    bool fDoubleClick = false;
    int32_t fWheelDelta = 0;      // multiples of 120, positive away from the user
    int32_t fVirtualKey = 0;
    bool fRepeat = false;         // keys and characters: the key was already down
    uint8_t fModifiers = 0;       // kHost... bits reported with the message
    uint8_t fChar = 0;
    bool fActive = false;
    bool fMinimized = false;
    int32_t fWidth = 0;
    int32_t fHeight = 0;
    bool fPointKnown = false;     // drops: whether fX and fY tell where
    std::vector<std::string> fPaths;
};

/// What a window looks like, in the terms the application's geometry uses.
struct NHostWindowStyle {
    bool fCaption = true;      // title bar with the system menu and a minimise box
    bool fPopup = false;       // no frame decorations from the window manager
    bool fFullScreen = false;  // covers the whole screen
};

/// Owns the main window (and the backdrop) and is their only message source. One back end
/// is chosen at start-up: SDL2 on a desktop, or the headless one for tests and when there
/// is no display. LUMORA_DISPLAY_DEPTH and LUMORA_SCREEN_SIZE override what the display
/// reports; LUMORA_SCALE fixes the content's scale on the screen.
class NHostDisplay {
public:
    static constexpr int32_t kMaxScale = 8;

    /// The SDL2 back end, or null with a reason when no display can be opened.
    static std::unique_ptr<NHostDisplay> CreateDesktop(std::string& error);

    virtual ~NHostDisplay();

    // Screen
    /// Width and height of the screen in content pixels: after any override, divided by
    /// the scale, so that the logic above sees the screen its content area lives in.
    int32_t ScreenWidth() const;
    int32_t ScreenHeight() const;
    /// Bits per pixel of the display (after any override).
    int32_t ScreenDepth() const;
    /// The whole factor a content area of this size is shown at: the largest that fits when
    /// the screen is at least twice as large both ways, else 1. LUMORA_SCALE chooses another
    /// factor, lowered to what fits the screen.
    int32_t ScaleFor(int32_t contentWidth, int32_t contentHeight) const;
    /// Content pixels are shown as scale x scale screen pixels from now on.
    void SetScale(int32_t scale);
    int32_t Scale() const { return fScale; }
    /// The largest whole factor at which a content area of this size fits the whole screen,
    /// never below Scale(): what a full-screen show enlarges its content by.
    int32_t CoverScaleFor(int32_t contentWidth, int32_t contentHeight) const;
    /// The factor the content is shown at now: the cover scale while the program covers the
    /// screen, else Scale(). Pointer positions are mapped back through it.
    int32_t ShownScale() const { return fCoverScale > 0 ? fCoverScale : fScale; }

    // Windows
    /// The backdrop covers the screen below the main window; false when it cannot be made.
    virtual bool CreateBackdrop(std::string_view title, uint32_t rgb) = 0;
    virtual void SetBackdropColor(uint32_t rgb) = 0;
    /// Makes the main window (hidden until Show) whose content area is width x height
    /// content pixels at (x, y) (content pixels of the screen, like every geometry here).
    virtual bool CreateMain(std::string_view title, int32_t x, int32_t y, int32_t width, int32_t height,
                            const NHostWindowStyle& style)
        = 0;
    /// The presenting side of the main window, or null before it exists.
    virtual NHostWindow* Main() = 0;
    virtual bool HasMain() const = 0;
    virtual void Show() = 0;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    virtual void Restore() = 0;
    virtual bool IsMinimized() const = 0;
    virtual void MoveMain(int32_t x, int32_t y) = 0;
    virtual void SetStyle(const NHostWindowStyle& style, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void SetTitle(std::string_view title) = 0;
    /// The content area's top-left corner on the screen, in screen pixels.
    virtual void MainPosition(int32_t& x, int32_t& y) const = 0;
    /// Asks the window manager to raise and focus the main window; false when refused.
    virtual bool RaiseMain() = 0;
    virtual bool IsForeground() const = 0;
    /// Invalidates the whole main window: a paint message follows.
    virtual void Invalidate() = 0;
    /// Full screen (on): the main window covers the screen, its content centred and shown
    /// at scale (see CoverScaleFor), the rest in the backdrop colour; clicks around the
    /// content are the backdrop's. Off gives the window back the size and place it had. The
    /// content area keeps its size in content pixels either way; a paint message follows.
    virtual void CoverScreen(bool on, int32_t scale) = 0;
    /// Whether the program asked to cover the screen (CoverScreen) and has not left it.
    virtual bool IsCoveringScreen() const = 0;

    // Messages
    /// Takes the next waiting message; false when there is none.
    virtual bool PollMessage(NHostMessage& message) = 0;
    /// Waits up to timeout milliseconds (forever when negative) for the next message.
    virtual bool WaitMessage(NHostMessage& message, int32_t timeout) = 0;
    /// Wakes a wait as soon as the descriptor is readable (a kWake message); -1 for none.
    virtual void WatchDescriptor(int fd) { fWatched = fd; }

    // Cursor and pointer
    virtual void ShowCursor(bool shown) = 0;
    virtual void SetArrowCursor() = 0;
    virtual void CaptureMouse(bool on) = 0;

    // Keyboard
    /// Whether the key (a virtual-key code) is down now, and the kHost... modifier bits.
    virtual bool IsKeyDown(int32_t virtualKey) const = 0;
    virtual uint8_t Modifiers() const = 0;

    // Files
    virtual void AcceptDrops(bool on) = 0;

    // Screen saver
    /// Whether the screen saver and monitor power saving may start while the program runs.
    virtual void AllowScreenSaver(bool on) = 0;

protected:
    NHostDisplay() = default;
    NHostDisplay(const NHostDisplay&) = delete;
    NHostDisplay& operator=(const NHostDisplay&) = delete;

    /// What the display itself reports, before the overrides.
    virtual int32_t NativeWidth() const = 0;
    virtual int32_t NativeHeight() const = 0;
    virtual int32_t NativeDepth() const = 0;
    /// The screen's size in screen pixels, after LUMORA_SCREEN_SIZE.
    void ScreenPixels(int32_t& width, int32_t& height) const;
    /// Whether the watched descriptor can be read now, without waiting.
    bool WatchedReadable(int32_t timeout) const;

    int32_t fScale = 1;
    int32_t fCoverScale = 0;   // while the program covers the screen; 0 otherwise
    int fWatched = -1;
};

/// Decodes UTF-8 text into Windows-1252 characters; characters the code page lacks and
/// malformed sequences are dropped, never replaced by something else.
std::string NHostUtf8ToAnsi(std::string_view utf8);

/// Whether the backdrop has to be painted around the content of a full-screen main window
/// instead of being a borderless window of its own below the main one. setting is
/// LUMORA_BACKDROP ("window" or "cover" decide; anything else, or null, leaves it to the
/// rest); driver is the window system's name ("wayland" lets no program place its windows);
/// shown is where the window manager put the backdrop window, null before it was shown. A
/// backdrop moved or sized away from the whole screen is not honoured.
bool NHostBackdropNeedsCovering(const char* setting, std::string_view driver, const NHostRect* shown,
                                int32_t screenWidth, int32_t screenHeight);
