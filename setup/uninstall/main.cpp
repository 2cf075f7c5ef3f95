// The player's uninstaller, installed beside the player as "Uninstall Lumora Player.exe".
//
//   "Uninstall Lumora Player.exe" [ENTRY] [-silent] [-log FILE]
//
// ENTRY names the uninstall entry (the uninstall command passes the uninstaller's file
// name); without it, the program's own file name. Exit status as the setup's: 0 removed,
// 1 something could not be removed (or there is no install record), 5 the prompt was
// answered No.
#include "platform/NHostDialogs.h"
#include "platform/NHostFileSystem.h"
#include "setup/KInstallRun.h"
#include "setup/KUninstaller.h"

#include <cstdio>
#include <string>

namespace {

constexpr char kSilent[] = "-silent";
constexpr char kLog[] = "-log";
constexpr char kIncomplete[] = "Some files or settings could not be removed.";

} // namespace

int main(int argc, char** argv)
{
    bool silent = false;
    std::string logPath;
    std::string entryName;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == kSilent)
            silent = true;
        else if (argument == kLog && i + 1 < argc)
            logPath = argv[++i];
        else if (entryName.empty() && !argument.empty() && argument[0] != '-')
            entryName = argument;
    }

    NFileSpec self;
    if (!NFileSpec::FromHostPath(NHostFileSystem::ModuleFileName(), self)) {
        std::fprintf(stderr, "uninstall: cannot find its own folder\n");
        return int(KRunResult::kFailed);
    }
    if (entryName.empty())
        entryName = self.Name();

    KUninstaller uninstaller(self.Dir(), entryName);
    KUninstaller::Texts texts = uninstaller.ReadTexts();
    if (!silent && !NHostDialogs::Ask(texts.fTitle, texts.fPrompt))
        return int(KRunResult::kCancelled);
    bool removed = uninstaller.Run();
    if (!logPath.empty() && !uninstaller.Log().Save(logPath))
        std::fprintf(stderr, "uninstall: cannot write the log %s\n", logPath.c_str());
    if (!silent && removed)
        NHostDialogs::MessageBox(texts.fTitle, texts.fNotice, kMessageIconInformation);
    else if (!silent)
        NHostDialogs::MessageBox(texts.fTitle, kIncomplete, kMessageIconError);
    return int(removed ? KRunResult::kSuccess : KRunResult::kFailed);
}
