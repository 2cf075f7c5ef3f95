// The window layer of the application object: start-up checks, the single-instance rule, the pump and the window procedures.
#include "framework/NWinApp.h"

#include "framework/NAppClock.h"
#include "framework/NEventCodes.h"
#include "framework/NKeyTable.h"
#include "platform/NHostCommandLine.h"
#include "platform/NHostDialogs.h"
#include "platform/NHostDrives.h"
#include "platform/NHostFileSystem.h"
#include "platform/NHostHeadlessDisplay.h"
#include "platform/NHostShell.h"
#include "storage/NFAppDirSpec.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

constexpr char kDepthMessage[] = "%s requires a monitor capable of displaying at least 256 colors.";
constexpr char kAreaMessage[] = "%s requires a display screen area of at least %d by %d pixels.";
constexpr char kCommandLinePrefix[] = "CMDLINE=";
constexpr char kUrlPrefix[] = "Qip_URL";
constexpr int32_t kMinimumDepth = 7;   // more than this many bits per pixel
constexpr int16_t kMaxCoordinate = 32767;

std::string Format(const char* pattern, const std::string& name, int a = 0, int b = 0)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, pattern, name.c_str(), a, b);
    return buffer;
}

int16_t ScreenValue(int32_t value)
{
    return int16_t(std::clamp(value, int32_t(0), int32_t(kMaxCoordinate)));
}

} // namespace

bool NWinApp::sLeftHeld = false;
bool NWinApp::sRightHeld = false;

NWindowGeometry NWindowGeometry::Compute(const NRect& content, const NRect& screen, bool backdropMode, bool oldSystem)
{
    NWindowGeometry geometry;
    int32_t width = content.fWidth;
    int32_t height = content.fHeight;
    bool popup = backdropMode || height >= screen.fHeight - kCaptionHeight;
    geometry.fStyle = popup ? kPopupStyle : kCaptionStyle;
    int32_t thickness = (geometry.fStyle & kSizingFrame) ? kSizingFrameThickness
        : (geometry.fStyle & kCaption) == kCaption || (geometry.fStyle & kDialogFrame) ? kDialogFrameThickness
                                                                                      : kBorderThickness;
    geometry.fOuterWidth = width + 2 * thickness;
    geometry.fOuterHeight = height + 2 * thickness;
    if ((geometry.fStyle & kCaption) == kCaption)
        geometry.fOuterHeight += kCaptionHeight;
    if (oldSystem)
        geometry.fOuterHeight -= 1;
    geometry.fX = content.fX;
    geometry.fY = content.fY;
    if (backdropMode) {
        geometry.fX = (screen.fWidth - geometry.fOuterWidth) / 2;
        geometry.fY = (screen.fHeight - geometry.fOuterHeight) / 2;
    }
    return geometry;
}

NHostWindowStyle NWindowGeometry::HostStyle() const
{
    NHostWindowStyle style;
    style.fCaption = (fStyle & kCaption) == kCaption;
    style.fPopup = (fStyle & kPopup) != 0;
    return style;
}

NWinApp::NWinApp() = default;

NWinApp::~NWinApp()
{
    CloseDisplay();
}

std::string NWinApp::JoinArguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
    std::string problem;
    if (!NHostCommandLine::FromUtf8Arguments(argc, argv, arguments, problem)) {
        // Nothing the program would do with a name it cannot hold is right: it stops here.
        std::fprintf(stderr, "%s: %s\n", argc > 0 ? argv[0] : "program", problem.c_str());
        std::exit(kBadArgumentsExit);
    }
    return NHostCommandLine::Join(arguments);
}

int NWinApp::ProgramEntry(int argc, char** argv)
{
    auto* app = dynamic_cast<NWinApp*>(NApp::Current());
    if (!app)
        return 0;
    app->SetCommandLine(JoinArguments(argc, argv));
    if (app->Main()) {
        app->Run();
        app->Shutdown();
    }
    app->CloseDisplay();
    return 0;
}

void NWinApp::CloseDisplay()
{
    if (!fDisplay)
        return;
    if (NHostWindow::Main() == fDisplay->Main())
        NHostWindow::SetMain(nullptr);
    fDisplay->WatchDescriptor(-1);
    fDisplay.reset();
}

bool NWinApp::Main()
{
    if (Initialize()) {
        Start();
        return true;
    }
    if (!fErrorText.empty())
        NHostDialogs::MessageBox(GetAppName(), fErrorText, kMessageIconError);
    return false;
}

void NWinApp::ShowStartupMessage(const std::string& text) const
{
    NHostDialogs::MessageBox(GetAppName(), text, kMessageIconError);
}

bool NWinApp::OpenDisplay()
{
    if (fDisplay)
        return true;
    // Without a desktop (or when asked) the program runs on the headless service, whose
    // window nobody sees; tests and screenshots use it.
    const char* wanted = std::getenv("LUMORA_HEADLESS");
    if (!wanted || !*wanted || std::string(wanted) == "0") {
        std::string error;
        fDisplay = NHostDisplay::CreateDesktop(error);
        if (fDisplay)
            return true;
        fErrorText = "Cannot open the display: " + error;
        return false;
    }
    auto headless = std::make_unique<NHostHeadlessDisplay>();
    headless->SetRealWaits(true);
    fDisplay = std::move(headless);
    return true;
}

bool NWinApp::Initialize()
{
    if (!OpenDisplay())
        return false;
    NRect content = GetContentRect();
    fDisplay->SetScale(fDisplay->ScaleFor(content.fWidth, content.fHeight));

    // 1. Colour depth.
    if (GetScreenDepth() <= kMinimumDepth) {
        ShowStartupMessage(Format(kDepthMessage, GetAppName()));
        return false;
    }
    // 2. Screen area, the wanted size rounded to a 4:3 shape.
    NRect screen = GetScreenSize();
    if (screen.fWidth < content.fWidth || screen.fHeight < content.fHeight) {
        int32_t height = std::max(int32_t(content.fWidth) * 3 / 4, int32_t(content.fHeight));
        int32_t width = std::max(int32_t(content.fWidth), height * 4 / 3);
        ShowStartupMessage(Format(kAreaMessage, GetAppName(), width, height));
        return false;
    }
    // 3. Operating system: never the old 16-bit host here.
    fOldSystem = false;
    // 4. Single instance.
    if (!ClaimInstance())
        return false;
    // 5. Window geometry.
    fGeometry = NWindowGeometry::Compute(GetWindowContentRect(), screen, fBackdropMode, fOldSystem);
    // 6. Backdrop window.
    if (fBackdropMode)
        fDisplay->CreateBackdrop(GetWindowTitle(), fBackdropColor);
    // 7. Main window class and the arrow cursor.
    fDisplay->SetArrowCursor();
    // 8. The main window. The window manager draws the frame, so it is asked for the content size.
    NRect window = GetWindowContentRect();
    if (!fDisplay->CreateMain(GetWindowTitle(), fGeometry.fX, fGeometry.fY, window.fWidth, window.fHeight,
                              fGeometry.HostStyle())) {
        fErrorText = "Cannot create the main window.";
        return false;
    }
    NHostWindow::SetMain(fDisplay->Main());
    // 9. Full-screen option: the content area keeps its size, the display centres and enlarges it.
    if (WantsFullScreen())
        fDisplay->CoverScreen(true, fDisplay->CoverScaleFor(window.fWidth, window.fHeight));
    // 10. The window-event hook does not exist on this host: the program runs without it,
    // so the task-switch event is never sent.
    return true;
}

bool NWinApp::ClaimInstance()
{
    std::string className = ClassName();
    switch (fInstance.ClaimFor(className)) {
    case NHostInstance::Claim::kFirst:
        fDisplay->WatchDescriptor(fInstance.Descriptor());
        return true;
    case NHostInstance::Claim::kFailed:
        return true;   // the program runs alone, without the rule
    case NHostInstance::Claim::kRunning:
        break;
    }
    if (!fCommandLine.empty()) {
        std::string text = kCommandLinePrefix + fCommandLine;
        SendToInstance(className, text.data(), int32_t(text.size()), 0);
    }
    int32_t answer = 0;
    (void)NHostInstance::Send(className, NHostInstance::Kind::kRaise, 0, nullptr, 0, answer);
    fHandedOver = true;
    return false;
}

void NWinApp::ServeInstance()
{
    fInstance.Serve([this](NHostInstance::Kind kind, uint32_t tag, const std::string& data) -> int32_t {
        if (kind == NHostInstance::Kind::kData) {
            DataReceived(data.data(), int32_t(data.size()), tag);
        } else {
            BringToFront();
            if (fDisplay->IsMinimized())
                fDisplay->Restore();
        }
        return 0;
    });
}

int32_t NWinApp::SendToInstance(std::string_view className, const void* data, int32_t size, uint32_t tag)
{
    int32_t answer = 0;
    if (size < 0 || !NHostInstance::Send(className, NHostInstance::Kind::kData, tag, data, uint32_t(size), answer))
        return 0;
    return answer;
}

void NWinApp::Run()
{
    if (fQuit || !fDisplay)
        return;
    fDisplay->Show();
    fDisplay->AllowScreenSaver(AllowScreenSaver());
    AcceptDroppedFiles(WantsDroppedFiles());
    while (!fQuit)
        ProcessMessages();
}

// One pass, in this order:
//   1. take a message; when none waits, sleep until a message comes or idle work is due
//      (the wait is bounded by the earliest deadline, so an idle program costs nothing);
//      an inactive program that may not run in the background waits for a message only
//   2. handle it and every further message waiting
//   3. the idle pass: cursor auto-hide, clock, posted events, idle tasks, page idle, render
void NWinApp::ProcessMessages()
{
    if (!fDisplay) {
        IdlePass();
        return;
    }
    NHostMessage message;
    bool got = false;
    bool background = !fActive && (!fRunWhileInactive || (fMinimized && !fRunWhileMinimized));
    if (background) {
        got = fDisplay->WaitMessage(message, -1);
    } else {
        got = fDisplay->PollMessage(message);
        if (!got) {
            int32_t wait = IdleWaitLimit();
            if (wait != 0)
                got = fDisplay->WaitMessage(message, wait);
        }
    }
    while (got) {
        if (message.fType == NHostMessageType::kQuit) {
            QuitRequest();
            break;
        }
        HandleMessage(message);
        got = fDisplay->PollMessage(message);
    }
    IdlePass();
}

int32_t NWinApp::IdleWaitLimit()
{
    if (fCursorHideDeadline == 0)
        return -1;
    // Hidden once the clock is past the deadline.
    int32_t left = int32_t(uint32_t(fCursorHideDeadline) - NAppClock::The().Now()) + 1;
    return std::max(left, int32_t(0));
}

void NWinApp::IdlePass()
{
    if (fCursorHideDeadline != 0 && int32_t(NAppClock::The().Now() - uint32_t(fCursorHideDeadline)) > 0)
        ShowCursor(false);
    Idle();
}

void NWinApp::ShowCursor(bool show)
{
    if (show) {
        if (fCursorAutoHideDelay != 0)
            fCursorHideDeadline = int32_t(NAppClock::The().Now() + uint32_t(fCursorAutoHideDelay));
        if (!fCursorShown) {
            fCursorShown = true;
            if (fDisplay)
                fDisplay->ShowCursor(true);
        }
    } else {
        fCursorHideDeadline = 0;
        if (fCursorShown) {
            fCursorShown = false;
            if (fDisplay)
                fDisplay->ShowCursor(false);
        }
    }
}

void NWinApp::ReleaseButtons()
{
    sLeftHeld = false;
    sRightHeld = false;
}

NInputEvent NWinApp::MakeEvent(int32_t type, const NHostMessage& message) const
{
    NInputEvent event;
    event.Init(type, NAppClock::The().FromSourceTime(message.fTime),
               NPoint(NClampCoordinate(message.fX), NClampCoordinate(message.fY)));
    return event;
}

void NWinApp::HandleMessage(const NHostMessage& message)
{
    switch (message.fType) {
    case NHostMessageType::kNone:
        break;
    case NHostMessageType::kQuit:
        QuitRequest();
        break;
    case NHostMessageType::kClose:
        // The close item only asks; the window is never closed behind the program's back.
        QuitRequest();
        break;
    case NHostMessageType::kSize:
        fSizeMinimized = message.fMinimized;
        Resized(message.fWidth, message.fHeight);
        break;
    case NHostMessageType::kActivate: {
        NInputEvent event = MakeEvent(message.fActive ? kInputActivate : kInputDeactivate, message);
        Activate(event);
        NInputEvent app = MakeEvent(message.fActive ? kInputAppActivate : kInputAppDeactivate, message);
        ActivateApp(app);
        break;
    }
    case NHostMessageType::kMoved:
        break;   // default processing; the idle pass that follows sees the new place
    case NHostMessageType::kCaptureChanged:
        ReleaseButtons();
        break;
    case NHostMessageType::kPaint: {
        NInputEvent event = MakeEvent(kInputPaint, message);
        Paint(event);
        break;
    }
    case NHostMessageType::kDisplayChange:
        DisplayChanged();
        break;
    case NHostMessageType::kMouseMove: {
        NInputEvent event = MakeEvent(kInputMouseMove, message);
        ShowCursor(true);
        if (message.fClient)
            MouseMove(event);
        break;
    }
    case NHostMessageType::kKeyDown:
    case NHostMessageType::kKeyUp: {
        int32_t key = NKeyTable::Map(message.fVirtualKey);
        if (key == kKeyNone)
            break;   // default processing
        bool down = message.fType == NHostMessageType::kKeyDown;
        NInputEvent event = MakeEvent(down ? kInputKeyDown : kInputKeyUp, message);
        event.fKey = key;
        event.fFlags |= fDisplay ? fDisplay->Modifiers() : message.fModifiers;
        if (down && message.fRepeat)
            event.fFlags |= kInputAutoRepeat;
        if (down)
            KeyDown(event);
        else
            KeyUp(event);
        break;
    }
    case NHostMessageType::kChar: {
        NInputEvent event = MakeEvent(kInputChar, message);
        event.fChar = message.fChar;
        event.fFlags |= fDisplay ? fDisplay->Modifiers() : message.fModifiers;
        if (message.fRepeat)
            event.fFlags |= kInputAutoRepeat;
        Char(event);
        break;
    }
    case NHostMessageType::kButtonDown:
        ButtonDown(message);
        break;
    case NHostMessageType::kButtonUp:
        ButtonUp(message);
        break;
    case NHostMessageType::kWheel: {
        NInputEvent event = MakeEvent(kInputButtonDown, message);
        event.fFlags |= message.fModifiers & (kInputShift | kInputControl);
        event.fExtra = message.fWheelDelta;
        MouseWheel(event);
        break;
    }
    case NHostMessageType::kDropFiles: {
        if (message.fPointKnown) {
            NInputEvent event = MakeEvent(kInputMouseMove, message);
            for (size_t i = 0; i < message.fPaths.size(); ++i)
                FileDropped(int32_t(i), std::string_view(message.fPaths[i]).substr(0, kMaxDroppedName), event);
        }
        DropFinished();
        break;
    }
    case NHostMessageType::kBackdropPaint: {
        NPortEvent event(kEventBackdropPaint);
        fPort.Send(event);
        break;
    }
    case NHostMessageType::kBackdropClick:
        fPort.Post(NPortEvent(kEventBackdropClicked), 0);
        break;
    case NHostMessageType::kWake:
        ServeInstance();
        break;
    }
}

void NWinApp::ButtonDown(const NHostMessage& message)
{
    bool right = message.fButton == NHostButton::kRight;
    if (message.fButton == NHostButton::kOther || (right ? sLeftHeld : sRightHeld))
        return;   // default processing: the other button holds the pointer
    (right ? sRightHeld : sLeftHeld) = true;
    NInputEvent event = MakeEvent(kInputButtonDown, message);
    event.fFlags |= message.fModifiers & (kInputShift | kInputControl);
    if (right)
        event.fFlags |= kInputRightButton;
    if (message.fDoubleClick)
        event.fFlags |= kInputDoubleClick;
    if (fDisplay)
        fDisplay->CaptureMouse(true);
    MouseDown(event);
}

void NWinApp::ButtonUp(const NHostMessage& message)
{
    bool right = message.fButton == NHostButton::kRight;
    if (message.fButton == NHostButton::kOther || !(right ? sRightHeld : sLeftHeld))
        return;
    (right ? sRightHeld : sLeftHeld) = false;
    NInputEvent event = MakeEvent(kInputButtonUp, message);
    event.fFlags |= message.fModifiers & (kInputShift | kInputControl);
    if (right)
        event.fFlags |= kInputRightButton;
    MouseUp(event);
    if (fDisplay)
        fDisplay->CaptureMouse(false);
}

void NWinApp::DisplayChanged()
{
    if (!fDisplay)
        return;
    NRect screen = GetScreenSize();
    fGeometry = NWindowGeometry::Compute(GetWindowContentRect(), screen, fBackdropMode, fOldSystem);
    NRect window = GetWindowContentRect();
    fDisplay->SetStyle(fGeometry.HostStyle(), fGeometry.fX, fGeometry.fY, window.fWidth, window.fHeight);
    fDisplay->Show();
    fDisplay->Invalidate();
}

void NWinApp::SetBackdropColor(uint32_t rgb)
{
    NApp::SetBackdropColor(rgb);
    if (fBackdropMode && fDisplay)
        fDisplay->SetBackdropColor(rgb);
}

bool NWinApp::OpenURL(std::string_view url)
{
    std::string name = NHostFileSystem::TempFileName(NFTmpDirSpec::The().HostPath(), kUrlPrefix);
    if (name.empty())
        return false;
    std::string shortcut = name + ".url";
    std::string linuxPath;
    if (!NHostDrives::The().ToLinux(shortcut, linuxPath))
        return false;
    {
        std::ofstream file(linuxPath, std::ios::binary | std::ios::trunc);
        file << "[InternetShortcut]\r\n" << "URL=" << url << "\r\n";
        if (!file.flush())
            return false;
    }
    return NHostShell::Open(shortcut) > kShellFirstSuccess;
}

NFileSpec NWinApp::GetAppFileSpec() const
{
    std::string path = NHostFileSystem::ModuleFileName().substr(0, kMaxModuleName);
    NFileSpec spec;
    if (!NFileSpec::FromHostPath(path, spec))
        return NFileSpec();
    return spec;
}

void NWinApp::Shutdown()
{
    // The help engine has nothing open to close: no program ships a help file.
}

void NWinApp::Minimize()
{
    if (fDisplay)
        fDisplay->Minimize();
}

void NWinApp::Maximize()
{
    if (fDisplay)
        fDisplay->Maximize();
}

void NWinApp::Restore()
{
    if (fDisplay)
        fDisplay->Restore();
}

void NWinApp::ShowHelpContents()
{
    ShowHelp(0);
}

void NWinApp::ShowHelp(int32_t)
{
    // The help engine of this host opens nothing: the help file is a placeholder that no
    // program provides.
}

bool NWinApp::Launch(const NFileSpec& fileSpec)
{
    return NHostShell::StartCommandLine(fileSpec.HostPath()) >= kShellFirstSuccess;
}

void NWinApp::AcceptDroppedFiles(bool on)
{
    if (fDisplay)
        fDisplay->AcceptDrops(on);
}

void NWinApp::BringToFront()
{
    if (!fDisplay || !fDisplay->HasMain() || fDisplay->IsForeground())
        return;
    if (!fDisplay->RaiseMain()) {
        // Started again, the program finds this instance and asks it to come forward.
        NHostShell::Open(NHostFileSystem::ModuleFileName().substr(0, 260), "");
    }
}

void NWinApp::Activate(const NInputEvent& event)
{
    fActive = event.fType == kInputActivate;
}

void NWinApp::Resized(int32_t, int32_t)
{
    fMinimized = fSizeMinimized;
}

void NWinApp::UpdateWindowTitle()
{
    if (fDisplay)
        fDisplay->SetTitle(GetWindowTitle());
}

NRect NWinApp::GetScreenSize() const
{
    if (!fDisplay)
        return NRect();
    return NRect(0, 0, ScreenValue(fDisplay->ScreenWidth()), ScreenValue(fDisplay->ScreenHeight()));
}

int32_t NWinApp::GetScreenDepth() const
{
    return fDisplay ? fDisplay->ScreenDepth() : NApp::GetScreenDepth();
}
