// Installing the album player: shortcuts, registry values, the setup copied and started silently.
//
// Stages, one progress step after each of the first six:
//   album folder, desktop shortcut, LastSaveDir/LastOpenDir, shortcut group,
//   copy of the setup, offer page; then the help text and the start of the setup.
#include "maker/core/KPlayerInstall.h"

#include "maker/core/KMakerFiles.h"
#include "maker/core/KMakerFolders.h"
#include "maker/core/KOfferPage.h"
#include "maker/core/KShortcut.h"
#include "framework/NRegistry.h"
#include "framework/NStringTable.h"
#include "platform/NHostShell.h"
#include "storage/NFileException.h"

static constexpr char kLinkExtension[] = ".lnk";
static constexpr char kEnglish[] = "eng";

// Runs one stage; a file exception ends that stage only.
template <class Work>
static bool Guarded(Work&& work)
{
    try {
        return work();
    } catch (const NFileException&) {
        return false;
    }
}

static std::string Text(int32_t id)
{
    return NStringTable::The().GetString(id);
}

// The host path of a folder without its trailing "\", as shortcuts name their targets.
static std::string FolderTarget(const NFDirSpec& folder)
{
    std::string path = folder.HostPath();
    if (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

KPlayerInstall::KPlayerInstall(const KMakerEnvironment& environment, KProgressSink& progress)
    : fEnvironment(environment), fProgress(progress)
{
}

bool KPlayerInstall::Install()
{
    fProgress.SetSteps(kSteps);
    fAlbumFolder = KMakerFolders::AlbumFolder(true);
    fProgress.Step();
    DesktopShortcut();
    fProgress.Step();
    RememberFolders();
    fProgress.Step();
    ShortcutGroup();
    fProgress.Step();
    bool ok = CopySetup();
    fProgress.Step();
    NFileSpec page;
    static_cast<void>(KOfferPage::Make(fEnvironment, page));   // an offer page is no part of the player
    fProgress.Step();
    CopyHelpText();
    ok = StartSetup() && ok;
    if (ok)
        fProgress.Finish();
    return ok;
}

void KPlayerInstall::DesktopShortcut()
{
    NFileSpec link(KMakerFolders::DesktopFolder(), Text(kAlbumsLinkText) + kLinkExtension, false);
    static_cast<void>(KShortcut::Create(link, FolderTarget(fAlbumFolder), kAlbumsDescription, ""));
}

void KPlayerInstall::RememberFolders()
{
    // A folder the user already chose stays.
    for (const char* key : {kLastSaveDir, kLastOpenDir}) {
        std::string current;
        NRegistry::ReadString(kHKeyClassesRoot, key, "", current);
        if (current.empty())
            NRegistry::WriteString(kHKeyClassesRoot, key, "", fAlbumFolder.HostPath());
    }
}

void KPlayerInstall::ShortcutGroup()
{
    std::string groupName = Text(kGroupText);
    NFDirSpec group = fAlbumFolder.SubDir(groupName + ":");
    group.Create();
    bool made = false;
    struct Link {
        const char* fFolder;
        int32_t fText;
    };
    for (Link entry : {Link{kInstallFolder, kInstallLinkText}, Link{kSamplesFolder, kSamplesLinkText}}) {
        NFDirSpec folder = fEnvironment.fAppFolder.SubDir(entry.fFolder);
        if (!folder.Exists())
            continue;
        std::string name = Text(entry.fText);
        NFileSpec link(group, name + kLinkExtension, false);
        made = KShortcut::Create(link, FolderTarget(folder), name, "") == 0 || made;
    }
    if (!made)
        return;
    NFDirSpec startMenu = KMakerFolders::ProgramsFolder().SubDir(kStartMenuGroup);
    startMenu.Create();
    NFileSpec link(startMenu, groupName + kLinkExtension, false);
    static_cast<void>(KShortcut::Create(link, FolderTarget(group), groupName, ""));
}

bool KPlayerInstall::CopySetup()
{
    return Guarded([&] {
        NFileSpec target(fAlbumFolder, kSetupName);
        NFileSpec(fEnvironment.fAssetsFolder, kSetupInAssets).CopyTo(target);
        return KMakerFiles::MarkRunnable(target);
    });
}

void KPlayerInstall::CopyHelpText()
{
    Guarded([&] {
        NFileSpec source(fEnvironment.fLanguageFolder, kHelpSource);
        if (!KMakerFiles::Exists(source))
            source = NFileSpec(fEnvironment.fAssetsFolder, kEnglishHelpSource);
        std::string name = fEnvironment.fLanguage == kEnglish ? std::string(kEnglishHelpName) : Text(kHelpNameText);
        source.CopyTo(NFileSpec(fAlbumFolder, name, false));
        return true;
    });
}

bool KPlayerInstall::StartSetup()
{
    std::string parameters = kSilentOption;
    if (fEnvironment.fLanguageFromFile)
        parameters += kLanguageOption + fEnvironment.fLanguage;
    return NHostShell::Open(NFileSpec(fAlbumFolder, kSetupName).HostPath(), parameters) >= kShellFirstSuccess;
}
