// Album production: the chosen theme and the disc's photos made into an album through QipBuild.
#pragma once

#include "maker/core/KMakerEnvironment.h"
#include "maker/core/KProgressSink.h"

#include <cstdint>
#include <string>

struct KNewbornData;

/// What the theme screen and the photo search decided.
struct KAlbumRequest {
    NFileSpec fTheme;                          // the theme file in "LMx:" of the assets
    std::string fAlbumName;                    // file name from string-table text 1400 + index
    NFDirSpec fPhotoFolder;
    bool fSampleMode = false;                  // the folder holds the samples 0.jpg to 6.jpg
    bool fNoScratch = false;                   // the theme is stored with "cSCR"
    const KNewbornData* fNewborn = nullptr;    // set for the newborn theme
    bool fAllowLongJpegNames = false;          // a dropped folder also counts ".jpeg" files
};

class KAlbumProduction {
public:
    static constexpr char kSelectedTheme[] = "selected.lmx";
    static constexpr char kPreparedPhoto[] = "pswjpg.tmp";
    static constexpr char kDiscData[] = "DATA.DAT";
    static constexpr char kDiscDataInAlbum[] = "PSWdata.dat";
    static constexpr char kStoreCoBrand[] = "marketa.xpb";
    static constexpr char kPartnerCoBrand[] = "snapfolio.xpb";
    static constexpr char kSampleFormat[] = "%d.jpg";
    static constexpr int32_t kSampleCount = 7;
    static constexpr int32_t kStepsPerPhoto = 2;   // one before and one after each photo

    KAlbumProduction(const KMakerEnvironment& environment, KProgressSink& progress);

    /// Makes the album; the number of photos added. Sets the progress steps itself (StepsFor:
    /// one step before and one after each photo). An album without photos is deleted. A
    /// file exception ends production early, but the album is still finished and sealed
    /// with the photos added so far (or deleted when there are none).
    int32_t Produce(const KAlbumRequest& request);
    /// The album made (valid after Produce answered more than 0).
    const NFileSpec& AlbumFile() const { return fAlbumFile; }
    /// The progress steps Produce sets for a request.
    static int32_t StepsFor(const KAlbumRequest& request);

private:
    void SaveAlbumChunks(int32_t album, const KAlbumRequest& request);
    void AddPhotos(int32_t album, const KAlbumRequest& request);
    bool AddPhoto(int32_t album, const NFileSpec& photo);
    /// Co-brand archive into the album, then the checksum; false when the copy failed.
    bool CoBrandAndSeal();

    const KMakerEnvironment& fEnvironment;
    KProgressSink& fProgress;
    NFileSpec fAlbumFile;
    int32_t fAdded = 0;
};
