// Builds one album archive: the theme's elements, photos with their info, and the album info.
#pragma once

#include "builder/LMChunkWriter.h"
#include "storage/NBinder.h"
#include "storage/NFileSpec.h"
#include "storage/NStream.h"

#include <cstdint>
#include <memory>
#include <string>

// Results of creating an album besides its handle.
enum : int32_t {
    kCreateThemeUnusable = 0,    // the theme path could not be converted
    kCreateCancelled = -1,
    kCreateFileError = -2,
    kCreateAlreadyOpen = -3,
    kCreateNoMemory = -4,
};

/// Construction takes the album handle; destruction finishes and seals the album.
class LMAlbumBuilder {
public:
    static constexpr char kNoThemePath[] = ".lmp";
    static constexpr uint32_t kOptionExtraBits = 0x2000000;
    static constexpr int32_t kExtraApplicationBits = 0x2100000;
    static constexpr int32_t kNoThemeApplication = 0x30000;
    static constexpr int32_t kAlbumTag = 0x51697032;   // "Qip2"
    static constexpr int32_t kSegmentGranule = 512;

    explicit LMAlbumBuilder(int32_t handle);
    virtual ~LMAlbumBuilder();

    /// The steps of album creation; the handle, kCreateCancelled, kCreateFileError or
    /// kCreateThemeUnusable.
    int32_t Create(const char* themePath, int32_t options, const char* outputPath, int32_t segmentSize,
                   const std::string& keepFolder);

    void SaveAlbumString(int32_t tag, const char* text);
    void SaveAlbumInt(int32_t tag, int32_t value);
    bool OpenPhoto(const char* sourcePath, const char* pictureName, const char* title, const char* caption,
                   int32_t date);
    void SavePhotoString(int32_t tag, const char* text);
    void SavePhotoInt(int32_t tag, int32_t value);
    void ClosePhoto();
    bool SaveFile(const char* sourcePath, const char* nameInAlbum);

    /// Writes the album info and closes the archive when it is still open; with `seal`
    /// also stores the archive's checksum (once).
    void Finish(bool seal);
    int32_t NumSegments();
    std::string SegmentName(int32_t index) const;

    int32_t Handle() const { return fHandle; }
    std::string CurPhotoName() const;
    const std::string& OutputHostName() const { return fOutputHostName; }

    /// The segment limit for a size code, a multiple of kSegmentGranule; 0 = one file.
    static int64_t SegmentLimit(int32_t code);
    /// The folder of the temporary info files, made once per process.
    static const NFDirSpec& WorkFolder();

private:
    struct InfoFile {
        NFileSpec fSpec;
        NStream fStream;
        std::unique_ptr<LMChunkWriter> fWriter;
        bool IsOpen() const { return fWriter != nullptr; }
    };

    void StartInfo(InfoFile& info, const char* baseName, int32_t type);
    // Closes the info file, adds it to the album and deletes it.
    void StoreInfo(InfoFile& info, const std::string& element);
    bool AddElement(const char* sourcePath, const std::string& element, NFileSpec& source);
    bool ChooseOutput(const char* outputPath);
    // Moves a finished temporary album over the output.
    void Publish();
    void PublishSet();
    void DiscardSetFolder();
    NFileSpec AlbumElement(const std::string& name) const;

    int32_t fHandle;
    int32_t fPhotoNumber = 0;
    int32_t fOptions = 0;
    bool fHasTheme = false;
    NFileSpec fThemeSpec;
    NFileSpec fOutputSpec;
    // Where the archive is written: the output itself, or, when an album already lies
    // there, a temporary file beside it that replaces the output once finished.
    NFileSpec fWorkSpec;
    bool fReplacing = false;
    // A segmented album over an album already there is built in a folder of its own beside
    // it, under its final names, and moved in as one journalled step once finished.
    NFDirSpec fSetFolder;
    bool fReplacingSet = false;
    bool fFailed = false;          // finishing failed: nothing is published
    std::string fOutputHostName;
    int32_t fSegmentCount = 0;     // 0 until first asked
    bool fCreated = false;         // the archive was made
    bool fSealed = false;
    NBinder fAlbum;
    InfoFile fAlbumInfo;
    InfoFile fPhotoInfo;
};
