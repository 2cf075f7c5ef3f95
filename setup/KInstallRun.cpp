// Choosing the install folder and running the engine.
#include "setup/KInstallRun.h"

#include "framework/NRegistry.h"
#include "platform/NHostDialogs.h"
#include "setup/KInstallFailed.h"
#include "storage/NCaseFold.h"

namespace {

constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kProgramFiles[] = "ProgramFilesDir";
constexpr char kChooserTitle[] = "Install Lumora Player to:";

bool DirFromHost(std::string folder, NFDirSpec& dir)
{
    if (folder.empty())
        return false;
    if (folder.back() != '\\' && folder.back() != '/')
        folder.push_back('\\');
    NFileSpec placeholder;
    if (!NFileSpec::FromHostPath(folder + NFileSpec::kPlaceholderName, placeholder))
        return false;
    dir = placeholder.Dir();
    return true;
}

std::string LastName(const NFDirSpec& dir)
{
    std::string path = dir.Path();
    if (!path.empty() && path.back() == ':')
        path.pop_back();
    size_t colon = path.rfind(':');
    return colon == std::string::npos ? path : path.substr(colon + 1);
}

} // namespace

KInstallOutcome KInstallRun::Run(const KSetupOptions& options, const NFDirSpec& source, bool chooseFolder,
                                 const std::function<void()>& advance, KInstallLog* log)
{
    KInstallOutcome outcome;
    KInstallSettings settings = KInstallSettings::FromStringTable();
    settings.fLanguage = options.fLanguage;

    NFDirSpec folder;
    if (options.fFolderRefused) {
        outcome.fResult = KRunResult::kFolderRefused;
        return outcome;
    }
    if (options.fHasFolder) {
        folder = options.fFolder;
    } else {
        std::string path;
        NRegistry::ReadString(kHKeyLocalMachine, kAppPaths + settings.fPlayerName, "Path", path);
        if (path.empty() || !DirFromHost(path, folder)) {
            NRegistry::ReadString(kHKeyLocalMachine, kCurrentVersion, kProgramFiles, path);
            if (!DirFromHost(path, folder)) {
                outcome.fResult = KRunResult::kFolderRefused;
                return outcome;
            }
        }
    }
    if (chooseFolder) {
        NHostSaveDialog dialog;
        dialog.fTitle = kChooserTitle;
        dialog.fInitialFolder = folder.HostPath();
        dialog.fInitialName = NFileSpec::kPlaceholderName;
        dialog.fPromptOverwrite = false;
        std::string chosen;
        NFileSpec chosenSpec;
        if (!NHostDialogs::SaveFile(dialog, chosen) || !NFileSpec::FromHostPath(chosen, chosenSpec)) {
            outcome.fResult = KRunResult::kCancelled;
            return outcome;
        }
        folder = chosenSpec.Dir();
    }
    if (!EqualNoCase1252(LastName(folder), kProductFolder))
        folder = folder.SubDir(std::string(kProductFolder) + ":");
    folder.Create();
    if (!folder.Exists()) {
        outcome.fResult = KRunResult::kFolderRefused;
        return outcome;
    }

    KInstallEngine engine(folder, source, settings, options.fSilent);
    engine.fAdvance = advance;
    bool ok = engine.Run();
    if (log)
        for (const std::string& line : engine.Log().Lines())
            log->Add(line);
    outcome.fStage = engine.Stage();
    outcome.fPlayer = engine.PlayerSpec();
    if (ok)
        outcome.fResult = KRunResult::kSuccess;
    else if (engine.FailureCode() == kInstallNotWritten)
        outcome.fResult = KRunResult::kNotWritten;
    else
        outcome.fResult = KRunResult::kFailed;
    return outcome;
}
