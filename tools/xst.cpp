// xst: compiles plain-text string tables into ".xst" files and dumps them back.
#include "tools/XstText.h"
#include "framework/NStringTable.h"
#include "platform/NHostDrives.h"
#include "storage/NFileException.h"
#include "storage/NFileReplacement.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamExpand.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: xst compile SOURCE.txt OUT.xst\n"
    "       xst dump FILE.xst\n"
    "A source line is: id <TAB> text, with \\n, \\t, \\r and \\\\ escapes; '#' starts a comment line.\n";

bool SpecOf(const char* linuxPath, NFileSpec& spec)
{
    return NFileSpec::FromHostPath(NHostDrives::The().ToHost(linuxPath), spec);
}

int Compile(const char* sourcePath, const char* outPath)
{
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "xst: cannot read %s\n", sourcePath);
        return kExitFailure;
    }
    std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<XstText::Entry> entries;
    std::string error;
    if (!XstText::Parse(source, entries, error)) {
        std::fprintf(stderr, "xst: %s: %s\n", sourcePath, error.c_str());
        return kExitFailure;
    }
    NFileSpec out;
    if (!SpecOf(outPath, out)) {
        std::fprintf(stderr, "xst: %s is no usable path\n", outPath);
        return kExitFailure;
    }
    try {
        NFileReplacement replacement(out);
        NStream file = replacement.Temporary().Open(kStreamWrite, true);
        file.WriteInt32(NStringTable::kMark);
        file.WriteInt32(NStringTable::kVersion);
        file.WriteInt32(static_cast<int32_t>(entries.size()));
        {
            NStream packed(std::make_unique<NStreamCompress>(file));
            for (const XstText::Entry& entry : entries) {
                packed.WriteInt32(entry.first);
                packed.WriteString(entry.second);
            }
            packed.Close();
        }
        file.Close();
        replacement.Commit();
    } catch (const NFileException& failure) {
        std::fprintf(stderr, "xst: cannot write %s: %s\n", outPath, failure.Reason().c_str());
        return kExitFailure;
    }
    return 0;
}

int Dump(const char* path)
{
    NFileSpec spec;
    if (!SpecOf(path, spec)) {
        std::fprintf(stderr, "xst: %s is no usable path\n", path);
        return kExitFailure;
    }
    std::vector<XstText::Entry> entries;
    try {
        NStream file = spec.Open(kStreamRead, true);
        file.ReadInt32();
        file.ReadInt32();
        int32_t count = file.ReadInt32();
        NStream expanded(std::make_unique<NStreamExpand>(file));
        for (int32_t i = 0; i < count; ++i) {
            int32_t id = expanded.ReadInt32();
            entries.emplace_back(id, expanded.ReadString());
        }
    } catch (const NFileException& failure) {
        if (!failure.IsEndOfData()) {
            std::fprintf(stderr, "xst: %s\n", failure.what());
            return kExitFailure;
        }
        std::fprintf(stderr, "xst: %s ends after %zu entries\n", path, entries.size());
    }
    std::string text = XstText::Format(entries);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        || (argc >= 3 && std::strcmp(argv[2], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "compile") == 0)
        return Compile(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0)
        return Dump(argv[2]);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
