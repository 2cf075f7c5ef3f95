// A temporary prefix and drive table for one test, removed again at its end.
#pragma once

#include "platform/NHostDrives.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

/// Makes a fresh folder under the system's temporary folder, points $LUMORA_PREFIX at
/// "<root>/prefix" and $LUMORA_DRIVES at the given entries (in which "%ROOT%" stands for
/// the new folder), and reloads the drive table. The destructor restores the environment
/// and removes the folder.
class NTestPrefix {
public:
    explicit NTestPrefix(const std::string& drives = "")
    {
        SaveEnv("LUMORA_PREFIX", fOldPrefix);
        SaveEnv("LUMORA_DRIVES", fOldDrives);
        SaveEnv("XDG_DATA_HOME", fOldDataHome);
        SaveEnv("XDG_CONFIG_HOME", fOldConfigHome);
        std::random_device random;
        std::filesystem::path base = std::filesystem::temp_directory_path();
        do {
            fRoot = base / ("lumora-test-" + std::to_string(random()));
        } while (std::filesystem::exists(fRoot));
        std::filesystem::create_directories(fRoot);
        setenv("LUMORA_PREFIX", (fRoot / "prefix").c_str(), 1);
        // A setup started by a test tells the desktop about the player; it must tell this
        // folder, never the desktop of whoever runs the tests.
        setenv("XDG_DATA_HOME", (fRoot / "xdg-data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (fRoot / "xdg-config").c_str(), 1);
        std::string entries = drives;
        for (size_t at; (at = entries.find("%ROOT%")) != std::string::npos;)
            entries.replace(at, 6, fRoot.string());
        setenv("LUMORA_DRIVES", entries.c_str(), 1);
        NHostDrives::The().Reload();
    }

    ~NTestPrefix()
    {
        RestoreEnv("LUMORA_PREFIX", fOldPrefix);
        RestoreEnv("LUMORA_DRIVES", fOldDrives);
        RestoreEnv("XDG_DATA_HOME", fOldDataHome);
        RestoreEnv("XDG_CONFIG_HOME", fOldConfigHome);
        NHostDrives::The().Reload();
        std::error_code ignored;
        std::filesystem::permissions(fRoot, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(fRoot, ignored);
    }

    NTestPrefix(const NTestPrefix&) = delete;
    NTestPrefix& operator=(const NTestPrefix&) = delete;

    const std::filesystem::path& Root() const { return fRoot; }
    std::filesystem::path Prefix() const { return fRoot / "prefix"; }
    std::filesystem::path DriveC() const { return fRoot / "prefix" / "drive_c"; }

    /// Makes a folder (and its parents) under the root and returns it.
    std::filesystem::path MakeFolder(const std::string& relative) const
    {
        std::filesystem::path folder = fRoot / relative;
        std::filesystem::create_directories(folder);
        return folder;
    }

    /// Writes a file with the given bytes, making its folders.
    static void WriteFile(const std::filesystem::path& path, const std::string& bytes)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    static std::string ReadFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    static void SaveEnv(const char* name, std::optional<std::string>& saved)
    {
        if (const char* value = getenv(name))
            saved = value;
    }

    static void RestoreEnv(const char* name, const std::optional<std::string>& saved)
    {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }

    std::filesystem::path fRoot;
    std::optional<std::string> fOldPrefix;
    std::optional<std::string> fOldDrives;
    std::optional<std::string> fOldDataHome;
    std::optional<std::string> fOldConfigHome;
};
