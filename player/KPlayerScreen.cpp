// The show screen: slides advance by time or key, decoded ahead and moved by transitions.
#include "player/KPlayerScreen.h"

#include "framework/NAppClock.h"
#include "framework/NKeyTable.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NPaletteRegistry.h"
#include "player/KPlayerApp.h"
#include "player/KPlayerCodes.h"

#include <cstdio>
#include <cstring>

static constexpr int32_t kScreenPriority = 20;
static constexpr int32_t kTextPriority = 5;
static constexpr int32_t kBarPriority = 4;
static constexpr int16_t kBarMargin = 10;
static constexpr uint32_t kSliceMilliseconds = 8;
static constexpr uint32_t kBarMilliseconds = 2500;
static constexpr uint32_t kMoveFramePeriod = 12;   // at most about 83 frames a second
static constexpr int16_t kNumberY = 8;
// The palette's own entries; the static ones around them include index 0, which means
// "no shadow" to a text.
static constexpr int kFirstIndex = 10;
static constexpr int kLastIndex = 245;
static constexpr char kNumberFont[] = "Quicksand Medium,12b";

KPlayerScreen::KPlayerScreen(NPage& page) : NPageData(page) {}

KPlayerScreen::~KPlayerScreen()
{
    Leave();
}

void KPlayerScreen::Enter()
{
    KPlayerApp& app = KPlayerApp::The();
    // Only what the first slide needs comes before it: the album's description and
    // directory, the slide's own pictures. The rest follows once it is on the screen.
    (void)fAlbum.Open(app.AlbumSpec(), true);
    app.Mark("album-opened");
    fScreen.MakeMemory(NRect(0, 0, KSlideComposer::kWidth, KSlideComposer::kHeight), 32, nullptr);
    app.Universe().AddChild(fScreen, kScreenPriority);
    ShowSlide(app.StartSlide() < int32_t(fAlbum.Slides().size()) ? app.StartSlide() : 0);
}

void KPlayerScreen::MakeOverlay()
{
    KPlayerApp& app = KPlayerApp::The();
    fBarState = BarState::kHidden;
    NFont font;
    font.FontFromText(kNumberFont);
    const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
    int white = palette && palette->Data() ? palette->Data()->NearestIndexIn(255, 255, 255, kFirstIndex, kLastIndex) : NCanvas::kDefaultTextIndex;
    int black = palette && palette->Data() ? palette->Data()->NearestIndexIn(0, 0, 0, kFirstIndex, kLastIndex) : kFirstIndex;
    fNumber.SetFont(font);
    fNumber.SetMargins(8, 4);
    app.Universe().AddChild(fNumber, kTextPriority);
    fNumber.SetText(" ", white, 0, black, true);
    // A screen saver shows the pictures alone.
    fNumber.SetVisible(!app.IsScreenSaver());
    if (!fBar.Make(app.ArtFolder(), app.Port().Id(), KSlideComposer::kWidth, KSlideComposer::kHeight, kBarMargin))
        std::fprintf(stderr, "lumora-player: the control bar's art (%s) is missing or damaged\n", kPlayerArtArchive);
    app.Universe().AddChild(fBar, kBarPriority);
    ShowBar(false);
    UpdateTexts();
    // The seal is checked now, behind the first slide: a broken one adds its slide at the end.
    fAlbum.CheckSeal();
}

void KPlayerScreen::Leave()
{
    KPlayerApp* app = KPlayerApp::IfAlive();
    if (!app)
        return;
    for (NSpObject* node : std::initializer_list<NSpObject*> { &fBar, &fNumber, &fScreen })
        app->Universe().RemoveChild(*node);
    fBarState = BarState::kUnmade;
}

void KPlayerScreen::Present(const std::vector<uint32_t>& pixels)
{
    NSpImage* image = fScreen.CurrentImage();
    auto* bits = reinterpret_cast<uint32_t*>(image->GetBits());
    int32_t stride = image->RowBytes() / 4;
    for (int y = 0; y < KSlideComposer::kHeight; ++y)
        std::memcpy(bits + size_t(y) * size_t(stride), pixels.data() + size_t(y) * KSlideComposer::kWidth,
                    size_t(KSlideComposer::kWidth) * 4);
    fScreen.MarkChanged();
    ++fFramesDrawn;
}

void KPlayerScreen::UpdateTexts()
{
    if (fBarState == BarState::kUnmade)
        return;
    const auto& slides = fAlbum.Slides();
    char number[64];
    std::snprintf(number, sizeof number, "%d / %d", int(fIndex + 1), int(slides.size()));
    fNumber.SetText(number, NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    fNumber.MoveTo(NPoint(int16_t(KSlideComposer::kWidth - fNumber.LocalRect().fWidth - kNumberY), kNumberY));
    fBar.Update(fState == State::kPaused, fIndex == 0, fIndex + 1 >= int32_t(slides.size()));
}

void KPlayerScreen::Compose(int32_t index, std::vector<uint32_t>& pixels)
{
    fAlbum.CompleteSlide(size_t(index));
    fComposer.Compose(fAlbum.Slides()[size_t(index)], pixels);
}

void KPlayerScreen::ShowSlide(int32_t index)
{
    const auto& slides = fAlbum.Slides();
    if (slides.empty())
        return;
    fIndex = index;
    if (fNextIndex == index && !fNext.empty())
        fCurrent.swap(fNext);
    else
        Compose(index, fCurrent);
    KPlayerApp::The().Mark("slide-composed");
    fNext.clear();
    fNextIndex = -1;
    fComposing = -1;
    Present(fCurrent);
    if (fState != State::kPaused)
        fState = State::kShowing;
    fSlideEnds = NAppClock::The().Now() + uint32_t(std::max(1, slides[size_t(index)].fMilliseconds));
    UpdateTexts();
    KPlayerApp::The().SlideShown(index, slides[size_t(index)]);
}

int32_t KPlayerScreen::NextIndex() const
{
    int32_t next = fIndex + 1;
    if (next < int32_t(fAlbum.Slides().size()))
        return next;
    return KPlayerApp::The().Loops() ? 0 : -1;
}

KTransition KPlayerScreen::TransitionTo(int32_t index) const
{
    if (!KPlayerApp::The().TransitionOverride().empty())
        return KTransition::Parse(KPlayerApp::The().TransitionOverride());
    const KShowDescription& show = fAlbum.Show();
    if (fAlbum.Slides()[size_t(index)].fKind == KSlideKind::kClosing && show.Has("closing.transition"))
        return KTransition::Parse(show.Text("closing.transition"));
    std::string order = show.Text("transition.order", "alternate");
    bool second = show.Has("transition.2") && order != "first"
        && (order == "random" ? (std::rand() & 1) != 0 : (fTransitionsDone & 1) != 0);
    return KTransition::Parse(show.Text(second ? "transition.2" : "transition", "crossfade,1000"));
}

void KPlayerScreen::Idle()
{
    uint32_t now = NAppClock::The().Now();
    if (fBarState == BarState::kUnmade && KPlayerApp::The().Universe().PresentCount() > 0)
        MakeOverlay();
    // The bar stays while the pointer rests on it.
    if (fBarState == BarState::kShown && int32_t(now - fBarHides) >= 0) {
        if (fBar.ScreenRect().Contains(fPointer)) {
            fBarHides = now + kBarMilliseconds;
        } else {
            ShowBar(false);
            fBarState = BarState::kHidden;
        }
    }
    int32_t next = NextIndex();
    if (fState == State::kMoving) {
        double progress = fMove.fMilliseconds <= 0 ? 1.0 : double(now - fMoveStart) / fMove.fMilliseconds;
        if (progress >= 1.0) {
            ++fTransitionsDone;
            KPlayerApp& app = KPlayerApp::The();
            app.TransitionDone(std::to_string(int(fMove.fKind)) + "," + std::to_string(fMove.fMilliseconds),
                               app.Universe().PresentCount() - fMovePresents,
                               double(std::clock() - fMoveCpu) * 1000.0 / CLOCKS_PER_SEC);
            ShowSlide(fNextIndex);
            return;
        }
        // Frames at a steady rate, so the show does not spend more than it shows.
        if (fFramesDrawn > 0 && int32_t(now - fLastMoveFrame) < int32_t(kMoveFramePeriod))
            return;
        fLastMoveFrame = now;
        NSpImage* image = fScreen.CurrentImage();
        KTransition::Draw(fMove.fKind, progress, fCurrent, fNext, reinterpret_cast<uint32_t*>(image->GetBits()),
                          image->RowBytes() / 4, KSlideComposer::kWidth, KSlideComposer::kHeight);
        fScreen.MarkChanged();
        ++fFramesDrawn;
        return;
    }
    // Decode the next slide ahead, a slice per pass, while this one stands.
    if (next >= 0 && fNextIndex != next) {
        if (fComposing != next) {
            fAlbum.CompleteSlide(size_t(next));
            fComposer.Begin(fAlbum.Slides()[size_t(next)], kSliceMilliseconds);
            fComposing = next;
        } else if (fComposer.IsReady()) {
            fComposer.Finish(fNext);
            fNextIndex = next;
            fComposing = -1;
        }
    }
    if (fState == State::kShowing && next >= 0 && fNextIndex == next && int32_t(now - fSlideEnds) >= 0) {
        fMove = TransitionTo(next);
        fMoveStart = now;
        fMovePresents = KPlayerApp::The().Universe().PresentCount();
        fMoveCpu = std::clock();
        fState = State::kMoving;
    }
}

int32_t KPlayerScreen::WaitLimit() const
{
    uint32_t now = NAppClock::The().Now();
    auto until = [&](uint32_t deadline) { return std::max<int32_t>(0, int32_t(deadline - now)); };
    int32_t limit = -1;
    auto take = [&](int32_t value) { limit = limit < 0 ? value : std::min(limit, value); };
    if (fState == State::kMoving)
        take(until(fLastMoveFrame + kMoveFramePeriod));
    int32_t next = NextIndex();
    // A next slide to start or finish composing is work now; the decode slices between
    // are the decoder's own timer tasks.
    if (next >= 0 && fNextIndex != next && (fComposing != next || fComposer.IsReady()))
        take(0);
    if (fState == State::kShowing && next >= 0 && fNextIndex == next)
        take(until(fSlideEnds));
    if (fBarState == BarState::kUnmade)
        take(1);   // soon after the first present
    if (fBarState == BarState::kShown)
        take(until(fBarHides));
    return limit;
}

bool KPlayerScreen::Key(int32_t key)
{
    int32_t count = int32_t(fAlbum.Slides().size());
    int32_t target = -1;
    switch (key) {
    case kKeyRight:
    case kKeyPageDown:
    case kKeyDown:
        target = fIndex + 1 < count ? fIndex + 1 : -1;
        break;
    case kKeyLeft:
    case kKeyPageUp:
    case kKeyUp:
    case kKeyBackspace:
        target = fIndex > 0 ? fIndex - 1 : -1;
        break;
    case kKeyHome:
        target = 0;
        break;
    case kKeyEnd:
        target = count - 1;
        break;
    case kKeySpace:
    case kKeyA + (int32_t('P') - int32_t('A')):
    case kKeyPause:
        TogglePause();
        return true;
    default:
        return false;
    }
    if (target >= 0 && target < count)
        ShowSlide(target);
    return true;
}

void KPlayerScreen::TogglePause()
{
    if (fState == State::kPaused) {
        fState = State::kShowing;
        fSlideEnds = NAppClock::The().Now() + uint32_t(fAlbum.Slides()[size_t(fIndex)].fMilliseconds);
    } else {
        if (fState == State::kMoving)
            ShowSlide(fNextIndex);
        fState = State::kPaused;
    }
    UpdateTexts();
    KPlayerApp::The().StateChanged(fState == State::kPaused);
}

void KPlayerScreen::Poke(NPoint pointer)
{
    fPointer = pointer;
    if (fBarState == BarState::kUnmade)
        return;
    fBarHides = NAppClock::The().Now() + kBarMilliseconds;
    if (fBarState == BarState::kHidden) {
        ShowBar(true);
        fBarState = BarState::kShown;
    }
}

void KPlayerScreen::ShowBar(bool on)
{
    // Hidden nodes still take input: the bar out of sight is switched off too.
    fBar.SetEnabled(on);
    fBar.SetVisible(on);
}

bool KPlayerScreen::OnBar(NPoint point) const
{
    return fBarState == BarState::kShown && fBar.ScreenRect().Contains(point);
}
