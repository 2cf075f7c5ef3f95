// A shared library loaded by host path, and the entry points it exports.
#pragma once

#include <string>

class NHostLibrary {
public:
    NHostLibrary() = default;
    ~NHostLibrary();
    NHostLibrary(NHostLibrary&& other) noexcept;
    NHostLibrary& operator=(NHostLibrary&& other) noexcept;
    NHostLibrary(const NHostLibrary&) = delete;
    NHostLibrary& operator=(const NHostLibrary&) = delete;

    /// Loads the library at a host path (unloading one loaded before), resolving all its
    /// symbols now so that a broken library fails here and not at its first call. False when
    /// the path does not map, the file is missing or it is no library; LastError() tells why.
    bool Load(const std::string& hostPath);
    void Unload();
    bool IsLoaded() const { return fHandle != nullptr; }

    /// The address of an exported entry point; null when the library has none of that name.
    void* FindEntry(const std::string& name) const;
    template <class Function>
    Function Find(const std::string& name) const
    {
        return reinterpret_cast<Function>(FindEntry(name));
    }

    const std::string& LastError() const { return fLastError; }

private:
    void* fHandle = nullptr;
    std::string fLastError;
};
