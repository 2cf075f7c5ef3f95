// Environment variables changed for one test and restored at its end, and waiting for files.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>

/// Sets or unsets variables; the destructor gives every one touched its old value back.
class NTestEnvironment {
public:
    NTestEnvironment() = default;
    ~NTestEnvironment()
    {
        for (const auto& [name, value] : fSaved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    NTestEnvironment(const NTestEnvironment&) = delete;
    NTestEnvironment& operator=(const NTestEnvironment&) = delete;

    void Set(const std::string& name, const std::string& value)
    {
        Save(name);
        setenv(name.c_str(), value.c_str(), 1);
    }

    void Unset(const std::string& name)
    {
        Save(name);
        unsetenv(name.c_str());
    }

    /// Waits until a file exists (a detached program writes it), at most the given time.
    static bool WaitForFile(const std::filesystem::path& path, std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!std::filesystem::exists(path)) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

private:
    void Save(const std::string& name)
    {
        if (fSaved.count(name) != 0)
            return;
        const char* value = getenv(name.c_str());
        fSaved[name] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }

    std::map<std::string, std::optional<std::string>> fSaved;
};
