// The show screen: the slides, their transitions and timing, the slide number and the control bar.
#pragma once

#include "framework/NPageData.h"
#include "imaging/NMemSprite.h"
#include "imaging/NSpText.h"
#include "player/KAlbum.h"
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
    /// Shows the control bar for a while.
    void Poke();

    int32_t SlideIndex() const { return fIndex; }
    State CurrentState() const { return fState; }
    const KAlbum& Album() const { return fAlbum; }
    uint32_t FramesDrawn() const { return fFramesDrawn; }

private:
    void ShowSlide(int32_t index);
    void Present(const std::vector<uint32_t>& pixels);
    void UpdateTexts();
    int32_t NextIndex() const;
    KTransition TransitionTo(int32_t index) const;

    KAlbum fAlbum;
    KSlideComposer fComposer { fAlbum };
    NMemSprite fScreen;
    NSpText fNumber;
    NSpText fBar;
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
    bool fBarShown = false;
    int32_t fTransitionsDone = 0;
    uint32_t fFramesDrawn = 0;
    uint32_t fMovePresents = 0;      // the universe's present count when the move began
    std::clock_t fMoveCpu = 0;
};
