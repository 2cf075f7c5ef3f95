// The start page without an album: the albums of the user's albums folder as thumbnails.
#pragma once

#include "framework/NPageData.h"
#include "imaging/NJpegSprite.h"
#include "imaging/NRect.h"
#include "imaging/NSpText.h"
#include "storage/NFileSpec.h"

#include <memory>
#include <string>
#include <vector>

class KStartScreen : public NPageData {
public:
    static constexpr int kMaxAlbums = 12;

    explicit KStartScreen(NPage& page);
    ~KStartScreen() override;

    void Enter() override;
    void Leave() override;

    /// The albums folder: the folder albums were last saved to ("LastSaveDir" under the
    /// album class), else "My Lumoras" in the program-files folder.
    static NFDirSpec AlbumsFolder();
    /// The album under a point of the screen, or null.
    const NFileSpec* AlbumAt(NPoint point) const;
    size_t AlbumCount() const { return fEntries.size(); }

private:
    struct Entry {
        NFileSpec fAlbum;
        NRect fPlace;
        std::unique_ptr<NJpegSprite> fThumbnail;
        std::unique_ptr<NSpText> fName;
    };

    std::vector<Entry> fEntries;
    NSpText fHeading;
};
