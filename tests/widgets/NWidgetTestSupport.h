// Shared pieces of the widget tests: a scene with an application port, sprite sets written
// as files, and input fed through the framework's routing as the window would feed it.
#pragma once

#include "framework/NApp.h"
#include "framework/NEventCodes.h"
#include "framework/NEventQueue.h"
#include "framework/NInputState.h"
#include "framework/NPointerPort.h"
#include "framework/NPortHandle.h"
#include "framework/NPortListener.h"
#include "tests/imaging/NSpriteTestSupport.h"
#include "tests/support/NTestPrefix.h"
#include "tools/XpsWriter.h"

#include <fstream>
#include <string>
#include <vector>

/// An application object: the widgets' highlight notices go to its port.
class NWidgetTestApp : public NApp {
public:
    ~NWidgetTestApp() override = default;
    void BringToFront() override {}
};

/// Records every event of the ports it listens on.
class NEventRecorder : public NPortListener {
public:
    bool HandleEvent(const NPortEvent& event) override
    {
        fEvents.push_back(event);
        return true;
    }
    std::vector<int32_t> Codes() const
    {
        std::vector<int32_t> codes;
        for (const NPortEvent& event : fEvents)
            codes.push_back(event.fCode);
        return codes;
    }
    void Clear() { fEvents.clear(); }

    std::vector<NPortEvent> fEvents;
};

class NWidgetTest : public NSpSceneTest {
protected:
    void SetUp() override
    {
        NSpSceneTest::SetUp();
        NEventQueue::The().Clear();
        fApp = std::make_unique<NWidgetTestApp>();
        fApp->Port().AddListener(fAppEvents);
        fPort.AddListener(fClicks);
        NInputState::The().PushInputRoot(*fUniverse);
        NPointerPort::Set(&fPointerPort);
        Tick(0);
    }

    void TearDown() override
    {
        NEventQueue::The().Clear();
        NPointerPort::Set(nullptr);
        NSpSceneTest::TearDown();
        fApp.reset();
    }

    /// A sprite file of count frames, w x h each; frame i is filled with palette index
    /// base + i (opaque).
    /// With a border index other than 0 each frame gets a one-pixel frame of it.
    NFileSpec SpriteSet(const std::string& name, int count, int16_t width, int16_t height, uint8_t base, uint8_t border = 0)
    {
        std::vector<XpsFrame> frames;
        std::vector<XpsImage> images;
        for (int i = 0; i < count; ++i) {
            frames.push_back({ i, 0, 0 });
            XpsImage image;
            image.fWidth = width;
            image.fHeight = height;
            image.fPixels.assign(size_t(width) * size_t(height), uint8_t(base + i));
            for (int y = 0; border != 0 && y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    if (x == 0 || y == 0 || x == width - 1 || y == height - 1)
                        image.fPixels[size_t(y) * size_t(width) + size_t(x)] = border;
                }
            }
            images.push_back(image);
        }
        std::vector<uint8_t> bytes = XpsWriteFile(frames, images, "none.pal", true);
        std::filesystem::path path = fPrefix.Root() / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return NTestSpec(path);
    }

    /// The colour the test palette gives an index, as the window shows it.
    /// (Sprite files name a palette the tests do not have, so the system colours apply.)
    static uint32_t IndexColor(uint8_t index)
    {
        NPalette system;
        system.FromSystem();
        return system.Data()->Table32()[index];
    }

    /// A notification to the test's own port with the code, posted without delay.
    NNotification ClickTo(int32_t code, bool sendNow = false)
    {
        return NNotification(fPort.Id(), NPortEvent(code), sendNow);
    }

    // Input as the window delivers it.
    /// As the application does, a move to where the pointer already is does nothing.
    void Move(int x, int y, uint8_t flags = 0)
    {
        if (NPoint(int16_t(x), int16_t(y)) == fLastMove)
            return;
        fLastMove = NPoint(int16_t(x), int16_t(y));
        NInputEvent event = Event(kInputMouseMove, x, y, flags);
        NInputState::The().PointerMoved(event);
        if (const NPortHandle* port = NPointerPort::Get()) {
            NInputEventRef ref(event);
            NPortEvent moved(kEventPointerMoved);
            moved.SetArgumentObject(ref);
            port->Send(moved);
        }
    }
    bool Press(int x, int y, uint8_t flags = 0)
    {
        Move(x, y);
        return NInputState::The().ButtonDown(Event(kInputButtonDown, x, y, flags));
    }
    bool Release(int x, int y, uint8_t flags = 0)
    {
        Move(x, y);
        return NInputState::The().ButtonUp(Event(kInputButtonUp, x, y, flags));
    }
    void Click(int x, int y, uint8_t flags = 0)
    {
        Press(x, y, flags);
        Release(x, y, flags);
    }
    bool WheelAt(int x, int y, int32_t delta)
    {
        NInputEvent event = Event(kInputButtonDown, x, y, 0);
        event.fExtra = delta;
        return NInputState::The().Wheel(event);
    }
    bool Key(int32_t key, uint8_t flags = 0)
    {
        NInputEvent event = Event(kInputKeyDown, 0, 0, flags);
        event.fKey = key;
        bool handled = NInputState::The().KeyDown(event);
        event.fType = kInputKeyUp;
        NInputState::The().KeyUp(event);
        return handled;
    }
    bool Char(uint8_t c, uint8_t flags = 0)
    {
        NInputEvent event = Event(kInputChar, 0, 0, flags);
        event.fChar = c;
        return NInputState::The().Char(event);
    }
    bool Command(int32_t type)
    {
        return NInputState::The().EditCommand(Event(type, 0, 0, 0));
    }
    NInputEvent Event(int32_t type, int x, int y, uint8_t flags)
    {
        NInputEvent event;
        event.Init(type, NAppClock::The().Cached(), NPoint(int16_t(x), int16_t(y)));
        event.fFlags = flags;
        return event;
    }

    /// One idle pass: the clock, posted events and the timers and drawing of the tree.
    void Idle(uint32_t milliseconds = 0)
    {
        Tick(milliseconds);
        NEventQueue::The().Process();
        Render();
    }
    /// Idle passes every 5 ms for the time given, as a busy main loop runs them.
    void IdleFor(uint32_t milliseconds)
    {
        for (uint32_t done = 0; done < milliseconds; done += 5)
            Idle(std::min<uint32_t>(5, milliseconds - done));
    }

    NTestPrefix fPrefix;
    std::unique_ptr<NWidgetTestApp> fApp;
    NEventRecorder fAppEvents;
    NEventRecorder fClicks;
    NPortHandle fPort;
    NPortHandle fPointerPort;
    NPoint fLastMove;
};
