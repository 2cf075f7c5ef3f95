// The install engine: copies the payload's components and writes the registry and shortcuts.
#pragma once

#include "platform/NHostDesktopIntegration.h"
#include "setup/KInstallRecord.h"
#include "storage/NFileSpec.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// The texts of one run, from the string table when it has them.
struct KInstallSettings {
    std::string fPlayerName = "Lumora.exe";                       // 285
    std::string fPlayerTitle = "Lumora Player";                   // 287
    std::string fAlbumType = "Lumora slideshow";                  // 288
    std::string fUninstallerName = "Uninstall Lumora Player.exe"; // 289
    std::string fAlbumsFolder = "My Lumoras";                     // 290
    std::string fScreenSaverTitle = "Lumora Screen Saver";        // 286
    std::string fUninstallPrompt = "Do you want to uninstall this program?";                            // 291
    std::string fUninstallNotice = "The program has been uninstalled.  Press 'OK' to continue.";        // 292
    std::string fLanguage;

    /// The defaults overridden by the loaded string table's texts.
    static KInstallSettings FromStringTable();
};

// What the engine was doing, for wording a failure.
enum class KInstallStage {
    kFiles,      // copying components
    kRegistry,   // registry values and shortcuts
    kDone,       // finished successfully
};

/// Every file, registry value and shortcut the engine writes, as plain text lines.
class KInstallLog {
public:
    void Add(std::string line) { fLines.push_back(std::move(line)); }
    const std::vector<std::string>& Lines() const { return fLines; }
    /// Writes the lines to a Linux or host path; false when it cannot.
    bool Save(const std::string& path) const;

private:
    std::vector<std::string> fLines;
};

class KInstallEngine {
public:
    static constexpr int32_t kProgressSteps = 13;
    /// The desktop's name for the player's entry and icon, and the album type.
    static constexpr char kDesktopId[] = "lumora-player";
    static constexpr char kMimeType[] = "application/x-lumora";
    /// The player's icons in the payload's root: "player-<size>.png".
    static constexpr char kIconPrefix[] = "player-";
    /// The uninstall entries' key; the entry is named after the uninstaller's file.
    static constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    static constexpr char kAlbumClass[] = "Lumora.Album";
    static constexpr char kAlbumExtension[] = ".Qip";
    static constexpr char kControl[] = "QipCtrl.dll";

    /// What the desktop is told about the album type and the player (icons are added by
    /// the engine from the payload).
    static NHostDesktopEntry DesktopEntry(const KInstallSettings& settings, const std::string& playerHostPath);

    KInstallEngine(const NFDirSpec& target, const NFDirSpec& source, const KInstallSettings& settings, bool silent);

    /// Runs every stage in order; false on failure (Stage() then tells where it stopped,
    /// FailureCode() the install failure's code or 0).
    bool Run();

    std::function<void()> fAdvance;   // called after each progress step, when set
    KInstallLog& Log() { return fLog; }
    KInstallStage Stage() const { return fStage; }
    int32_t FailureCode() const { return fFailureCode; }
    const NFileSpec& PlayerSpec() const { return fPlayer; }
    const KInstallRecord& Record() const { return fRecord; }
    /// Where the install record is kept.
    NFileSpec RecordSpec() const { return NFileSpec(fData, KInstallRecord::kFileName, false); }

private:
    void Advance();
    bool Install(const std::string& name, const NFDirSpec& into, bool force);
    void RunStages();
    void InstallFiles();
    void InstallControl();
    void WriteValue(uint32_t root, const std::string& key, const std::string& name, const std::string& text);
    /// Writes a value of any type, recording the keys it creates and what was there before.
    bool WriteRaw(uint32_t root, const std::string& key, const std::string& name, const KRawValue& value);
    void RecordFolder(const NFDirSpec& dir);
    void TellDesktop();
    void SaveRecord();
    bool MakeShortcut(const std::string& folderValue, const std::string& group, const std::string& name,
                      const std::string& targetHostPath);
    void RegisterAlbumType();
    void RegisterControl();

    NFDirSpec fTarget;
    NFDirSpec fSource;
    NFDirSpec fData;
    NFDirSpec fSafety;
    KInstallSettings fSettings;
    bool fSilent;
    NFileSpec fPlayer;
    NFileSpec fControl;
    bool fControlInTarget = false;
    bool fResult = true;
    KInstallStage fStage = KInstallStage::kFiles;
    int32_t fFailureCode = 0;
    int32_t fSteps = 0;
    KInstallLog fLog;
    KInstallRecord fRecord;
};
