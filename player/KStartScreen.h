// The start page without an album: the albums of the user's albums folder as thumbnails.
#pragma once

#include "framework/NPageData.h"
#include "imaging/NMemSprite.h"
#include "geometry/NRect.h"
#include "imaging/NSprite.h"
#include "imaging/NSpText.h"
#include "storage/NFileSpec.h"
#include "widgets/NButton.h"
#include "widgets/NTextButton.h"

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
    /// The album at its place in the list, or null.
    const NFileSpec* AlbumNumber(int32_t index) const;
    /// The button of the album at its place in the list (which the UI dump names after the album).
    NButton* AlbumButton(size_t index) { return index < fEntries.size() ? fEntries[index].fButton.get() : nullptr; }
    NTextButton& QuitButton() { return fQuit; }
    size_t AlbumCount() const { return fEntries.size(); }

private:
    struct Entry {
        NFileSpec fAlbum;
        NRect fPlace;
        std::unique_ptr<NButton> fButton;
        std::unique_ptr<NMemSprite> fThumbnail;
        std::unique_ptr<NSpText> fName;
    };

    std::vector<Entry> fEntries;
    NSprite fArt;
    NSpText fHeading;
    NTextButton fQuit;
};
