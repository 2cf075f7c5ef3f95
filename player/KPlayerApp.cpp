// The album player: options, the show page, and input that steers the show.
#include "player/KPlayerApp.h"

#include "framework/NKeyTable.h"
#include "player/KPlayerPage.h"
#include "player/KPlayerScreen.h"
#include "player/KStartPage.h"
#include "player/KStartScreen.h"
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
    sPlayer = nullptr;
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
    // A screen saver and a show of its own both run even when another is running.
    return NSpriteApp::Initialize();
}

void KPlayerApp::Start()
{
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
    if (event.fKey == kKeyEscape || event.fKey == kKeyA + ('Q' - 'A')) {
        fQuit = true;
        return;
    }
    if (event.fKey == kKeyA + ('F' - 'A')) {
        fFullScreen = !fFullScreen;
        if (fFullScreen)
            Maximize();
        else
            Restore();
        return;
    }
    if (screen && screen->Key(event.fKey))
        return;
    NSpriteApp::KeyDown(event);
}

void KPlayerApp::MouseMove(const NInputEvent& event)
{
    if (KPlayerScreen* screen = Screen())
        screen->Poke();
    NSpriteApp::MouseMove(event);
}

void KPlayerApp::MouseDown(const NInputEvent& event)
{
    if (fScreenSaver) {
        fQuit = true;
        return;
    }
    if (KStartScreen* start = StartScreen()) {
        if (const NFileSpec* album = start->AlbumAt(event.fWhere))
            PlayAlbum(*album);
        NSpriteApp::MouseDown(event);
        return;
    }
    KPlayerScreen* screen = Screen();
    if (screen) {
        // The bar's thirds: back, pause, forward; elsewhere a click moves on.
        int third = event.fWhere.fX * 3 / KSlideComposer::kWidth;
        if (third == 0)
            (void)screen->Key(kKeyLeft);
        else if (third == 1 && event.fWhere.fY > KSlideComposer::kHeight - 40)
            screen->TogglePause();
        else
            (void)screen->Key(kKeyRight);
        screen->Poke();
    }
    NSpriteApp::MouseDown(event);
}
