// The customer's photo disc: where its photos lie, whether it is a partner disc, how many photos.
#pragma once

#include "maker/core/KMakerEnvironment.h"

#include <cstdint>
#include <string_view>

struct KPhotoDiscResult {
    bool fFound = false;
    bool fPartner = false;     // the disc also carries the partner's viewer
    NFDirSpec fPhotoFolder;    // the disc's "Images:" folder
};

class KPhotoDisc {
public:
    static constexpr char kImagesFolder[] = "Images:";
    static constexpr char kPartnerViewer[] = "PSWView.exe";
    static constexpr char kJpegExtension[] = "JPG";
    static constexpr char kLongJpegExtension[] = "JPEG";
    static constexpr char kPartnerLanguage[] = "eng";

    /// The application folder first, then the root of every removable drive that is
    /// neither a network nor a CD-ROM drive, in drive-walk order.
    static KPhotoDiscResult Find(const KMakerEnvironment& environment);
    /// A candidate qualifies when its "Images:" holds at least one ".JPG" file.
    static bool Qualifies(const NFDirSpec& candidate, NFDirSpec& imagesOut);
    /// The folder (the parent of "Images:") holds the partner's viewer.
    static bool IsPartnerDisc(const NFDirSpec& photoFolder);
    /// Whether the flow goes on to install the partner's viewer: a partner disc found by an
    /// English Maker (other languages go straight to the themes).
    static bool InstallsPartnerViewer(const KMakerEnvironment& environment, const KPhotoDiscResult& disc);
    /// The preset when above 0, else the number of ".JPG" files of the folder (with
    /// allowLong also ".jpeg", for folders dropped on the window).
    static int32_t CountPhotos(const NFDirSpec& folder, int32_t preset, bool allowLong = false);
    /// The upper-cased extension is "JPG" (or "JPEG" with allowLong).
    static bool IsJpegName(std::string_view name, bool allowLong = false);
};
