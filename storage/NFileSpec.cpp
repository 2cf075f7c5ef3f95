// File specifications and their host-path conversions.
#include "storage/NFileSpec.h"

#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NCaseFold.h"
#include "storage/NFileException.h"
#include "storage/NStreamBinder.h"
#include "storage/NStreamBuffer.h"
#include "storage/NStreamFile.h"
#include "storage/NStreamSegmented.h"
#include "platform/NHostDrives.h"
#include "platform/NHostFileSystem.h"

#include <cctype>
#include <string>
#include <limits>

static constexpr char kDefaultDriveRoot[] = "C:\\";
static constexpr char kLinkExtension[] = ".lnk";
static constexpr size_t kDriveRootLength = 3;   // "C:\"
static constexpr int kFirstUniqueNumber = 2;

static bool sNetworkPathsDisabled = false;

static bool IsBareDrive(std::string_view text)
{
    return text.size() == 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

static bool IsDriveRoot(std::string_view text)
{
    return text.size() == kDriveRootLength && IsBareDrive(text.substr(0, 2)) && text[2] == '\\';
}

static std::string Replaced(std::string text, char from, char to)
{
    for (char& c : text) {
        if (c == from)
            c = to;
    }
    return text;
}

static std::string Sanitised(std::string_view name)
{
    std::string clean(name);
    for (char& c : clean) {
        for (const char* bad = NFileSpec::kForbiddenNameChars; *bad; ++bad) {
            if (c == *bad)
                c = '-';
        }
    }
    return clean;
}

static bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    return EqualNoCase1252(text.substr(text.size() - suffix.size()), suffix);
}

static NDateTime DateTimeOf(int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    if (seconds > std::numeric_limits<uint32_t>::max())
        seconds = std::numeric_limits<uint32_t>::max();
    return NDateTime::FromSeconds(static_cast<uint32_t>(seconds));
}

// --- NFDriveSpec ---

NFDriveSpec::NFDriveSpec()
    : fRoot(kDefaultDriveRoot)
{
}

NFDriveSpec::NFDriveSpec(std::string_view root)
    : fRoot(root)
{
    if (!fRoot.empty() && fRoot.back() == '/')
        fRoot.back() = '\\';
    else if (IsBareDrive(fRoot))
        fRoot += '\\';
}

std::string NFDriveSpec::HostPath() const
{
    return Replaced(fRoot, '/', '\\');
}

int NFDriveSpec::HostType() const
{
    // A network root names only its server; the shares below it are remote by definition.
    if (fRoot.starts_with("\\\\"))
        return kDriveRemote;
    return NHostDrives::The().DriveType(HostPath());
}

bool NFDriveSpec::IsCdrom() const
{
    return HostType() == kDriveCdrom;
}

bool NFDriveSpec::IsRemovable() const
{
    return HostType() == kDriveRemovable;
}

bool NFDriveSpec::IsNotNetwork() const
{
    return HostType() != kDriveRemote;
}

// --- NFDirSpec ---

NFDirSpec::NFDirSpec(NFDriveSpec drive, std::string path)
    : fDrive(std::move(drive))
    , fPath(std::move(path))
{
}

NFDirSpec NFDirSpec::SubDir(std::string_view logical) const
{
    return NFDirSpec(fDrive, fPath + std::string(logical));
}

NFDirSpec NFDirSpec::Parent() const
{
    if (fPath.size() < 2)
        return NFDirSpec(fDrive);
    size_t cut = fPath.rfind(':', fPath.size() - 2);
    return NFDirSpec(fDrive, cut == std::string::npos ? std::string() : fPath.substr(0, cut + 1));
}

std::string NFDirSpec::HostPath() const
{
    return fDrive.HostPath() + Replaced(fPath, ':', '\\');
}

std::string NFDirSpec::DisplayName() const
{
    return fDrive.Root() + fPath;
}

void NFDirSpec::SetNetworkPathsDisabled(bool disabled)
{
    sNetworkPathsDisabled = disabled;
}

bool NFDirSpec::NetworkPathsDisabled()
{
    return sNetworkPathsDisabled;
}

bool NFDirSpec::ConvertHostDirectory(std::string_view host, NFDirSpec& out)
{
    size_t driveLength = 0;
    if (host.size() >= kDriveRootLength && IsDriveRoot(host.substr(0, kDriveRootLength))) {
        driveLength = kDriveRootLength;
    } else if (host.starts_with("\\\\") && !sNetworkPathsDisabled) {
        size_t third = host.find('\\', 2);
        if (third == std::string_view::npos || third == 2)
            return false;
        driveLength = third + 1;
    } else {
        return false;
    }
    std::string path = Replaced(std::string(host.substr(driveLength)), '\\', ':');
    if (!path.empty() && path.back() != ':')
        path += ':';
    out = NFDirSpec(NFDriveSpec(host.substr(0, driveLength)), std::move(path));
    return true;
}

bool NFDirSpec::FromHostPath(std::string_view hostDirectory, NFDirSpec& out)
{
    NFileSpec placeholder;
    std::string path(hostDirectory);
    path += '\\';
    path += NFileSpec::kPlaceholderName;
    if (!NFileSpec::FromHostPath(path, placeholder))
        return false;
    out = placeholder.Dir();
    return true;
}

bool NFDirSpec::Exists() const
{
    std::string host = HostPath();
    if (!IsDriveRoot(host) && host.size() > 1 && host.back() == '\\')
        host.pop_back();
    return NHostFileSystem::IsDirectory(host);
}

bool NFDirSpec::Create() const
{
    if (Exists())
        return true;
    NFDirSpec level(fDrive);
    size_t start = 0;
    while (start < fPath.size()) {
        size_t end = fPath.find(':', start);
        if (end == std::string::npos)
            end = fPath.size() - 1;
        level = level.SubDir(std::string_view(fPath).substr(start, end - start + 1));
        start = end + 1;
        std::string host = level.HostPath();
        if (host.back() == '\\')
            host.pop_back();
        if (!NHostFileSystem::CreateDirectory(host) && !NHostFileSystem::IsDirectory(host))
            return false;
    }
    return true;
}

// --- NFileSpec ---

NFileSpec::NFileSpec(const NFDirSpec& dir, std::string_view name, bool split)
    : fDir(dir)
{
    size_t colon = split ? name.rfind(':') : std::string_view::npos;
    if (colon != std::string_view::npos) {
        fDir = fDir.SubDir(name.substr(0, colon + 1));
        name = name.substr(colon + 1);
    }
    fName = Sanitised(name);
}

void NFileSpec::SetName(std::string_view name)
{
    fName = Sanitised(name);
}

std::string NFileSpec::Extension() const
{
    size_t dot = fName.rfind('.');
    return dot == std::string::npos ? std::string() : fName.substr(dot + 1);
}

std::string NFileSpec::BaseName() const
{
    size_t dot = fName.rfind('.');
    return dot == std::string::npos ? fName : fName.substr(0, dot);
}

std::string NFileSpec::HostPath() const
{
    return fDir.HostPath() + fName;
}

std::string NFileSpec::DisplayName() const
{
    return fDir.DisplayName() + fName;
}

bool NFileSpec::FromHostPath(std::string_view hostPath, NFileSpec& out)
{
    size_t slash = hostPath.rfind('\\');
    if (slash == std::string_view::npos)
        return false;
    std::string folder(hostPath.substr(0, slash));
    if (IsBareDrive(folder))
        folder += '\\';
    NFDirSpec dir;
    if (!NFDirSpec::ConvertHostDirectory(folder, dir))
        return false;
    out = NFileSpec(dir, hostPath.substr(slash + 1), false);
    return true;
}

int NFileSpec::Attributes() const
{
    NHostStat status;
    if (!NHostFileSystem::Stat(HostPath(), status))
        return 0;
    int attributes = kFileAttrExists;
    if (status.fIsDirectory)
        attributes |= kFileAttrDirectory;
    if (!status.fHidden)
        attributes |= kFileAttrVisible;
    return attributes;
}

bool NFileSpec::CanOpen(NStreamMode mode) const
{
    NHostStat status;
    bool exists = NHostFileSystem::Stat(HostPath(), status);
    if (exists && status.fIsDirectory)
        return false;
    switch (mode) {
    case NStreamMode::kRead: return exists && status.fReadable;
    case NStreamMode::kWrite: return !exists || status.fWritable;
    case NStreamMode::kUpdate: return !exists || (status.fReadable && status.fWritable);
    default: return false;
    }
}

NDateTime NFileSpec::ModTime() const
{
    NHostStat status;
    return DateTimeOf(NHostFileSystem::Stat(HostPath(), status) ? status.fModTime : 0);
}

NDateTime NFileSpec::ChangeTime() const
{
    NHostStat status;
    return DateTimeOf(NHostFileSystem::Stat(HostPath(), status) ? status.fChangeTime : 0);
}

bool NFileSpec::Delete() const
{
    std::string host = HostPath();
    NHostStat status;
    if (NHostFileSystem::Stat(host, status) && status.fReadOnly)
        NHostFileSystem::SetReadOnly(host, false);
    return NHostFileSystem::DeleteFile(host);
}

int NFileSpec::Rename(const NFileSpec& target) const
{
    if (!Exists() || target.Exists())
        return 1;
    return NHostFileSystem::Rename(HostPath(), target.HostPath()) ? 0 : 1;
}

void NFileSpec::MakeUnique()
{
    if (!Exists())
        return;
    bool link = EndsWithNoCase(fName, kLinkExtension);
    NFileSpec stem(fDir, std::string_view(fName).substr(0, fName.size() - (link ? sizeof kLinkExtension - 1 : 0)), false);
    std::string base = stem.BaseName();
    std::string extension = stem.Extension();
    // "base #n.ext", and ".lnk" again after it for a shortcut.
    for (int number = kFirstUniqueNumber; Exists(); ++number) {
        fName = base + " #" + std::to_string(number);
        if (!extension.empty())
            fName += "." + extension;
        if (link)
            fName += kLinkExtension;
    }
}

bool NFileSpec::DeleteWithSegments() const
{
    bool setDeleted = CanOpen(NStreamMode::kRead) && NStreamSegmented::DeleteSet(*this);
    return Delete() || setDeleted;
}

NStream NFileSpec::Open(NStreamMode mode, bool buffered, int64_t segmentLimit) const
{
    std::unique_ptr<NStreamImp> stream;
    if (mode == NStreamMode::kRead) {
        int64_t position = 0;
        int32_t size = 0;
        if (NBinder* binder = NBinderRegistry::The().Lookup(*this, position, size))
            stream = std::make_unique<NStreamBinder>(*binder, position, size, *this);
    }
    if (!stream) {
        if (!CanOpen(mode))
            throw NFileException(kFileCannotOpen, DisplayName());
        if (mode == NStreamMode::kWrite && segmentLimit > 1 && segmentLimit <= NSegmentHeader::kSize)
            throw NFileException(kFileCannotCreate, DisplayName());
        stream = std::make_unique<NStreamFile>(*this, mode);
    }
    if (buffered)
        stream = std::make_unique<NStreamBuffer>(std::move(stream));
    NStream holder(std::move(stream));
    if (segmentLimit != 0 && mode != NStreamMode::kWrite) {
        if (std::unique_ptr<NStreamSegmented> set = NStreamSegmented::Recognise(holder, *this, mode, buffered))
            return NStream(std::move(set));
    } else if (mode == NStreamMode::kWrite && segmentLimit > 1) {
        return NStream(std::make_unique<NStreamSegmented>(std::move(holder), *this, segmentLimit, buffered));
    }
    return holder;
}

void NFileSpec::CopyTo(const NFileSpec& target, void* buffer, int32_t size) const
{
    // The source is opened before the target goes, so a missing source costs nothing.
    NStream source = Open(NStreamMode::kRead, true);
    target.Delete();
    NStream copy = target.Open(NStreamMode::kWrite, true);
    try {
        NStream::Copy(source, copy, buffer, size);
        copy.Close();
    } catch (const NFileException&) {
        // A partial copy would pass for the whole file.
        copy.Reset();
        target.Delete();
        throw;
    }
}
