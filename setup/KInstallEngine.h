// The install engine: copies the payload's components and writes the registry and shortcuts.
#pragma once

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

    KInstallEngine(const NFDirSpec& target, const NFDirSpec& source, const KInstallSettings& settings, bool silent);

    /// Runs every stage in order; false on failure (Stage() then tells where it stopped,
    /// FailureCode() the install failure's code or 0).
    bool Run();

    std::function<void()> fAdvance;   // called after each progress step, when set
    KInstallLog& Log() { return fLog; }
    KInstallStage Stage() const { return fStage; }
    int32_t FailureCode() const { return fFailureCode; }
    const NFileSpec& PlayerSpec() const { return fPlayer; }

private:
    void Advance();
    bool Install(const std::string& name, const NFDirSpec& into, bool force);
    void RunStages();
    void InstallFiles();
    void InstallControl();
    void WriteValue(uint32_t root, const std::string& key, const std::string& name, const std::string& text);
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
};
