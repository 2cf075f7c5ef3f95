// Album building: copying the theme, adding photos and files, writing the info elements.
//
// Photo info "PNFO" version 3:  FNAM TITL JPEG [AUXI] CAPT DATE SPEC <client chunks> fini
// Album info "LBUM" version 3:  <client chunks> NUMP OPTI DATE OSpc TSpc fini
#include "builder/LMAlbumBuilder.h"

#include "builder/KNoCustomFilter.h"
#include "framework/NRegistry.h"
#include "platform/NHostDialogs.h"
#include "platform/NHostFileSystem.h"
#include "storage/NBinderRegistry.h"
#include "storage/NDateTime.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"
#include "storage/NFIterator.h"
#include "storage/NSegmentJournal.h"
#include "storage/NStreamSegmented.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kInfoVersion = 3;

// Segment size codes of album creation.
constexpr int32_t kSegmentCode3M = -5;
constexpr int32_t kSegmentCode2M = -3;
constexpr int32_t kSegmentCodeFloppy = -2;
constexpr int32_t kSegmentCode1M = -1;
constexpr int32_t kSegmentCodeNoneAlt = -4;
constexpr int64_t kSegment3M = 3000000;
constexpr int64_t kSegment2M = 2000000;
constexpr int64_t kSegmentFloppy = 1433600;
constexpr int64_t kSegment1M = 1000000;

constexpr char kAlbumInfoBase[] = "Qipa";
constexpr char kPhotoInfoBase[] = "Qipp";
constexpr char kPhotoFolder[] = "photo:";
constexpr char kAlbumInfoElement[] = "Album.nfo";
constexpr char kPhotoNameFormat[] = "%04d";
constexpr size_t kPhotoNameCapacity = 16;
constexpr char kCaptionSplit[] = "//";
constexpr size_t kCaptionSplitLength = 2;

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kAppDataValue[] = "AppData";
constexpr char kFallbackTemp[] = "C:\\WINDOWS\\TEMP";
constexpr char kWorkSuffix[] = "\\Lumora\\x.xxx";
constexpr char kFallbackDrive[] = "C:/";
constexpr char kFallbackPath[] = "WINDOWS:TEMP:";

constexpr char kAlbumClassKey[] = ".Qip";
constexpr char kLastSaveDirFormat[] = "%s\\LastSaveDir";
constexpr size_t kKeyCapacity = 300;
constexpr char kDialogTitle[] = "Lumora";
constexpr char kDialogFilter[] = "Lumora (*.Qip)|*.Qip||";
constexpr char kDialogExtension[] = "Qip";

NFDirSpec AlbumMount()
{
    return NFAppDirSpec::The().SubDir("Binder:");
}

std::string PhotoName(int32_t number)
{
    char text[kPhotoNameCapacity];
    std::snprintf(text, sizeof text, kPhotoNameFormat, number);
    return text;
}

bool SpecOfHostPath(const char* path, NFileSpec& spec)
{
    return path != nullptr && NFileSpec::FromHostPath(path, spec);
}

bool IsSegmentSet(const NFileSpec& spec)
{
    try {
        NStream file = spec.Open(NStreamMode::kRead);
        return NSegmentHeader::Read(file).has_value();
    } catch (const NFileException&) {
        return false;
    }
}

} // namespace

LMAlbumBuilder::LMAlbumBuilder(int32_t handle) : fHandle(handle) {}

LMAlbumBuilder::~LMAlbumBuilder()
{
    try {
        Finish(true);
    } catch (...) {
        // Destruction cannot report; the album stays as far as it got.
    }
}

int64_t LMAlbumBuilder::SegmentLimit(int32_t code)
{
    int64_t limit;
    switch (code) {
    case kSegmentCode3M: limit = kSegment3M; break;
    case kSegmentCode2M: limit = kSegment2M; break;
    case kSegmentCodeFloppy: limit = kSegmentFloppy; break;
    case kSegmentCode1M: limit = kSegment1M; break;
    case 0:
    case kSegmentCodeNoneAlt: limit = 0; break;
    default: limit = code; break;
    }
    // A negative byte count other than the codes cannot be a size.
    if (limit < 0)
        limit = 0;
    return limit / kSegmentGranule * kSegmentGranule;
}

const NFDirSpec& LMAlbumBuilder::WorkFolder()
{
    static const NFDirSpec sFolder = [] {
        std::string appData;
        NRegistry::ReadString(kHKeyCurrentUser, kShellFolders, kAppDataValue, appData);
        if (appData.empty())
            appData = kFallbackTemp;
        NFileSpec placeholder;
        NFDirSpec folder(NFDriveSpec(kFallbackDrive), kFallbackPath);
        if (NFileSpec::FromHostPath(appData + kWorkSuffix, placeholder))
            folder = placeholder.Dir();
        folder.Create();
        return folder;
    }();
    return sFolder;
}

NFileSpec LMAlbumBuilder::AlbumElement(const std::string& name) const
{
    return NFileSpec(AlbumMount(), std::string(kPhotoFolder) + name);
}

void LMAlbumBuilder::StartInfo(InfoFile& info, const char* baseName, int32_t type)
{
    info.fWriter.reset();
    info.fStream.Reset();
    info.fSpec = NFileSpec(WorkFolder(), baseName);
    info.fSpec.MakeUnique();
    info.fSpec.Delete();
    info.fStream = info.fSpec.Open(NStreamMode::kWrite, true);
    info.fWriter = std::make_unique<LMChunkWriter>(info.fStream);
    info.fWriter->BeginFile(type, kInfoVersion);
}

void LMAlbumBuilder::StoreInfo(InfoFile& info, const std::string& element)
{
    info.fWriter->EndFile();
    info.fWriter.reset();
    info.fStream.Close();
    info.fStream.Reset();
    int64_t size = info.fSpec.Open(NStreamMode::kRead).GetLength();
    fAlbum.Add(AlbumElement(element), info.fSpec, size);
    info.fSpec.Delete();
}

bool LMAlbumBuilder::ChooseOutput(const char* outputPath)
{
    if (SpecOfHostPath(outputPath, fOutputSpec)) {
        fOutputHostName = fOutputSpec.HostPath();
        return true;
    }
    NFileSpec start(NFAppDirSpec::The(), "", false);
    std::string className;
    std::string lastDirKey;
    bool haveClass = NRegistry::ReadString(kHKeyClassesRoot, kAlbumClassKey, "", className);
    if (haveClass) {
        char key[kKeyCapacity];
        std::snprintf(key, sizeof key, kLastSaveDirFormat, className.c_str());
        lastDirKey = key;
        std::string lastDir;
        NFileSpec converted;
        if (NRegistry::ReadString(kHKeyClassesRoot, lastDirKey, "", lastDir) && !lastDir.empty()
            && NFileSpec::FromHostPath(lastDir, converted))
            start = converted;
    }
    NHostSaveDialog dialog;
    dialog.fTitle = kDialogTitle;
    dialog.fFilter = kDialogFilter;
    dialog.fDefaultExtension = kDialogExtension;
    dialog.fInitialFolder = start.Dir().HostPath();
    dialog.fInitialName = start.Name();
    std::string chosen;
    if (!NHostDialogs::SaveFile(dialog, chosen) || !NFileSpec::FromHostPath(chosen, fOutputSpec))
        return false;
    fOutputHostName = fOutputSpec.HostPath();
    if (haveClass)
        NRegistry::WriteString(kHKeyClassesRoot, lastDirKey, "", fOutputSpec.Dir().HostPath());
    return true;
}

int32_t LMAlbumBuilder::Create(const char* themePath, int32_t options, const char* outputPath, int32_t segmentSize,
                               const std::string& keepFolder)
{
    fPhotoNumber = 0;
    fOptions = options;
    try {
        StartInfo(fAlbumInfo, kAlbumInfoBase, kTypeAlbumInfo);
    } catch (const NFileException&) {
        return kCreateFileError;
    }
    int64_t limit = SegmentLimit(segmentSize);
    int32_t extra = (static_cast<uint32_t>(options) & kOptionExtraBits) != 0 ? kExtraApplicationBits : 0;

    if (!ChooseOutput(outputPath))
        return kCreateCancelled;
    fHasTheme = themePath == nullptr || std::strcmp(themePath, kNoThemePath) != 0;
    if (fHasTheme && !SpecOfHostPath(themePath, fThemeSpec))
        return kCreateThemeUnusable;

    NFDirSpec mount = AlbumMount();
    // An album already at the output stays whole until the new one is finished (see
    // Publish). Without one, the album is written at its path at once, as the interface
    // promises; a segmented set is named after its file and is always written in place.
    fReplacing = limit == 0 && fOutputSpec.Exists() && !IsSegmentSet(fOutputSpec);
    fWorkSpec = fOutputSpec;
    if (fReplacing)
        fWorkSpec.SetName(NHostFileSystem::SiblingTempName(fOutputSpec.Name()));
    // The first file of a set carries the base name cut to what segment names allow, and
    // the set is reopened, counted and sealed under that name.
    if (limit > 0)
        fWorkSpec.SetName(NStreamSegmented::SegmentName(fOutputSpec, 0, 1));
    fReplacingSet = limit > 0 && (fOutputSpec.Exists() || fWorkSpec.Exists());
    try {
        if (fReplacingSet) {
            fSetFolder = fOutputSpec.Dir().SubDir(NHostFileSystem::SiblingTempName(fOutputSpec.Name()) + ":");
            DiscardSetFolder();
            if (!fSetFolder.Create())
                throw NFileException(kFileCannotCreate, fOutputSpec.DisplayName(), NHostFileSystem::LastError());
            fWorkSpec = NFileSpec(fSetFolder, fWorkSpec.Name(), false);
        } else if (fReplacing) {
            fWorkSpec.Delete();
        } else {
            fOutputSpec.DeleteWithSegments();
            fWorkSpec.DeleteWithSegments();
        }
        if (!fHasTheme) {
            if (!fAlbum.Create(fWorkSpec, mount, extra | kNoThemeApplication, limit, kAlbumTag))
                throw NFileException(kFileCannotCreate, fOutputSpec.DisplayName());
            if (!fAlbum.Close())
                throw NFileException(kFileHostFailure, fOutputSpec.DisplayName());
        } else {
            NBinder theme;
            int32_t application = theme.Open(fThemeSpec, mount, NBinderMode::kRead);
            if (application == -1 && !theme.IsOpen())
                throw NFileException(kFileCannotOpen, fThemeSpec.DisplayName());
            if (!fAlbum.Create(fWorkSpec, mount, application | extra, limit, kAlbumTag))
                throw NFileException(kFileCannotCreate, fOutputSpec.DisplayName());
            NBinderRegistry::The().Register(&theme);
            KNoCustomFilter filter(keepFolder);
            try {
                theme.CopyTo(fAlbum, &filter);
            } catch (...) {
                NBinderRegistry::The().Unregister(&theme);
                throw;
            }
            NBinderRegistry::The().Unregister(&theme);
            static_cast<void>(theme.Close());
            if (!fAlbum.Close())
                throw NFileException(kFileHostFailure, fOutputSpec.DisplayName());
        }
        if (fAlbum.Open(fWorkSpec, mount, NBinderMode::kUpdate) == -1 && !fAlbum.IsOpen())
            throw NFileException(kFileCannotOpen, fOutputSpec.DisplayName());
        fCreated = true;
    } catch (const NFileException&) {
        if (fAlbum.IsOpen())
            static_cast<void>(fAlbum.Close());
        fWorkSpec.Delete();
        if (fReplacingSet)
            DiscardSetFolder();
        return kCreateFileError;
    }
    return fHandle;
}

void LMAlbumBuilder::SaveAlbumString(int32_t tag, const char* text)
{
    if (fAlbumInfo.IsOpen())
        fAlbumInfo.fWriter->WriteStringChunk(tag, text != nullptr ? text : "");
}

void LMAlbumBuilder::SaveAlbumInt(int32_t tag, int32_t value)
{
    if (fAlbumInfo.IsOpen())
        fAlbumInfo.fWriter->WriteIntChunk(tag, value);
}

void LMAlbumBuilder::SavePhotoString(int32_t tag, const char* text)
{
    if (fPhotoInfo.IsOpen())
        fPhotoInfo.fWriter->WriteStringChunk(tag, text != nullptr ? text : "");
}

void LMAlbumBuilder::SavePhotoInt(int32_t tag, int32_t value)
{
    if (fPhotoInfo.IsOpen())
        fPhotoInfo.fWriter->WriteIntChunk(tag, value);
}

bool LMAlbumBuilder::AddElement(const char* sourcePath, const std::string& element, NFileSpec& source)
{
    if (!SpecOfHostPath(sourcePath, source))
        return false;
    if (!fAlbum.IsOpen())
        throw NFileException(kFileArchiveRefused, source.DisplayName());
    int64_t size = source.Open(NStreamMode::kRead).GetLength();
    fAlbum.Add(AlbumElement(element), source, size);
    return true;
}

bool LMAlbumBuilder::OpenPhoto(const char* sourcePath, const char* pictureName, const char* title,
                               const char* caption, int32_t date)
{
    std::string element = PhotoName(fPhotoNumber) + ".jpg";
    NFileSpec source;
    try {
        if (!AddElement(sourcePath, element, source))
            return false;
        StartInfo(fPhotoInfo, kPhotoInfoBase, kTypePhotoInfo);
        LMChunkWriter& writer = *fPhotoInfo.fWriter;
        writer.WriteStringChunk(kTagFNAM, pictureName != nullptr ? pictureName : "");
        writer.WriteStringChunk(kTagTITL, title != nullptr ? title : "");
        writer.WriteStringChunk(kTagJPEG, element);
        std::string text = caption != nullptr ? caption : "";
        if (text.size() >= kCaptionSplitLength && text.compare(text.size() - kCaptionSplitLength, kCaptionSplitLength,
                                                               kCaptionSplit) == 0) {
            text.resize(text.size() - kCaptionSplitLength);
            size_t split = text.find(kCaptionSplit);
            if (split != std::string::npos) {
                writer.WriteStringChunk(kTagAUXI, std::string_view(text).substr(split + kCaptionSplitLength));
                text.resize(split);
            }
        }
        writer.WriteStringChunk(kTagCAPT, text);
        writer.WriteDateChunk(kTagDATE, static_cast<uint32_t>(date));
        writer.WriteSpecChunk(kTagSPEC, source);
        return true;
    } catch (const NFileException&) {
        // The picture may already be in; its info is not, and the number stays.
        fPhotoInfo.fWriter.reset();
        fPhotoInfo.fStream.Reset();
        return false;
    }
}

void LMAlbumBuilder::ClosePhoto()
{
    if (!fPhotoInfo.IsOpen())
        return;
    try {
        StoreInfo(fPhotoInfo, PhotoName(fPhotoNumber) + ".nfo");
    } catch (const NFileException&) {
        fPhotoInfo.fWriter.reset();
        fPhotoInfo.fStream.Reset();
        throw;
    }
    ++fPhotoNumber;
}

bool LMAlbumBuilder::SaveFile(const char* sourcePath, const char* nameInAlbum)
{
    NFileSpec source;
    try {
        return AddElement(sourcePath, nameInAlbum != nullptr ? nameInAlbum : "", source);
    } catch (const NFileException&) {
        return false;
    }
}

std::string LMAlbumBuilder::CurPhotoName() const
{
    return PhotoName(fPhotoNumber);
}

void LMAlbumBuilder::Finish(bool seal)
{
    if (fAlbum.IsOpen()) {
        if (fAlbumInfo.IsOpen()) {
            LMChunkWriter& writer = *fAlbumInfo.fWriter;
            writer.WriteIntChunk(kTagNUMP, fPhotoNumber);
            writer.WriteIntChunk(kTagOPTI, fOptions);
            writer.WriteDateChunk(kTagDATE, NDateTime::Now().fSeconds);
            writer.WriteSpecChunk(kTagOSpc, fOutputSpec);
            if (fHasTheme)
                writer.WriteSpecChunk(kTagTSpc, fThemeSpec);
            else
                writer.WriteEmptySpecChunk(kTagTSpc);
            StoreInfo(fAlbumInfo, kAlbumInfoElement);
        }
        if (!fAlbum.Close()) {
            // The archive went back to what it was before this session: no album.
            fFailed = true;
            if (fReplacing)
                fWorkSpec.Delete();
            if (fReplacingSet)
                DiscardSetFolder();
            throw NFileException(kFileHostFailure, fOutputSpec.DisplayName(), NHostFileSystem::LastError());
        }
    }
    if (fFailed || !fCreated)
        return;
    if (seal && !fSealed) {
        fSealed = true;
        // Sealing opens the album with a segment limit, so a segmented album is summed and
        // stamped as the one logical file it is, not through its first segment's bytes.
        NBinder::Seal(fWorkSpec, 0, fAlbum.MadeChecksum());
    }
    Publish();
}

void LMAlbumBuilder::Publish()
{
    if (fReplacingSet)
        PublishSet();
    if (!fReplacing)
        return;
    fReplacing = false;
    if (!NHostFileSystem::SyncFile(fWorkSpec.HostPath())
        || !NHostFileSystem::Replace(fWorkSpec.HostPath(), fOutputSpec.HostPath())) {
        int error = NHostFileSystem::LastError();
        fFailed = true;
        fWorkSpec.Delete();
        throw NFileException(kFileCannotCreate, fOutputSpec.HostPath(), error);
    }
    fWorkSpec = fOutputSpec;
}

void LMAlbumBuilder::PublishSet()
{
    fReplacingSet = false;
    NFileSpec first(fOutputSpec.Dir(), fWorkSpec.Name(), false);
    // The album there now: a set found through the output's name or the first segment's,
    // or a single file under either.
    std::vector<NFileSpec> old;
    auto note = [&old](const NFileSpec& file) {
        for (const NFileSpec& known : old) {
            if (known.HostPath() == file.HostPath())
                return;
        }
        old.push_back(file);
    };
    for (const NFileSpec& name : { fOutputSpec, first }) {
        for (const NFileSpec& file : NStreamSegmented::SetFiles(name))
            note(file);
        if (name.Exists())
            note(name);
    }
    NFDirSpec retired = fSetFolder.SubDir("old:");
    std::vector<std::pair<std::string, std::string>> moves;
    try {
        if (!retired.Create())
            throw NFileException(kFileCannotCreate, fOutputSpec.DisplayName(), NHostFileSystem::LastError());
        // First the old album out of the way, then the new set in, all or nothing.
        for (const NFileSpec& file : old)
            moves.emplace_back(file.HostPath(), NFileSpec(retired, file.Name(), false).HostPath());
        for (const NFileSpec& file : NStreamSegmented::SetFiles(fWorkSpec))
            moves.emplace_back(file.HostPath(), NFileSpec(fOutputSpec.Dir(), file.Name(), false).HostPath());
        NSegmentJournal::MoveAll(first.HostPath(), moves);
    } catch (const NFileException&) {
        fFailed = true;
        DiscardSetFolder();
        throw;
    }
    fWorkSpec = first;
    DiscardSetFolder();
}

void LMAlbumBuilder::DiscardSetFolder()
{
    for (const NFDirSpec& folder : { fSetFolder.SubDir("old:"), fSetFolder }) {
        for (NFileIterator files({ folder }); !files.Done(); files.Next())
            files.Value().Delete();
        std::string path = folder.HostPath();
        if (path.size() > 1 && path.back() == '\\')
            path.pop_back();
        NHostFileSystem::RemoveDirectory(path);
    }
}

int32_t LMAlbumBuilder::NumSegments()
{
    if (fSegmentCount != 0)
        return fSegmentCount;
    Finish(false);
    if (!fWorkSpec.Exists())
        return 0;
    NStream file = fWorkSpec.Open(NStreamMode::kRead);
    std::optional<NSegmentHeader> header = NSegmentHeader::Read(file);
    fSegmentCount = header && header->fCount > 0 ? header->fCount : 1;
    return fSegmentCount;
}

std::string LMAlbumBuilder::SegmentName(int32_t index) const
{
    return NStreamSegmented::SegmentName(fOutputSpec, index, fSegmentCount);
}
