// The headless window service: a queue of scripted messages and a window that keeps its pixels.
#include "platform/NHostHeadlessDisplay.h"

#include "platform/NHostTime.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr int32_t kLongestWait = 1000;   // a headless program looks around once a second at least

} // namespace

NHostHeadlessDisplay::NHostHeadlessDisplay(int32_t screenWidth, int32_t screenHeight, int32_t depth)
    : fScreenWidth(screenWidth)
    , fScreenHeight(screenHeight)
    , fDepth(depth)
{
}

NHostHeadlessDisplay::~NHostHeadlessDisplay()
{
    if (NHostWindow::Main() == fMain.get())
        NHostWindow::SetMain(nullptr);
}

namespace {

// Floor division, so that the pixels left of the content area stay negative.
int32_t Unscale(int32_t value, int32_t scale)
{
    return value >= 0 ? value / scale : (value - scale + 1) / scale;
}

} // namespace

void NHostHeadlessDisplay::PushScreenPointer(NHostMessageType type, int32_t screenX, int32_t screenY, NHostButton button)
{
    NHostMessage message;
    message.fType = type;
    message.fTime = NHostTime::Milliseconds();
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    ContentOffset(offsetX, offsetY);
    message.fX = Unscale(screenX - offsetX, ShownScale());
    message.fY = Unscale(screenY - offsetY, ShownScale());
    message.fButton = button;
    if (fCovering && fMain && type == NHostMessageType::kButtonDown
        && (message.fX < 0 || message.fY < 0 || message.fX >= fMain->Width() || message.fY >= fMain->Height())) {
        message = NHostMessage();
        message.fType = NHostMessageType::kBackdropClick;
        message.fTime = NHostTime::Milliseconds();
    }
    fQueue.push_back(message);
}

void NHostHeadlessDisplay::CoverScreen(bool on, int32_t scale)
{
    fCovering = on;
    fCoverScale = on ? std::clamp(scale, 1, kMaxScale) : 0;
    Invalidate();
}

void NHostHeadlessDisplay::ContentOffset(int32_t& x, int32_t& y) const
{
    x = 0;
    y = 0;
    if (!fCovering || !fMain)
        return;
    int32_t width = 0;
    int32_t height = 0;
    ScreenPixels(width, height);
    x = std::max(0, (width - fMain->Width() * ShownScale()) / 2);
    y = std::max(0, (height - fMain->Height() * ShownScale()) / 2);
}

uint32_t NHostHeadlessDisplay::ScreenPixel(int32_t x, int32_t y) const
{
    if (!fMain)
        return 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    ContentOffset(offsetX, offsetY);
    int32_t contentX = Unscale(x - offsetX, ShownScale());
    int32_t contentY = Unscale(y - offsetY, ShownScale());
    if (contentX >= 0 && contentY >= 0 && contentX < fMain->Width() && contentY < fMain->Height())
        return fMain->Pixel(contentX, contentY);
    return fCovering ? NHostHeadlessWindow::kBlank | (fBackdropColor & 0x00FFFFFF) : 0;
}

void NHostHeadlessDisplay::SetKeyDown(int32_t virtualKey, bool down)
{
    if (virtualKey >= 0 && virtualKey < kVkCount)
        fKeys[virtualKey] = down;
}

bool NHostHeadlessDisplay::IsKeyDown(int32_t virtualKey) const
{
    return virtualKey >= 0 && virtualKey < kVkCount && fKeys[virtualKey];
}

bool NHostHeadlessDisplay::CreateBackdrop(std::string_view, uint32_t rgb)
{
    fBackdrop = true;
    fBackdropColor = rgb;
    return true;
}

bool NHostHeadlessDisplay::CreateMain(std::string_view title, int32_t x, int32_t y, int32_t width, int32_t height,
                                      const NHostWindowStyle& style)
{
    fMain = std::make_unique<NHostHeadlessWindow>(width, height, ScreenDepth());
    fTitle = title;
    fStyle = style;
    fX = x;
    fY = y;
    return true;
}

void NHostHeadlessDisplay::SetStyle(const NHostWindowStyle& style, int32_t x, int32_t y, int32_t, int32_t)
{
    fStyle = style;
    fX = x;
    fY = y;
}

void NHostHeadlessDisplay::MainPosition(int32_t& x, int32_t& y) const
{
    if (fCovering) {
        ContentOffset(x, y);
        return;
    }
    x = fX * fScale;
    y = fY * fScale;
}

bool NHostHeadlessDisplay::RaiseMain()
{
    ++fRaises;
    if (fRefuseRaise)
        return false;
    fForeground = true;
    return true;
}

void NHostHeadlessDisplay::Invalidate()
{
    NHostMessage paint;
    paint.fType = NHostMessageType::kPaint;
    paint.fTime = NHostTime::Milliseconds();
    fQueue.push_back(paint);
}

bool NHostHeadlessDisplay::PollMessage(NHostMessage& message)
{
    if (fQueue.empty()) {
        if (WatchedReadable(0)) {
            message = NHostMessage();
            message.fType = NHostMessageType::kWake;
            return true;
        }
        return false;
    }
    message = fQueue.front();
    fQueue.pop_front();
    return true;
}

bool NHostHeadlessDisplay::WaitMessage(NHostMessage& message, int32_t timeout)
{
    if (PollMessage(message))
        return true;
    // Nothing scripted can arrive while waiting, except on the watched descriptor.
    fWaits.push_back(timeout);
    // A program run headless sleeps; a test's pump only waits on a real descriptor, and
    // not for ever.
    int32_t sleep = timeout < 0 ? 0 : timeout;
    if (fRealWaits)
        sleep = timeout < 0 || timeout > kLongestWait ? kLongestWait : timeout;
    if (fWatched < 0) {
        if (fRealWaits && sleep > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(sleep));
        return false;
    }
    if (WatchedReadable(sleep)) {
        message = NHostMessage();
        message.fType = NHostMessageType::kWake;
        return true;
    }
    return false;
}
