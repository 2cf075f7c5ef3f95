// Sprite sets: reading sprite files (layout in NSpriteFile.h) and sets made in memory.
#include "imaging/NSpSet.h"

#include "imaging/NCanvasImage.h"
#include "imaging/NCanvasMaker.h"
#include "imaging/NPalette.h"
#include "imaging/NSpFileImage.h"
#include "imaging/NSpFrame.h"
#include "imaging/NSpMemImage.h"
#include "imaging/NSpriteFile.h"
#include "storage/NFileException.h"
#include "storage/NStreamExpand.h"

#include <cstdlib>

namespace {

constexpr int kMemoryRowAlign = 4;

// Seeks or throws: a position that cannot be reached is a bad file.
void SeekTo(NStream& stream, int64_t position)
{
    if (position < 0 || stream.Seek(position) != position)
        throw NFileException(kFileEndOfData, stream.GetDisplayName());
}

std::unique_ptr<NSpFrame> ReadFrame(NStream& stream)
{
    auto frame = std::make_unique<NSpFrame>();
    frame->fImageIndex = stream.ReadInt32();
    frame->fReserved = stream.ReadInt32();
    int16_t x = static_cast<int16_t>(stream.ReadInt32());
    int16_t y = static_cast<int16_t>(stream.ReadInt32());
    frame->fOffset = NPoint(x, y);
    return frame;
}

} // namespace

NSpSet::NSpSet() = default;

NSpSet::~NSpSet()
{
    Clear();
}

void NSpSet::Clear()
{
    fFrames.clear();
    if (fOwnMemory) {
        for (std::unique_ptr<NSpImage>& image : fImages)
            image->FreeBits();
    }
    fImages.clear();
    fStream.Reset();
    fStreamUsers = 0;
    fOwnMemory = false;
    fCompressed = false;
    fSeparate = false;
    fFrameCount = 0;
    fImageCount = 0;
    fSpare = 0;
    fVersion = 0;
    fPaletteName.clear();
}

bool NSpSet::ReadSet(NStream& stream, const NFileSpec& spec)
{
    Clear();
    fSpec = spec;
    bool complete = true;
    try {
        fVersion = stream.ReadInt32();
        fFrameCount = static_cast<int16_t>(stream.ReadInt32());
        fImageCount = static_cast<int16_t>(stream.ReadInt32());
        fSpare = stream.ReadInt32();
        char name[kSpritePaletteNameSize + 1] = {};
        stream.ReadFully(kSpritePaletteNameSize, name);
        fPaletteName = name;   // up to the first NUL, at most all 16 bytes
        SeekTo(stream, stream.GetPosition() + kSpriteReservedSize);
        fCompressed = fVersion != kSpriteVersionPlain;
        NStream expanded;
        NStream* directory = &stream;
        if (fCompressed) {
            int32_t offset = stream.ReadInt32();
            SeekTo(stream, offset);
            expanded = NStream(std::make_unique<NStreamExpand>(stream));
            directory = &expanded;
        }
        // Entries are made as they are read, so a count beyond the content costs nothing.
        for (int i = 0; i < fFrameCount; ++i)
            fFrames.push_back(ReadFrame(*directory));
        NPalette palette;
        // Split off: a name from the file never reaches another folder.
        palette.LoadFile(NFileSpec(spec.Dir(), fPaletteName, false), true);
        for (int i = 0; i < fImageCount; ++i) {
            auto image = std::make_unique<NSpFileImage>();
            image->ReadHeader(*directory, *this, palette);
            fImages.push_back(std::move(image));
        }
    } catch (const NFileException&) {
        complete = false;
    }
    ResolveFrames();
    return complete;
}

void NSpSet::ResolveFrames()
{
    for (std::unique_ptr<NSpFrame>& frame : fFrames)
        frame->fImage = GetImageAt(frame->fImageIndex);
}

NStream& NSpSet::AcquireStream()
{
    if (fStreamUsers == 0 || !fStream) {
        fStream = fSpec.Open(NStreamMode::kRead, true);
        fStreamUsers = 0;
    }
    ++fStreamUsers;
    return fStream;
}

void NSpSet::ReleaseStream()
{
    if (fStreamUsers <= 0)
        return;
    if (--fStreamUsers == 0)
        fStream.Reset();
}

void NSpSet::Preload(int frameIndex)
{
    if (frameIndex != kAllFrames) {
        if (NSpFrame* frame = GetFrame(frameIndex)) {
            if (NSpImage* image = frame->GetImage())
                image->Load();
        }
        return;
    }
    try {
        NSpStreamUse use(*this);
        for (std::unique_ptr<NSpFrame>& frame : fFrames) {
            if (NSpImage* image = frame->GetImage())
                image->Load();
        }
    } catch (const NFileException&) {
        // The file is gone: every image stays to be read on its first draw.
    }
}

bool NSpSet::MakeMemorySet(const NRect& rect, int16_t depth, const NPalette* palette)
{
    Clear();
    int bytes = NSpImage::BytesPerPixel(depth);
    if (bytes == 0 || rect.IsEmpty())
        return false;
    int32_t rowBytes = bytes * ((rect.fWidth + kMemoryRowAlign - 1) / kMemoryRowAlign * kMemoryRowAlign);
    auto* bits = static_cast<uint8_t*>(std::calloc(size_t(rowBytes) * size_t(rect.fHeight), 1));
    if (!bits)
        return false;
    auto image = std::make_unique<NSpMemImage>();
    image->SetBits(bits, rect.fWidth, rect.fHeight, rowBytes, depth, palette);
    fImages.push_back(std::move(image));
    fOwnMemory = true;
    auto frame = std::make_unique<NSpFrame>();
    frame->fImageIndex = 0;
    frame->fOffset = rect.TopLeft();
    fFrames.push_back(std::move(frame));
    fFrameCount = 1;
    fImageCount = 1;
    ResolveFrames();
    return true;
}

bool NSpSet::MakeCanvasSet(const NRect& rect, int16_t depth, const NPalette* palette, NCanvasMaker& maker)
{
    Clear();
    if (rect.IsEmpty())
        return false;
    std::unique_ptr<NCanvasImage> image = maker.CreateCanvas(NPoint(rect.fWidth, rect.fHeight), depth, palette);
    if (!image)
        return false;
    fImages.push_back(std::move(image));
    fSeparate = true;
    auto frame = std::make_unique<NSpFrame>();
    frame->fImageIndex = 0;
    frame->fOffset = rect.TopLeft();
    fFrames.push_back(std::move(frame));
    fFrameCount = 1;
    fImageCount = 1;
    ResolveFrames();
    return true;
}

NSpFrame* NSpSet::GetFrame(int index) const
{
    if (!IsFrameIndex(index))
        return nullptr;
    if (index < FramesRead())
        return fFrames[size_t(index)].get();
    return &fMissingFrame;
}

NSpImage* NSpSet::GetImageAt(int index) const
{
    if (index < 0 || index >= ImagesRead())
        return nullptr;
    return fImages[size_t(index)].get();
}
