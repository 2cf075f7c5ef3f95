// The album player's application class: options, its page, keys and the mouse.
#pragma once

#include "framework/NSpriteApp.h"
#include "player/KSlide.h"
#include "storage/NBinder.h"
#include "storage/NFileSpec.h"

#include <memory>
#include <string>

class KPlayerPage;
class KStartPage;
class KStartScreen;
class KPlayerScreen;

/// lumora-player [ALBUM] (without one, the start page lists the albums folder) [--screensaver] [--slide=N] [--trace] [--save-png=FILE]
/// "--screensaver" (or a program file named *.scr): full screen, the show loops and any
/// key, click or move of the pointer quits. "--trace" prints each slide shown ("slide
/// INDEX KIND PHOTO"), each pause, and the steps of the start ("mark NAME NANOSECONDS" on
/// the monotonic clock); "--save-png=FILE" saves the first presented slide on the headless
/// window and quits; "--transition=KIND,MS" replaces the theme's transitions.
class KPlayerApp : public NSpriteApp {
public:
    static constexpr int32_t kShowPage = 1;
    static constexpr int32_t kStartPage = 2;

    KPlayerApp();
    ~KPlayerApp() override;

    static KPlayerApp& The();
    static KPlayerApp* IfAlive();

    bool Initialize() override;
    void Start() override;
    void Idle() override;
    std::string GetAppName() const override;
    std::string GetWindowTitle() const override;
    bool HandleEvent(const NPortEvent& event) override;
    void KeyDown(const NInputEvent& event) override;
    void MouseMove(const NInputEvent& event) override;
    void MouseDown(const NInputEvent& event) override;
    bool WantsFullScreen() const override;

    const NFileSpec& AlbumSpec() const { return fAlbum; }
    int32_t StartSlide() const { return fStartSlide; }
    bool Loops() const { return fScreenSaver; }
    bool IsScreenSaver() const { return fScreenSaver; }
    bool IsFullScreen() const { return fFullScreen; }
    /// Full screen on or off: the show centred and enlarged on a covered screen, or the
    /// window where it was.
    void ToggleFullScreen();
    /// The sprites of the player's own art, mounted on first use.
    NFDirSpec ArtFolder();
    /// With --trace: a step of the start reached, on the monotonic clock.
    void Mark(const char* step) const;
    void SlideShown(int32_t index, const KSlide& slide);
    /// Plays an album from its first slide (the start page's click).
    void PlayAlbum(const NFileSpec& album);
    void StateChanged(bool paused);
    /// With --trace: a transition ended after so many presented frames and CPU time.
    void TransitionDone(const std::string& kind, uint32_t frames, double cpuMilliseconds);
    /// "--transition=KIND,MS" replaces the theme's transitions; empty when not given.
    const std::string& TransitionOverride() const { return fTransition; }

    /// The show's next deadline joins the loop's, so the program sleeps until it is due.
    int32_t IdleWaitLimit() override;

private:
    KPlayerScreen* Screen() const;
    KStartScreen* StartScreen() const;

    std::unique_ptr<KPlayerPage> fPage;
    std::unique_ptr<KStartPage> fStart;
    NFileSpec fAlbum;
    bool fScreenSaver = false;
    bool fTrace = false;
    bool fFullScreen = false;
    int32_t fStartSlide = 0;
    std::string fSavePng;
    std::string fTransition;
    bool fFirstPresentSeen = false;
    NBinder fArt;
    bool fArtTried = false;
    bool fPointerSeen = false;
    NPoint fFirstPointer;
    bool fSaved = false;
};
