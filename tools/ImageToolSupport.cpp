// Shared parts of the palette and sprite tools.
#include "tools/ImageToolSupport.h"

#include "storage/NFileException.h"
#include "storage/NFileReplacement.h"
#include "tools/ToolPaths.h"
#include "platform/NHostDrives.h"

#include <cstdio>
#include <cstring>

void ToolFail(const std::string& message)
{
    throw ToolFailure { message };
}

NFileSpec ToolHostFile(const std::string& linuxPath)
{
    NFileSpec spec;
    std::string host;
    std::string problem;
    if (!ToolHostPath(linuxPath, host, problem))
        ToolFail(problem);
    if (!NFileSpec::FromHostPath(host, spec))
        ToolFail(linuxPath + ": not a path the drive table can reach");
    return spec;
}

std::vector<uint8_t> ToolReadFile(const std::string& linuxPath)
{
    NFileSpec spec = ToolHostFile(linuxPath);
    if (!spec.Exists())
        ToolFail(linuxPath + ": no such file");
    std::vector<uint8_t> bytes;
    try {
        NStream stream = spec.Open(NStreamMode::kRead, true);
        int64_t length = stream.GetLength();
        if (length < 0 || length > INT32_MAX)
            ToolFail(linuxPath + ": file too large");
        bytes.resize(size_t(length));
        stream.ReadFully(int32_t(length), bytes.data());
    } catch (const NFileException& error) {
        ToolFail("cannot read " + linuxPath + ": " + error.Reason());
    }
    return bytes;
}

void ToolWriteFile(const std::string& linuxPath, const std::vector<uint8_t>& bytes)
{
    NFileSpec spec = ToolHostFile(linuxPath);
    try {
        NFileReplacement replacement(spec);
        NStream stream = replacement.Temporary().Open(NStreamMode::kWrite, true);
        stream.WriteFully(int32_t(bytes.size()), bytes.data());
        stream.Close();
        replacement.Commit();
    } catch (const NFileException& error) {
        ToolFail("cannot write " + linuxPath + ": " + error.Reason());
    }
}

NHostRgbaImage ToolReadPng(const std::string& linuxPath)
{
    std::vector<uint8_t> bytes = ToolReadFile(linuxPath);
    NHostRgbaImage image;
    std::string error;
    if (!NHostPng::Decode(bytes.data(), bytes.size(), image, error))
        ToolFail(linuxPath + ": " + error);
    return image;
}

void ToolWritePng(const std::string& linuxPath, const NHostRgbaImage& image)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!NHostPng::Encode(image, bytes, error))
        ToolFail(linuxPath + ": " + error);
    ToolWriteFile(linuxPath, bytes);
}

std::string ToolBaseName(const std::string& linuxPath)
{
    size_t slash = linuxPath.find_last_of('/');
    return slash == std::string::npos ? linuxPath : linuxPath.substr(slash + 1);
}

int ToolMain(const char* tool, const char* usage, int argc, char** argv, std::initializer_list<ToolCommand> commands)
{
    if (argc < 2) {
        std::fputs(usage, stderr);
        return kToolExitUsage;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0
        || (argc >= 3 && std::strcmp(argv[2], "--help") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    try {
        for (const ToolCommand& command : commands) {
            if (std::strcmp(argv[1], command.fName) == 0)
                return command.fRun(argc, argv);
        }
        std::fprintf(stderr, "%s: unknown command %s\n%s", tool, argv[1], usage);
        return kToolExitUsage;
    } catch (const ToolFailure& failure) {
        std::fprintf(stderr, "%s: %s\n", tool, failure.fMessage.c_str());
    } catch (const NFileException& error) {
        std::fprintf(stderr, "%s: %s\n", tool, ToolFileError(error).c_str());
    }
    return kToolExitFailure;
}
