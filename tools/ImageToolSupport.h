// What the palette and sprite tools share: failures, host paths, whole files and PNG files.
#pragma once

#include "storage/NFileSpec.h"
#include "platform/NHostPng.h"

#include <cstdint>
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

/// The file name part of a Linux path.
std::string ToolBaseName(const std::string& linuxPath);
