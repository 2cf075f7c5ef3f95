// The application object with a window: display checks, one instance, the message pump and the window procedures.
#pragma once

#include "framework/NApp.h"
#include "platform/NHostDisplay.h"
#include "platform/NHostInstance.h"

#include <cstdint>
#include <memory>
#include <string>

/// Where the main window goes and how it looks, computed from the content rectangle and
/// the screen with the classic frame metrics.
struct NWindowGeometry {
    static constexpr uint32_t kPopupStyle = 0x82880000;     // pop-up, border, system menu, clip children
    static constexpr uint32_t kCaptionStyle = 0x02CA0000;   // caption, system menu, minimise box, clip children
    static constexpr uint32_t kFullScreenKeep = 0xFF30FFFF;
    static constexpr uint32_t kFullScreenAdd = 0x90000000;  // pop-up and visible
    static constexpr uint32_t kCaption = 0x00C00000;
    static constexpr uint32_t kBorder = 0x00800000;
    static constexpr uint32_t kDialogFrame = 0x00400000;
    static constexpr uint32_t kSizingFrame = 0x00040000;
    static constexpr uint32_t kPopup = 0x80000000;
    static constexpr int32_t kCaptionHeight = 19;
    static constexpr int32_t kBorderThickness = 1;
    static constexpr int32_t kDialogFrameThickness = 3;
    static constexpr int32_t kSizingFrameThickness = 4;

    uint32_t fStyle = 0;
    int32_t fX = 0;
    int32_t fY = 0;
    int32_t fOuterWidth = 0;
    int32_t fOuterHeight = 0;

    static NWindowGeometry Compute(const NRect& content, const NRect& screen, bool backdropMode, bool oldSystem);
    /// What the window manager is asked for.
    NHostWindowStyle HostStyle() const;
};

/// The window layer: it owns the window service (the SDL one, or one a test hands in) and
/// the single-instance claim, turns platform messages into input events and runs the pump.
class NWinApp : public NApp {
public:
    static constexpr size_t kClassNameLength = 64;
    static constexpr int32_t kMinTrackWidth = 640;
    static constexpr int32_t kMinTrackHeight = 480;
    static constexpr size_t kMaxDroppedName = 300;
    static constexpr size_t kMaxModuleName = 500;

    static constexpr int kBadArgumentsExit = 2;

    /// The program entry: stores the command line, starts up, runs and shuts down the one
    /// application object. The exit code is always 0.
    static int ProgramEntry(int argc, char** argv);
    /// The command line as the platform hands it over: the words after the program's name in
    /// Windows-1252, quoted so that they split back unchanged. An argument with a character
    /// outside the code page is named on standard error and the process exits with
    /// kBadArgumentsExit.
    static std::string JoinArguments(int argc, char** argv);

    // Lifetime
    ~NWinApp() override = 0;
    // Main loop
    void Run() override;
    void ProcessMessages() override;
    // Window and host services
    void SetBackdropColor(uint32_t rgb) override;
    bool OpenURL(std::string_view url) override;
    NFileSpec GetAppFileSpec() const override;
    // Start and end
    bool Initialize() override;
    void Shutdown() override;
    // Window state
    void Minimize() override;
    void Maximize() override;
    void Restore() override;
    // Help
    void ShowHelpContents() override;
    void ShowHelp(int32_t context) override;
    bool Launch(const NFileSpec& fileSpec) override;
    // Dropped files
    void AcceptDroppedFiles(bool on) override;
    // Other instances
    int32_t SendToInstance(std::string_view className, const void* data, int32_t size, uint32_t tag) override;
    void BringToFront() override;
    // Input
    void Activate(const NInputEvent& event) override;
    // Window geometry
    void Resized(int32_t width, int32_t height) override;
    // Screen
    void UpdateWindowTitle() override;
    NRect GetScreenSize() const override;
    int32_t GetScreenDepth() const override;

    /// *main*: Initialize and Start; on failure the error text, when there is one, is shown.
    bool Main();
    /// The main window procedure: one platform message.
    void HandleMessage(const NHostMessage& message);
    /// Hides the cursor when its deadline passed, then Idle.
    void IdlePass();
    /// Shows (re-arming the auto-hide deadline) or hides the cursor.
    void ShowCursor(bool show);

    /// Closes the windows and the window service; the program entry does this before the
    /// process ends, so that nothing of the desktop is left to static destruction.
    void CloseDisplay();
    /// Hands in the window service before Initialize (tests give the headless one).
    void SetDisplay(std::unique_ptr<NHostDisplay> display) { fDisplay = std::move(display); }
    NHostDisplay* Display() const { return fDisplay.get(); }
    NHostInstance& Instance() { return fInstance; }
    void SetCommandLine(std::string_view commandLine) { fCommandLine = commandLine; }
    const std::string& CommandLine() const { return fCommandLine; }
    /// The class name other starts find this program by.
    std::string ClassName() const { return GetAppName().substr(0, kClassNameLength); }
    /// True when start-up found another instance and handed over to it.
    bool HandedOver() const { return fHandedOver; }
    const NWindowGeometry& Geometry() const { return fGeometry; }
    bool IsActive() const { return fActive; }
    bool IsMinimized() const { return fMinimized; }
    bool IsOldSystem() const { return fOldSystem; }
    void SetRunWhileInactive(bool on) { fRunWhileInactive = on; }
    void SetRunWhileMinimized(bool on) { fRunWhileMinimized = on; }
    /// The button-held marks, shared by both buttons and the whole process.
    static bool LeftHeld() { return sLeftHeld; }
    static bool RightHeld() { return sRightHeld; }
    /// Clears the marks, as a change of capture does.
    static void ReleaseButtons();

protected:
    NWinApp();

    /// Milliseconds until the idle pass has work that is due (0: now), or -1 when nothing
    /// is scheduled; the pump sleeps that long when no message waits. The sprite layer adds
    /// its queue, tasks, timers and pending changes.
    virtual int32_t IdleWaitLimit();
    /// Shows one of the start-up messages in a box with the error icon.
    void ShowStartupMessage(const std::string& text) const;

    std::string fCommandLine;
    bool fOldSystem = false;
    bool fActive = true;
    bool fMinimized = false;
    bool fRunWhileInactive = true;
    bool fRunWhileMinimized = true;
    bool fHandedOver = false;
    NWindowGeometry fGeometry;
    std::unique_ptr<NHostDisplay> fDisplay;
    NHostInstance fInstance;

private:
    bool OpenDisplay();
    bool ClaimInstance();
    void ServeInstance();
    NInputEvent MakeEvent(int32_t type, const NHostMessage& message) const;
    void ButtonDown(const NHostMessage& message);
    void ButtonUp(const NHostMessage& message);
    void DisplayChanged();

    bool fSizeMinimized = false;

    static bool sLeftHeld;
    static bool sRightHeld;
};
