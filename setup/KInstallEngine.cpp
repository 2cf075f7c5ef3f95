// The install engine's stages, in the order an install must happen.
//
// Progress steps (13): the conditional copies, then each of the six forced copies, the
// version values, the application paths, the browser keys with the albums folder, the
// shortcuts with the album type, the control's registration and the uninstall entry.
#include "setup/KInstallEngine.h"

#include "framework/NRegistry.h"
#include "framework/NStringTable.h"
#include "platform/NHostDrives.h"
#include "platform/NHostFileVersion.h"
#include "platform/NHostLibrary.h"
#include "platform/NHostRegistry.h"
#include "platform/NHostShell.h"
#include "platform/NHostShellLink.h"
#include "setup/KComponent.h"
#include "setup/KInstallFailed.h"
#include "storage/NCaseFold.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"

#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

constexpr char kPlayerLibrary[] = "Lumorad.dll";
constexpr char kScreenSaver[] = "Lumora.scr";
constexpr char kPlayerArchive[] = "Lumorad.xpb";
constexpr char kSoundLibrary[] = "MSS32.dll";
constexpr char kMp3Decoder[] = "MP3DEC.ASI";
constexpr char kOldScreenSaver[] = "lumora.scr";
constexpr char kLanguageFile[] = "lang.txt";
constexpr char kSecondAppName[] = "Lumora Player.exe";
constexpr char kMakerAppName[] = "Lumora Maker.exe";
constexpr char kMakerFolder[] = "Lumora Maker:";
constexpr char kGroup[] = "Lumora";
constexpr char kRegisterEntry[] = "DllRegisterServer";

constexpr char kSuffix[] = "qip";
constexpr char kProductKey[] = "SOFTWARE\\Veltra\\Lumora\\3.0";
constexpr char kProductVersion[] = "3.0";
constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kBrowser[] = "Software\\Netscape\\Netscape Navigator\\";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kOpenCommandFormat[] = "\"%s\" \"%%1\"";
constexpr char kIconFormat[] = "%s,1";
constexpr char kVersionFormat[] = "%d,%d,%d,%d";
constexpr uint32_t kEditFlagsBit = 0x10000;
constexpr char kEditFlags[] = "EditFlags";
constexpr char kLastSaveDir[] = "Lumora.Album\\LastSaveDir";
constexpr char kMagic[] = "XPB!";   // an album is a binder: its magic follows the header's size
constexpr int kMagicOffset = 4;
constexpr char kGlob[] = "*.qip";
constexpr size_t kFormatRoom = 600;
constexpr char kMissPrefix[] = "!!! String ID=";

enum : int32_t {
    kTextPlayerName = 285,
    kTextScreenSaver = 286,
    kTextPlayerTitle = 287,
    kTextAlbumType = 288,
    kTextUninstaller = 289,
    kTextAlbumsFolder = 290,
    kTextPrompt = 291,
    kTextNotice = 292,
};

std::string Format(const char* pattern, const std::string& text)
{
    char buffer[kFormatRoom];
    std::snprintf(buffer, sizeof buffer, pattern, text.c_str());
    return buffer;
}

std::string VersionText(const NHostVersion& version)
{
    char buffer[kFormatRoom];
    std::snprintf(buffer, sizeof buffer, kVersionFormat, int(version[0]), int(version[1]), int(version[2]),
                  int(version[3]));
    return buffer;
}

// A folder's host path without its closing backslash, as paths are stored in values.
std::string FolderPath(const NFDirSpec& dir)
{
    std::string path = dir.HostPath();
    if (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

std::string RootName(uint32_t root)
{
    return std::string(NHostRegistry::RootName(root));
}

} // namespace

KInstallSettings KInstallSettings::FromStringTable()
{
    KInstallSettings settings;
    NStringTable& table = NStringTable::The();
    auto take = [&table](int32_t id, std::string& field) {
        std::string text = table.GetString(id);
        if (text.rfind(kMissPrefix, 0) != 0)
            field = text;
    };
    take(kTextPlayerName, settings.fPlayerName);
    take(kTextScreenSaver, settings.fScreenSaverTitle);
    take(kTextPlayerTitle, settings.fPlayerTitle);
    take(kTextAlbumType, settings.fAlbumType);
    take(kTextUninstaller, settings.fUninstallerName);
    take(kTextAlbumsFolder, settings.fAlbumsFolder);
    take(kTextPrompt, settings.fUninstallPrompt);
    take(kTextNotice, settings.fUninstallNotice);
    return settings;
}

bool KInstallLog::Save(const std::string& path) const
{
    std::string linuxPath = path;
    std::string mapped;
    if (path.find('\\') != std::string::npos && NHostDrives::The().ToLinux(path, mapped))
        linuxPath = mapped;
    std::ofstream out(linuxPath, std::ios::trunc);
    for (const std::string& line : fLines)
        out << line << '\n';
    return bool(out.flush());
}

KInstallEngine::KInstallEngine(const NFDirSpec& target, const NFDirSpec& source, const KInstallSettings& settings,
                               bool silent)
    : fTarget(target), fSource(source), fSettings(settings), fSilent(silent)
{
    fData = fTarget.SubDir("Data:");
    fSafety = fData.SubDir("safety:");
    fPlayer = NFileSpec(fTarget, fSettings.fPlayerName, false);
}

void KInstallEngine::Advance()
{
    ++fSteps;
    if (fAdvance)
        fAdvance();
}

bool KInstallEngine::Install(const std::string& name, const NFDirSpec& into, bool force)
{
    NFileSpec target(into, name, false);
    bool installed = InstallComponent(NFileSpec(fSource, name, false), target, force);
    fLog.Add(std::string(installed ? "file " : "kept ") + target.HostPath());
    KRecordEntry entry;
    entry.fKind = KRecordEntry::Kind::kFile;
    entry.fPath = target.HostPath();
    fRecord.Add(entry);
    return installed;
}

bool KInstallEngine::Run()
{
    try {
        RunStages();
    } catch (const NInstallFailed& failure) {
        fFailureCode = failure.Code();
        fResult = false;
    } catch (const NFileException& error) {
        fLog.Add("error " + std::string(error.what()));
        fResult = false;
    }
    SaveRecord();
    if (fResult)
        fStage = KInstallStage::kDone;
    fLog.Add(std::string("result ") + (fResult ? "success" : "failure") + (fFailureCode ? " " + std::to_string(fFailureCode) : ""));
    return fResult;
}

void KInstallEngine::InstallFiles()
{
    fStage = KInstallStage::kFiles;
    bool dll = Install(kPlayerLibrary, fTarget, false);
    bool exe = Install(fSettings.fPlayerName, fTarget, false);
    bool scr = Install(kScreenSaver, fTarget, false);
    Advance();

    bool supportPresent = NFileSpec(fData, kPlayerArchive, false).Exists()
        && NFileSpec(fTarget, kSoundLibrary, false).Exists() && NFileSpec(fTarget, kMp3Decoder, false).Exists();
    if (supportPresent && !dll && !exe && !scr) {
        // Everything installed is newer than the payload: nothing older goes in.
        for (int step = 0; step < 6; ++step)
            Advance();
        return;
    }
    if (!dll)
        Install(kPlayerLibrary, fTarget, true);
    if (!exe)
        Install(fSettings.fPlayerName, fTarget, true);
    Advance();
    if (!scr)
        Install(kScreenSaver, fTarget, true);
    Advance();
    Install(kPlayerArchive, fData, true);
    Advance();
    Install(kSoundLibrary, fTarget, true);
    Advance();
    Install(kMp3Decoder, fTarget, true);
    Advance();
    Install(fSettings.fUninstallerName, fTarget, true);
    Advance();
}

void KInstallEngine::InstallControl()
{
    fControl = NFileSpec(fTarget, kControl, false);
    fControlInTarget = true;
    try {
        Install(kControl, fTarget, false);
    } catch (const NInstallFailed&) {
        // A control in use (a browser has it loaded) stays; the new one goes to the safety
        // folder, unregistered.
        fControl = NFileSpec(fSafety, kControl, false);
        fControlInTarget = false;
        RecordFolder(fSafety);
        Install(kControl, fSafety, false);
    }
}

void KInstallEngine::WriteValue(uint32_t root, const std::string& key, const std::string& name,
                                const std::string& text)
{
    bool ok = WriteRaw(root, key, name, StringValue(text));
    fLog.Add(std::string(ok ? "reg " : "reg-failed ") + RootName(root) + "\\" + key + "\\[" + name + "] = " + text);
}

bool KInstallEngine::WriteRaw(uint32_t root, const std::string& key, const std::string& name, const KRawValue& value)
{
    // The keys this write makes, from the outermost: the uninstaller removes them when empty.
    NHostRegistry& registry = NHostRegistry::The();
    std::string path;
    bool missing = false;
    for (size_t from = 0; from <= key.size();) {
        size_t end = key.find('\\', from);
        if (end == std::string::npos)
            end = key.size();
        if (end > from) {
            path += (path.empty() ? "" : "\\") + key.substr(from, end - from);
            NHostRegKey handle;
            if (!missing && registry.OpenKey(NHostRegistry::Root(root), path, handle) == kRegSuccess)
                registry.CloseKey(handle);
            else
                missing = true;
            if (missing) {
                KRecordEntry entry;
                entry.fKind = KRecordEntry::Kind::kKey;
                entry.fRoot = root;
                entry.fPath = path;
                fRecord.Add(entry);
            }
        }
        from = end + 1;
    }
    KRecordEntry entry;
    entry.fKind = KRecordEntry::Kind::kValue;
    entry.fRoot = root;
    entry.fPath = key;
    entry.fName = name;
    entry.fHadPrevious = ReadRawValue(root, key, name, entry.fPrevious);
    entry.fWritten = value;
    bool ok = WriteRawValue(root, key, name, value);
    if (ok)
        fRecord.Add(entry);
    return ok;
}

void KInstallEngine::RecordFolder(const NFDirSpec& dir)
{
    KRecordEntry entry;
    entry.fKind = KRecordEntry::Kind::kFolder;
    entry.fPath = FolderPath(dir);
    fRecord.Add(entry);
}

bool KInstallEngine::MakeShortcut(const std::string& folderValue, const std::string& group, const std::string& name,
                                  const std::string& targetHostPath)
{
    std::string folder;
    if (!NRegistry::ReadString(kHKeyCurrentUser, kShellFolders, folderValue, folder) || folder.empty())
        return false;
    NFileSpec placeholder;
    if (!NFileSpec::FromHostPath(folder + "\\" + NFileSpec::kPlaceholderName, placeholder))
        return false;
    NFDirSpec dir = placeholder.Dir();
    if (!group.empty()) {
        dir = dir.SubDir(group + ":");
        if (!dir.Exists()) {
            dir.Create();
            RecordFolder(dir);
        }
    }
    NHostShellLink link;
    link.SetPath(targetHostPath);
    link.SetDescription(name);
    std::string linkPath = NFileSpec(dir, name + ".lnk", false).HostPath();
    bool ok = link.Save(linkPath) == kLinkOk;
    fLog.Add(std::string(ok ? "link " : "link-failed ") + linkPath + " -> " + targetHostPath);
    if (ok) {
        KRecordEntry entry;
        entry.fKind = KRecordEntry::Kind::kLink;
        entry.fPath = linkPath;
        fRecord.Add(entry);
    }
    return ok;
}

void KInstallEngine::RegisterAlbumType()
{
    std::string previous;
    NRegistry::ReadString(kHKeyClassesRoot, kAlbumExtension, "", previous);
    if (!previous.empty() && !EqualNoCase1252(previous, kAlbumClass)) {
        std::string icon;
        NRegistry::ReadString(kHKeyClassesRoot, previous + "\\DefaultIcon", "", icon);
        if (!icon.empty())
            WriteValue(kHKeyClassesRoot, std::string(kAlbumClass) + "\\DefaultIcon", "", icon);
        WriteValue(kHKeyClassesRoot, std::string(kAlbumClass) + "\\QipChain", "", previous);
    }
    WriteValue(kHKeyClassesRoot, kAlbumExtension, "", kAlbumClass);
    WriteValue(kHKeyClassesRoot, kAlbumExtension, "Content Type", kMimeType);

    uint32_t flags = kEditFlagsBit;
    KRawValue existing;
    if (ReadRawValue(kHKeyClassesRoot, kAlbumClass, kEditFlags, existing) && existing.fData.size() == 4
        && (existing.fType == kRegDword || existing.fType == kRegBinary)) {
        uint32_t old = 0;
        for (int i = 3; i >= 0; --i)
            old = old << 8 | uint8_t(existing.fData[size_t(i)]);
        flags = old | kEditFlagsBit;
    }
    KRawValue value {kRegDword, std::string(4, '\0')};
    for (size_t i = 0; i < 4; ++i)
        value.fData[i] = char((flags >> (8 * i)) & 0xFF);
    bool ok = WriteRaw(kHKeyClassesRoot, kAlbumClass, kEditFlags, value);
    char text[32];
    std::snprintf(text, sizeof text, "0x%08X", flags);
    fLog.Add(std::string(ok ? "reg " : "reg-failed ") + RootName(kHKeyClassesRoot) + "\\" + kAlbumClass + "\\["
             + kEditFlags + "] = " + text);
}

NHostDesktopEntry KInstallEngine::DesktopEntry(const KInstallSettings& settings, const std::string& playerHostPath)
{
    NHostDesktopEntry entry;
    entry.fAppId = kDesktopId;
    entry.fName = settings.fPlayerTitle;
    entry.fProgramHostPath = playerHostPath;
    entry.fMimeType = kMimeType;
    entry.fMimeComment = settings.fAlbumType;
    entry.fGlob = kGlob;
    entry.fMagic = kMagic;
    entry.fMagicOffset = kMagicOffset;
    return entry;
}

void KInstallEngine::TellDesktop()
{
    NHostDesktopEntry entry = DesktopEntry(fSettings, fPlayer.HostPath());
    for (int size : NHostDesktopIntegration::kIconSizes) {
        NFileSpec icon(fSource.Parent(), kIconPrefix + std::to_string(size) + ".png", false);
        try {
            NStream in = icon.Open(NStreamMode::kRead);
            std::string png(size_t(in.GetLength()), '\0');
            in.ReadFully(int32_t(png.size()), png.data());
            entry.fIcons.emplace_back(size, std::move(png));
        } catch (const NFileException&) {
            // A payload without art still registers the type and the player.
        }
    }
    KRecordEntry record;
    record.fKind = KRecordEntry::Kind::kDesktop;
    record.fPath = kDesktopId;
    fRecord.Add(record);
    std::vector<std::string> lines;
    // The desktop is a convenience on top of the registry: a failure here is logged, and
    // the install goes on.
    auto started = std::chrono::steady_clock::now();
    if (!NHostDesktopIntegration::Register(entry, lines))
        lines.push_back("desktop-incomplete");
    auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    char line[64];
    std::snprintf(line, sizeof line, "desktop %.3f ms", double(elapsed.count()) / 1000.0);
    lines.push_back(line);
    for (std::string& line : lines)
        fLog.Add(std::move(line));
}

void KInstallEngine::SaveRecord()
{
    if (fRecord.Empty())
        return;
    NFileSpec spec = RecordSpec();
    KInstallRecord record = fRecord;
    KInstallRecord earlier;
    if (earlier.Load(spec))
        record.MergeEarlier(earlier);
    KRecordEntry self;
    self.fKind = KRecordEntry::Kind::kFile;
    self.fPath = spec.HostPath();
    record.Add(self);
    fData.Create();
    if (!record.Save(spec))
        fLog.Add("record-failed " + spec.HostPath());
}

void KInstallEngine::RegisterControl()
{
    // There is no OLE to initialise here; loading, calling and unloading is the whole step.
    NHostLibrary library;
    if (!library.Load(fControl.HostPath())) {
        fLog.Add("unregistered " + fControl.HostPath() + ": " + library.LastError());
        return;
    }
    using RegisterServer = int32_t (*)();
    if (auto entry = library.Find<RegisterServer>(kRegisterEntry)) {
        int32_t status = entry();
        fLog.Add("registered " + fControl.HostPath() + " (" + std::to_string(status) + ")");
    } else {
        fLog.Add("unregistered " + fControl.HostPath() + ": no " + kRegisterEntry);
    }
    library.Unload();
}

void KInstallEngine::RunStages()
{
    fLog.Add("install " + fTarget.HostPath());
    RecordFolder(fTarget);
    RecordFolder(fData);
    InstallFiles();

    fStage = KInstallStage::kRegistry;
    NFileSpec oldSaver(SystemDirSpec(), kOldScreenSaver, false);
    if (oldSaver.Exists() && oldSaver.Delete())
        fLog.Add("deleted " + oldSaver.HostPath());

    InstallControl();

    if (!fSettings.fLanguage.empty()) {
        try {
            NFileSpec language(fData, kLanguageFile, false);
            fData.Create();
            language.Delete();
            NStream out = language.Open(NStreamMode::kWrite);
            out.WriteLine(fSettings.fLanguage);
            out.Close();
            fLog.Add("file " + language.HostPath());
            KRecordEntry entry;
            entry.fKind = KRecordEntry::Kind::kFile;
            entry.fPath = language.HostPath();
            fRecord.Add(entry);
        } catch (const NFileException&) {
        }
    }

    std::string playerPath = fPlayer.HostPath();
    std::string targetPath = FolderPath(fTarget);
    std::string versionKey = std::string(kAlbumClass) + "\\Version";
    WriteValue(kHKeyClassesRoot, versionKey, "Player",
               VersionText(NHostFileVersion::Read(NFileSpec(fTarget, kPlayerLibrary, false).HostPath())));
    WriteValue(kHKeyClassesRoot, versionKey, "QipCtrl", VersionText(NHostFileVersion::Read(fControl.HostPath())));
    Advance();

    WriteValue(kHKeyLocalMachine, kProductKey, "", kProductVersion);
    for (const std::string& name : {fSettings.fPlayerName, std::string(kSecondAppName)}) {
        WriteValue(kHKeyLocalMachine, kAppPaths + name, "", playerPath);
        WriteValue(kHKeyLocalMachine, kAppPaths + name, "Path", targetPath);
    }
    Advance();

    WriteValue(kHKeyCurrentUser, std::string(kBrowser) + "User Trusted External Applications", playerPath, "yes");
    WriteValue(kHKeyCurrentUser, std::string(kBrowser) + "Suffixes", kMimeType, kSuffix);
    WriteValue(kHKeyCurrentUser, std::string(kBrowser) + "Viewers", kMimeType, playerPath);

    std::string makerPath;
    NRegistry::ReadString(kHKeyLocalMachine, std::string(kAppPaths) + kMakerAppName, "Path", makerPath);
    if (makerPath.empty()) {
        NFDirSpec albums = fTarget.SubDir(std::string(kMakerFolder) + fSettings.fAlbumsFolder + ":");
        albums.Create();
        RecordFolder(fTarget.SubDir(kMakerFolder));
        RecordFolder(albums);
        std::string albumsPath = FolderPath(albums);
        if (!MakeShortcut("Desktop", "", fSettings.fAlbumsFolder, albumsPath))
            fResult = false;
        if (!MakeShortcut("Programs", kGroup, fSettings.fAlbumsFolder, albumsPath))
            fResult = false;
        std::string lastSave;
        NRegistry::ReadString(kHKeyClassesRoot, kLastSaveDir, "", lastSave);
        if (lastSave.empty())
            WriteValue(kHKeyClassesRoot, kLastSaveDir, "", albumsPath);
    }
    Advance();

    MakeShortcut("Desktop", "", fSettings.fPlayerTitle, playerPath);
    MakeShortcut("Programs", kGroup, fSettings.fPlayerTitle, playerPath);
    RegisterAlbumType();
    WriteValue(kHKeyClassesRoot, kAlbumClass, "", fSettings.fAlbumType);
    std::string icon;
    NRegistry::ReadString(kHKeyClassesRoot, std::string(kAlbumClass) + "\\DefaultIcon", "", icon);
    if (icon.empty())
        WriteValue(kHKeyClassesRoot, std::string(kAlbumClass) + "\\DefaultIcon", "", Format(kIconFormat, playerPath));
    WriteValue(kHKeyClassesRoot, std::string(kAlbumClass) + "\\shell\\open\\command", "",
               Format(kOpenCommandFormat, playerPath));
    TellDesktop();
    Advance();

    if (!fSilent) {
        std::string programs;
        if (NRegistry::ReadString(kHKeyCurrentUser, kShellFolders, "Programs", programs) && !programs.empty())
            NHostShell::Open(programs + "\\" + kGroup + "\\");
    }
    if (fControlInTarget)
        RegisterControl();
    Advance();

    std::string uninstallKey = kUninstallKey + fSettings.fUninstallerName;
    std::string uninstaller = NFileSpec(fTarget, fSettings.fUninstallerName, false).HostPath();
    WriteValue(kHKeyLocalMachine, uninstallKey, "DisplayName", fSettings.fPlayerTitle);
    WriteValue(kHKeyLocalMachine, uninstallKey, "UninstallString",
               "\"" + uninstaller + "\" \"" + fSettings.fUninstallerName + "\"");
    WriteValue(kHKeyLocalMachine, uninstallKey, "PlayerLnk", fSettings.fPlayerTitle);
    WriteValue(kHKeyLocalMachine, uninstallKey, "MyQip", fSettings.fAlbumsFolder);
    WriteValue(kHKeyLocalMachine, uninstallKey, "Prompt", fSettings.fUninstallPrompt);
    WriteValue(kHKeyLocalMachine, uninstallKey, "Notification", fSettings.fUninstallNotice);
    Advance();
}
