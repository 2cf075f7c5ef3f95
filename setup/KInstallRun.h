// One install run: choosing the install folder, running the engine, and what the run came to.
#pragma once

#include "setup/KInstallEngine.h"
#include "setup/KSetupOptions.h"

#include <functional>

// How a run ended; the silent setup's exit status is the number.
enum class KRunResult : int {
    kSuccess = 0,          // installed
    kFailed = 1,           // a bad container, a failed albums shortcut or another failure
    kDamagedPayload = 2,   // the payload's seal does not match (checked before any run)
    kFolderRefused = 3,    // the install folder could not be converted or created
    kNotWritten = 4,       // a component could not be written
    kCancelled = 5,        // the folder chooser was cancelled
};

struct KInstallOutcome {
    KRunResult fResult = KRunResult::kFailed;
    KInstallStage fStage = KInstallStage::kFiles;
    NFileSpec fPlayer;   // the installed player, on success
};

class KInstallRun {
public:
    /// The folder's last name that the player is installed under.
    static constexpr char kProductFolder[] = "Lumora";

    /// Installs from the source folder. With chooseFolder the save dialog asks for the
    /// folder first. advance is called after each progress step; the log, when given,
    /// receives every line of the engine.
    static KInstallOutcome Run(const KSetupOptions& options, const NFDirSpec& source, bool chooseFolder,
                               const std::function<void()>& advance, KInstallLog* log);
};
