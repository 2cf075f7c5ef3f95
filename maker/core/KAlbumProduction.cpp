// Album production: the chosen theme and the disc's photos made into an album through QipBuild.
//
// The order of the calls is the album's layout, so it is kept exactly:
//
//   selected.lmx     copy of the theme in the album folder, deleted at the end
//   keep folder      "" and, for the newborn theme, "@boy" or "@girl"
//   create           QLA_CreateAlbum(selected.lmx, 0, album folder + name, no segments)
//   album chunks     COBR GALL BLDN BLDV SHWI INTt INTd SHWC CRDt CRDs CRDb
//                    [PSWd + "PSWdata.dat"] [cSCR] [FLDR @1st @Mid @Lst @Dat @Wgt @Len @Ini]
//   photos           samples 0.jpg..6.jpg, or every ".JPG" file in directory order
//   close            QLA_CloseAlbum
//   co-brand         every element of "marketa.xpb" / "snapfolio.xpb" copied in, then sealed
#include "maker/core/KAlbumProduction.h"

#include "maker/core/KMakerFiles.h"
#include "maker/core/KMakerFolders.h"
#include "maker/core/KMakerTags.h"
#include "maker/core/KNewbornData.h"
#include "maker/core/KPhotoDisc.h"
#include "framework/NStringTable.h"
#include "imaging/NJpeg.h"
#include "imaging/NPhotoPreparer.h"
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFIterator.h"
#include "storage/NFileException.h"

#include "qipbuild.h"

#include <cstdio>
#include <vector>

static constexpr char kStoreBrand[] = "mkt";
static constexpr char kPartnerBrand[] = "sf";
static constexpr char kGallery[] = "The Posewell";
static constexpr char kBuilderName[] = "PSW Maker";
static constexpr int32_t kBuilderVersion = 2;
static constexpr char kCreditsTitle[] = "Lumora";
static constexpr char kNoScratch[] = "no scratch";
static constexpr int32_t kCreateOptions = 0;
static constexpr int32_t kNoSegments = 0;
static constexpr size_t kHostPathCapacity = 260;

// String-table texts: store brand, partner brand.
static constexpr int32_t kIntroTitleText[] = {1703, 1704};
static constexpr int32_t kCreditsSubtitleText[] = {1705, 1706};
static constexpr int32_t kCreditsBodyText[] = {1707, 1708};

KAlbumProduction::KAlbumProduction(const KMakerEnvironment& environment, KProgressSink& progress)
    : fEnvironment(environment), fProgress(progress)
{
}

// Runs one piece of the work; a file exception ends it and is reported by the result.
template <class Work>
static bool Guarded(Work&& work)
{
    try {
        work();
        return true;
    } catch (const NFileException&) {
        return false;
    } catch (const NGeneralException&) {
        return false;
    }
}

static std::vector<NFileSpec> PhotosOf(const KAlbumRequest& request)
{
    std::vector<NFileSpec> photos;
    if (request.fSampleMode) {
        char name[16];
        for (int32_t i = 0; i < KAlbumProduction::kSampleCount; ++i) {
            std::snprintf(name, sizeof name, KAlbumProduction::kSampleFormat, i);
            photos.emplace_back(request.fPhotoFolder, name);
        }
        return photos;
    }
    for (NFileIterator files({request.fPhotoFolder}); !files.Done(); files.Next()) {
        if (KPhotoDisc::IsJpegName(files.Value().Name(), request.fAllowLongJpegNames))
            photos.push_back(files.Value());
    }
    return photos;
}

int32_t KAlbumProduction::StepsFor(const KAlbumRequest& request)
{
    int32_t preset = request.fSampleMode ? kSampleCount : 0;
    return kStepsPerPhoto *
           KPhotoDisc::CountPhotos(request.fPhotoFolder, preset, request.fAllowLongJpegNames);
}

int32_t KAlbumProduction::Produce(const KAlbumRequest& request)
{
    fAdded = 0;
    fAlbumFile = NFileSpec();
    NFDirSpec albumFolder = KMakerFolders::AlbumFolder(true);
    NFileSpec selected(albumFolder, kSelectedTheme);
    int32_t album = 0;

    Guarded([&] {
        fProgress.SetSteps(StepsFor(request));
        selected.Delete();
        request.fTheme.CopyTo(selected);
        QLA_SetKeepFolder("");
        if (request.fNewborn != nullptr)
            QLA_SetKeepFolder(request.fNewborn->KeepFolder());
        NFileSpec target(albumFolder, request.fAlbumName, false);
        album = QLA_CreateAlbum(selected.HostPath().c_str(), kCreateOptions, target.HostPath().c_str(), kNoSegments);
        if (album <= 0)
            return;
        // The library may have chosen another path (the save dialog); the album is where it says.
        char written[kHostPathCapacity] = {};
        QLA_GetOutputFilename(album, written, static_cast<int32_t>(sizeof written));
        if (!NFileSpec::FromHostPath(written, fAlbumFile))
            fAlbumFile = target;
        SaveAlbumChunks(album, request);
        AddPhotos(album, request);
    });

    // However the work above ended, an album that was begun is finished: closed and sealed
    // with the photos it has, or deleted when it has none.
    if (album > 0) {
        Guarded([&] { fProgress.Finish(); });
        QLA_CloseAlbum(album);
        if (fAdded > 0)
            CoBrandAndSeal();
        else
            fAlbumFile.DeleteWithSegments();
    }
    NFileSpec(NFTmpDirSpec::The(), kPreparedPhoto).Delete();
    selected.Delete();
    return fAdded;
}

void KAlbumProduction::SaveAlbumChunks(int32_t album, const KAlbumRequest& request)
{
    NStringTable& strings = NStringTable::The();
    int brand = fEnvironment.fBrand ? 1 : 0;
    QLA_SaveAlbumString(album, kTagCoBrand, fEnvironment.fBrand ? kPartnerBrand : kStoreBrand);
    QLA_SaveAlbumString(album, kTagGallery, kGallery);
    QLA_SaveAlbumString(album, kTagBuilderName, kBuilderName);
    QLA_SaveAlbumInt(album, kTagBuilderVersion, kBuilderVersion);
    QLA_SaveAlbumInt(album, kTagShowIntro, 1);
    QLA_SaveAlbumString(album, kTagIntroTitle, strings.GetString(kIntroTitleText[brand]).c_str());
    QLA_SaveAlbumString(album, kTagIntroDescription, "");
    QLA_SaveAlbumInt(album, kTagShowCredits, 1);
    QLA_SaveAlbumString(album, kTagCreditsTitle, kCreditsTitle);
    QLA_SaveAlbumString(album, kTagCreditsSubtitle, strings.GetString(kCreditsSubtitleText[brand]).c_str());
    QLA_SaveAlbumString(album, kTagCreditsBody, strings.GetString(kCreditsBodyText[brand]).c_str());

    if (!request.fSampleMode) {
        NFileSpec discData(request.fPhotoFolder.Parent(), kDiscData);
        if (discData.Exists()) {
            QLA_SaveAlbumInt(album, kTagDiscData, 1);
            QLA_SaveFile(album, discData.HostPath().c_str(), kDiscDataInAlbum);
        }
    }
    if (request.fNoScratch)
        QLA_SaveAlbumString(album, kTagNoScratch, kNoScratch);
    if (request.fNewborn != nullptr)
        request.fNewborn->SaveChunks(album);
}

void KAlbumProduction::AddPhotos(int32_t album, const KAlbumRequest& request)
{
    for (const NFileSpec& photo : PhotosOf(request)) {
        fProgress.Step();
        if (AddPhoto(album, photo))
            ++fAdded;
        fProgress.Step();
    }
}

bool KAlbumProduction::AddPhoto(int32_t album, const NFileSpec& photo)
{
    // The samples are elements of the Maker's archive, the disc's photos loose files.
    if (!KMakerFiles::Exists(photo))
        return false;
    uint32_t date = KMakerFiles::PhotoDate(photo);
    // A file that is no readable JPEG is skipped before it reaches the screen.
    bool readable = Guarded([&] {
        NStream in = photo.Open(NStreamMode::kRead);
        NRect rect;
        int components = 0;
        if (!ReadJpegHeader(in, rect, components))
            throw NFileException(kFileHostFailure, photo.DisplayName());
    });
    if (!readable)
        return false;
    fProgress.ShowPicture(photo);

    // A photo that cannot be read to its end is skipped like one that cannot be read at all.
    NFileSpec prepared(NFTmpDirSpec::The(), kPreparedPhoto);
    NPreparedPhoto result;
    Guarded([&] {
        NStream in = photo.Open(NStreamMode::kRead);
        prepared.Delete();
        NStream out = prepared.Open(NStreamMode::kWrite);
        result = NPhotoPreparer().Prepare(in, out);
        out.Close();
    });
    int32_t opened = 0;
    if (result.fOk)
        opened = QLA_OpenPhoto(album, prepared.HostPath().c_str(), photo.HostPath().c_str(), "", "",
                               static_cast<int32_t>(date));
    if (opened == 1)
        QLA_ClosePhoto(album);
    prepared.Delete();
    return opened == 1;
}

bool KAlbumProduction::CoBrandAndSeal()
{
    NFileSpec coBrand(fEnvironment.fLanguageFolder, fEnvironment.fBrand ? kPartnerCoBrand : kStoreCoBrand);
    NBinder albumBinder;
    NBinder source;
    bool copied = Guarded([&] {
        if (albumBinder.Open(fAlbumFile, fEnvironment.fAppFolder, NBinderMode::kUpdate) == -1 && !albumBinder.IsOpen())
            throw NFileException(kFileCannotOpen, fAlbumFile.DisplayName());
        // The co-brand archive is normally an element of the Maker's own archive, so it is
        // opened over whatever stream reading it gives.
        if (source.OpenStream(coBrand.Open(NStreamMode::kRead), fEnvironment.fAppFolder) == -1 && !source.IsOpen())
            throw NFileException(kFileCannotOpen, coBrand.DisplayName());
        // The co-brand archive serves the copy's reads only while it is registered.
        NBinderRegistry::The().Register(&source);
        try {
            source.CopyTo(albumBinder);
        } catch (...) {
            NBinderRegistry::The().Unregister(&source);
            throw;
        }
        NBinderRegistry::The().Unregister(&source);
    });
    // A read-only archive has nothing to write back.
    static_cast<void>(source.Close());
    // Elements copied before a failure stay: the directory written here lists them all.
    bool closed = !albumBinder.IsOpen() || albumBinder.Close();
    bool sealed = Guarded([&] { NBinder::Seal(fAlbumFile); });
    return copied && closed && sealed;
}
