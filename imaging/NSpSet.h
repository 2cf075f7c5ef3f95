// Sprite sets: the frames and images of one sprite file, or of one sprite made in memory.
#pragma once

#include "geometry/NRect.h"
#include "imaging/NSpFrame.h"
#include "storage/NFileSpec.h"
#include "storage/NStream.h"
#include "storage/NVectorPtr.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class NCanvasMaker;
class NPalette;
class NSpImage;

/// Shared by every sprite made from the same set through NVectorPtr<NSpSet>. A set read
/// from a file keeps the file's specification so that image pixels are read when first
/// drawn, through one stream shared while any image is loading.
class NSpSet : public NCountedRecord {
public:
    static constexpr int kAllFrames = -1;

    NSpSet();
    ~NSpSet();

    NSpSet(const NSpSet&) = delete;
    NSpSet& operator=(const NSpSet&) = delete;

    /// Reads the header, frames and image headers from stream (the sprite file spec).
    /// A file error stops the reading there: the counts stay as read, entries not read
    /// are missing (frames without images), and the result is false.
    bool ReadSet(NStream& stream, const NFileSpec& spec);

    /// The set's file stream, opened by the first acquire and closed by the release that
    /// balances it. Throws NFileException when the file cannot be opened.
    NStream& AcquireStream();
    void ReleaseStream();
    int StreamUsers() const { return fStreamUsers; }

    /// Makes one frame's image resident, or with kAllFrames every frame's, sharing one
    /// stream; errors leave the images to be read again later.
    void Preload(int frameIndex);

    /// One frame at the rectangle's x and y with one in-memory image of its size, pixel
    /// memory zeroed with rows (depth / 8) x (width rounded up to 4) bytes apart.
    bool MakeMemorySet(const NRect& rect, int16_t depth, const NPalette* palette);
    /// One frame with a drawing surface made by the maker; false when it makes none.
    bool MakeCanvasSet(const NRect& rect, int16_t depth, const NPalette* palette, NCanvasMaker& maker);

    /// The frame, or null outside 0 to frame count - 1. A frame the file did not deliver
    /// is an empty frame without an image.
    NSpFrame* GetFrame(int index) const;
    /// The image, or null for -1 and every index of an image not read.
    NSpImage* GetImageAt(int index) const;
    bool IsFrameIndex(int index) const { return index >= 0 && index < fFrameCount; }

    int16_t FrameCount() const { return fFrameCount; }
    int16_t ImageCount() const { return fImageCount; }
    int FramesRead() const { return static_cast<int>(fFrames.size()); }
    int ImagesRead() const { return static_cast<int>(fImages.size()); }
    int32_t Spare() const { return fSpare; }
    int32_t Version() const { return fVersion; }
    const std::string& PaletteName() const { return fPaletteName; }
    const NFileSpec& Spec() const { return fSpec; }
    bool IsCompressed() const { return fCompressed; }
    bool OwnsMemory() const { return fOwnMemory; }

private:
    void Clear();
    void ResolveFrames();

    NFileSpec fSpec;
    NStream fStream;
    int fStreamUsers = 0;
    bool fOwnMemory = false;
    bool fCompressed = false;
    bool fSeparate = false;
    std::vector<std::unique_ptr<NSpFrame>> fFrames;
    std::vector<std::unique_ptr<NSpImage>> fImages;
    int16_t fFrameCount = 0;
    int16_t fImageCount = 0;
    int32_t fSpare = 0;
    int32_t fVersion = 0;
    std::string fPaletteName;
    // What GetFrame answers for frames the file did not deliver: no image, empty bounds.
    mutable NSpFrame fMissingFrame;
};

/// Holds a set's stream for one scope.
class NSpStreamUse {
public:
    explicit NSpStreamUse(NSpSet& set) : fSet(set), fStream(set.AcquireStream()) {}
    ~NSpStreamUse() { fSet.ReleaseStream(); }
    NSpStreamUse(const NSpStreamUse&) = delete;
    NSpStreamUse& operator=(const NSpStreamUse&) = delete;

    NStream& Stream() const { return fStream; }

private:
    NSpSet& fSet;
    NStream& fStream;
};
