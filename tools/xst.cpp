// xst: compiles plain-text string tables into ".xst" files and dumps them back.
#include "tools/XstText.h"
#include "framework/NStringTable.h"
#include "platform/NHostDrives.h"
#include "storage/NFileException.h"
#include "storage/NFileReplacement.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamExpand.h"
#include "tools/ToolPaths.h"

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
    std::string host;
    std::string problem;
    if (!ToolHostPath(linuxPath, host, problem)) {
        std::fprintf(stderr, "xst: %s\n", problem.c_str());
        return false;
    }
    return NFileSpec::FromHostPath(host, spec);
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
        NStream file = replacement.Temporary().Open(NStreamMode::kWrite, true);
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
        NStream file = spec.Open(NStreamMode::kRead, true);
        int32_t mark = file.ReadInt32();
        int32_t version = file.ReadInt32();
        int32_t count = file.ReadInt32();
        if (mark != NStringTable::kMark || version != NStringTable::kVersion || count < 0) {
            std::fprintf(stderr, "xst: %s: not a string table\n", path);
            return kExitFailure;
        }
        auto expand = std::make_unique<NStreamExpand>(file);
        NStreamExpand& expander = *expand;
        NStream expanded(std::move(expand));
        for (int32_t i = 0; i < count; ++i) {
            int32_t id = expanded.ReadInt32();
            entries.emplace_back(id, expanded.ReadString());
        }
        // The table's texts end exactly at the end marker.
        char extra = 0;
        bool more = false;
        try {
            more = expander.Read(1, &extra) > 0;
        } catch (const NFileException&) {
        }
        if (more || !expander.ReachedEnd()) {
            std::fprintf(stderr, "xst: %s: damaged: data after the %d entries it announces\n", path, count);
            return kExitFailure;
        }
    } catch (const NFileException& failure) {
        if (!failure.IsEndOfData()) {
            std::fprintf(stderr, "xst: cannot read %s: %s\n", path, failure.Reason().c_str());
            return kExitFailure;
        }
        std::fprintf(stderr, "xst: %s: damaged: it ends after %zu entries\n", path, entries.size());
        return kExitFailure;
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
