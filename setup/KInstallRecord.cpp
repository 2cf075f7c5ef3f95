// Reading, writing and merging the install record.
#include "setup/KInstallRecord.h"

#include "platform/NHostDrives.h"
#include "platform/NHostFileSystem.h"
#include "platform/NHostRegistry.h"
#include "storage/NCaseFold.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr char kNoPrevious[] = "-";

struct KindName {
    KRecordEntry::Kind fKind;
    const char* fName;
};

constexpr KindName kKindNames[] = {
    {KRecordEntry::Kind::kFile, "file"},     {KRecordEntry::Kind::kFolder, "folder"},
    {KRecordEntry::Kind::kLink, "link"},     {KRecordEntry::Kind::kKey, "key"},
    {KRecordEntry::Kind::kValue, "value"},   {KRecordEntry::Kind::kDesktop, "desktop"},
};

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '%': out += "%25"; break;
        case '\t': out += "%09"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        default: out += c;
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Unescaped(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += char(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    char pair[3];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", c);
        out += pair;
    }
    return out;
}

bool FromHex(const std::string& text, std::string& bytes)
{
    if (text.size() % 2 != 0)
        return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]);
        int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += char(high * 16 + low);
    }
    return true;
}

std::string RawText(const KRawValue& value)
{
    return std::to_string(value.fType) + "\t" + Hex(value.fData);
}

// A decimal 32-bit number; false for anything else (a damaged record is no reason to stop).
bool ParseNumber(const std::string& text, uint32_t& number)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    uint64_t value = std::stoull(text);
    if (value > UINT32_MAX)
        return false;
    number = uint32_t(value);
    return true;
}

bool ParseRaw(const std::string& type, const std::string& hex, KRawValue& value)
{
    return ParseNumber(type, value.fType) && FromHex(hex, value.fData);
}

std::string LinuxPath(const NFileSpec& spec)
{
    std::string path;
    NHostDrives::The().ToLinux(spec.HostPath(), path);
    return path;
}

} // namespace

bool ReadRawValue(uint32_t root, const std::string& key, const std::string& name, KRawValue& value)
{
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey handle;
    if (registry.OpenKey(NHostRegistry::Root(root), key, handle) != kRegSuccess)
        return false;
    uint32_t size = 0;
    bool ok = registry.QueryValue(handle, name, &value.fType, nullptr, &size) == kRegSuccess;
    if (ok) {
        value.fData.assign(size, '\0');
        ok = registry.QueryValue(handle, name, &value.fType, value.fData.data(), &size) == kRegSuccess;
        value.fData.resize(size);
    }
    registry.CloseKey(handle);
    return ok;
}

bool WriteRawValue(uint32_t root, const std::string& key, const std::string& name, const KRawValue& value)
{
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey handle;
    if (registry.CreateKey(NHostRegistry::Root(root), key, handle) != kRegSuccess)
        return false;
    bool ok = registry.SetValue(handle, name, value.fType, value.fData.data(), uint32_t(value.fData.size()))
        == kRegSuccess;
    registry.CloseKey(handle);
    return ok;
}

KRawValue StringValue(const std::string& text)
{
    return KRawValue {kRegSz, text + std::string(1, '\0')};
}

bool KRecordEntry::SameTarget(const KRecordEntry& other) const
{
    return fKind == other.fKind && fRoot == other.fRoot && EqualNoCase1252(fPath, other.fPath)
        && EqualNoCase1252(fName, other.fName);
}

void KInstallRecord::Add(KRecordEntry entry)
{
    for (KRecordEntry& existing : fEntries) {
        if (existing.SameTarget(entry)) {
            // The first "before" is the user's; a later write only changes what is ours now.
            existing.fWritten = entry.fWritten;
            return;
        }
    }
    fEntries.push_back(std::move(entry));
}

void KInstallRecord::MergeEarlier(const KInstallRecord& earlier)
{
    std::vector<KRecordEntry> merged = earlier.fEntries;
    for (const KRecordEntry& entry : fEntries) {
        bool found = false;
        for (KRecordEntry& old : merged) {
            if (old.SameTarget(entry)) {
                old.fWritten = entry.fWritten;
                found = true;
                break;
            }
        }
        if (!found)
            merged.push_back(entry);
    }
    fEntries = std::move(merged);
}

std::string KInstallRecord::Text() const
{
    std::string text;
    for (const KRecordEntry& entry : fEntries) {
        for (const KindName& kind : kKindNames)
            if (kind.fKind == entry.fKind)
                text += kind.fName;
        switch (entry.fKind) {
        case KRecordEntry::Kind::kKey:
            text += "\t" + std::to_string(entry.fRoot) + "\t" + Escaped(entry.fPath);
            break;
        case KRecordEntry::Kind::kValue:
            text += "\t" + std::to_string(entry.fRoot) + "\t" + Escaped(entry.fPath) + "\t" + Escaped(entry.fName)
                + "\t" + RawText(entry.fWritten) + "\t" + (entry.fHadPrevious ? RawText(entry.fPrevious) : kNoPrevious);
            break;
        default:
            text += "\t" + Escaped(entry.fPath);
        }
        text += "\n";
    }
    return text;
}

KInstallRecord KInstallRecord::FromText(const std::string& text)
{
    KInstallRecord record;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');)
            fields.push_back(field);
        if (!line.empty() && line.back() == '\t')
            fields.emplace_back();   // getline drops a last empty field
        if (fields.empty())
            continue;
        KRecordEntry entry;
        bool known = false;
        for (const KindName& kind : kKindNames)
            if (fields[0] == kind.fName) {
                entry.fKind = kind.fKind;
                known = true;
            }
        if (!known)
            continue;
        switch (entry.fKind) {
        case KRecordEntry::Kind::kKey:
            if (fields.size() != 3 || !ParseNumber(fields[1], entry.fRoot))
                continue;
            entry.fPath = Unescaped(fields[2]);
            break;
        case KRecordEntry::Kind::kValue:
            if ((fields.size() != 7 && fields.size() != 8) || !ParseNumber(fields[1], entry.fRoot)
                || !ParseRaw(fields[4], fields[5], entry.fWritten))
                continue;
            entry.fPath = Unescaped(fields[2]);
            entry.fName = Unescaped(fields[3]);
            if (fields.size() == 8) {
                if (!ParseRaw(fields[6], fields[7], entry.fPrevious))
                    continue;
                entry.fHadPrevious = true;
            } else if (fields[6] != kNoPrevious) {
                continue;
            }
            break;
        default:
            if (fields.size() != 2)
                continue;
            entry.fPath = Unescaped(fields[1]);
        }
        record.fEntries.push_back(std::move(entry));
    }
    return record;
}

bool KInstallRecord::Load(const NFileSpec& spec)
{
    std::ifstream in(LinuxPath(spec), std::ios::binary);
    if (!in)
        return false;
    *this = FromText(std::string(std::istreambuf_iterator<char>(in), {}));
    return true;
}

bool KInstallRecord::Save(const NFileSpec& spec) const
{
    std::string path = LinuxPath(spec);
    if (path.empty())
        return false;
    std::string scratch = path + ".qipnew";
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        std::string text = Text();
        out.write(text.data(), std::streamsize(text.size()));
        if (!out.flush())
            return false;
    }
    return NHostFileSystem::Replace(NHostDrives::The().ToHost(scratch), spec.HostPath());
}
