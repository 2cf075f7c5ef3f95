// The sprite application: the universe in the window, the idle pass, input routing and page switching.
#include "framework/NSpriteApp.h"

#include "framework/NAppClock.h"
#include "framework/NEventCodes.h"
#include "framework/NEventQueue.h"
#include "framework/NIdleTaskRegistry.h"
#include "framework/NInputState.h"
#include "framework/NPage.h"
#include "framework/NPageRegistry.h"
#include "framework/NPointerPort.h"
#include "imaging/NPaletteRegistry.h"
#include "platform/NHostTime.h"

#include <algorithm>

namespace {

// The earliest wait until a node timer is due, and whether anything waits to be drawn.
void ScanTree(const NSpObject& node, uint32_t clockNow, uint32_t realNow, int32_t& wait)
{
    if (node.IsChanged())
        wait = 0;
    if (node.TimerMode() != kTimerOff) {
        uint32_t now = node.TimerMode() == kTimerRealClock ? realNow : clockNow;
        int32_t left = std::max(int32_t(node.TimerNextDue() - now), int32_t(0));
        wait = wait < 0 ? left : std::min(wait, left);
    }
    for (NEventTarget* child : node.Children()) {
        if (wait == 0)
            return;
        if (const NSpObject* sprite = NSpChild(child))
            ScanTree(*sprite, clockNow, realNow, wait);
    }
}

int32_t Earlier(int32_t a, int32_t b)
{
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    return std::min(a, b);
}

} // namespace

NSpriteApp::NSpriteApp()
{
    NPointerPort::Set(&fPointerPort);
    NPaletteRegistry::The().SetClient(&fPaletteRelay);
}

NSpriteApp::~NSpriteApp()
{
    if (NPaletteRegistry::Alive())
        NPaletteRegistry::The().SetClient(nullptr);
    if (NPointerPort::Get() == &fPointerPort)
        NPointerPort::Set(nullptr);
    if (NInputState* input = NInputState::IfAlive())
        input->RemoveInputRoot(fUniverse);
}

void NSpriteApp::PaletteRelay::PaletteChanging(const NPalette* palette)
{
    fApp.NotifyPaletteChanging(const_cast<NPalette*>(palette));
}

void NSpriteApp::PaletteRelay::PaletteChanged(const NPalette* palette)
{
    fApp.NotifyPaletteChanged(const_cast<NPalette*>(palette));
}

bool NSpriteApp::HandleEvent(const NPortEvent& event)
{
    if (NApp::HandleEvent(event))
        return true;
    switch (event.fCode) {
    case kEventShowPage:
        SwitchToPage(event.fArgument, false);
        return true;
    case kEventShowPageForced:
        SwitchToPage(event.fArgument, true);
        return true;
    default:
        return false;
    }
}

bool NSpriteApp::Initialize()
{
    if (!NWinApp::Initialize())
        return false;
    fUniverse.SetBounds(GetContentRect(), fDisplay->Main());
    fPort.Post(NPortEvent(kEventStartupFinished), 0);
    NInputState::The().PushInputRoot(fUniverse);
    fUiDump.Configure(GetAppFileSpec().BaseName());
    return true;
}

void NSpriteApp::Shutdown()
{
    if (fCurrentPage) {
        fCurrentPage->Leave();
        fCurrentPage = nullptr;
    }
    NWinApp::Shutdown();
}

void NSpriteApp::Idle()
{
    NAppClock::The().Update();
    NEventQueue::The().Process();
    NIdleTaskRegistry::The().RunDueTasks();
    if (fRender || fRenderAgain) {
        if (fCurrentPage)
            fCurrentPage->Idle();
        fUniverse.RenderChanges();
        WriteUiDump();
    }
}

int32_t NSpriteApp::IdleWaitLimit()
{
    int32_t wait = NWinApp::IdleWaitLimit();
    if (fUniverse.Grid().AddedCount() > 0)
        return 0;
    NAppClock& clock = NAppClock::The();
    uint64_t now = clock.NowWide();
    uint64_t due = 0;
    if (NEventQueue::The().NextDue(due))
        wait = Earlier(wait, due <= now ? 0 : int32_t(std::min<uint64_t>(due - now, INT32_MAX)));
    uint32_t taskDue = 0;
    if (NIdleTaskRegistry::The().NextDue(taskDue)) {
        // A task runs once the clock is past its due time.
        int32_t left = taskDue == 0 ? 0 : std::max(int32_t(taskDue - uint32_t(now)) + 1, int32_t(0));
        wait = Earlier(wait, left);
    }
    if (wait != 0) {
        int32_t timers = -1;
        ScanTree(fUniverse, uint32_t(now), NHostTime::Milliseconds(), timers);
        wait = Earlier(wait, timers);
    }
    return wait;
}

void NSpriteApp::WriteUiDump()
{
    if (!fUiDump.Enabled())
        return;
    NUiDump::Frame frame;
    frame.fApp = GetAppName();
    frame.fPage = fCurrentPage ? fCurrentPage->Id() : -1;
    frame.fFrame = fUniverse.PresentCount();
    int32_t scale = fDisplay ? fDisplay->ShownScale() : 1;
    if (fDisplay)
        fDisplay->MainPosition(frame.fX, frame.fY);
    NRect content = GetContentRect();
    frame.fWidth = content.fWidth * scale;
    frame.fHeight = content.fHeight * scale;
    frame.fScale = scale;
    fUiDump.Update(frame, fUniverse);
}

void NSpriteApp::KeyDown(const NInputEvent& event)
{
    NInputState::The().KeyDown(event);
}

void NSpriteApp::Char(const NInputEvent& event)
{
    NInputState::The().Char(event);
}

void NSpriteApp::KeyUp(const NInputEvent& event)
{
    NInputState::The().KeyUp(event);
}

void NSpriteApp::MouseMove(const NInputEvent& event)
{
    if (event.fWhere == fLastMove)
        return;
    fLastMove = event.fWhere;
    NApp::MouseMove(event);
    NInputState::The().PointerMoved(event);
    NInputEventRef loan(event);
    NPortEvent moved(kEventPointerMoved);
    moved.SetArgumentObject(loan);
    fPointerPort.Send(moved);
}

void NSpriteApp::MouseWheel(const NInputEvent& event)
{
    NInputState::The().Wheel(event);
}

void NSpriteApp::MouseDown(const NInputEvent& event)
{
    NInputState::The().ButtonDown(event);
}

void NSpriteApp::MouseUp(const NInputEvent& event)
{
    NInputState::The().ButtonUp(event);
}

void NSpriteApp::Paint(const NInputEvent&)
{
    fUniverse.RepaintAll(GetContentRect());
    WriteUiDump();
}

void NSpriteApp::EditCommand(const NInputEvent& event)
{
    NInputState::The().EditCommand(event);
}

void NSpriteApp::PaletteChanging(NPalette* palette)
{
    fUniverse.NotifyPaletteChanging(palette);
}

void NSpriteApp::PaletteChanged(NPalette* palette)
{
    fUniverse.NotifyPaletteChanged(palette);
}

NRect NSpriteApp::GetContentRect() const
{
    return NRect(0, 0, std::max(fContentWidth, int16_t(0)), std::max(fContentHeight, int16_t(0)));
}

void NSpriteApp::SetContentSize(int16_t width, int16_t height)
{
    fContentWidth = fContentWidth2 = width;
    fContentHeight = fContentHeight2 = height;
}

bool NSpriteApp::ReservedHook5() const { return false; }
NPage* NSpriteApp::CreatePage(int32_t) { return nullptr; }
bool NSpriteApp::ReservedHook6() const { return true; }

void NSpriteApp::MoveWindowTo(NPoint point)
{
    if (!fDisplay)
        return;
    fDisplay->MoveMain(point.fX, point.fY);
    fUniverse.RepaintAll(GetContentRect());
    WriteUiDump();
}

bool NSpriteApp::RequestPage(int32_t id, bool forced)
{
    return fPort.Post(NPortEvent(forced ? kEventShowPageForced : kEventShowPage, id), 0);
}

NPage* NSpriteApp::SwitchToPage(int32_t id, bool forced)
{
    if (!forced && fCurrentPage && fCurrentPage->Id() == id)
        return fCurrentPage;
    NPage* page = NPageRegistry::The().Find(id);
    if (!page)
        page = CreatePage(id);
    if (!page)
        return nullptr;
    if (fCurrentPage) {
        fPreviousPageId = fCurrentPage->Id();
        fCurrentPage->Leave();
    } else {
        fPreviousPageId = -1;
    }
    fCurrentPage = page;
    return page->Enter() ? page : nullptr;
}
