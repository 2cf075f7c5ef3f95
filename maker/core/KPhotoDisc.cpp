// The customer's photo disc: the application folder first, then removable drives.
#include "maker/core/KPhotoDisc.h"

#include "storage/NFIterator.h"
#include "platform/NHostCodePage.h"

bool KPhotoDisc::IsJpegName(std::string_view name, bool allowLong)
{
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string extension = NHostCodePage::FoldUpper(name.substr(dot + 1));
    return extension == kJpegExtension || (allowLong && extension == kLongJpegExtension);
}

bool KPhotoDisc::Qualifies(const NFDirSpec& candidate, NFDirSpec& imagesOut)
{
    NFDirSpec images = candidate.SubDir(kImagesFolder);
    if (!images.Exists())
        return false;
    for (NFileIterator files({images}); !files.Done(); files.Next()) {
        if (IsJpegName(files.Value().Name())) {
            imagesOut = images;
            return true;
        }
    }
    return false;
}

bool KPhotoDisc::IsPartnerDisc(const NFDirSpec& photoFolder)
{
    return NFileSpec(photoFolder.Parent(), kPartnerViewer).Exists();
}

KPhotoDiscResult KPhotoDisc::Find(const KMakerEnvironment& environment)
{
    KPhotoDiscResult result;
    bool found = Qualifies(environment.fAppFolder, result.fPhotoFolder);
    for (NFDriveIterator drives(0); !found && !drives.Done(); drives.Next()) {
        NFDirSpec root(drives.Value());
        if (root.IsRemovable() && root.IsNotNetwork() && !root.IsCdrom())
            found = Qualifies(root, result.fPhotoFolder);
    }
    if (found) {
        result.fFound = true;
        result.fPartner = IsPartnerDisc(result.fPhotoFolder);
    }
    return result;
}

bool KPhotoDisc::InstallsPartnerViewer(const KMakerEnvironment& environment, const KPhotoDiscResult& disc)
{
    return disc.fFound && disc.fPartner && environment.fLanguage == kPartnerLanguage;
}

int32_t KPhotoDisc::CountPhotos(const NFDirSpec& folder, int32_t preset, bool allowLong)
{
    if (preset > 0)
        return preset;
    int32_t count = 0;
    for (NFileIterator files({folder}); !files.Done(); files.Next()) {
        if (IsJpegName(files.Value().Name(), allowLong))
            ++count;
    }
    return count;
}
