// qipsetup-pack: appends the setup's sealed payload (art, string tables, component containers) to a program file.
//
//   qipsetup-pack OUTPUT PROGRAM ASSETDIR [--root=NAME=PATH]... NAME=PATH[@MAJOR.MINOR.BUILD.REVISION][+z]...
//
// The payload binder holds every file of ASSETDIR and each --root file at its root and, in "Install:", one
// component container per NAME (see setup/KComponent.h) with the file's modification time.
// A component that carries no version record gets one appended when a version is given,
// so the installed file answers with the same version the container claims. "+z" stores
// the data compressed. The binder is written and sealed on its own, then appended to a copy
// of PROGRAM; its trailer's offsets are relative, so it stays valid behind the program.
#include "platform/NHostDrives.h"
#include "platform/NHostFileSystem.h"
#include "platform/NHostFileVersion.h"
#include "setup/KComponent.h"
#include "storage/NBinder.h"
#include "storage/NFileException.h"
#include "storage/NStreamCompress.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int32_t kPayloadApplication = 2;
constexpr char kMount[] = "P:\\";

// The fixed-file-info record, little-endian words: signature, structure version, file
// version high and low, product version high and low, flags mask, flags, system, type,
// subtype, date high and low.
constexpr uint32_t kRecordSignature = 0xFEEF04BD;
constexpr uint32_t kRecordStructure = 0x00010000;
constexpr uint32_t kRecordFlagsMask = 0x3F;
constexpr uint32_t kRecordSystem = 0x00040004;
constexpr uint32_t kRecordTypeApp = 1;

[[noreturn]] void Fail(const std::string& message)
{
    std::fprintf(stderr, "qipsetup-pack: %s\n", message.c_str());
    std::exit(1);
}

std::vector<char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot read " + path);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void AppendWord(std::vector<char>& bytes, uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(char((word >> (8 * i)) & 0xFF));
}

NFileSpec HostFile(const std::string& linuxPath)
{
    NFileSpec spec;
    if (!NFileSpec::FromHostPath(NHostDrives::The().ToHost(linuxPath), spec))
        Fail(linuxPath + ": not a path the drive table can reach");
    return spec;
}

struct Component {
    std::string fName;
    std::string fPath;
    NHostVersion fVersion {};
    bool fCompressed = false;
};

Component ParseComponent(const std::string& argument)
{
    Component component;
    size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0)
        Fail("component needs NAME=PATH: " + argument);
    component.fName = argument.substr(0, equals);
    std::string rest = argument.substr(equals + 1);
    if (rest.size() > 2 && rest.compare(rest.size() - 2, 2, "+z") == 0) {
        component.fCompressed = true;
        rest.resize(rest.size() - 2);
    }
    if (size_t at = rest.rfind('@'); at != std::string::npos) {
        unsigned parts[4] = {};
        if (std::sscanf(rest.c_str() + at + 1, "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]) != 4)
            Fail("version needs four numbers: " + argument);
        for (int i = 0; i < 4; ++i)
            component.fVersion[i] = uint16_t(parts[i]);
        rest.resize(at);
    }
    component.fPath = rest;
    return component;
}

// Writes the container of one component; returns its size.
int64_t MakeContainer(const Component& component, const std::string& containerPath)
{
    std::vector<char> data = ReadAll(component.fPath);
    NHostVersion carried = NHostFileVersion::Find(std::string_view(data.data(), data.size()));
    NHostVersion version = carried;
    if (carried == NHostVersion {} && component.fVersion != NHostVersion {}) {
        version = component.fVersion;
        uint32_t high = uint32_t(version[0]) << 16 | version[1];
        uint32_t low = uint32_t(version[2]) << 16 | version[3];
        for (uint32_t word : {kRecordSignature, kRecordStructure, high, low, high, low, kRecordFlagsMask, 0u,
                              kRecordSystem, kRecordTypeApp, 0u, 0u, 0u})
            AppendWord(data, word);
    }
    KComponentHeader header;
    header.fCompressed = component.fCompressed ? 1 : 0;
    NHostStat status;
    if (NHostFileSystem::Stat(NHostDrives::The().ToHost(component.fPath), status))
        header.fTime = int32_t(status.fModTime);
    header.fFileVersion = version;

    NStream out = HostFile(containerPath).Open(NStreamMode::kWrite);
    header.Write(out);
    if (component.fCompressed) {
        NStream packed(std::make_unique<NStreamCompress>(out));
        packed.WriteFully(int32_t(data.size()), data.data());
        packed.Close();
    } else {
        out.WriteFully(int32_t(data.size()), data.data());
    }
    out.Close();
    return int64_t(std::filesystem::file_size(containerPath));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        Fail("usage: qipsetup-pack OUTPUT PROGRAM ASSETDIR NAME=PATH[@VERSION][+z]...");
    std::string output = argv[1];
    std::string program = argv[2];
    std::string assets = argv[3];
    std::string work = output + ".work";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work);
    std::string binderPath = work + "/payload.xpb";
    try {
        NFDirSpec mount {NFDriveSpec(kMount)};
        NBinder binder;
        if (!binder.Create(HostFile(binderPath), mount, kPayloadApplication, 0))
            Fail("cannot create " + binderPath);
        std::vector<std::filesystem::path> roots;
        for (const auto& entry : std::filesystem::directory_iterator(assets))
            if (entry.is_regular_file())
                roots.push_back(entry.path());
        std::sort(roots.begin(), roots.end());
        for (const auto& path : roots)
            binder.Add(NFileSpec(mount, path.filename().string(), false), HostFile(path.string()),
                       int64_t(std::filesystem::file_size(path)));
        NFDirSpec install = mount.SubDir("Install:");
        constexpr std::string_view kRoot = "--root=";
        for (int i = 4; i < argc; ++i) {
            std::string_view argument = argv[i];
            if (argument.substr(0, kRoot.size()) == kRoot) {
                std::string pair(argument.substr(kRoot.size()));
                size_t equals = pair.find('=');
                if (equals == std::string::npos || equals == 0)
                    Fail("--root needs NAME=PATH: " + pair);
                std::string path = pair.substr(equals + 1);
                binder.Add(NFileSpec(mount, pair.substr(0, equals), false), HostFile(path),
                           int64_t(std::filesystem::file_size(path)));
                continue;
            }
            Component component = ParseComponent(argv[i]);
            std::string containerPath = work + "/" + std::to_string(i) + ".cmp";
            int64_t size = MakeContainer(component, containerPath);
            binder.Add(NFileSpec(install, component.fName, false), HostFile(containerPath), size);
        }
        if (!binder.Close())
            Fail("cannot write the directory of " + binderPath);
        NBinder::Seal(HostFile(binderPath), 0);
    } catch (const NFileException& error) {
        Fail(std::string("packing failed: ") + error.what());
    }
    std::vector<char> programBytes = ReadAll(program);
    std::vector<char> payload = ReadAll(binderPath);
    std::string scratch = output + ".new";
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        out.write(programBytes.data(), std::streamsize(programBytes.size()));
        out.write(payload.data(), std::streamsize(payload.size()));
        if (!out.flush())
            Fail("cannot write " + scratch);
    }
    std::filesystem::permissions(scratch, std::filesystem::status(program).permissions());
    std::filesystem::rename(scratch, output);
    std::filesystem::remove_all(work);
    return 0;
}
