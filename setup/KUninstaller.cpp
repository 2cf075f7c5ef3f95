// Removing an installed player by its install record.
#include "setup/KUninstaller.h"

#include "framework/NRegistry.h"
#include "platform/NHostDesktopIntegration.h"
#include "platform/NHostFileSystem.h"
#include "platform/NHostLibrary.h"
#include "platform/NHostRegistry.h"
#include "setup/KComponent.h"
#include "storage/NCaseFold.h"

#include <algorithm>

namespace {

constexpr char kChainKey[] = "Lumora.Album\\QipChain";

std::string ValueName(const KRecordEntry& entry)
{
    return std::string(NHostRegistry::RootName(entry.fRoot)) + "\\" + entry.fPath + "\\[" + entry.fName + "]";
}

size_t Depth(const std::string& path)
{
    return size_t(std::count(path.begin(), path.end(), '\\'));
}

std::string FileName(const std::string& hostPath)
{
    size_t slash = hostPath.find_last_of("\\/");
    return slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
}

std::string FolderOf(const std::string& hostPath)
{
    size_t slash = hostPath.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : hostPath.substr(0, slash);
}

} // namespace

KUninstaller::KUninstaller(const NFDirSpec& installFolder, std::string entryName)
    : fFolder(installFolder), fEntryName(std::move(entryName))
{
}

KUninstaller::Texts KUninstaller::ReadTexts() const
{
    Texts texts;
    std::string key = KInstallEngine::kUninstallKey + fEntryName;
    auto take = [&key](const char* name, std::string& field) {
        std::string text;
        if (NRegistry::ReadString(kHKeyLocalMachine, key, name, text) && !text.empty())
            field = text;
    };
    take("DisplayName", texts.fTitle);
    take("Prompt", texts.fPrompt);
    take("Notification", texts.fNotice);
    return texts;
}

void KUninstaller::ForgetDesktop(const KRecordEntry& entry)
{
    NHostDesktopEntry desktop = KInstallEngine::DesktopEntry(KInstallSettings {}, "");
    desktop.fAppId = entry.fPath;
    std::vector<std::string> lines;
    if (!NHostDesktopIntegration::Unregister(desktop, lines))
        fOk = false;
    for (std::string& line : lines)
        fLog.Add(std::move(line));
}

void KUninstaller::UnregisterControl(const std::string& hostPath)
{
    NHostLibrary library;
    if (!library.Load(hostPath)) {
        fLog.Add("not-unregistered " + hostPath + ": " + library.LastError());
        return;
    }
    using UnregisterServer = int32_t (*)();
    if (auto entry = library.Find<UnregisterServer>(kUnregisterEntry))
        fLog.Add("unregistered " + hostPath + " (" + std::to_string(entry()) + ")");
    else
        fLog.Add("not-unregistered " + hostPath + ": no " + kUnregisterEntry);
    library.Unload();
}

bool KUninstaller::UndoValue(const KRecordEntry& entry)
{
    KRawValue current;
    if (!ReadRawValue(entry.fRoot, entry.fPath, entry.fName, current))
        return true;
    if (!(current == entry.fWritten)) {
        // Another program (or the user) has set it since: it is theirs now.
        fLog.Add("reg-kept " + ValueName(entry));
        return true;
    }
    // The album type goes back to the program it was chained to, when that still exists.
    if (entry.fRoot == kHKeyClassesRoot && entry.fName.empty()
        && EqualNoCase1252(entry.fPath, KInstallEngine::kAlbumExtension)) {
        std::string chained;
        NRegistry::ReadString(kHKeyClassesRoot, kChainKey, "", chained);
        NHostRegKey key;
        if (!chained.empty() && !EqualNoCase1252(chained, KInstallEngine::kAlbumClass)
            && NHostRegistry::The().OpenKey(NHostRegistry::Root(kHKeyClassesRoot), chained, key) == kRegSuccess) {
            NHostRegistry::The().CloseKey(key);
            bool ok = WriteRawValue(entry.fRoot, entry.fPath, entry.fName, StringValue(chained));
            fLog.Add(std::string(ok ? "reg-restored " : "reg-failed ") + ValueName(entry) + " = " + chained);
            return ok;
        }
    }
    if (entry.fHadPrevious && !(entry.fPrevious == entry.fWritten)) {
        bool ok = WriteRawValue(entry.fRoot, entry.fPath, entry.fName, entry.fPrevious);
        fLog.Add(std::string(ok ? "reg-restored " : "reg-failed ") + ValueName(entry));
        return ok;
    }
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    bool ok = registry.OpenKey(NHostRegistry::Root(entry.fRoot), entry.fPath, key) == kRegSuccess
        && registry.DeleteValue(key, entry.fName) == kRegSuccess;
    registry.CloseKey(key);
    fLog.Add(std::string(ok ? "reg-removed " : "reg-failed ") + ValueName(entry));
    return ok;
}

bool KUninstaller::RemoveKeyIfEmpty(const KRecordEntry& entry)
{
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    if (registry.OpenKey(NHostRegistry::Root(entry.fRoot), entry.fPath, key) != kRegSuccess)
        return true;
    std::string name;
    std::string data;
    uint32_t type = 0;
    bool empty = registry.EnumKey(key, 0, name) == kRegNoMoreItems
        && registry.EnumValue(key, 0, name, type, data) == kRegNoMoreItems;
    registry.CloseKey(key);
    std::string path = std::string(NHostRegistry::RootName(entry.fRoot)) + "\\" + entry.fPath;
    if (!empty) {
        fLog.Add("key-kept " + path);
        return true;
    }
    bool ok = registry.DeleteKey(NHostRegistry::Root(entry.fRoot), entry.fPath) == kRegSuccess;
    fLog.Add(std::string(ok ? "key-removed " : "key-failed ") + path);
    return ok;
}

bool KUninstaller::Run()
{
    NFileSpec recordSpec(fFolder.SubDir("Data:"), KInstallRecord::kFileName, false);
    if (!fRecord.Load(recordSpec)) {
        fLog.Add("no record " + recordSpec.HostPath());
        return false;
    }
    const std::vector<KRecordEntry>& entries = fRecord.Entries();
    using Kind = KRecordEntry::Kind;

    for (const KRecordEntry& entry : entries)
        if (entry.fKind == Kind::kDesktop)
            ForgetDesktop(entry);

    // Only the control in the install folder was registered; the safety copy never was.
    std::string installPath = NFileSpec(fFolder, KInstallEngine::kControl, false).HostPath();
    for (const KRecordEntry& entry : entries) {
        NHostStat status;
        if (entry.fKind == Kind::kFile && EqualNoCase1252(entry.fPath, installPath)
            && NHostFileSystem::Stat(entry.fPath, status))
            UnregisterControl(entry.fPath);
    }

    for (const KRecordEntry& entry : entries) {
        if (entry.fKind != Kind::kLink)
            continue;
        NHostStat status;
        if (!NHostFileSystem::Stat(entry.fPath, status))
            continue;
        bool ok = NHostFileSystem::DeleteFile(entry.fPath);
        fLog.Add(std::string(ok ? "removed " : "remove-failed ") + entry.fPath);
        fOk = fOk && ok;
    }

    // The album type first, while the chained class it may go back to is still recorded
    // (a reinstall records the chain after the type); then the rest, newest first.
    auto isAlbumType = [](const KRecordEntry& entry) {
        return entry.fKind == Kind::kValue && entry.fRoot == kHKeyClassesRoot && entry.fName.empty()
            && EqualNoCase1252(entry.fPath, KInstallEngine::kAlbumExtension);
    };
    for (const KRecordEntry& entry : entries)
        if (isAlbumType(entry))
            fOk = UndoValue(entry) && fOk;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->fKind == Kind::kValue && !isAlbumType(*it))
            fOk = UndoValue(*it) && fOk;

    std::vector<KRecordEntry> keys;
    for (const KRecordEntry& entry : entries)
        if (entry.fKind == Kind::kKey)
            keys.push_back(entry);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const KRecordEntry& a, const KRecordEntry& b) { return Depth(a.fPath) > Depth(b.fPath); });
    for (const KRecordEntry& key : keys)
        fOk = RemoveKeyIfEmpty(key) && fOk;

    for (const KRecordEntry& entry : entries) {
        if (entry.fKind != Kind::kFile)
            continue;
        NHostStat status;
        if (!NHostFileSystem::Stat(entry.fPath, status))
            continue;
        bool ok = NHostFileSystem::DeleteFile(entry.fPath);
        fLog.Add(std::string(ok ? "removed " : "remove-failed ") + entry.fPath);
        fOk = fOk && ok;
        // A copy an interrupted install left beside it.
        std::string scratch = FolderOf(entry.fPath) + "\\" + ComponentScratchName(FileName(entry.fPath));
        if (NHostFileSystem::Stat(scratch, status))
            NHostFileSystem::DeleteFile(scratch);
    }

    // Folders once empty, the deepest first: a folder holding the user's albums stays.
    std::vector<std::string> folders;
    for (const KRecordEntry& entry : entries)
        if (entry.fKind == Kind::kFolder)
            folders.push_back(entry.fPath);
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& folder : folders) {
        if (!NHostFileSystem::IsDirectory(folder))
            continue;
        bool removed = NHostFileSystem::RemoveDirectory(folder);
        fLog.Add(std::string(removed ? "folder-removed " : "folder-kept ") + folder);
    }
    fLog.Add(std::string("result ") + (fOk ? "success" : "failure"));
    return fOk;
}
