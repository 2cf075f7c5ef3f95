// A theme's project description: its folders and the fields of its "profile.txt".
#pragma once

#include "storage/NFileSpec.h"
#include "storage/NStream.h"

#include <cstdint>
#include <string>

/// Read from the theme archive that is open and registered at "Binder:Assets:".
class LMThemeProject {
public:
    static constexpr int32_t kProjDirCapacity = 100;
    static constexpr int32_t kProfileLineCapacity = 256;
    static constexpr int32_t kTripleLength = 3;

    LMThemeProject();

    /// Reads "ProjDir.txt" and then the profile; false (empty folders) without a project.
    bool Load();
    /// Reads a profile over the defaults; the end of the file ends it quietly.
    void ReadProfile(NStream& profile);

    bool HasProject() const { return fHasProject; }
    const std::string& ProjectName() const { return fProjectName; }
    const NFDirSpec& AssetFolder() const { return fAssetFolder; }
    const NFDirSpec& PhotoFolder() const { return fPhotoFolder; }
    const std::string& ThemeFileName() const { return fThemeFileName; }
    const std::string& TestCode() const { return fTestCode; }
    int32_t ThemeId() const { return fThemeId; }
    const std::string& Triple() const { return fTriple; }
    int32_t Version() const { return fVersion; }
    uint32_t PhotoSize() const { return fPhotoSize; }   // height high, width low 16 bits
    uint32_t ThumbSize() const { return fThumbSize; }
    bool ScreenSizeFlag() const { return fScreenSize; }
    bool TitleMusic() const { return fTitleMusic; }
    bool CustomIntro() const { return fCustomIntro; }
    bool MakerTheme() const { return fMakerTheme; }
    const std::string& ThemeUuid() const { return fThemeUuid; }

private:
    void ApplyKey(const std::string& key, const std::string& value);

    bool fHasProject = false;
    std::string fProjectName;
    NFDirSpec fAssetFolder;
    NFDirSpec fPhotoFolder;
    std::string fThemeFileName;
    std::string fTestCode;
    int32_t fThemeId = 0;
    std::string fTriple;
    int32_t fVersion = 1;
    uint32_t fPhotoSize;
    uint32_t fThumbSize = 0;
    bool fScreenSize = true;
    bool fTitleMusic = true;
    bool fCustomIntro = false;
    bool fMakerTheme = true;
    std::string fThemeUuid;
};
