// The offer page: the brand's HTML page copied into the album folder, its pictures beside it.
#include "maker/core/KOfferPage.h"

#include "maker/core/KMakerFolders.h"
#include "framework/NStringTable.h"
#include "storage/NFileException.h"

bool KOfferPage::Make(const KMakerEnvironment& environment, NFileSpec& pageOut)
{
    try {
        NFDirSpec albumFolder = KMakerFolders::AlbumFolder(true);
        NFileSpec source(environment.fLanguageFolder, environment.fBrand ? kPartnerPage : kStorePage);
        NFileSpec page(albumFolder, NStringTable::The().GetString(kPageNameText), false);
        // The page's file type and creator codes ("TEXT", "godu") mean nothing on this host.
        source.CopyTo(page);

        // The page finds its pictures at "../Data/imgw/", beside the album folder.
        NFDirSpec images = albumFolder.SubDir(kImagesFolder);
        if (!images.Create())
            throw NFileException(kFileCannotCreate, images.DisplayName());
        NFDirSpec shared = environment.fAssetsFolder.SubDir(kSharedImages);
        for (const char* name : kSharedImageNames)
            NFileSpec(shared, name).CopyTo(NFileSpec(images, name));
        for (const char* name : kLanguageImageNames)
            NFileSpec(environment.fLanguageFolder, name).CopyTo(NFileSpec(images, name));
        pageOut = page;
        return true;
    } catch (const NFileException&) {
        return false;
    }
}
