// Reading component containers and installing their files.
#include "setup/KComponent.h"

#include "platform/NHostDrives.h"
#include "platform/NHostFileSystem.h"
#include "setup/KInstallFailed.h"
#include "storage/NFileException.h"
#include "storage/NStreamExpand.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr char kScratchSuffix[] = ".qipnew";
constexpr size_t kVersionParts = 4;

// Renames a complete file over its target in one step, so the target is at every moment
// either the old file or the new one. The platform's rename refuses an existing target (as
// the host's does), so the replacing rename of the standard library does it here.
bool ReplaceFile(const std::string& fromHostPath, const std::string& toHostPath)
{
    std::string from;
    std::string to;
    if (!NHostDrives::The().ToLinux(fromHostPath, from) || !NHostDrives::The().ToLinux(toHostPath, to))
        return false;
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

// A program or library for this host (an ELF file, or a script) needs the execute
// permission the host's own file system never had, or the installed player cannot start.
// Given wherever the file may be read.
bool MarkExecutableWhenProgram(const std::string& hostPath)
{
    std::string path;
    if (!NHostDrives::The().ToLinux(hostPath, path))
        return false;
    char head[4] = {};
    {
        std::ifstream in(path, std::ios::binary);
        in.read(head, sizeof head);
        if (in.gcount() < 2)
            return true;
    }
    bool elf = head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F';
    bool script = head[0] == '#' && head[1] == '!';
    if (!elf && !script)
        return true;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::perms mode = fs::status(path, error).permissions();
    if (error)
        return false;
    fs::perms add = fs::perms::owner_exec;
    if ((mode & fs::perms::group_read) != fs::perms::none)
        add |= fs::perms::group_exec;
    if ((mode & fs::perms::others_read) != fs::perms::none)
        add |= fs::perms::others_exec;
    fs::permissions(path, add, fs::perm_options::add, error);
    return !error;
}

} // namespace

void KComponentHeader::Read(NStream& stream)
{
    fMagic = stream.ReadInt32();
    fVersion = stream.ReadInt32();
    fCompressed = stream.ReadInt32();
    fTime = stream.ReadInt32();
    for (uint16_t& part : fFileVersion)
        part = static_cast<uint16_t>(stream.ReadInt16());
}

void KComponentHeader::Write(NStream& stream) const
{
    stream.WriteInt32(fMagic);
    stream.WriteInt32(fVersion);
    stream.WriteInt32(fCompressed);
    stream.WriteInt32(fTime);
    for (uint16_t part : fFileVersion)
        stream.WriteInt16(static_cast<int16_t>(part));
}

bool ComponentIsNotOlder(const NHostVersion& offered, const NHostVersion& installed)
{
    const NHostVersion none {};
    if (offered == none && installed == none)
        return false;
    for (size_t i = 0; i < kVersionParts; ++i) {
        auto mine = static_cast<int16_t>(offered[i]);
        auto theirs = static_cast<int16_t>(installed[i]);
        if (mine < theirs)
            return false;
        if (mine > theirs)
            return true;
    }
    return true;
}

std::string ComponentScratchName(const std::string& targetName)
{
    return targetName + kScratchSuffix;
}

bool InstallComponent(const NFileSpec& source, const NFileSpec& target, bool force)
{
    NStream in = source.Open(NStreamMode::kRead, true);
    KComponentHeader header;
    header.Read(in);
    if (header.fMagic != KComponentHeader::kMagic || header.fVersion != KComponentHeader::kVersion)
        throw NInstallFailed(kInstallBadContainer);

    if (!force && target.Exists()
        && !ComponentIsNotOlder(header.fFileVersion, NHostFileVersion::Read(target.HostPath())))
        return false;

    NFileSpec scratch(target.Dir(), ComponentScratchName(target.Name()), false);
    try {
        target.Dir().Create();
        scratch.Delete();   // left over from an interrupted install
        {
            NStream out = scratch.Open(NStreamMode::kWrite, true);
            if (header.fCompressed != 0) {
                NStream expanded(std::make_unique<NStreamExpand>(in));
                NStream::Copy(expanded, out);
            } else {
                NStream::Copy(in, out);
            }
            out.Close();
        }
        if (!MarkExecutableWhenProgram(scratch.HostPath())
            || !NHostFileSystem::SetModTime(scratch.HostPath(), uint32_t(header.fTime))
            || !ReplaceFile(scratch.HostPath(), target.HostPath()))
            throw NFileException(kFileHostFailure, target.DisplayName());
    } catch (const NFileException&) {
        scratch.Delete();
        throw NInstallFailed(kInstallNotWritten);
    }
    return true;
}
