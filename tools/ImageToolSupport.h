// What the palette and sprite tools share: failures, host paths, whole files and PNG files.
#pragma once

#include "storage/NFileSpec.h"
#include "platform/NHostPng.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

constexpr int kToolExitFailure = 1;
constexpr int kToolExitUsage = 2;

/// A one-line reason; main prints it after the tool's name and exits with failure.
struct ToolFailure {
    std::string fMessage;
};

[[noreturn]] void ToolFail(const std::string& message);

/// The file specification of a Linux path given on the command line.
NFileSpec ToolHostFile(const std::string& linuxPath);
std::vector<uint8_t> ToolReadFile(const std::string& linuxPath);
/// Replaces the file with the bytes.
void ToolWriteFile(const std::string& linuxPath, const std::vector<uint8_t>& bytes);
NHostRgbaImage ToolReadPng(const std::string& linuxPath);
void ToolWritePng(const std::string& linuxPath, const NHostRgbaImage& image);

/// One command of a tool: its name and the function that runs it with the whole argv.
struct ToolCommand {
    const char* fName;
    int (*fRun)(int argc, char** argv);
};

/// A tool's main: usage and --help, the command named by argv[1], and its failures turned
/// into one line after the tool's name with the failure exit status.
int ToolMain(const char* tool, const char* usage, int argc, char** argv, std::initializer_list<ToolCommand> commands);

/// The file name part of a Linux path.
std::string ToolBaseName(const std::string& linuxPath);
