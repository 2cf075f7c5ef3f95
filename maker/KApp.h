// The Maker's application object: the asset archive, the string tables, the language
// folder, window placement, and the events that belong to the whole program.
#pragma once

#include "framework/NSpriteApp.h"
#include "maker/core/KMakerEnvironment.h"
#include "platform/NHostDisplay.h"
#include "storage/NBinder.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

class KMakerPage;

// Application-port events of the whole program.
enum : int32_t {
    kEventDropItem = 100,        // argument: the index of a dropped item
    kEventDropDetails = 101,     // argument: the index of a dropped item
    kEventDropFinished = 102,
    kEventLaunchPlayer = 108,
    kEventCut = 125,
    kEventCopy = 126,
    kEventPaste = 127,
    kEventTips = 130,
    kEventHowToEmail = 131,
    kEventActivated = 0x88,
    kEventDeactivated = 0x89,
};

class KApp : public NSpriteApp {
public:
    static constexpr int32_t kMakerPageId = 10;
    static constexpr int32_t kAssetsApplication = 2;
    static constexpr int32_t kAssetsTag = 0x50535732;   // "PSW2"
    static constexpr char kPalette[] = "Lumo8.pal";
    static constexpr char kEnglish[] = "eng";
    static constexpr char kCanary[] = "canary.txt";
    static constexpr char kBrandFile[] = "sf.txt";

    KApp();
    ~KApp() override;

    /// The program's one application object.
    static KApp& The();

    // NSpriteApp
    bool HandleEvent(const NPortEvent& event) override;
    bool Initialize() override;
    void Start() override;
    void Shutdown() override;
    bool CanQuit() override;
    std::string GetAppName() const override;
    std::string GetWindowTitle() const override;
    void FileDropped(int32_t index, std::string_view path, const NInputEvent& event) override;
    void DropFinished() override;
    bool WantsDroppedFiles() const override;
    void Idle() override;
    void Activate(const NInputEvent& event) override;
    NRect GetContentRect() const override;
    NRect GetWindowContentRect() const override;

    /// Before Main: the folder the program runs from (tests run it from a disc they made).
    void SetAppFolder(const NFDirSpec& folder) { fAppFolder = folder; fAppFolderGiven = true; }
    const KMakerEnvironment& Environment() const { return fEnvironment; }
    const NFDirSpec& AssetsFolder() const { return fEnvironment.fAssetsFolder; }
    const NFDirSpec& LanguageFolder() const { return fEnvironment.fLanguageFolder; }
    const std::string& Language() const { return fEnvironment.fLanguage; }
    bool Brand() const { return fEnvironment.fBrand; }
    bool FullScreen() const { return fFullScreen; }
    /// The items dropped since the last drop finished, as host paths; emptied by the call.
    std::vector<std::string> TakeDrops();

    /// During long work: lets the platform repaint the window and answer the window
    /// manager. Input arriving meanwhile is dropped (the screen asks for none); everything
    /// else is kept and handled by the next idle pass.
    void Housekeeping();

private:
    void LoadStringTables();

    KMakerEnvironment fEnvironment;
    NFDirSpec fAppFolder;
    bool fAppFolderGiven = false;
    NFDirSpec fSupportFolder;
    NBinder fAssets;
    bool fAssetsOpen = false;
    bool fFullScreen = false;
    std::vector<std::string> fDrops;
    std::vector<std::string> fDropped;
    std::deque<NHostMessage> fKept;
    bool fTrace = false;          // "--trace": the welcome screen's first present is printed
    bool fWelcomePresented = false;
    std::unique_ptr<KMakerPage> fPage;
};
