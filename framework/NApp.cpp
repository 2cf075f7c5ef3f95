// The platform-free core of the application object.
#include "framework/NApp.h"

#include "framework/NEventCodes.h"
#include "framework/NInputEvent.h"
#include "storage/NFAppDirSpec.h"

namespace {

constexpr char kDefaultAppName[] = "XP Application";
constexpr char kDefaultWindowTitle[] = "XP Window";
constexpr char kHelpPlaceholderName[] = "x";

} // namespace

NApp* NApp::sCurrent = nullptr;

NApp::NApp()
{
    fPort.AddListener(*this);
    sCurrent = this;
}

NApp::~NApp()
{
    fPort.RemoveListener(*this);
    if (sCurrent == this)
        sCurrent = nullptr;
}

bool NApp::HandleEvent(const NPortEvent& event)
{
    switch (event.fCode) {
    case kEventQuitRequest:
        QuitRequest();
        return true;
    case kEventQuit:
        fQuit = true;
        return true;
    default:
        return false;
    }
}

bool NApp::QuitRequest()
{
    if (CanQuit())
        fQuit = true;
    return fQuit;
}

void NApp::Run() {}
void NApp::ProcessMessages() {}
void NApp::SetBackdropColor(uint32_t rgb) { fBackdropColor = rgb; }
bool NApp::OpenURL(std::string_view) { return false; }
NFileSpec NApp::GetAppFileSpec() const { return NFileSpec(); }
bool NApp::Initialize() { return true; }
void NApp::Start() {}
void NApp::Shutdown() {}
bool NApp::CanQuit() { return true; }
void NApp::Minimize() {}
void NApp::Maximize() {}
void NApp::Restore() {}
void NApp::ShowHelpContents() {}
void NApp::ShowHelp(int32_t) {}

NFileSpec NApp::GetHelpFileSpec() const
{
    return NFileSpec(NFAppDirSpec::The(), kHelpPlaceholderName);
}

bool NApp::Launch(const NFileSpec&) { return false; }
std::string NApp::GetAppName() const { return kDefaultAppName; }
std::string NApp::GetWindowTitle() const { return kDefaultWindowTitle; }
uint32_t NApp::GetAppTypeCode() const { return kAppTypeCode; }
uint32_t NApp::GetHelpTypeCode() const { return kHelpTypeCode; }
void NApp::AcceptDroppedFiles(bool) {}
bool NApp::WantsDroppedFiles() const { return false; }
void NApp::FileDropped(int32_t, std::string_view, const NInputEvent&) {}
void NApp::DropFinished() {}
int32_t NApp::SendToInstance(std::string_view, const void*, int32_t, uint32_t) { return 0; }
void NApp::DataReceived(const void*, int32_t, uint32_t) {}
bool NApp::AllowScreenSaver() const { return true; }
void NApp::Idle() {}
void NApp::ReservedHook1() {}
void NApp::KeyDown(const NInputEvent&) {}
void NApp::Char(const NInputEvent&) {}
void NApp::KeyUp(const NInputEvent&) {}
void NApp::MouseMove(const NInputEvent& event) { fLastMouse = event.fWhere; }
void NApp::MouseWheel(const NInputEvent&) {}
void NApp::MouseDown(const NInputEvent&) {}
void NApp::MouseUp(const NInputEvent&) {}
void NApp::Activate(const NInputEvent&) {}
void NApp::ActivateApp(const NInputEvent&) {}
void NApp::Paint(const NInputEvent&) {}
void NApp::EditCommand(const NInputEvent&) {}
void NApp::ReservedHook2() {}
void NApp::Resized(int32_t, int32_t) {}
void NApp::EnterSizeMove() {}
void NApp::ExitSizeMove() {}
void NApp::ReservedHook3() {}
void NApp::PaletteChanging(NPalette*) {}
void NApp::PaletteChanged(NPalette*) {}
void NApp::UpdateWindowTitle() {}
NRect NApp::GetScreenSize() const { return NRect(); }
int32_t NApp::GetScreenDepth() const { return kDefaultScreenDepth; }
NRect NApp::GetContentRect() const { return NRect(0, 0, kDefaultContentWidth, kDefaultContentHeight); }
NRect NApp::GetWindowContentRect() const { return NRect(0, 0, kDefaultContentWidth, kDefaultContentHeight); }
bool NApp::WantsFullScreen() const { return false; }
bool NApp::ReservedHook4() const { return false; }
