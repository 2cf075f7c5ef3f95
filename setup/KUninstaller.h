// The uninstaller's work: removing what the install record names, and nothing of the user's.
#pragma once

#include "setup/KInstallEngine.h"
#include "setup/KInstallRecord.h"

#include <string>

class KUninstaller {
public:
    static constexpr char kUnregisterEntry[] = "DllUnregisterServer";

    /// The texts the setup left in the uninstall entry, with the setup's defaults.
    struct Texts {
        std::string fTitle = "Lumora Player";
        std::string fPrompt = "Do you want to uninstall this program?";
        std::string fNotice = "The program has been uninstalled.  Press 'OK' to continue.";
    };

    /// installFolder holds the player (and the uninstaller); entryName names the uninstall
    /// entry (the uninstaller's file name).
    KUninstaller(const NFDirSpec& installFolder, std::string entryName);

    Texts ReadTexts() const;

    /// Removes, in this order: the desktop's entries, the control's registration, the
    /// shortcuts, the registry values still holding what the setup wrote (a value the setup
    /// replaced gets its old text back; the album type goes back to a chained program's),
    /// the keys it made once empty, the files, and its folders once empty, so albums stay.
    /// False when the record is missing or something could not be removed.
    bool Run();

    KInstallLog& Log() { return fLog; }

private:
    void ForgetDesktop(const KRecordEntry& entry);
    void UnregisterControl(const std::string& hostPath);
    bool UndoValue(const KRecordEntry& entry);
    bool RemoveKeyIfEmpty(const KRecordEntry& entry);

    NFDirSpec fFolder;
    std::string fEntryName;
    KInstallRecord fRecord;
    KInstallLog fLog;
    bool fOk = true;
};
