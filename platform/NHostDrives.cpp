// The drive table and the mapping of host paths onto Linux paths and back.
#include "platform/NHostDrives.h"

#include "platform/NHostCodePage.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

static constexpr std::string_view kDriveCRoot = "C:\\";
static constexpr std::string_view kDriveZRoot = "Z:\\";
static constexpr char kFirstFreeLetter = 'D';
static constexpr char kLastFreeLetter = 'Y';
static constexpr mode_t kFolderMode = 0777;   // narrowed by the umask
static constexpr size_t kWorkingFolderStart = 256;
static constexpr size_t kOctalEscapeLength = 4;   // "\040"
static constexpr std::string_view kUserMark = "%USER%";

// Folders under drive_c that programs expect to find on a fresh system, kUserMark for the login.
static constexpr std::string_view kSkeleton[] = {
    "Program Files",
    "windows/system",
    "users/%USER%/Temp",
    "users/%USER%/Desktop",
    "users/%USER%/Start Menu/Programs",
    "users/%USER%/Application Data",
    "users/%USER%/My Documents",
};

static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static char FoldAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

static bool EqualFolded(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

static std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

static std::string JoinLinux(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

// Collapses repeated slashes and resolves "." and ".." lexically in an absolute path.
static std::string NormalizeLinux(std::string_view path)
{
    std::vector<std::string_view> parts;
    size_t at = 0;
    while (at < path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string result;
    for (std::string_view part : parts) {
        result += '/';
        result += part;
    }
    return result.empty() ? std::string("/") : result;
}

static std::string WorkingFolder()
{
    std::string buffer(kWorkingFolderStart, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

static std::string HomeFolder()
{
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

static std::string PrefixFromEnvironment()
{
    std::string prefix;
    const char* given = getenv("LUMORA_PREFIX");
    const char* dataHome = getenv("XDG_DATA_HOME");
    if (given != nullptr && given[0] != '\0')
        prefix = given;
    else if (dataHome != nullptr && dataHome[0] == '/')   // a relative XDG_DATA_HOME is to be ignored
        prefix = std::string(dataHome) + "/lumora";
    else
        prefix = HomeFolder() + "/.local/share/lumora";
    if (prefix[0] != '/')
        prefix = WorkingFolder() + "/" + prefix;
    return NormalizeLinux(prefix);
}

// The login becomes a folder name, so anything that is not one falls back to "user".
static bool UsableLogin(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos;
}

static std::string LoginName()
{
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_name != nullptr &&
                                                    UsableLogin(entry->pw_name))
        return entry->pw_name;
    if (const char* user = getenv("USER"); user != nullptr && UsableLogin(user))
        return user;
    return "user";
}

static void MakeFolders(const std::string& path)
{
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/')
            mkdir(path.substr(0, at).c_str(), kFolderMode);
    }
}

// Reads a root at the start of a host path: "C:" or "\\server\share". Sets the canonical
// root ("C:\", "\\server\share\") and the length of text it took; a drive letter followed
// by anything but a separator ("C:foo", relative to that drive's working folder) is refused.
static bool ParseRoot(std::string_view text, std::string& root, size_t& length)
{
    if (text.size() >= 2 && text[1] == ':') {
        char letter = FoldAscii(text[0]);
        if (letter < 'A' || letter > 'Z' || (text.size() > 2 && !IsSeparator(text[2])))
            return false;
        root = std::string(1, letter) + ":\\";
        length = 2;
        return true;
    }
    if (text.size() < 2 || !IsSeparator(text[0]) || !IsSeparator(text[1]))
        return false;
    size_t serverEnd = 2;
    while (serverEnd < text.size() && !IsSeparator(text[serverEnd]))
        ++serverEnd;
    size_t shareStart = serverEnd + 1;
    size_t shareEnd = shareStart;
    while (shareEnd < text.size() && !IsSeparator(text[shareEnd]))
        ++shareEnd;
    if (serverEnd == 2 || shareStart >= text.size() || shareEnd == shareStart)
        return false;
    root = "\\\\" + std::string(text.substr(2, serverEnd - 2)) + "\\" +
           std::string(text.substr(shareStart, shareEnd - shareStart)) + "\\";
    length = shareEnd;
    return true;
}

// A root alone, as drives.conf, $LUMORA_DRIVES and the drive queries give it.
static bool ParseWholeRoot(std::string_view text, std::string& root)
{
    size_t length = 0;
    if (!ParseRoot(text, root, length))
        return false;
    for (size_t at = length; at < text.size(); ++at) {
        if (!IsSeparator(text[at]))
            return false;
    }
    return true;
}

static bool ParseType(std::string_view word, int& type)
{
    static constexpr struct {
        std::string_view fWord;
        int fType;
    } kTypes[] = {
        {"fixed", kDriveFixed},   {"removable", kDriveRemovable}, {"cdrom", kDriveCdrom},
        {"remote", kDriveRemote}, {"ramdisk", kDriveRamdisk},
    };
    for (const auto& entry : kTypes) {
        if (EqualFolded(entry.fWord, word)) {
            type = entry.fType;
            return true;
        }
    }
    return false;
}

// One configured entry; false (and nothing set) when any part of it is malformed.
static bool MakeEntry(std::string_view rootText, std::string_view folder, std::string_view typeWord,
                      NHostDrive& drive)
{
    if (folder.empty() || folder[0] != '/' || folder.find('\0') != std::string_view::npos)
        return false;
    if (!ParseWholeRoot(rootText, drive.fRoot) || !ParseType(typeWord, drive.fType))
        return false;
    drive.fFolder = NormalizeLinux(folder);
    return true;
}

// Lines "D: /some/dir removable"; the folder is everything between the first and last word.
static void ReadConfFile(const std::string& path, std::vector<NHostDrive>& entries)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::string_view text = Trim(line);
        if (text.empty() || text[0] == '#')
            continue;
        size_t rootEnd = 0;
        while (rootEnd < text.size() && !IsBlank(text[rootEnd]))
            ++rootEnd;
        size_t typeStart = text.size();
        while (typeStart > rootEnd && !IsBlank(text[typeStart - 1]))
            --typeStart;
        if (typeStart <= rootEnd)
            continue;
        NHostDrive drive;
        if (MakeEntry(text.substr(0, rootEnd), Trim(text.substr(rootEnd, typeStart - rootEnd)),
                      text.substr(typeStart), drive))
            entries.push_back(std::move(drive));
    }
}

// Entries "D=/dir:removable" or "\\server\share=/dir:remote" separated by ";".
static void ReadDrivesVariable(std::vector<NHostDrive>& entries)
{
    const char* value = getenv("LUMORA_DRIVES");
    std::string_view text = value != nullptr ? value : "";
    while (!text.empty()) {
        size_t end = text.find(';');
        std::string_view entry = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        size_t equals = entry.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string rootText(Trim(entry.substr(0, equals)));
        if (rootText.size() == 1)
            rootText += ':';
        std::string_view target = entry.substr(equals + 1);
        size_t colon = target.rfind(':');
        if (colon == std::string_view::npos)
            continue;
        NHostDrive drive;
        if (MakeEntry(rootText, target.substr(0, colon), Trim(target.substr(colon + 1)), drive))
            entries.push_back(std::move(drive));
    }
}

// /proc/mounts escapes blanks and backslashes in its fields as "\ooo".
static std::string UnescapeMountField(std::string_view field)
{
    std::string result;
    for (size_t at = 0; at < field.size(); ++at) {
        if (field[at] == '\\' && at + kOctalEscapeLength <= field.size()) {
            int value = 0;
            bool octal = true;
            for (size_t digit = 1; digit < kOctalEscapeLength; ++digit) {
                char c = field[at + digit];
                octal = octal && c >= '0' && c <= '7';
                value = value * 8 + (c - '0');
            }
            if (octal) {
                result += static_cast<char>(value);
                at += kOctalEscapeLength - 1;
                continue;
            }
        }
        result += field[at];
    }
    return result;
}

// Mount points of removable media, in the order the kernel lists them; type set by file system.
static std::vector<NHostDrive> ReadRemovableMounts()
{
    std::vector<NHostDrive> mounts;
    std::ifstream in("/proc/mounts");
    std::string line;
    while (std::getline(in, line)) {
        std::string_view text = line;
        std::string_view fields[3];
        for (std::string_view& field : fields) {
            size_t start = text.find_first_not_of(' ');
            if (start == std::string_view::npos)
                break;
            size_t end = text.find(' ', start);
            field = text.substr(start, end == std::string_view::npos ? end : end - start);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end);
        }
        if (fields[2].empty())
            continue;
        std::string folder = NormalizeLinux(UnescapeMountField(fields[1]));
        if (!folder.starts_with("/media/") && !folder.starts_with("/run/media/"))
            continue;
        bool disc = fields[2] == "iso9660" || fields[2] == "udf";
        mounts.push_back({std::string(), folder, disc ? kDriveCdrom : kDriveRemovable});
    }
    return mounts;
}

// The folder a drive stands for as the kernel names it, when it differs from the one given:
// working folders and /proc/self/exe come back with symbolic links resolved.
static std::string RealFolder(const std::string& folder)
{
    std::string result;
    if (char* real = realpath(folder.c_str(), nullptr)) {
        if (folder != real)
            result = real;
        free(real);
    }
    return result;
}

static bool FolderContains(std::string_view folder, std::string_view path)
{
    return folder == "/" ||
           (path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/'));
}

// The entry of a folder whose host form is the given host name: exactly (a legacy name
// that is not UTF-8), else in the code page's case folding (first match in folder order).
static bool FindHostName(const std::string& folder, std::string_view hostName, std::string& found)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return false;
    std::string wanted = NHostCodePage::FoldUpper(hostName);
    bool matched = false;
    std::string host;
    while (const dirent* entry = readdir(dir)) {
        if (!NHostDrives::HostName(entry->d_name, host))
            continue;
        if (host == hostName) {
            found = entry->d_name;
            matched = true;
            break;
        }
        if (!matched && NHostCodePage::FoldUpper(host) == wanted) {
            found = entry->d_name;
            matched = true;
        }
    }
    closedir(dir);
    return matched;
}

static void MakeSkeletonFolders(const std::string& prefix, const std::string& userName)
{
    for (std::string_view relative : kSkeleton) {
        std::string path(relative);
        if (size_t at = path.find(kUserMark); at != std::string::npos)
            path.replace(at, kUserMark.size(), userName);
        MakeFolders(prefix + "/drive_c/" + path);
    }
}

NHostDrives& NHostDrives::The()
{
    static NHostDrives sDrives;
    return sDrives;
}

NHostDrives::NHostDrives()
{
    Reload();
}

void NHostDrives::Reload()
{
    fPrefix = PrefixFromEnvironment();
    fUserName = LoginName();
    fSkeletonMade = false;
    fDrives.clear();
    fDrives.push_back({std::string(kDriveCRoot), fPrefix + "/drive_c", kDriveFixed});
    fDrives.push_back({std::string(kDriveZRoot), "/", kDriveFixed});

    char letter = kFirstFreeLetter;
    for (NHostDrive& mount : ReadRemovableMounts()) {
        bool known = false;
        for (const NHostDrive& drive : fDrives)
            known = known || drive.fFolder == mount.fFolder;   // stacked mounts share one letter
        size_t unused = 0;
        while (letter <= kLastFreeLetter &&
               FindDrive(std::string(1, letter) + ":", unused) != nullptr)
            ++letter;
        if (known || letter > kLastFreeLetter)
            continue;
        mount.fRoot = std::string(1, letter) + ":\\";
        AddDrive(std::move(mount));
    }

    std::vector<NHostDrive> configured;
    ReadConfFile(fPrefix + "/drives.conf", configured);
    ReadDrivesVariable(configured);
    for (NHostDrive& drive : configured)
        AddDrive(std::move(drive));
}

void NHostDrives::AddDrive(NHostDrive drive)
{
    if (drive.fRoot == kDriveCRoot || drive.fRoot == kDriveZRoot)
        return;
    for (NHostDrive& existing : fDrives) {
        if (EqualFolded(existing.fRoot, drive.fRoot)) {
            existing = std::move(drive);
            return;
        }
    }
    fDrives.push_back(std::move(drive));
}

const NHostDrive* NHostDrives::FindDrive(std::string_view hostPath, size_t& rootLength) const
{
    std::string root;
    if (!ParseRoot(hostPath, root, rootLength))
        return nullptr;
    for (const NHostDrive& drive : fDrives) {
        if (EqualFolded(drive.fRoot, root))
            return &drive;
    }
    return nullptr;
}

bool NHostDrives::ToLinux(std::string_view hostPath, std::string& linuxPath) const
{
    linuxPath.clear();
    size_t rootLength = 0;
    const NHostDrive* drive = FindDrive(hostPath, rootLength);
    if (drive == nullptr || hostPath.find('\0') != std::string_view::npos)
        return false;

    std::vector<std::string_view> components;
    size_t at = rootLength;
    while (at < hostPath.size()) {
        size_t end = at;
        while (end < hostPath.size() && !IsSeparator(hostPath[end]))
            ++end;
        std::string_view part = hostPath.substr(at, end - at);
        if (part == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!part.empty() && part != ".") {
            components.push_back(part);
        }
        at = end + 1;
    }

    // Tried once per table: a prefix that cannot be made is not retried on every mapping.
    if (drive->fRoot == kDriveCRoot && !fSkeletonMade) {
        fSkeletonMade = true;
        MakeSkeletonFolders(fPrefix, fUserName);
    }

    // Once a component is missing, nothing below it can exist, so the rest keeps its case.
    std::string path = drive->fFolder;
    bool existing = true;
    for (std::string_view part : components) {
        std::string next = JoinLinux(path, NHostCodePage::AnsiToUtf8(part));
        struct stat status {};
        if (existing && lstat(next.c_str(), &status) != 0) {
            std::string found;
            if (FindHostName(path, part, found))
                next = JoinLinux(path, found);
            else
                existing = false;
        }
        path = std::move(next);
    }
    linuxPath = std::move(path);
    return true;
}

bool NHostDrives::HostName(std::string_view linuxName, std::string& hostName, std::string* bad)
{
    return NHostCodePage::Utf8ToAnsi(linuxName, hostName, bad);
}

std::string NHostDrives::ToHost(std::string_view linuxPath, std::string* unconvertible) const
{
    std::string absolute(linuxPath);
    if (absolute.empty() || absolute[0] != '/') {
        std::string working = WorkingFolder();
        if (working.empty())
            return std::string();
        absolute = working + "/" + absolute;
    }
    absolute = NormalizeLinux(absolute);

    const NHostDrive* best = nullptr;
    size_t bestLength = 0;
    for (const NHostDrive& drive : fDrives) {
        for (const std::string& folder : {drive.fFolder, RealFolder(drive.fFolder)}) {
            if (!folder.empty() && FolderContains(folder, absolute) &&
                (best == nullptr || folder.size() > bestLength)) {
                best = &drive;
                bestLength = folder.size();
            }
        }
    }
    if (best == nullptr)
        return std::string();

    std::string host = best->fRoot;
    std::string_view rest = std::string_view(absolute).substr(bestLength);
    if (!rest.empty() && rest[0] == '/')
        rest.remove_prefix(1);
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view name = rest.substr(0, slash);
        std::string converted;
        std::string bad;
        if (!HostName(name, converted, &bad)) {
            if (unconvertible)
                *unconvertible = std::string(name);
            return std::string();
        }
        host += converted;
        if (slash == std::string_view::npos)
            break;
        host += '\\';
        rest.remove_prefix(slash + 1);
    }
    return host;
}

int NHostDrives::DriveType(std::string_view root) const
{
    std::string canonical;
    size_t rootLength = 0;
    if (!ParseWholeRoot(root, canonical))
        return kDriveNoRootDir;
    const NHostDrive* drive = FindDrive(canonical, rootLength);
    return drive != nullptr ? drive->fType : kDriveNoRootDir;
}

bool NHostDrives::FreeSpace(std::string_view root, uint64_t& freeBytes) const
{
    std::string canonical;
    std::string folder;
    if (!ParseWholeRoot(root, canonical) || !ToLinux(canonical, folder))
        return false;
    struct stat status {};
    struct statvfs volume {};
    if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        statvfs(folder.c_str(), &volume) != 0)
        return false;
    freeBytes = static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
    return true;
}
