// The Maker's flow: states 1-15, the screens' events, the photo disc, album production,
// the player and partner installations and the offer page.
#pragma once

#include "maker/KPageData.h"
#include "maker/core/KNewbornData.h"
#include "storage/NFileSpec.h"

#include <memory>
#include <string>
#include <vector>

class KChooseThemeGroup;
class KInsertDiskGroup;
class KNewbornGroup;
class KPlayGroup;
class KProgressGroup;
class KQuitGroup;
class KSpGroup;
class KWelcomeGroup;

class KMakerData : public KPageData {
public:
    static constexpr int32_t kFirstState = 1;
    static constexpr uint32_t kViewerDelay = 2000;
    static constexpr int32_t kSamplePhotos = 7;

    explicit KMakerData(NPage& page);
    ~KMakerData() override;

    void PageStart() override;
    /// The screens' and states' events; false for the ones the Maker does not know.
    bool HandleMakerEvent(const NPortEvent& event);
    void GoToState(int32_t state);

    int32_t State() const { return fState; }
    KSpGroup* CurrentScreen() const { return fCurrent; }
    const NFDirSpec& PhotoFolder() const { return fPhotoFolder; }
    bool SampleMode() const { return fSampleMode; }
    bool PartnerDisc() const { return fPartnerDisc; }
    const NFileSpec& AlbumFile() const { return fAlbumFile; }
    int32_t PhotosAdded() const { return fPhotosAdded; }
    const KNewbornData& Newborn() const { return fNewborn; }
    bool AlbumFolderOpened() const { return fAlbumFolderOpened; }
    KInsertDiskGroup* InsertDisk() const { return fInsertDisk.get(); }
    KChooseThemeGroup* ChooseTheme() const { return fChooseTheme.get(); }
    KNewbornGroup* NewbornScreen() const { return fNewbornScreen.get(); }
    KProgressGroup* Progress() const { return fProgress.get(); }

private:
    template <class T> T& Prepare(std::unique_ptr<T>& screen);
    void Show(KSpGroup& screen);
    /// Looks for the photo disc (a folder dropped on the window counts as one); true when found.
    bool FindDisc();
    void UseDrops(const std::vector<std::string>& paths);
    void TakeTheme();
    void Produce(int32_t nextState);
    void InstallPlayer();
    void InstallPartner();
    void OpenAlbumFolder();
    void OpenOfferPage();
    void Quit();

    int32_t fState = kFirstState;
    KSpGroup* fCurrent = nullptr;
    std::unique_ptr<KWelcomeGroup> fWelcome;
    std::unique_ptr<KInsertDiskGroup> fInsertDisk;
    std::unique_ptr<KChooseThemeGroup> fChooseTheme;
    std::unique_ptr<KNewbornGroup> fNewbornScreen;
    std::unique_ptr<KProgressGroup> fProgress;
    std::unique_ptr<KPlayGroup> fPlay;
    std::unique_ptr<KQuitGroup> fQuit;

    NFDirSpec fPhotoFolder;
    bool fSampleMode = false;
    bool fDiscFound = false;
    bool fPartnerDisc = false;
    bool fDropped = false;          // the photo folder came from a drop on the window
    NFDirSpec fDropFolder;
    NFileSpec fTheme;
    std::string fAlbumName;
    bool fNewbornTheme = false;
    bool fNoScratch = false;
    KNewbornData fNewborn;
    NFileSpec fAlbumFile;
    int32_t fPhotosAdded = 0;
    bool fAlbumFolderOpened = false;
    int32_t fDropCount = 0;
};
