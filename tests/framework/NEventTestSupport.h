// A manual clock, an idle pass, and recording listeners and targets for the framework tests.
#pragma once

#include "framework/NAppClock.h"
#include "framework/NEventQueue.h"
#include "framework/NEventTarget.h"
#include "framework/NIdleTaskRegistry.h"
#include "framework/NInputState.h"
#include "framework/NPortListener.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

/// A clock source that moves only when told to.
class NManualClock : public NAppClock::Source {
public:
    uint32_t Milliseconds() override { return fNow; }
    uint32_t fNow = 0;
};

/// Runs each test on a manual clock (starting near the 32-bit wrap, so that every test
/// also crosses it) with an empty posted-event queue.
class NEventTest : public ::testing::Test {
protected:
    static constexpr uint32_t kClockStart = 0xFFFFF000u;

    NEventTest()
    {
        fClock.fNow = kClockStart;
        NAppClock::The().SetSource(&fClock);
        NEventQueue::The().Clear();
        NEventQueue::The().Process(); // purges ports left dead by earlier tests
    }
    ~NEventTest() override
    {
        NEventQueue::The().Clear();
        NAppClock::The().SetSource(nullptr);
    }

    void Advance(uint32_t milliseconds) { fClock.fNow += milliseconds; }

    /// The framework's share of one idle pass: clock, posted events, idle tasks.
    bool IdlePass()
    {
        NAppClock::The().Update();
        bool more = NEventQueue::The().Process();
        NIdleTaskRegistry::The().RunDueTasks();
        return more;
    }

    NManualClock fClock;
};

using NEventLog = std::vector<std::string>;

/// Logs "name:code" for each event and runs an optional action inside HandleEvent.
class NRecordingListener : public NPortListener {
public:
    NRecordingListener(NEventLog& log, std::string name)
        : fLog(log)
        , fName(std::move(name))
    {
    }

    bool HandleEvent(const NPortEvent& event) override
    {
        fLog.push_back(fName + ":" + std::to_string(event.fCode));
        fLast = event;
        ++fCount;
        if (fAction)
            fAction(event);
        return fAnswer;
    }

    NEventLog& fLog;
    std::string fName;
    std::function<void(const NPortEvent&)> fAction;
    bool fAnswer = false;
    int fCount = 0;
    NPortEvent fLast;
};

/// Logs "name.Operation" for each event operation; answers true for the operations named
/// in fTakes and runs fAction (operation name, event) before answering.
class NRecordingTarget : public NEventTarget {
public:
    NRecordingTarget(NEventLog& log, std::string name, NRect rect = kDefaultRect)
        : fLog(log)
        , fName(std::move(name))
    {
        SetLocalRect(rect);
    }

    bool WheelCapture(const NInputEvent& e) override { return Note("WheelCapture", e); }
    bool Wheel(const NInputEvent& e) override { return Note("Wheel", e); }
    bool MouseDownCapture(const NInputEvent& e) override { return Note("MouseDownCapture", e); }
    bool MouseDown(const NInputEvent& e) override { return Note("MouseDown", e); }
    bool MouseUp(const NInputEvent& e) override { return Note("MouseUp", e); }
    bool MouseEnter(const NInputEvent& e) override { return Note("MouseEnter", e); }
    bool MouseLeave(const NInputEvent& e) override { return Note("MouseLeave", e); }
    bool Char(const NInputEvent& e) override { return Note("Char", e); }
    bool CharShortcut(const NInputEvent& e) override { return Note("CharShortcut", e); }
    bool KeyDown(const NInputEvent& e) override { return Note("KeyDown", e); }
    bool KeyUp(const NInputEvent& e) override { return Note("KeyUp", e); }
    bool EditCommand(const NInputEvent& e) override { return Note("EditCommand", e); }
    bool KeyDownShortcut(const NInputEvent& e) override { return Note("KeyDownShortcut", e); }
    bool KeyUpShortcut(const NInputEvent& e) override { return Note("KeyUpShortcut", e); }
    bool EditCommandShortcut(const NInputEvent& e) override { return Note("EditCommandShortcut", e); }
    bool CanLoseFocus() override
    {
        bool keeps = fKeepsFocus;
        Note("CanLoseFocus", NInputEvent());
        return !keeps;
    }
    void FocusLost() override { Note("FocusLost", NInputEvent()); }
    void FocusGained() override { Note("FocusGained", NInputEvent()); }
    void PaletteChanging(const NPalette*) override { Note("PaletteChanging", NInputEvent()); }
    void PaletteChanged(const NPalette*) override { Note("PaletteChanged", NInputEvent()); }

    NEventLog& fLog;
    std::string fName;
    std::set<std::string> fTakes;
    bool fKeepsFocus = false;
    std::function<void(const std::string& operation, const NInputEvent& event)> fAction;

private:
    bool Note(const std::string& operation, const NInputEvent& event)
    {
        fLog.push_back(fName + "." + operation);
        bool takes = fTakes.count(operation) != 0;
        if (fAction)
            fAction(operation, event); // may destroy this target: nothing below touches it
        return takes;
    }
};

inline NInputEvent MakeInput(int32_t type, int16_t x = 0, int16_t y = 0)
{
    NInputEvent event;
    event.Init(type, NAppClock::The().Cached(), NPoint(x, y));
    return event;
}
