// Helpers of the setup tests: component containers written into a folder, version records.
#pragma once

#include "platform/NHostDrives.h"
#include "platform/NHostFileVersion.h"
#include "setup/KComponent.h"
#include "storage/NFileSpec.h"
#include "storage/NStreamCompress.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace setuptest {

/// Bytes that carry a fixed-file-info record with the version (none when all zero).
inline std::string WithVersion(std::string bytes, const NHostVersion& version)
{
    if (version == NHostVersion {})
        return bytes;
    auto word = [&bytes](uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(char((value >> (8 * i)) & 0xFF));
    };
    uint32_t high = uint32_t(version[0]) << 16 | version[1];
    uint32_t low = uint32_t(version[2]) << 16 | version[3];
    for (uint32_t value : {0xFEEF04BDu, 0x00010000u, high, low, high, low, 0x3Fu, 0u, 0x40004u, 1u, 0u, 0u, 0u})
        word(value);
    return bytes;
}

inline NFDirSpec HostDir(const std::string& hostFolder)
{
    NFileSpec placeholder;
    NFileSpec::FromHostPath(hostFolder + "x.xxx", placeholder);
    placeholder.Dir().Create();
    return placeholder.Dir();
}

/// Writes a container holding data (with its version record when given).
inline void WriteContainer(const NFileSpec& spec, const std::string& data, const NHostVersion& version, int32_t time,
                           bool compressed = false, int32_t magic = KComponentHeader::kMagic)
{
    spec.Dir().Create();
    spec.Delete();
    NStream out = spec.Open(NStreamMode::kWrite);
    KComponentHeader header;
    header.fMagic = magic;
    header.fCompressed = compressed ? 1 : 0;
    header.fTime = time;
    header.fFileVersion = version;
    header.Write(out);
    if (compressed) {
        NStream packed(std::make_unique<NStreamCompress>(out));
        packed.WriteFully(int32_t(data.size()), data.data());
        packed.Close();
    } else {
        out.WriteFully(int32_t(data.size()), data.data());
    }
    out.Close();
}

inline std::string LinuxPath(const std::string& hostPath)
{
    std::string linux;
    NHostDrives::The().ToLinux(hostPath, linux);
    return linux;
}

inline std::string ReadBytes(const std::string& hostPath)
{
    std::ifstream in(LinuxPath(hostPath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// A private home for the desktop's files: $HOME, $XDG_DATA_HOME and $XDG_CONFIG_HOME point
/// into a fresh temporary folder for the object's life, so no test touches the user's.
class DesktopHome {
public:
    DesktopHome()
    {
        std::random_device random;
        do {
            fRoot = std::filesystem::temp_directory_path() / ("lumora-home-" + std::to_string(random()));
        } while (std::filesystem::exists(fRoot));
        std::filesystem::create_directories(fRoot);
        for (const char* name : kVariables)
            if (const char* value = std::getenv(name))
                fSaved.emplace_back(name, value);
            else
                fSaved.emplace_back(name, std::nullopt);
        setenv("HOME", fRoot.c_str(), 1);
        setenv("XDG_DATA_HOME", (fRoot / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (fRoot / "config").c_str(), 1);
    }
    ~DesktopHome()
    {
        for (const auto& [name, value] : fSaved)
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        std::error_code ignored;
        std::filesystem::remove_all(fRoot, ignored);
    }
    DesktopHome(const DesktopHome&) = delete;
    DesktopHome& operator=(const DesktopHome&) = delete;

    std::filesystem::path Data() const { return fRoot / "data"; }
    std::filesystem::path Config() const { return fRoot / "config"; }

private:
    static constexpr const char* kVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"};
    std::filesystem::path fRoot;
    std::vector<std::pair<const char*, std::optional<std::string>>> fSaved;
};

} // namespace setuptest
