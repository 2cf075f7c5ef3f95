// The platform-free core of the application object: quit state, cursor auto-hide, error text, its port.
#pragma once

#include "framework/NInputEvent.h"
#include "framework/NPortHandle.h"
#include "framework/NPortListener.h"
#include "geometry/NRect.h"
#include "storage/NFileSpec.h"

#include <cstdint>
#include <string>
#include <string_view>

class NPalette;

/// The one application object of a process derives from this; construction makes the
/// application port, registers the object as its listener and makes it the current one.
/// The virtual operations keep their fixed order so that the window and sprite layers
/// extend the same slots.
class NApp : public NPortListener {
public:
    static constexpr uint32_t kAppTypeCode = 0x6170706C;    // 'appl'
    static constexpr uint32_t kHelpTypeCode = 0x68656C70;   // 'help'
    static constexpr int16_t kDefaultContentWidth = 640;
    static constexpr int16_t kDefaultContentHeight = 480;
    static constexpr int32_t kDefaultScreenDepth = 8;

    /// The application object of the process; null before it is made and after it is gone.
    static NApp* Current() { return sCurrent; }

    // Lifetime
    ~NApp() override = 0;
    // Events
    bool HandleEvent(const NPortEvent& event) override;
    // Main loop
    virtual void Run();
    virtual void ProcessMessages();
    // Window and host services
    virtual void SetBackdropColor(uint32_t rgb);
    virtual bool OpenURL(std::string_view url);
    virtual NFileSpec GetAppFileSpec() const;
    // Start and end
    virtual bool Initialize();
    virtual void Start();
    virtual void Shutdown();
    virtual bool CanQuit();
    // Window state
    virtual void Minimize();
    virtual void Maximize();
    virtual void Restore();
    // Help
    virtual void ShowHelpContents();
    virtual void ShowHelp(int32_t context);
    virtual NFileSpec GetHelpFileSpec() const;
    virtual bool Launch(const NFileSpec& fileSpec);
    // Identity
    virtual std::string GetAppName() const;
    virtual std::string GetWindowTitle() const;
    virtual uint32_t GetAppTypeCode() const;
    virtual uint32_t GetHelpTypeCode() const;
    // Dropped files
    virtual void AcceptDroppedFiles(bool on);
    virtual bool WantsDroppedFiles() const;
    virtual void FileDropped(int32_t index, std::string_view path, const NInputEvent& event);
    virtual void DropFinished();
    // Other instances
    virtual int32_t SendToInstance(std::string_view className, const void* data, int32_t size, uint32_t tag);
    virtual void DataReceived(const void* data, int32_t size, uint32_t tag);
    virtual bool AllowScreenSaver() const;
    virtual void BringToFront() = 0;
    virtual void Idle();
    virtual void ReservedHook1();
    // Input
    virtual void KeyDown(const NInputEvent& event);
    virtual void Char(const NInputEvent& event);
    virtual void KeyUp(const NInputEvent& event);
    virtual void MouseMove(const NInputEvent& event);
    virtual void MouseWheel(const NInputEvent& event);
    virtual void MouseDown(const NInputEvent& event);
    virtual void MouseUp(const NInputEvent& event);
    virtual void Activate(const NInputEvent& event);
    virtual void ActivateApp(const NInputEvent& event);
    virtual void Paint(const NInputEvent& event);
    virtual void EditCommand(const NInputEvent& event);
    virtual void ReservedHook2();
    // Window geometry
    virtual void Resized(int32_t width, int32_t height);
    virtual void EnterSizeMove();
    virtual void ExitSizeMove();
    virtual void ReservedHook3();
    // Palette
    virtual void PaletteChanging(NPalette* palette);
    virtual void PaletteChanged(NPalette* palette);
    // Screen
    virtual void UpdateWindowTitle();
    virtual NRect GetScreenSize() const;
    virtual int32_t GetScreenDepth() const;
    virtual NRect GetContentRect() const;
    virtual NRect GetWindowContentRect() const;
    virtual bool WantsFullScreen() const;
    virtual bool ReservedHook4() const;

    /// Asks CanQuit; sets the quit flag when it agrees. Returns the quit flag.
    bool QuitRequest();
    bool QuitFlag() const { return fQuit; }
    void NotifyPaletteChanging(NPalette* palette) { PaletteChanging(palette); }
    void NotifyPaletteChanged(NPalette* palette) { PaletteChanged(palette); }

    const NPortHandle& Port() const { return fPort; }
    NPoint LastMousePosition() const { return fLastMouse; }
    bool BackdropMode() const { return fBackdropMode; }
    uint32_t BackdropColor() const { return fBackdropColor; }
    int32_t CursorAutoHideDelay() const { return fCursorAutoHideDelay; }
    void SetCursorAutoHideDelay(int32_t delay) { fCursorAutoHideDelay = delay; }
    const std::string& ErrorText() const { return fErrorText; }
    void SetErrorText(std::string_view text) { fErrorText = text; }

protected:
    NApp();

    bool fCursorShown = true;
    int32_t fCursorHideDeadline = 0;   // clock milliseconds; 0 = none
    int32_t fCursorAutoHideDelay = 0;  // 0 = never hidden automatically
    bool fQuit = false;
    bool fRender = true;
    bool fRenderAgain = false;
    bool fBackdropMode = false;
    uint32_t fBackdropColor = 0;       // 0x00RRGGBB
    NPortHandle fPort;
    NPoint fLastMouse;
    std::string fErrorText;

private:
    static NApp* sCurrent;
};
