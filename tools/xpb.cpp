// xpb: makes, lists, reads, extends, verifies and seals binder archives.
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NCaseFold.h"
#include "storage/NCrc32.h"
#include "storage/NFIterator.h"
#include "storage/NFileException.h"
#include "storage/NFileReplacement.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamBinder.h"
#include "storage/NStreamExpand.h"
#include "storage/NStreamSegmented.h"
#include "tools/ToolPaths.h"
#include "tools/XpbNames.h"
#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int32_t kBlockSize = 0x20000;
constexpr int kTagLength = 4;
// Archives are read under a root no real path has, so their elements never hide files.
constexpr char kMountRoot[] = "\\\\xpb-archive\\";

const char kUsage[] =
    "usage: xpb create OUT --app N --tag ABCD [--segment BYTES] [--seal] DIR\n"
    "       xpb list FILE [--index K]\n"
    "       xpb cat FILE ELEMENT [--index K]\n"
    "       xpb extract FILE DEST [--index K]\n"
    "       xpb add FILE SRC ELEMENT\n"
    "       xpb verify FILE [--index K]\n"
    "       xpb seal FILE\n"
    "       xpb compress [IN [OUT]]\n"
    "       xpb expand [IN [OUT]]\n"
    "Paths are Linux paths; ELEMENT is a \":\"-path inside the archive (assets:photo:0000.jpg).\n";

struct Failure {
    std::string fMessage;
};

[[noreturn]] void Fail(const std::string& message)
{
    throw Failure { message };
}

// A command line that cannot be right: reported with the usage, exit status 2.
struct UsageFailure {
    std::string fMessage;
};

[[noreturn]] void UsageFail(const std::string& message)
{
    throw UsageFailure { message };
}

// A stream over standard input or output.
class StdioStream : public NStreamImp {
public:
    StdioStream(FILE* file, NStreamMode mode) : fFile(file), fMode(mode) {}

    int32_t Read(int32_t length, void* buffer) override
    {
        size_t count = std::fread(buffer, 1, static_cast<size_t>(std::max(length, 0)), fFile);
        if (count == 0 && length > 0)
            throw NFileException(std::ferror(fFile) ? kFileHostFailure : kFileEndOfData, GetDisplayName());
        fPosition += static_cast<int64_t>(count);
        return static_cast<int32_t>(count);
    }
    int32_t Write(int32_t length, const void* buffer) override
    {
        if (length > 0 && std::fwrite(buffer, 1, static_cast<size_t>(length), fFile) != static_cast<size_t>(length))
            throw NFileException(kFileHostFailure, GetDisplayName());
        fPosition += std::max(length, 0);
        return length;
    }
    void Flush() override
    {
        if (std::fflush(fFile) != 0)
            throw NFileException(kFileHostFailure, GetDisplayName());
    }
    int64_t Seek(int64_t) override { throw NFileException(kFileHostFailure, GetDisplayName()); }
    int64_t SetLength(int64_t length) override { return length; }
    int64_t GetPosition() override { return fPosition; }
    int64_t GetLength() override { return fPosition; }
    std::string GetDisplayName() const override { return fMode == NStreamMode::kRead ? "standard input" : "standard output"; }
    std::string GetHostPath() const override { return GetDisplayName(); }
    bool IsReadMode() const override { return fMode == NStreamMode::kRead; }
    bool IsWriteMode() const override { return fMode == NStreamMode::kWrite; }
    bool IsUpdateMode() const override { return false; }
    void CheckOpen() const override {}

private:
    FILE* fFile;
    NStreamMode fMode;
    int64_t fPosition = 0;
};

// --- arguments ---

struct Arguments {
    std::vector<std::string> fPositional;
    std::vector<std::pair<std::string, std::string>> fOptions;
    bool fSeal = false;

    const std::string* Option(const std::string& name) const
    {
        for (const auto& [key, value] : fOptions) {
            if (key == name)
                return &value;
        }
        return nullptr;
    }
};

Arguments Parse(int argc, char** argv, std::initializer_list<const char*> valued)
{
    Arguments arguments;
    for (int i = 2; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--seal") {
            arguments.fSeal = true;
        } else if (word.starts_with("--")) {
            if (std::find_if(valued.begin(), valued.end(), [&](const char* v) { return word == v; }) == valued.end())
                UsageFail("unknown option " + word);
            if (i + 1 >= argc)
                UsageFail(word + " needs a value");
            arguments.fOptions.emplace_back(word, argv[++i]);
        } else {
            arguments.fPositional.push_back(word);
        }
    }
    return arguments;
}

long long Number(const std::string& text, const char* what)
{
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0')
        UsageFail(std::string(what) + " is not a number: " + text);
    return value;
}

int IndexOption(const Arguments& arguments)
{
    const std::string* index = arguments.Option("--index");
    long long value = index ? Number(*index, "--index") : 0;
    if (value < 0 || value > 1000000)
        UsageFail("--index out of range: " + *index);
    return static_cast<int>(value);
}

NFileSpec HostFile(const std::string& linuxPath)
{
    NFileSpec spec;
    std::string host;
    std::string problem;
    if (!ToolHostPath(linuxPath, host, problem))
        Fail(problem);
    if (!NFileSpec::FromHostPath(host, spec))
        Fail(linuxPath + ": not a path the drive table can reach");
    return spec;
}

NFDirSpec HostDir(const std::string& linuxPath)
{
    NFDirSpec dir;
    std::string host;
    std::string problem;
    if (!ToolHostPath(linuxPath, host, problem))
        Fail(problem);
    if (!NFDirSpec::FromHostPath(host, dir))
        Fail(linuxPath + ": not a path the drive table can reach");
    return dir;
}

// Element names are Windows-1252 inside, UTF-8 on the command line and the terminal.
std::string Shown(const std::string& name)
{
    return NHostCodePage::AnsiToUtf8(name);
}

std::string ElementArgument(const std::string& text)
{
    std::string name;
    std::string bad;
    if (!NHostCodePage::Utf8ToAnsi(text, name, &bad))
        Fail(text + ": no element can be named with \"" + bad + "\", a character outside Windows-1252");
    return name;
}

// The host's reason for the last failed file operation.
std::string HostReason(int error)
{
    return error != 0 ? std::strerror(error) : "writing failed";
}

NFDirSpec Mount()
{
    return NFDirSpec(NFDriveSpec(kMountRoot));
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

void OpenForReading(NBinder& binder, const std::string& path, int index)
{
    NFileSpec file = HostFile(path);
    if (!file.Exists())
        Fail(path + ": no such file");
    if (binder.Open(file, Mount(), NBinderMode::kRead, index) < 0)
        Fail(path + ": not a binder archive" + (index ? " (or no binder of index " + std::to_string(index) + ")" : ""));
}

// --- commands ---

void AddTree(NBinder& binder, const NFDirSpec& source, const NFDirSpec& target, int64_t& count)
{
    struct Entry {
        std::string fName;
        bool fFolder;
    };
    std::vector<Entry> entries;
    for (NFileIterator files({ source }); !files.Done(); files.Next())
        entries.push_back({ files.Value().Name(), false });
    for (NFDirIterator dirs({ source }); !dirs.Done(); dirs.Next()) {
        const std::string& path = dirs.Value().Path();
        std::string name = path.substr(source.Path().size(), path.size() - source.Path().size() - 1);
        entries.push_back({ name, true });
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.fName < b.fName; });
    for (const Entry& entry : entries) {
        if (entry.fFolder) {
            AddTree(binder, source.SubDir(entry.fName + ":"), target.SubDir(entry.fName + ":"), count);
            continue;
        }
        NFileSpec file(source, entry.fName, false);
        int64_t size = file.Open(NStreamMode::kRead).GetLength();
        binder.Add(NFileSpec(target, entry.fName, false), file, size);
        ++count;
    }
}

// Whether the Linux path `path` is `folder` or lies below it (both need not exist yet).
bool Inside(const std::string& path, const std::string& folder)
{
    std::error_code ignored;
    std::filesystem::path full = std::filesystem::weakly_canonical(path, ignored);
    std::filesystem::path base = std::filesystem::weakly_canonical(folder, ignored);
    if (!base.has_filename())
        base = base.parent_path();
    std::filesystem::path relative = full.lexically_relative(base);
    return !relative.empty() && *relative.begin() != "..";
}

void Pack(const NFileSpec& file, const NFDirSpec& source, int32_t application, int64_t segmentSize, int32_t tag,
          bool seal, const std::string& out)
{
    NBinder binder;
    if (!binder.Create(file, Mount(), application, segmentSize, tag))
        Fail("cannot create " + out);
    int64_t count = 0;
    AddTree(binder, source, Mount(), count);
    std::fputs(ToolSkippedNames("xpb").c_str(), stderr);
    if (!binder.Close())
        Fail("cannot write " + out + ": " + HostReason(binder.LastHostError()));
    if (seal)
        NBinder::Seal(file, 0, binder.MadeChecksum());
}

int Create(const Arguments& arguments)
{
    if (arguments.fPositional.size() != 2)
        UsageFail("create needs OUT and DIR");
    const std::string* app = arguments.Option("--app");
    const std::string* tag = arguments.Option("--tag");
    if (!app || !tag)
        UsageFail("create needs --app N and --tag ABCD");
    if (tag->size() != kTagLength)
        UsageFail("--tag must be four characters: " + *tag);
    long long application = Number(*app, "--app");
    const std::string* segment = arguments.Option("--segment");
    long long segmentSize = segment ? Number(*segment, "--segment") : 0;
    if (segment && segmentSize <= NSegmentHeader::kSize)
        UsageFail("--segment must be larger than the 128-byte segment header");
    int32_t tagValue = static_cast<int32_t>((uint32_t(uint8_t((*tag)[0])) << 24) | (uint32_t(uint8_t((*tag)[1])) << 16)
                                            | (uint32_t(uint8_t((*tag)[2])) << 8) | uint8_t((*tag)[3]));
    const std::string& out = arguments.fPositional[0];
    NFDirSpec source = HostDir(arguments.fPositional[1]);
    if (!source.Exists())
        Fail(arguments.fPositional[1] + ": no such folder");
    if (Inside(out, arguments.fPositional[1]))
        Fail(out + ": the archive would lie inside the folder it packs; write it elsewhere");
    NFileSpec file = HostFile(out);
    if (segment) {
        // A segmented set is named after its file, so it is written in place: an earlier
        // set goes first, and a failure removes what was written.
        if (file.Exists() && !file.DeleteWithSegments())
            Fail(out + ": cannot replace the existing file");
        try {
            Pack(file, source, static_cast<int32_t>(application), segmentSize, tagValue, arguments.fSeal, out);
        } catch (...) {
            file.DeleteWithSegments();
            throw;
        }
        return 0;
    }
    try {
        NFileReplacement replacement(file);
        Pack(replacement.Temporary(), source, static_cast<int32_t>(application), 0, tagValue, arguments.fSeal, out);
        replacement.Commit();
    } catch (const NFileException& error) {
        Fail("cannot write " + out + ": " + error.Reason());
    }
    return 0;
}

void ListFolder(const NBinderFolder& folder, const std::string& path)
{
    for (const NVectorPtr<NBinderElement>& element : folder.fElements) {
        if (element->IsFile()) {
            std::printf("F\t%d\t%d\t%s%s\n", element->fSize, element->fOffset, Shown(path).c_str(),
                        Shown(element->fName).c_str());
        } else {
            std::string inner = path + element->fName + ":";
            std::printf("D\t%s\n", Shown(inner).c_str());
            if (element->fFolder)
                ListFolder(*element->fFolder, inner);
        }
    }
}

int List(const Arguments& arguments)
{
    if (arguments.fPositional.size() != 1)
        UsageFail("list needs FILE");
    NBinder binder;
    OpenForReading(binder, arguments.fPositional[0], IndexOption(arguments));
    const NBinderPlace& place = binder.Place();
    const NBinderHeader& header = place.fHeader;
    char tag[kTagLength + 1] = { char(header.fTag >> 24), char(header.fTag >> 16), char(header.fTag >> 8), char(header.fTag), 0 };
    std::printf("binder version=%d app=%d tag=%s start=%lld directory=%lld checksum=%s\n", header.fVersion,
                header.fApplication, tag, static_cast<long long>(place.fStart),
                static_cast<long long>(place.fDirectory), Hex(static_cast<uint32_t>(header.fChecksum)).c_str());
    ListFolder(*binder.Root(), "");
    return 0;
}

NFileSpec ElementSpec(const std::string& element)
{
    return NFileSpec(Mount(), ElementArgument(element));
}

// Copies an element to out, checking that all of its bytes are there.
void CopyElement(NStream& in, NStream& out, int64_t size, const std::string& archive, const std::string& element)
{
    std::vector<uint8_t> block(kBlockSize);
    int64_t done = 0;
    try {
        while (done < size) {
            int32_t count = in.Read(static_cast<int32_t>(std::min<int64_t>(kBlockSize, size - done)), block.data());
            if (count <= 0)
                break;
            out.WriteFully(count, block.data());
            done += count;
        }
    } catch (const NFileException& error) {
        if (!error.IsEndOfData())
            throw;
    }
    if (done < size)
        Fail(archive + ": " + element + " is damaged: only " + std::to_string(done) + " of its " + std::to_string(size)
             + " bytes are there");
}

int Cat(const Arguments& arguments)
{
    if (arguments.fPositional.size() != 2)
        UsageFail("cat needs FILE and ELEMENT");
    NBinder binder;
    OpenForReading(binder, arguments.fPositional[0], IndexOption(arguments));
    NBinderRegistry::The().Register(&binder);
    int64_t position = 0;
    int32_t size = 0;
    NFileSpec element = ElementSpec(arguments.fPositional[1]);
    if (!binder.Lookup(element, position, size))
        Fail(arguments.fPositional[0] + ": no element " + arguments.fPositional[1]);
    NStream in = element.Open(NStreamMode::kRead, true);
    NStream out(std::make_unique<StdioStream>(stdout, NStreamMode::kWrite));
    CopyElement(in, out, size, arguments.fPositional[0], arguments.fPositional[1]);
    out.Flush();
    return 0;
}

// One file element on its way out: where it lies in the archive and where it goes.
struct Outgoing {
    int64_t fStart = 0;
    int64_t fSize = 0;
    NFileSpec fTarget;
    std::string fName;     // its ":"-path in the archive, for messages
    NStream fOut;
    int64_t fWritten = 0;
};

void PlanFolder(const NBinder& binder, const NBinderFolder& folder, const NFDirSpec& target, const std::string& path,
                std::vector<Outgoing>& plan)
{
    if (!target.Create())
        Fail("cannot create the folder " + target.HostPath());
    for (const NVectorPtr<NBinderElement>& element : folder.fElements) {
        std::string safe = SafeHostName(element->fName);
        if (element->IsFile()) {
            Outgoing out;
            out.fStart = binder.Place().fStart + element->fOffset;
            out.fSize = element->fSize;
            out.fTarget = NFileSpec(target, safe, false);
            out.fName = path + element->fName;
            plan.push_back(std::move(out));
        } else if (element->fFolder) {
            PlanFolder(binder, *element->fFolder, target.SubDir(safe + ":"), path + element->fName + ":", plan);
        }
    }
}

// Extracts every element in one pass over the archive, in the order the bytes lie, and sums
// the sealed range on the way: a cut-off element or a wrong checksum fails the command.
int Extract(const Arguments& arguments)
{
    if (arguments.fPositional.size() != 2)
        UsageFail("extract needs FILE and DEST");
    const std::string& path = arguments.fPositional[0];
    NBinder binder;
    OpenForReading(binder, path, IndexOption(arguments));
    std::vector<Outgoing> plan;
    PlanFolder(binder, *binder.Root(), HostDir(arguments.fPositional[1]), "", plan);
    std::stable_sort(plan.begin(), plan.end(), [](const Outgoing& a, const Outgoing& b) { return a.fStart < b.fStart; });

    const NBinderPlace& place = binder.Place();
    int64_t covered = place.fStart + place.fHeader.fSize;
    int64_t position = plan.empty() ? covered : std::min(covered, plan.front().fStart);
    NStream& file = binder.FileStream();
    NCrc32 crc;
    std::vector<uint8_t> block(kBlockSize);
    size_t next = 0;                 // the first element not yet begun
    std::vector<Outgoing*> active;   // begun, not yet complete
    bool cut = false;
    file.Seek(position);
    while (position < place.fEnd && !cut) {
        for (; next < plan.size() && plan[next].fStart <= position; ++next) {
            plan[next].fTarget.Delete();
            plan[next].fOut = plan[next].fTarget.Open(NStreamMode::kWrite, true);
            active.push_back(&plan[next]);
        }
        int64_t stop = place.fEnd;
        if (next < plan.size())
            stop = std::min(stop, plan[next].fStart);
        int32_t wanted = static_cast<int32_t>(std::min<int64_t>(kBlockSize, stop - position));
        int32_t count = 0;
        try {
            count = file.Read(wanted, block.data());
        } catch (const NFileException& error) {
            if (!error.IsEndOfData())
                throw;
        }
        if (count <= 0) {
            cut = true;
            break;
        }
        int64_t from = std::max(position, covered);
        if (position + count > from)
            crc.Update(block.data() + (from - position), static_cast<size_t>(position + count - from));
        for (Outgoing* out : active) {
            int64_t begin = std::max(position, out->fStart + out->fWritten);
            int64_t end = std::min(position + count, out->fStart + out->fSize);
            if (end > begin) {
                out->fOut.WriteFully(static_cast<int32_t>(end - begin), block.data() + (begin - position));
                out->fWritten += end - begin;
            }
        }
        std::erase_if(active, [](Outgoing* out) {
            if (out->fWritten < out->fSize)
                return false;
            out->fOut.Close();
            return true;
        });
        position += count;
    }
    // Elements the pass never reached (beyond a cut) are begun so that they are reported.
    for (; next < plan.size(); ++next)
        active.push_back(&plan[next]);
    for (Outgoing* out : active) {
        if (out->fWritten < out->fSize) {
            out->fOut.Reset();
            Fail(path + ": " + Shown(out->fName) + " is damaged: only " + std::to_string(out->fWritten) + " of its "
                 + std::to_string(out->fSize) + " bytes are there");
        }
        out->fOut.Close();
    }
    if (cut)
        Fail(path + ": damaged: the archive ends " + std::to_string(place.fEnd - position) + " bytes early");
    auto stored = static_cast<uint32_t>(place.fHeader.fChecksum);
    if (stored != 0 && crc.Value() != stored)
        Fail(path + ": damaged: the checksum is " + Hex(crc.Value()) + ", the archive was sealed with " + Hex(stored));
    return 0;
}

int Add(const Arguments& arguments)
{
    if (arguments.fPositional.size() != 3)
        UsageFail("add needs FILE, SRC and ELEMENT");
    const std::string& path = arguments.fPositional[0];
    NFileSpec source = HostFile(arguments.fPositional[1]);
    if (!source.CanOpen(NStreamMode::kRead))
        Fail(arguments.fPositional[1] + ": cannot read");
    NBinder binder;
    if (binder.Open(HostFile(path), Mount(), NBinderMode::kUpdate) < 0)
        Fail(path + ": not a binder archive that can be updated");
    NFileSpec element = ElementSpec(arguments.fPositional[2]);
    int64_t position = 0;
    int32_t size = 0;
    if (binder.Lookup(element, position, size))
        Fail(path + ": already holds " + arguments.fPositional[2]);
    try {
        binder.Add(element, source, source.Open(NStreamMode::kRead).GetLength());
    } catch (const NFileException& error) {
        // Closing puts the archive back as it was before the add.
        static_cast<void>(binder.Close());
        Fail("cannot add " + arguments.fPositional[1] + " to " + path + ": " + error.Reason());
    }
    if (!binder.Close())
        Fail("cannot write " + path + ": " + HostReason(binder.LastHostError()) + "; the archive is as it was before");
    return 0;
}

int Verify(const Arguments& arguments)
{
    if (arguments.fPositional.size() != 1)
        UsageFail("verify needs FILE");
    const std::string& path = arguments.fPositional[0];
    NFileSpec file = HostFile(path);
    if (!file.Exists())
        Fail(path + ": no such file");
    if (!NBinder::Recover(file))
        Fail(path + ": an interrupted update could not be undone, or another program is changing it");
    NStream stream = file.Open(NStreamMode::kRead, false, 1);
    NBinderPlace place = NBinder::Locate(stream, IndexOption(arguments));
    if (!place.fValid)
        Fail(path + ": not a binder archive");
    uint32_t computed = NBinder::ComputeChecksum(stream, place);
    auto stored = static_cast<uint32_t>(place.fHeader.fChecksum);
    if (stored == 0) {
        std::printf("unsealed %s\n", Hex(computed).c_str());
        return 0;
    }
    if (stored == computed) {
        std::printf("sealed ok %s\n", Hex(computed).c_str());
        return 0;
    }
    std::printf("MISMATCH stored=%s computed=%s\n", Hex(stored).c_str(), Hex(computed).c_str());
    return kExitFailure;
}

int Seal(const Arguments& arguments)
{
    if (arguments.fPositional.size() != 1)
        UsageFail("seal needs FILE");
    NFileSpec file = HostFile(arguments.fPositional[0]);
    if (!file.Exists())
        Fail(arguments.fPositional[0] + ": no such file");
    NBinder::Seal(file);
    return 0;
}

std::string InputName(const Arguments& arguments)
{
    return arguments.fPositional.empty() || arguments.fPositional[0] == "-" ? "standard input" : arguments.fPositional[0];
}

int Filter(const Arguments& arguments, bool compress)
{
    if (arguments.fPositional.size() > 2)
        UsageFail(std::string(compress ? "compress" : "expand") + " takes at most IN and OUT");
    NStream in = arguments.fPositional.empty() || arguments.fPositional[0] == "-"
        ? NStream(std::make_unique<StdioStream>(stdin, NStreamMode::kRead))
        : HostFile(arguments.fPositional[0]).Open(NStreamMode::kRead, true);
    NStream out;
    std::unique_ptr<NFileReplacement> replacement;
    if (arguments.fPositional.size() < 2 || arguments.fPositional[1] == "-") {
        out = NStream(std::make_unique<StdioStream>(stdout, NStreamMode::kWrite));
    } else {
        if (!arguments.fPositional.empty() && arguments.fPositional[0] != "-"
            && Inside(arguments.fPositional[1], arguments.fPositional[0]))
            Fail(arguments.fPositional[1] + ": the output is the input; write it elsewhere");
        replacement = std::make_unique<NFileReplacement>(HostFile(arguments.fPositional[1]));
        out = replacement->Temporary().Open(NStreamMode::kWrite, true);
    }
    if (compress) {
        NStream filter(std::make_unique<NStreamCompress>(out));
        NStream::Copy(in, filter);
        filter.Close();
    } else {
        auto expand = std::make_unique<NStreamExpand>(in);
        NStreamExpand& expander = *expand;
        NStream filter(std::move(expand));
        NStream::Copy(filter, out);
        if (!expander.ReachedEnd())
            Fail(InputName(arguments) + ": not compressed data, or cut off: no end marker");
        filter.Close();
        char extra = 0;
        bool more = false;
        try {
            more = in.Read(1, &extra) > 0;
        } catch (const NFileException& error) {
            if (!error.IsEndOfData())
                throw;
        }
        if (more)
            Fail(InputName(arguments) + ": damaged: data follows the end marker");
    }
    out.Close();
    if (replacement)
        replacement->Commit();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? kExitUsage : 0;
    }
    std::string command = argv[1];
    if (argc >= 3 && std::strcmp(argv[2], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        if (command == "create")
            return Create(Parse(argc, argv, { "--app", "--tag", "--segment" }));
        if (command == "list")
            return List(Parse(argc, argv, { "--index" }));
        if (command == "cat")
            return Cat(Parse(argc, argv, { "--index" }));
        if (command == "extract")
            return Extract(Parse(argc, argv, { "--index" }));
        if (command == "add")
            return Add(Parse(argc, argv, {}));
        if (command == "verify")
            return Verify(Parse(argc, argv, { "--index" }));
        if (command == "seal")
            return Seal(Parse(argc, argv, {}));
        if (command == "compress" || command == "expand")
            return Filter(Parse(argc, argv, {}), command == "compress");
        std::fprintf(stderr, "xpb: unknown command %s\n%s", command.c_str(), kUsage);
        return kExitUsage;
    } catch (const UsageFailure& failure) {
        std::fprintf(stderr, "xpb: %s\n%s", failure.fMessage.c_str(), kUsage);
        return kExitUsage;
    } catch (const Failure& failure) {
        std::fprintf(stderr, "xpb: %s\n", failure.fMessage.c_str());
    } catch (const NFileException& error) {
        std::fprintf(stderr, "xpb: %s\n", ToolFileError(error).c_str());
    }
    return kExitFailure;
}
