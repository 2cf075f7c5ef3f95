// Installing the album player: shortcuts, registry values, the setup copied and started silently.
#pragma once

#include "maker/core/KMakerEnvironment.h"
#include "maker/core/KProgressSink.h"

#include <cstdint>

class KPlayerInstall {
public:
    static constexpr int32_t kSteps = 6;
    static constexpr char kSetupInAssets[] = "Setup:QipSetup.exe";
    static constexpr char kSetupName[] = "QipSetup.exe";
    static constexpr char kSilentOption[] = "-silent";
    static constexpr char kLanguageOption[] = " -lang ";
    static constexpr char kAlbumClass[] = "Lumora.Album";
    static constexpr char kLastSaveDir[] = "Lumora.Album\\LastSaveDir";
    static constexpr char kLastOpenDir[] = "Lumora.Album\\LastOpenDir";
    static constexpr char kAlbumsDescription[] = "My Lumoras";
    static constexpr char kStartMenuGroup[] = "Lumora:";
    static constexpr char kHelpSource[] = "readme.txt";
    static constexpr char kEnglishHelpSource[] = "eng:readme.txt";
    static constexpr char kEnglishHelpName[] = "Read this if you need help.txt";
    static constexpr char kInstallFolder[] = "Install:";
    static constexpr char kSamplesFolder[] = "Samples:";

    // String-table texts.
    static constexpr int32_t kHelpNameText = 180;
    static constexpr int32_t kGroupText = 1710;
    static constexpr int32_t kInstallLinkText = 1711;
    static constexpr int32_t kSamplesLinkText = 1712;
    static constexpr int32_t kAlbumsLinkText = 1713;

    KPlayerInstall(const KMakerEnvironment& environment, KProgressSink& progress);

    /// Runs every stage, one progress step after each; true when the setup was copied and
    /// started.
    [[nodiscard]] bool Install();

private:
    void DesktopShortcut();
    void RememberFolders();
    void ShortcutGroup();
    bool CopySetup();
    void CopyHelpText();
    bool StartSetup();

    const KMakerEnvironment& fEnvironment;
    KProgressSink& fProgress;
    NFDirSpec fAlbumFolder;
};
