// Reading a theme's answers from its archive.
#include "builder/LMThemeReader.h"

#include "storage/NBinderRegistry.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"

namespace {

constexpr char kMountFolder[] = "binder:assets:";
constexpr char kHelpFolder[] = "Help:";
constexpr char kFallbackLanguage[] = "English";
constexpr char kNameFile[] = ":Name.txt";
constexpr char kIconFile[] = "Help:icon24.bmp";
constexpr char kFeaturesFile[] = "Features.nfo";
// Assets larger than this are no icon or feature list but damage.
constexpr int64_t kMaxAssetSize = 0x4000000;

} // namespace

LMThemeReader::LMThemeReader(const char* themePath)
{
    NFileSpec spec;
    if (themePath == nullptr || !NFileSpec::FromHostPath(themePath, spec))
        return;
    try {
        static_cast<void>(fTheme.Open(spec, NFAppDirSpec::The().SubDir(kMountFolder), NBinderMode::kRead));
    } catch (const NFileException&) {
        return;
    }
    if (!fTheme.IsOpen())
        return;
    NBinderRegistry::The().Register(&fTheme);
    fRegistered = true;
    fProject.Load();
}

LMThemeReader::~LMThemeReader()
{
    if (fRegistered)
        NBinderRegistry::The().Unregister(&fTheme);
    if (fTheme.IsOpen())
        static_cast<void>(fTheme.Close());
}

std::string LMThemeReader::Name(const std::string& languageName)
{
    if (!fRegistered || !fProject.HasProject())
        return std::string();
    for (const std::string& language : {languageName, std::string(kFallbackLanguage)}) {
        NFileSpec name(fProject.AssetFolder(), std::string(kHelpFolder) + language + kNameFile);
        try {
            NStream in = name.Open(NStreamMode::kRead);
            char line[kNameCapacity + 1] = {};
            in.ReadLine(line, sizeof line);
            return line;
        } catch (const NFileException&) {
            // Not in this language: the English name stands in.
        }
    }
    return std::string();
}

std::vector<uint8_t> LMThemeReader::ReadAsset(const char* name)
{
    if (!fRegistered || !fProject.HasProject())
        return {};
    try {
        NStream in = NFileSpec(fProject.AssetFolder(), name).Open(NStreamMode::kRead);
        int64_t length = in.GetLength();
        if (length <= 0 || length > kMaxAssetSize)
            return {};
        std::vector<uint8_t> bytes(static_cast<size_t>(length));
        in.ReadFully(static_cast<int32_t>(length), bytes.data());
        return bytes;
    } catch (const NFileException&) {
        return {};
    }
}

std::vector<uint8_t> LMThemeReader::Icon()
{
    return ReadAsset(kIconFile);
}

std::vector<uint8_t> LMThemeReader::Features()
{
    return ReadAsset(kFeaturesFile);
}
