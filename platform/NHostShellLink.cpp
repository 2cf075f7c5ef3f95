// Writer of the host's shell-link file format.
//
// All integers little-endian. Header (76 bytes):
//
//   offset  size  field
//   0       4     header size, 0x4C
//   4       16    class id 00021401-0000-0000-C000-000000000046
//   20      4     link flags: has link info 0x02, name 0x04, relative path 0x08,
//                 working folder 0x10, arguments 0x20, strings are UTF-16 0x80
//   24      4     target attributes: read-only 0x01, hidden 0x02, folder 0x10, archive 0x20
//   28      24    creation, access and write time of the target (100 ns since 1601, UTC)
//   52      4     target size (low 32 bits)
//   56      4     icon index, 0
//   60      4     show command, 1 (normal)
//   64      2     hot key, 0
//   66      10    reserved, 0
//
// Link info (header of 28 bytes, then its parts; offsets from the start of the link info):
//
//   0       4     link info size          16  4   local base path offset
//   4       4     header size, 0x1C       20  4   network link offset
//   8       4     flags: volume and local 24  4   common path suffix offset
//                 path 1, network link 2
//   12      4     volume id offset
//
//   volume id:     size, drive type, serial number, label offset (0x10), label + NUL
//   local path:    the target's absolute path, ANSI + NUL
//   network link:  size, flags 0, net name offset (0x14), device offset 0, provider 0,
//                  "\\SERVER\SHARE" + NUL
//   path suffix:   the rest of a network path after the share (empty for local paths) + NUL
//
// String data, each a 16-bit count of UTF-16 units and the units, no terminator, in this
// order when present: description, relative path, working folder, arguments.
// Extra data: only the terminal block, 4 zero bytes.
#include "platform/NHostShellLink.h"

#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"
#include "platform/NHostFile.h"
#include "platform/NHostFileSystem.h"

#include <cerrno>
#include <vector>

static constexpr uint32_t kHeaderSize = 0x4C;
static constexpr uint8_t kLinkClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                             0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
static constexpr uint32_t kHasLinkInfo = 0x02;
static constexpr uint32_t kHasName = 0x04;
static constexpr uint32_t kHasRelativePath = 0x08;
static constexpr uint32_t kHasWorkingDir = 0x10;
static constexpr uint32_t kHasArguments = 0x20;
static constexpr uint32_t kIsUnicode = 0x80;
static constexpr uint32_t kAttributeReadOnly = 0x01;
static constexpr uint32_t kAttributeHidden = 0x02;
static constexpr uint32_t kAttributeDirectory = 0x10;
static constexpr uint32_t kAttributeArchive = 0x20;
static constexpr uint32_t kShowNormal = 1;
static constexpr size_t kHeaderReservedBytes = 10;
static constexpr int kTimeStamps = 3;
static constexpr uint32_t kLinkInfoHeaderSize = 0x1C;
// The offset fields of the link info header, in order.
enum : size_t {
    kVolumeIdSlot,
    kLocalPathSlot,
    kNetworkLinkSlot,
    kPathSuffixSlot,
    kLinkInfoOffsets,
};
static constexpr uint32_t kVolumeIdAndLocalBasePath = 0x01;
static constexpr uint32_t kCommonNetworkRelativeLink = 0x02;
static constexpr uint32_t kVolumeIdHeaderSize = 0x10;
static constexpr uint32_t kNetworkLinkHeaderSize = 0x14;
static constexpr uint32_t kVolumeSerialNumber = 0;
static constexpr size_t kMaxStringUnits = 0xFFFF;
static constexpr int64_t kFileTimeEpochOffset = 11644473600;   // seconds from 1601 to 1970
static constexpr int64_t kFileTimeUnitsPerSecond = 10000000;
static constexpr unsigned kByteBits = 8;
static constexpr unsigned kByteMask = 0xFF;

namespace {
// Little-endian byte output.
class Writer {
public:
    void U16(uint32_t value) { Put(value, sizeof(uint16_t)); }
    void U32(uint32_t value) { Put(value, sizeof(uint32_t)); }
    void U64(uint64_t value) { Put(value, sizeof(uint64_t)); }
    void Bytes(const void* data, size_t size) { fBytes.append(static_cast<const char*>(data), size); }
    void Text(std::string_view text)
    {
        fBytes.append(text);
        fBytes += '\0';
    }
    void Zeros(size_t count) { fBytes.append(count, '\0'); }
    size_t Size() const { return fBytes.size(); }
    void PatchU32(size_t at, uint32_t value)
    {
        for (size_t byte = 0; byte < sizeof value; ++byte)
            fBytes[at + byte] = static_cast<char>((value >> (kByteBits * byte)) & kByteMask);
    }
    std::string& Result() { return fBytes; }

private:
    void Put(uint64_t value, size_t size)
    {
        for (size_t byte = 0; byte < size; ++byte)
            fBytes += static_cast<char>((value >> (kByteBits * byte)) & kByteMask);
    }

    std::string fBytes;
};
}   // namespace

static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static char FoldAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

static bool EqualFolded(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t at = 0; at < a.size(); ++at) {
        if (NHostCodePage::FoldUpper(a[at]) != NHostCodePage::FoldUpper(b[at]))
            return false;
    }
    return true;
}

namespace {
// An absolute host path taken apart: its root ("C:" or "\\SERVER\SHARE") and its names,
// with "." and ".." resolved.
struct HostPath {
    std::string fRoot;
    bool fNetwork = false;
    std::vector<std::string> fNames;

    bool Parse(std::string_view text)
    {
        size_t at = 0;
        if (text.size() >= 2 && text[1] == ':' && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
            if (text.size() > 2 && !IsSeparator(text[2]))
                return false;
            fRoot = std::string(1, FoldAscii(text[0])) + ":";
            at = 2;
        } else if (text.size() > 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
            size_t server = text.find_first_of("\\/", 2);
            if (server == std::string_view::npos || server == 2)
                return false;
            size_t share = text.find_first_of("\\/", server + 1);
            std::string_view shareName = text.substr(server + 1, share == std::string_view::npos ? share : share - server - 1);
            if (shareName.empty())
                return false;
            fRoot = "\\\\" + NHostCodePage::FoldUpper(text.substr(2, server - 2)) + "\\" + NHostCodePage::FoldUpper(shareName);
            fNetwork = true;
            at = share == std::string_view::npos ? text.size() : share;
        } else {
            return false;
        }
        while (at < text.size()) {
            size_t end = at;
            while (end < text.size() && !IsSeparator(text[end]))
                ++end;
            std::string_view name = text.substr(at, end - at);
            if (name == "..") {
                if (!fNames.empty())
                    fNames.pop_back();
            } else if (!name.empty() && name != ".") {
                fNames.emplace_back(name);
            }
            at = end + 1;
        }
        return true;
    }

    std::string Names(size_t from = 0) const
    {
        std::string joined;
        for (size_t at = from; at < fNames.size(); ++at)
            joined += (at > from ? "\\" : "") + fNames[at];
        return joined;
    }

    std::string Full() const { return fRoot + "\\" + Names(); }
};
}   // namespace

// The target as seen from the link's folder: ".\name" beside it, "..\..\x\name" elsewhere on
// the same root. Empty when the two lie on different roots.
static std::string RelativePath(const HostPath& link, const HostPath& target)
{
    if (!EqualFolded(link.fRoot, target.fRoot))
        return std::string();
    size_t linkFolderDepth = link.fNames.empty() ? 0 : link.fNames.size() - 1;
    size_t common = 0;
    while (common < linkFolderDepth && common < target.fNames.size() &&
           EqualFolded(link.fNames[common], target.fNames[common]))
        ++common;
    std::string relative;
    for (size_t up = common; up < linkFolderDepth; ++up)
        relative += "..\\";
    if (relative.empty())
        relative = ".\\";
    return relative + target.Names(common);
}

static uint64_t FileTime(int64_t unixSeconds)
{
    return static_cast<uint64_t>((unixSeconds + kFileTimeEpochOffset) * kFileTimeUnitsPerSecond);
}

static bool AppendString(Writer& out, std::string_view text)
{
    std::u16string units = NHostCodePage::AnsiToUtf16(text);
    if (units.size() > kMaxStringUnits)
        return false;
    out.U16(static_cast<uint32_t>(units.size()));
    for (char16_t unit : units)
        out.U16(unit);
    return true;
}

static void AppendLinkInfo(Writer& out, const HostPath& target)
{
    size_t start = out.Size();
    out.U32(0);   // size, patched below
    out.U32(kLinkInfoHeaderSize);
    out.U32(target.fNetwork ? kCommonNetworkRelativeLink : kVolumeIdAndLocalBasePath);
    size_t offsets = out.Size();
    out.Zeros(kLinkInfoOffsets * sizeof(uint32_t));   // volume id, local path, network link, suffix: patched below
    auto here = [&]() { return static_cast<uint32_t>(out.Size() - start); };
    auto pointHere = [&](size_t slot) { out.PatchU32(offsets + slot * sizeof(uint32_t), here()); };
    if (target.fNetwork) {
        pointHere(kNetworkLinkSlot);
        size_t link = out.Size();
        out.U32(0);                        // size, patched below
        out.U32(0);                        // flags: neither device nor provider type is valid
        out.U32(kNetworkLinkHeaderSize);   // the net name follows the header
        out.U32(0);                        // device name offset
        out.U32(0);                        // provider type
        out.Text(target.fRoot);
        out.PatchU32(link, static_cast<uint32_t>(out.Size() - link));
        pointHere(kPathSuffixSlot);
        out.Text(target.Names());
    } else {
        pointHere(kVolumeIdSlot);
        int driveType = NHostDrives::The().DriveType(target.fRoot + "\\");
        out.U32(kVolumeIdHeaderSize + 1);   // the header and an empty label
        out.U32(static_cast<uint32_t>(driveType == kDriveNoRootDir ? kDriveFixed : driveType));
        out.U32(kVolumeSerialNumber);
        out.U32(kVolumeIdHeaderSize);
        out.Text("");
        pointHere(kLocalPathSlot);
        out.Text(target.Full());
        pointHere(kPathSuffixSlot);
        out.Text("");
    }
    out.PatchU32(start, here());
}

bool NHostShellLink::Build(std::string_view linkHostPath, std::string& bytes) const
{
    bytes.clear();
    HostPath link;
    HostPath target;
    if (!link.Parse(linkHostPath) || link.fNames.empty() || !target.Parse(fTarget))
        return false;
    std::string relative = RelativePath(link, target);

    uint32_t attributes = 0;
    NHostStat status;
    bool exists = NHostFileSystem::Stat(target.Full(), status);
    if (exists) {
        attributes = status.fIsDirectory ? kAttributeDirectory : kAttributeArchive;
        attributes |= status.fReadOnly ? kAttributeReadOnly : 0;
        attributes |= status.fHidden ? kAttributeHidden : 0;
    }
    uint32_t flags = kHasLinkInfo | kIsUnicode;
    flags |= fDescription.empty() ? 0 : kHasName;
    flags |= relative.empty() ? 0 : kHasRelativePath;
    flags |= fWorkingDirectory.empty() ? 0 : kHasWorkingDir;
    flags |= fArguments.empty() ? 0 : kHasArguments;

    Writer out;
    out.U32(kHeaderSize);
    out.Bytes(kLinkClassId, sizeof kLinkClassId);
    out.U32(flags);
    out.U32(attributes);
    uint64_t time = exists ? FileTime(status.fModTime) : 0;
    for (int stamp = 0; stamp < kTimeStamps; ++stamp)   // creation, access, write
        out.U64(time);
    out.U32(exists ? static_cast<uint32_t>(status.fSize) : 0);
    out.U32(0);   // icon index
    out.U32(kShowNormal);
    out.U16(0);   // hot key
    out.Zeros(kHeaderReservedBytes);

    AppendLinkInfo(out, target);
    for (std::string_view text : {std::string_view(fDescription), std::string_view(relative),
                                  std::string_view(fWorkingDirectory), std::string_view(fArguments)}) {
        if (!text.empty() && !AppendString(out, text))
            return false;
    }
    out.U32(0);   // terminal block
    bytes = std::move(out.Result());
    return true;
}

int32_t NHostShellLink::Save(std::string_view linkHostPath) const
{
    std::string bytes;
    if (!Build(linkHostPath, bytes))
        return kLinkInvalidArgument;
    NHostFile file;
    std::string path(linkHostPath);
    if (!file.Open(path, kHostOpenAlways)) {
        switch (file.LastError()) {
        case ENOENT:
        case ENOTDIR: return kLinkPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return kLinkAccessDenied;
        default: return kLinkFailed;
        }
    }
    int64_t size = static_cast<int64_t>(bytes.size());
    if (!file.SetEnd(0) || file.Seek(0) != 0 || !file.Write(bytes.data(), size) || !file.SetEnd(size))
        return kLinkFailed;
    file.Close();
    return kLinkOk;
}
