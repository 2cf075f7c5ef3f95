// Reading a theme's project folder name and its profile.
//
// "profile.txt", one item a line:
//   version 1:  test code | marker + theme id | triple | theme file name (without ".LMx")
//   version 2:  "version = 2", then key=value lines (tcode, lmxid, lmxtriple, lmxfilename,
//               screensize, titlemidi, customintro, photosize, thumbsize, veltratheme,
//               themeuuid); other keys are ignored
#include "builder/LMThemeProject.h"

#include "storage/NCaseFold.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"

#include <cstdlib>

namespace {

constexpr char kAssetsRoot[] = "Binder:Assets:";
constexpr char kPhotoFolder[] = "Binder:Assets:Photo:";
constexpr char kProjDirFile[] = "ProjDir.txt";
constexpr char kProfileFile[] = "profile.txt";
constexpr char kThemeExtension[] = ".LMx";
constexpr char kDefaultTestCode[] = "test";
constexpr char kDefaultTriple[] = "Qip";
constexpr char kVersionWord[] = "version";
constexpr size_t kVersionWordLength = 7;
constexpr int32_t kProfileVersion1 = 1;
constexpr int32_t kProfileVersion2 = 2;
constexpr uint32_t kDefaultPhotoWidth = 640;
constexpr uint32_t kDefaultPhotoHeight = 480;
constexpr int kSizeShift = 16;
constexpr uint32_t kSizeMask = 0xFFFF;
constexpr char kScreenSize640[] = "640x480";

std::string Lowered(const std::string& text)
{
    return LowerCase1252(text);
}

std::string Trimmed(std::string text)
{
    for (char& c : text) {
        if (c == '\t')
            c = ' ';
    }
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string ReadProfileLine(NStream& in)
{
    char line[LMThemeProject::kProfileLineCapacity + 1] = {};
    in.ReadLine(line, sizeof line);
    return line;
}

uint32_t ParseSize(const std::string& value)
{
    size_t comma = value.find(',');
    std::string width = Trimmed(value.substr(0, comma));
    std::string height = comma == std::string::npos ? std::string() : Trimmed(value.substr(comma + 1));
    auto w = static_cast<uint32_t>(std::atoi(width.c_str()));
    auto h = static_cast<uint32_t>(std::atoi(height.c_str()));
    return ((h & kSizeMask) << kSizeShift) | (w & kSizeMask);
}

} // namespace

LMThemeProject::LMThemeProject()
    : fTestCode(kDefaultTestCode), fTriple(kDefaultTriple), fPhotoSize((kDefaultPhotoHeight << kSizeShift) | kDefaultPhotoWidth)
{
}

bool LMThemeProject::Load()
{
    NFDirSpec assets = NFAppDirSpec::The().SubDir(kAssetsRoot);
    try {
        NStream in = NFileSpec(assets, kProjDirFile).Open(NStreamMode::kRead);
        char line[kProjDirCapacity] = {};
        in.ReadLine(line, kProjDirCapacity);
        fProjectName = line;
    } catch (const NFileException&) {
        return false;
    }
    // A name holding ":" would climb out of the assets folder; the file name keeps it.
    std::string folder = fProjectName;
    for (char& c : folder) {
        if (c == ':')
            c = '-';
    }
    fHasProject = true;
    fAssetFolder = assets.SubDir(folder + ":");
    fPhotoFolder = NFAppDirSpec::The().SubDir(kPhotoFolder);
    fThemeFileName = fProjectName + kThemeExtension;
    try {
        NStream profile = NFileSpec(fAssetFolder, kProfileFile).Open(NStreamMode::kRead, true);
        ReadProfile(profile);
    } catch (const NFileException&) {
        // A missing profile leaves the defaults.
    }
    return true;
}

void LMThemeProject::ReadProfile(NStream& profile)
{
    try {
        std::string first = ReadProfileLine(profile);
        if (Lowered(first.substr(0, kVersionWordLength)) == kVersionWord) {
            size_t equals = first.find('=');
            fVersion = equals == std::string::npos ? 0 : std::atoi(Trimmed(first.substr(equals + 1)).c_str());
        } else {
            fVersion = kProfileVersion1;
            fTestCode = first;
        }
        fScreenSize = fVersion != kProfileVersion2;
        if (fVersion == kProfileVersion1) {
            std::string idLine = ReadProfileLine(profile);
            fThemeId = idLine.empty() ? 0 : std::atoi(idLine.c_str() + 1);
            fTriple = ReadProfileLine(profile).substr(0, kTripleLength);
            std::string name = ReadProfileLine(profile);
            if (!name.empty())
                fThemeFileName = name + kThemeExtension;
        } else if (fVersion == kProfileVersion2) {
            for (;;) {
                std::string line = ReadProfileLine(profile);
                size_t equals = line.find('=');
                std::string key = Lowered(Trimmed(line.substr(0, equals)));
                std::string value = equals == std::string::npos ? std::string() : Trimmed(line.substr(equals + 1));
                ApplyKey(key, value);
            }
        }
    } catch (const NFileException& error) {
        if (!error.IsEndOfData())
            throw;
    }
}

void LMThemeProject::ApplyKey(const std::string& key, const std::string& value)
{
    if (key == "tcode") {
        fTestCode = value;
    } else if (key == "lmxid") {
        fThemeId = std::atoi(value.c_str() + (!value.empty() && value[0] == '$' ? 1 : 0));
    } else if (key == "lmxtriple") {
        fTriple = value.substr(0, kTripleLength);
    } else if (key == "lmxfilename") {
        if (!value.empty())
            fThemeFileName = value + kThemeExtension;
    } else if (key == "screensize") {
        fScreenSize = value == kScreenSize640;
    } else if (key == "titlemidi") {
        if (Lowered(value) == "no")
            fTitleMusic = false;
    } else if (key == "customintro") {
        if (Lowered(value) == "true")
            fCustomIntro = true;
    } else if (key == "photosize") {
        fPhotoSize = ParseSize(value);
    } else if (key == "thumbsize") {
        fThumbSize = ParseSize(value);
    } else if (key == "veltratheme") {
        if (Lowered(value) == "no")
            fMakerTheme = false;
    } else if (key == "themeuuid") {
        fThemeUuid = value;
    }
}
