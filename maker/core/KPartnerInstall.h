// Installing the portrait studio's viewer from a partner disc, with the disc's photos beside it.
#pragma once

#include "maker/core/KMakerEnvironment.h"
#include "maker/core/KProgressSink.h"

#include <cstdint>

class KPartnerInstall {
public:
    static constexpr int32_t kExtraSteps = 8;
    static constexpr int32_t kCopyParts = 5;
    static constexpr int32_t kCopyBufferSize = 16384;
    static constexpr char kImagesFolder[] = "Images:";
    static constexpr char kViewerLink[] = "Posewell.lnk";
    static constexpr char kViewerDescription[] = "Posewell";
    static constexpr char kProgramsGroup[] = "PSW Posewerks:";

    KPartnerInstall(const KMakerEnvironment& environment, KProgressSink& progress);

    /// The viewer (from a partner disc) and the photos of the folder into the partner
    /// folder; false when anything failed, a file exception included.
    [[nodiscard]] bool Install(const NFDirSpec& photoFolder, bool partnerDisc);

private:
    /// Copies in kCopyParts parts of the file's size, one progress step after each.
    void CopyViewer(const NFileSpec& source, const NFileSpec& target);
    bool MakeShortcuts(const NFileSpec& viewer, const NFDirSpec& partnerFolder);
    void CopyPhotos(const NFDirSpec& photoFolder, const NFDirSpec& images);

    const KMakerEnvironment& fEnvironment;
    KProgressSink& fProgress;
};
