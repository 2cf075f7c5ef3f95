// One query against a theme archive: name, icon, feature list and identifying values.
#pragma once

#include "builder/LMThemeProject.h"
#include "storage/NBinder.h"

#include <cstdint>
#include <string>
#include <vector>

/// Opens the theme at "binder:assets:" and registers it for its lifetime; a theme that
/// cannot be opened answers every read with nothing.
class LMThemeReader {
public:
    static constexpr int32_t kNameCapacity = 300;

    explicit LMThemeReader(const char* themePath);
    ~LMThemeReader();
    LMThemeReader(const LMThemeReader&) = delete;
    LMThemeReader& operator=(const LMThemeReader&) = delete;

    /// The display name in the language's help folder, else in "English".
    std::string Name(const std::string& languageName);
    /// The whole icon file; empty when missing.
    std::vector<uint8_t> Icon();
    /// The whole feature list file; empty when missing.
    std::vector<uint8_t> Features();
    bool IsOpen() const { return fRegistered; }
    int32_t ThemeId() const { return fProject.ThemeId(); }
    const std::string& Triple() const { return fProject.Triple(); }
    const LMThemeProject& Project() const { return fProject; }

private:
    std::vector<uint8_t> ReadAsset(const char* name);

    NBinder fTheme;
    bool fRegistered = false;
    LMThemeProject fProject;
};
