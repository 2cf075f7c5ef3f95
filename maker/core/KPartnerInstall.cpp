// Installing the portrait studio's viewer from a partner disc, with the disc's photos beside it.
#include "maker/core/KPartnerInstall.h"

#include "maker/core/KMakerFiles.h"
#include "maker/core/KMakerFolders.h"
#include "maker/core/KPhotoDisc.h"
#include "maker/core/KShortcut.h"
#include "storage/NFIterator.h"
#include "storage/NFileException.h"

#include <algorithm>
#include <vector>

KPartnerInstall::KPartnerInstall(const KMakerEnvironment& environment, KProgressSink& progress)
    : fEnvironment(environment), fProgress(progress)
{
}

bool KPartnerInstall::Install(const NFDirSpec& photoFolder, bool partnerDisc)
{
    try {
        fProgress.SetSteps(KPhotoDisc::CountPhotos(photoFolder, 0) + kExtraSteps);
        NFDirSpec partnerFolder = KMakerFolders::PartnerFolder(true);
        NFDirSpec images = partnerFolder.SubDir(kImagesFolder);
        if (!images.Create())
            throw NFileException(kFileCannotCreate, images.DisplayName());
        bool ok = true;
        if (partnerDisc) {
            NFileSpec viewer(partnerFolder, KPhotoDisc::kPartnerViewer);
            CopyViewer(NFileSpec(photoFolder.Parent(), KPhotoDisc::kPartnerViewer), viewer);
            ok = MakeShortcuts(viewer, partnerFolder);
        }
        CopyPhotos(photoFolder, images);
        if (ok)
            fProgress.Finish();
        return ok;
    } catch (const NFileException&) {
        return false;
    }
}

void KPartnerInstall::CopyViewer(const NFileSpec& source, const NFileSpec& target)
{
    target.Delete();
    NStream in = source.Open(NStreamMode::kRead);
    NStream out = target.Open(NStreamMode::kWrite);
    int64_t size = in.GetLength();
    std::vector<char> buffer(kCopyBufferSize);
    int64_t copied = 0;
    for (int32_t part = 1; part <= kCopyParts; ++part) {
        int64_t end = size * part / kCopyParts;
        while (copied < end) {
            auto count = static_cast<int32_t>(std::min<int64_t>(end - copied, kCopyBufferSize));
            in.ReadFully(count, buffer.data());
            out.WriteFully(count, buffer.data());
            copied += count;
        }
        fProgress.Step();
    }
    out.Close();
    if (!KMakerFiles::MarkRunnable(target))
        throw NFileException(kFileHostFailure, target.DisplayName());
}

bool KPartnerInstall::MakeShortcuts(const NFileSpec& viewer, const NFDirSpec& partnerFolder)
{
    std::string workingFolder = partnerFolder.HostPath();
    if (workingFolder.size() > 3 && workingFolder.back() == '\\')
        workingFolder.pop_back();
    NFileSpec desktopLink(KMakerFolders::DesktopFolder(), kViewerLink);
    bool ok = KShortcut::Create(desktopLink, viewer.HostPath(), kViewerDescription, workingFolder) == 0;
    NFDirSpec group = KMakerFolders::ProgramsFolder().SubDir(kProgramsGroup);
    group.Create();
    NFileSpec groupLink(group, kViewerLink);
    ok = KShortcut::Create(groupLink, viewer.HostPath(), kViewerDescription, workingFolder) == 0 && ok;
    return ok;
}

void KPartnerInstall::CopyPhotos(const NFDirSpec& photoFolder, const NFDirSpec& images)
{
    std::vector<NFileSpec> photos;
    for (NFileIterator files({photoFolder}); !files.Done(); files.Next()) {
        if (KPhotoDisc::IsJpegName(files.Value().Name()))
            photos.push_back(files.Value());
    }
    for (const NFileSpec& photo : photos) {
        NFileSpec target(images, photo.Name());
        if (!target.Exists())
            photo.CopyTo(target);
        fProgress.Step();
    }
}
