// The show screen: the slides, their transitions and timing, the slide number and the control bar.
#pragma once

#include "framework/NPageData.h"
#include "imaging/NMemSprite.h"
#include "imaging/NSpText.h"
#include "player/KAlbum.h"
#include "player/KControlBar.h"
#include "player/KSlideComposer.h"
#include "player/KTransition.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

class KPlayerScreen : public NPageData {
public:
    enum class State {
        kShowing,      // a slide stands; the next one is decoded and composed meanwhile
        kMoving,       // a transition runs from the last slide to the next
        kPaused,       // a slide stands until resumed
    };
    // kShowing --time up, next composed--> kMoving --done--> kShowing
    // kShowing <--pause key--> kPaused; keys that jump cut straight to their slide.

    enum class BarState {
        kUnmade,   // the first slide is not on the screen yet: the bar and number wait
        kHidden,   // made, out of sight
        kShown,    // shown since the pointer moved; hides when its time is up and the pointer is off it
    };
    // kUnmade --first slide presented--> kHidden --pointer moved--> kShown --time up--> kHidden

    explicit KPlayerScreen(NPage& page);
    ~KPlayerScreen() override;

    void Enter() override;
    void Leave() override;
    void Idle() override;

    /// Next, previous, first, last slide; answers false for keys it does not use.
    bool Key(int32_t key);
    void TogglePause();
    /// Milliseconds until the screen has work (0: now), or -1 when it waits for nothing.
    int32_t WaitLimit() const;
    /// Shows the control bar for a while; the point is where the pointer is.
    void Poke(NPoint pointer);
    /// True when the bar is shown and the point is on it.
    bool OnBar(NPoint point) const;
    BarState Bar() const { return fBarState; }
    KControlBar& ControlBar() { return fBar; }
    const NSpText& Number() const { return fNumber; }

    int32_t SlideIndex() const { return fIndex; }
    State CurrentState() const { return fState; }
    const KAlbum& Album() const { return fAlbum; }
    uint32_t FramesDrawn() const { return fFramesDrawn; }

private:
    void ShowSlide(int32_t index);
    void Present(const std::vector<uint32_t>& pixels);
    void UpdateTexts();
    /// The slide number and the control bar, made once the first slide is on the screen so
    /// that their fonts and art do not delay it.
    void MakeOverlay();
    void ShowBar(bool on);
    /// Composes the slide, reading its description first when the album was opened quickly.
    void Compose(int32_t index, std::vector<uint32_t>& pixels);
    int32_t NextIndex() const;
    KTransition TransitionTo(int32_t index) const;

    KAlbum fAlbum;
    KSlideComposer fComposer { fAlbum };
    NMemSprite fScreen;
    NSpText fNumber;
    KControlBar fBar;
    BarState fBarState = BarState::kUnmade;
    NPoint fPointer;
    std::vector<uint32_t> fCurrent;
    std::vector<uint32_t> fNext;
    int32_t fIndex = 0;
    int32_t fNextIndex = -1;      // the slide fNext holds, -1 while none
    int32_t fComposing = -1;      // the slide the composer decodes, -1 while none
    State fState = State::kShowing;
    uint32_t fSlideEnds = 0;
    uint32_t fMoveStart = 0;
    uint32_t fLastMoveFrame = 0;
    KTransition fMove;
    uint32_t fBarHides = 0;
    int32_t fTransitionsDone = 0;
    uint32_t fFramesDrawn = 0;
    uint32_t fMovePresents = 0;      // the universe's present count when the move began
    std::clock_t fMoveCpu = 0;
};
