// The control bar: a plate with eight buttons of the player's own art.
#include "player/KControlBar.h"

#include "player/KPlayerCodes.h"

static constexpr int16_t kButtonSize = 40;
static constexpr int16_t kButtonGap = 4;
static constexpr int16_t kButtonTop = 6;
static constexpr int32_t kPlatePriority = 10;
static constexpr int32_t kButtonPriority = 5;

namespace {

struct ButtonArt {
    const char* fFile;
    int32_t fEvent;
    const char* fName;   // what the UI dump calls it
};

// In the order of KControlBar::Button; pause and play share the third place.
constexpr ButtonArt kArt[KControlBar::kButtonCount] = {
    { "bar-first.xps", kEventFirstSlide, "First" },
    { "bar-previous.xps", kEventPreviousSlide, "Previous" },
    { "bar-pause.xps", kEventPause, "Pause" },
    { "bar-play.xps", kEventPlay, "Play" },
    { "bar-next.xps", kEventNextSlide, "Next" },
    { "bar-last.xps", kEventLastSlide, "Last" },
    { "bar-full.xps", kEventFullScreen, "Full screen" },
    { "bar-quit.xps", kEventQuitPlayer, "Quit" },
};

constexpr int kPlaces[KControlBar::kButtonCount] = { 0, 1, 2, 2, 3, 4, 5, 6 };
constexpr int kPlaceCount = 7;

} // namespace

KControlBar::KControlBar() = default;

KControlBar::~KControlBar()
{
    for (auto& button : fButtons)
        if (button)
            RemoveChild(*button);
    RemoveChild(fPlate);
}

bool KControlBar::Make(const NFDirSpec& sprites, uint32_t port, int16_t screenWidth, int16_t screenHeight, int16_t margin)
{
    fPlace = NRect(int16_t((screenWidth - kWidth) / 2), int16_t(screenHeight - margin - kHeight), kWidth, kHeight);
    SetRect(fPlace);
    bool complete = fPlate.LoadSpriteFile(NFileSpec(sprites, "bar-back.xps", false));
    fPlate.ShowFrame(0);
    AddChild(fPlate, kPlatePriority);
    fPlate.MoveTo(NPoint(0, 0));
    int16_t row = kPlaceCount * kButtonSize + (kPlaceCount - 1) * kButtonGap;
    int16_t left = int16_t((kWidth - row) / 2);
    for (int i = 0; i < kButtonCount; ++i) {
        auto button = std::make_unique<NButton>();
        NPoint where(int16_t(left + kPlaces[i] * (kButtonSize + kButtonGap)), kButtonTop);
        complete = button->LoadSprites(NFileSpec(sprites, kArt[i].fFile, false), where) && complete;
        button->SetNotification(NNotification(port, NPortEvent(kArt[i].fEvent), false));
        button->SetUiName(kArt[i].fName);
        AddChild(*button, kButtonPriority);
        fButtons[size_t(i)] = std::move(button);
    }
    ShowOne(kPause);
    return complete;
}

void KControlBar::ShowOne(Button which)
{
    // Hidden nodes still take input: the one out of sight is also switched off.
    Button other = which == kPause ? kPlay : kPause;
    fButtons[other]->Show(false);
    fButtons[other]->SetEnabled(false);
    fButtons[which]->SetEnabled(true);
    fButtons[which]->Show(true);
}

void KControlBar::Update(bool paused, bool atFirst, bool atLast)
{
    ShowOne(paused ? kPlay : kPause);
    for (Button back : { kFirst, kPrevious })
        if (fButtons[back]->IsDisabled() != atFirst)
            fButtons[back]->Enable(!atFirst);
    for (Button on : { kNext, kLast })
        if (fButtons[on]->IsDisabled() != atLast)
            fButtons[on]->Enable(!atLast);
}
