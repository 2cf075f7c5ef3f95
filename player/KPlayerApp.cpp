// The album player: options, the show page, and input that steers the show.
#include "player/KPlayerApp.h"

#include "framework/NKeyTable.h"
#include "player/KPlayerCodes.h"
#include "player/KPlayerPage.h"
#include "player/KPlayerScreen.h"
#include "player/KStartPage.h"
#include "player/KStartScreen.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFileException.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFIterator.h"
#include "platform/NHostDrives.h"
#include "platform/NHostHeadlessDisplay.h"
#include "platform/NHostHeadlessWindow.h"

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr char kSaveOption[] = "--save-png=";
constexpr char kSlideOption[] = "--slide=";
constexpr char kTransitionOption[] = "--transition=";
constexpr char kScreenSaverSuffix[] = ".scr";
// A screen saver ignores the pointer's tremor, not a move.
constexpr int kScreenSaverMoveSlack = 4;

KPlayerApp* sPlayer = nullptr;
std::string sProgramName;

/// The words of a command line, double quotes grouping blanks.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any)
                words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any)
        words.push_back(word);
    return words;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    if (text.size() < end.size())
        return false;
    for (size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

} // namespace

void KPlayerAppSetProgramName(const char* name)
{
    sProgramName = name ? name : "";
}

KPlayerApp::KPlayerApp()
{
    sPlayer = this;
}

KPlayerApp::~KPlayerApp()
{
    if (fArt.IsOpen()) {
        NBinderRegistry::The().Unregister(&fArt);
        (void)fArt.Close();   // read-only: nothing to lose
    }
    sPlayer = nullptr;
}

void KPlayerApp::Mark(const char* step) const
{
    if (!fTrace)
        return;
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("mark %s %lld\n", step,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    std::fflush(stdout);
}

NFDirSpec KPlayerApp::ArtFolder()
{
    NFDirSpec mount = NFAppDirSpec::The().SubDir(kPlayerArtMount);
    if (!fArtTried) {
        fArtTried = true;
        NFDirSpec beside = NFAppDirSpec::The();
        for (const NFileSpec& spec : { NFileSpec(beside.SubDir(kPlayerDataFolder), kPlayerArtArchive, false),
                                       NFileSpec(beside, kPlayerArtArchive, false) }) {
            if (!spec.Exists())
                continue;
            try {
                if (fArt.Open(spec, mount, NBinderMode::kRead) >= 0 && fArt.IsOpen()) {
                    NBinderRegistry::The().Register(&fArt);
                    break;
                }
            } catch (const NFileException&) {
                // A damaged archive leaves the player without its art, not without its show.
            }
        }
    }
    return mount.SubDir(kPlayerSprites);
}

void KPlayerApp::ToggleFullScreen()
{
    fFullScreen = !fFullScreen;
    if (!fDisplay)
        return;
    // The show keeps its 640 x 480 content area; the display covers the screen around it,
    // enlarged by the largest whole factor that fits, and gives the window back afterwards.
    NRect content = GetWindowContentRect();
    fDisplay->CoverScreen(fFullScreen, fDisplay->CoverScaleFor(content.fWidth, content.fHeight));
    fDisplay->Invalidate();
}

bool KPlayerApp::HandleEvent(const NPortEvent& event)
{
    KPlayerScreen* screen = Screen();
    static constexpr struct {
        int32_t fEvent;
        int32_t fKey;
    } kMoves[] = { { kEventFirstSlide, kKeyHome }, { kEventPreviousSlide, kKeyLeft }, { kEventNextSlide, kKeyRight },
                   { kEventLastSlide, kKeyEnd } };
    for (const auto& move : kMoves)
        if (event.fCode == move.fEvent) {
            if (screen)
                (void)screen->Key(move.fKey);
            return true;
        }
    switch (event.fCode) {
    case kEventPause:
    case kEventPlay:
        if (screen && (screen->CurrentState() == KPlayerScreen::State::kPaused) == (event.fCode == kEventPlay))
            screen->TogglePause();
        return true;
    case kEventFullScreen:
        ToggleFullScreen();
        return true;
    case kEventQuitPlayer:
        fQuit = true;
        return true;
    case kEventPlayAlbum:
        if (KStartScreen* start = StartScreen())
            if (const NFileSpec* album = start->AlbumNumber(event.fArgument))
                PlayAlbum(*album);
        return true;
    default:
        return NSpriteApp::HandleEvent(event);
    }
}

KPlayerApp& KPlayerApp::The()
{
    return *sPlayer;
}

KPlayerApp* KPlayerApp::IfAlive()
{
    return sPlayer;
}

std::string KPlayerApp::GetAppName() const
{
    return "Lumora Player";
}

std::string KPlayerApp::GetWindowTitle() const
{
    return "Lumora";
}

bool KPlayerApp::WantsFullScreen() const
{
    return fScreenSaver;
}

bool KPlayerApp::Initialize()
{
    fScreenSaver = EndsWith(sProgramName, kScreenSaverSuffix);
    for (const std::string& word : Words(CommandLine())) {
        if (word == "--screensaver" || word == "/s" || word == "-s")
            fScreenSaver = true;
        else if (word == "--trace")
            fTrace = true;
        else if (word.rfind(kSaveOption, 0) == 0)
            fSavePng = word.substr(sizeof kSaveOption - 1);
        else if (word.rfind(kTransitionOption, 0) == 0)
            fTransition = word.substr(sizeof kTransitionOption - 1);
        else if (word.rfind(kSlideOption, 0) == 0)
            fStartSlide = std::max(0, std::atoi(word.c_str() + sizeof kSlideOption - 1));
        else if (!word.empty() && word[0] != '-') {
            std::string host = word[0] == '/' ? NHostDrives::The().ToHost(word) : word;
            if (!NFileSpec::FromHostPath(host, fAlbum))
                std::fprintf(stderr, "lumora-player: %s is no usable path\n", word.c_str());
        }
    }
    Mark("initialize");
    // A screen saver and a show of its own both run even when another is running.
    bool ready = NSpriteApp::Initialize();
    Mark("window");
    fFullScreen = WantsFullScreen();
    return ready;
}

void KPlayerApp::Start()
{
    Mark("start");
    fPage = std::make_unique<KPlayerPage>(kShowPage);
    fStart = std::make_unique<KStartPage>(kStartPage);
    if (fAlbum.Name().empty() && fScreenSaver) {
        // The screen saver shows one of the user's albums, chosen at random.
        std::vector<NFileSpec> albums;
        for (NFileIterator files(NFDirRange { KStartScreen::AlbumsFolder(), "*.Qip" }); !files.Done(); files.Next())
            albums.push_back(files.Value());
        if (!albums.empty())
            fAlbum = albums[size_t(std::rand()) % albums.size()];
    }
    // Posted, so that the window is asked for first: the window manager maps it while the
    // first slide is composed.
    RequestPage(fAlbum.Name().empty() ? kStartPage : kShowPage, false);
}

int32_t KPlayerApp::IdleWaitLimit()
{
    int32_t limit = NSpriteApp::IdleWaitLimit();
    KPlayerScreen* screen = Screen();
    int32_t own = screen ? screen->WaitLimit() : -1;
    if (own < 0)
        return limit;
    return limit < 0 ? own : std::min(limit, own);
}

KStartScreen* KPlayerApp::StartScreen() const
{
    return CurrentPage() ? dynamic_cast<KStartScreen*>(CurrentPage()->Data()) : nullptr;
}

void KPlayerApp::PlayAlbum(const NFileSpec& album)
{
    fAlbum = album;
    fStartSlide = 0;
    RequestPage(kShowPage, false);
}

KPlayerScreen* KPlayerApp::Screen() const
{
    return CurrentPage() ? dynamic_cast<KPlayerScreen*>(CurrentPage()->Data()) : nullptr;
}

void KPlayerApp::Idle()
{
    if (KPlayerScreen* screen = Screen())
        screen->Idle();
    NSpriteApp::Idle();
    if (fTrace && !fFirstPresentSeen && Screen() && fUniverse.PresentCount() > 0) {
        // The monotonic time of the first presented slide, for the start-up benchmark.
        fFirstPresentSeen = true;
        auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("first-present %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
    }
    if (fSavePng.empty() || fSaved || !CurrentPage() || fUniverse.PresentCount() == 0)
        return;
    fSaved = true;
    auto* headless = dynamic_cast<NHostHeadlessDisplay*>(Display());
    std::string error;
    if (!headless || !headless->HeadlessMain() || !headless->HeadlessMain()->SavePng(fSavePng, error))
        std::fprintf(stderr, "lumora-player: cannot save %s: %s\n", fSavePng.c_str(),
                     headless ? error.c_str() : "only the headless window can be saved");
    fQuit = true;
}

void KPlayerApp::SlideShown(int32_t index, const KSlide& slide)
{
    if (!fTrace)
        return;
    std::printf("slide %d %s %d\n", int(index), KSlideKindName(slide.fKind), int(slide.fPhoto));
    std::fflush(stdout);
}

void KPlayerApp::TransitionDone(const std::string& kind, uint32_t frames, double cpuMilliseconds)
{
    if (!fTrace)
        return;
    std::printf("transition %s frames %u cpu-ms %.1f\n", kind.c_str(), static_cast<unsigned>(frames), cpuMilliseconds);
    std::fflush(stdout);
}

void KPlayerApp::StateChanged(bool paused)
{
    if (!fTrace)
        return;
    std::printf("%s\n", paused ? "paused" : "playing");
    std::fflush(stdout);
}

void KPlayerApp::KeyDown(const NInputEvent& event)
{
    if (fScreenSaver) {
        fQuit = true;
        return;
    }
    KPlayerScreen* screen = Screen();
    if (event.fKey == kKeyEscape && fFullScreen) {
        // Escape leaves full screen first; pressed again, it quits.
        ToggleFullScreen();
        return;
    }
    if (event.fKey == kKeyEscape || event.fKey == kKeyA + ('Q' - 'A')) {
        fQuit = true;
        return;
    }
    if (event.fKey == kKeyA + ('F' - 'A')) {
        ToggleFullScreen();
        return;
    }
    if (screen && screen->Key(event.fKey))
        return;
    NSpriteApp::KeyDown(event);
}

void KPlayerApp::MouseMove(const NInputEvent& event)
{
    if (fScreenSaver) {
        // The first report is where the pointer rests when the saver starts.
        if (!fPointerSeen) {
            fPointerSeen = true;
            fFirstPointer = event.fWhere;
        } else if (std::abs(event.fWhere.fX - fFirstPointer.fX) > kScreenSaverMoveSlack
                   || std::abs(event.fWhere.fY - fFirstPointer.fY) > kScreenSaverMoveSlack) {
            fQuit = true;
        }
        return;
    }
    if (KPlayerScreen* screen = Screen())
        screen->Poke(event.fWhere);
    NSpriteApp::MouseMove(event);
}

void KPlayerApp::MouseDown(const NInputEvent& event)
{
    if (fScreenSaver) {
        fQuit = true;
        return;
    }
    KPlayerScreen* screen = Screen();
    if (screen && !screen->OnBar(event.fWhere)) {
        // Off the bar a click moves on, and brings the bar up.
        (void)screen->Key(kKeyRight);
        screen->Poke(event.fWhere);
        return;
    }
    NSpriteApp::MouseDown(event);
}
