// The Maker's start-up, window placement and program-wide events.
#include "maker/KApp.h"

#include "builder/include/qipbuild.h"
#include "framework/NInputEvent.h"
#include "framework/NLanguage.h"
#include "framework/NRegistry.h"
#include "framework/NStringTable.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteRegistry.h"
#include "maker/KMakerData.h"
#include "maker/KMakerPage.h"
#include "maker/KSpGroup.h"
#include "platform/NHostDialogs.h"
#include "platform/NHostRegistry.h"
#include "platform/NHostShell.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"

#include <chrono>
#include <clocale>
#include <cstdio>

namespace {

KApp* sMaker = nullptr;

constexpr char kStoreKey[] = "Lumora.Maker\\PSW";
constexpr char kStoreValue[] = "Store";
constexpr char kStoreName[] = "Marketa";
constexpr char kDataFolder[] = "Data:";
constexpr char kArchiveName[] = "Qip.xpb";
constexpr char kWebFolder[] = "data:web:";
constexpr char kTableExtension[] = ".xst";
constexpr int32_t kDepthWarning = 101;
constexpr int32_t kDepthCaption = 100;
constexpr int32_t kWantedDepth = 16;
constexpr int32_t kActivateType = 7;

// The edit commands of the framework for the cut, copy and paste events.
enum : int32_t { kEditCut = 11, kEditCopy = 12, kEditPaste = 13 };

void OpenWebPage(const NFDirSpec& app, const char* name)
{
    NFileSpec page(app.SubDir(kWebFolder), name, false);
    (void)NHostShell::Open(page.HostPath());   // a missing browser is no reason to stop
}

} // namespace

KApp::KApp()
{
    sMaker = this;
    fBackdropMode = true;
    fPage = std::make_unique<KMakerPage>(kMakerPageId);
}

KApp::~KApp()
{
    fPage.reset();
    if (fAssetsOpen) {
        NBinderRegistry::The().Unregister(&fAssets);
        (void)fAssets.Close();   // opened for reading: nothing to lose
    }
    if (sMaker == this)
        sMaker = nullptr;
}

KApp& KApp::The()
{
    return *sMaker;
}

std::string KApp::GetAppName() const
{
    return "Lumora";
}

std::string KApp::GetWindowTitle() const
{
    return GetAppName();
}

bool KApp::CanQuit()
{
    return true;
}

NRect KApp::GetContentRect() const
{
    return NRect(0, 0, kDefaultContentWidth, kDefaultContentHeight);
}

NRect KApp::GetWindowContentRect() const
{
    NRect screen = GetScreenSize();
    auto* self = const_cast<KApp*>(this);
    if (screen.fWidth > kDefaultContentWidth || screen.fHeight > kDefaultContentHeight) {
        self->fFullScreen = false;
        return NRect(int16_t(screen.fX + (screen.fWidth - kDefaultContentWidth) / 2),
                     int16_t(screen.fY + (screen.fHeight - kDefaultContentHeight) / 2), kDefaultContentWidth,
                     kDefaultContentHeight);
    }
    self->fFullScreen = true;
    return screen;
}

bool KApp::Initialize()
{
    fTrace = CommandLine().find("--trace") != std::string::npos;
    // 1. The folders and the user's locale.
    if (!fAppFolderGiven)
        fAppFolder = NFAppDirSpec::The();
    fEnvironment.fAppFolder = fAppFolder;
    fEnvironment.fAssetsFolder = fAppFolder.SubDir("Binder:Assets:");
    fSupportFolder = fAppFolder.SubDir("Binder:Support:");
    std::setlocale(LC_ALL, "");

    // 2. The store this copy of the program belongs to.
    // Written only when it differs: a durable write costs more than the whole rest of start-up.
    std::string store;
    if (!NRegistry::ReadString(kHKeyClassesRoot, kStoreKey, kStoreValue, store) || store != kStoreName)
        (void)NRegistry::WriteString(kHKeyClassesRoot, kStoreKey, kStoreValue, kStoreName);

    // 3. The asset archive: it must be the Maker's own.
    NFDirSpec data = fAppFolder.SubDir(kDataFolder);
    (void)data.Create();   // a disc is read-only; the archive is looked for all the same
    NFileSpec archive(data, kArchiveName, false);
    int32_t application = -1;
    try {
        application = fAssets.Open(archive, fEnvironment.fAssetsFolder, NBinderMode::kRead);
    } catch (const NFileException&) {
        application = -1;
    }
    if (application < 0) {
        SetErrorText("Lumora cannot start: its data file " + archive.HostPath() + " is missing or damaged.");
        return false;
    }
    if (application != kAssetsApplication || fAssets.Place().fHeader.fTag != kAssetsTag) {
        (void)fAssets.Close();   // opened for reading: nothing to lose
        SetErrorText("Lumora cannot start: " + archive.HostPath() + " does not belong to this program.");
        return false;
    }
    NBinderRegistry::The().Register(&fAssets);
    fAssetsOpen = true;

    // 4. The palette before the window (its first colours) and after it.
    auto palette = std::make_unique<NPalette>();
    NFileSpec paletteFile(fEnvironment.fAssetsFolder, kPalette, false);
    if (!palette->LoadFile(paletteFile, true))
        palette->FromSystem();
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));
    if (!NSpriteApp::Initialize())
        return false;
    auto again = std::make_unique<NPalette>();
    if (again->LoadFile(paletteFile, true))
        NPaletteRegistry::The().SetScreenPalette(std::move(again));

    // 5. The window where the placement wants it, keeping its size.
    NRect place = GetWindowContentRect();
    MoveWindowTo(NPoint(place.fX, place.fY));

    // 6, 7. Strings and the language folder.
    LoadStringTables();
    return true;
}

void KApp::LoadStringTables()
{
    NLanguage::Choice choice = NLanguage::Decide(NFileSpec(fAppFolder, NLanguage::kLanguageFile));
    fEnvironment.fLanguage = choice.fCode.empty() ? kEnglish : choice.fCode;
    fEnvironment.fLanguageFromFile = choice.fFromFile;
    const std::string& code = fEnvironment.fLanguage;
    NStringTable& table = NStringTable::The();
    table.Load(NFileSpec(AssetsFolder(), code + kTableExtension, false), false);
    if (code != kEnglish)
        table.Load(NFileSpec(AssetsFolder(), std::string(kEnglish) + kTableExtension, false), true);
    // Texts and pictures that carry words come from the language's folder, when the
    // disc has one for it (its canary file says so), else from the English one.
    NFDirSpec language = AssetsFolder().SubDir(code + ":");
    NFileSpec canary(language, kCanary, false);
    if (NBinderRegistry::The().SizeOf(canary) <= 0 && !canary.Exists())
        language = AssetsFolder().SubDir(std::string(kEnglish) + ":");
    fEnvironment.fLanguageFolder = language;
}

void KApp::Start()
{
    fEnvironment.fBrand = NFileSpec(fAppFolder, kBrandFile, false).Exists();
    if (GetScreenDepth() < kWantedDepth) {
        NStringTable& table = NStringTable::The();
        NHostDialogs::MessageBox(table.GetString(kDepthCaption), table.GetString(kDepthWarning), kMessageIconInformation);
    }
    RequestPage(kMakerPageId, false);
}

void KApp::Shutdown()
{
    NSpriteApp::Shutdown();
    NStringTable::The().Clear();
}

void KApp::Activate(const NInputEvent& event)
{
    NSpriteApp::Activate(event);
    Port().Post(NPortEvent(event.fType == kActivateType ? kEventActivated : kEventDeactivated));
}

void KApp::FileDropped(int32_t index, std::string_view path, const NInputEvent& event)
{
    (void)event;
    fDrops.emplace_back(path);
    Port().Post(NPortEvent(kEventDropItem, index));
    Port().Post(NPortEvent(kEventDropDetails, index));
}

bool KApp::WantsDroppedFiles() const
{
    return true;
}

void KApp::DropFinished()
{
    Port().Post(NPortEvent(kEventDropFinished));
}

std::vector<std::string> KApp::TakeDrops()
{
    std::vector<std::string> drops;
    drops.swap(fDropped);
    return drops;
}

bool KApp::HandleEvent(const NPortEvent& event)
{
    if (NSpriteApp::HandleEvent(event))
        return true;
    switch (event.fCode) {
    case kEventLaunchPlayer:
        (void)QLA_LaunchViewer(nullptr);   // the player opens on its own; no answer to give
        return true;
    case kEventCut:
    case kEventCopy:
    case kEventPaste: {
        NInputEvent edit;
        edit.Init(kEditCut + (event.fCode - kEventCut), 0, LastMousePosition());
        EditCommand(edit);
        return true;
    }
    case kEventTips:
        OpenWebPage(fAppFolder, "tips.html");
        return true;
    case kEventHowToEmail:
        OpenWebPage(fAppFolder, "howtoemail.html");
        return true;
    case kEventDropDetails:
        return true;
    case kEventDropFinished:
        // The drop's items are handed over together once the last one arrived.
        fDropped.insert(fDropped.end(), fDrops.begin(), fDrops.end());
        fDrops.clear();
        break;
    default:
        break;
    }
    if (auto* data = CurrentPage() ? dynamic_cast<KMakerData*>(CurrentPage()->Data()) : nullptr)
        return data->HandleMakerEvent(event);
    return false;
}

void KApp::Housekeeping()
{
    NHostDisplay* display = Display();
    if (!display)
        return;
    NHostMessage message;
    bool paint = false;
    while (display->PollMessage(message)) {
        switch (message.fType) {
        case NHostMessageType::kPaint:
            paint = true;
            break;
        case NHostMessageType::kMouseMove:
        case NHostMessageType::kButtonDown:
        case NHostMessageType::kWheel:
        case NHostMessageType::kKeyDown:
        case NHostMessageType::kChar:
            break;   // the progress screen takes no input
        // Releases are kept: a button or key let go meanwhile must not stay held.
        default:
            fKept.push_back(message);
            break;
        }
    }
    if (paint)
        Universe().RepaintAll(GetContentRect());
    Universe().RenderChanges();
}

void KApp::Idle()
{
    while (!fKept.empty()) {
        NHostMessage message = fKept.front();
        fKept.pop_front();
        HandleMessage(message);
    }
    NSpriteApp::Idle();
    if (fTrace && !fWelcomePresented && fUniverse.PresentCount() > 0) {
        auto* data = CurrentPage() ? dynamic_cast<KMakerData*>(CurrentPage()->Data()) : nullptr;
        if (data && data->CurrentScreen() && std::string(data->CurrentScreen()->ScreenName()) == "welcome") {
            // Benchmarks measure the start to here on the same clock.
            fWelcomePresented = true;
            auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("welcome-presented %lld\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            std::fflush(stdout);
        }
    }
}
