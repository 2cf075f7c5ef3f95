// LZSS expansion.
#include "storage/NStreamExpand.h"

#include "storage/NFileException.h"

#include <algorithm>

static constexpr int kWindowMask = NStreamCompress::kWindowSize - 1;
static constexpr uint8_t kFirstFlagBit = 0x80;
static constexpr int kPositionShift = 5;
static constexpr int kLengthMask = 0x1F;

NStreamExpand::NStreamExpand(NStream& underlying)
    : NStreamFilter(underlying)
{
}

NStreamExpand::~NStreamExpand()
{
    try {
        Close();
    } catch (...) {
    }
}

void NStreamExpand::LoadGroup()
{
    // The flag byte tells the group's exact size (a literal is one byte, a reference two),
    // so the group is read whole without reading past the compressed data.
    uint8_t flags = fUnderlying->ReadByte();
    int length = 0;
    for (uint8_t bit = kFirstFlagBit; bit; bit >>= 1)
        length += (flags & bit) ? 1 : 2;
    fFlags = flags;
    fMask = kFirstFlagBit;
    fGroupCursor = 0;
    fGroupLength = 0;
    try {
        while (fGroupLength < length) {
            int32_t count = fUnderlying->Read(length - fGroupLength, fGroup + fGroupLength);
            if (count <= 0)
                break;
            fGroupLength += count;
        }
    } catch (const NFileException&) {
        // A truncated group still yields the items that are whole.
    }
}

int32_t NStreamExpand::Read(int32_t length, void* buffer)
{
    CheckOpen();
    auto* out = static_cast<uint8_t*>(buffer);
    int32_t produced = 0;
    try {
        while (produced < length && !fEnded) {
            if (fCopyRemaining > 0) {
                // Byte by byte: the source may overlap the bytes being produced.
                int32_t count = std::min<int32_t>(fCopyRemaining, length - produced);
                for (int32_t i = 0; i < count; ++i) {
                    uint8_t byte = fRing[fCopySource];
                    fRing[fWritePosition] = byte;
                    out[produced++] = byte;
                    fCopySource = (fCopySource + 1) & kWindowMask;
                    fWritePosition = (fWritePosition + 1) & kWindowMask;
                }
                fCopyRemaining -= count;
                continue;
            }
            if (fMask == 0)
                LoadGroup();
            bool literal = (fFlags & fMask) != 0;
            fMask >>= 1;
            if (literal) {
                if (fGroupCursor + 1 > fGroupLength)
                    throw NFileException(kFileEndOfData, GetDisplayName());
                uint8_t byte = fGroup[fGroupCursor++];
                fRing[fWritePosition] = byte;
                fWritePosition = (fWritePosition + 1) & kWindowMask;
                out[produced++] = byte;
            } else {
                if (fGroupCursor + 2 > fGroupLength)
                    throw NFileException(kFileEndOfData, GetDisplayName());
                int word = (fGroup[fGroupCursor] << 8) | fGroup[fGroupCursor + 1];
                fGroupCursor += 2;
                int position = word >> kPositionShift;
                if (position == 0) {
                    fEnded = true;
                    break;
                }
                fCopySource = position;
                fCopyRemaining = (word & kLengthMask) + NStreamCompress::kMinMatch;
            }
        }
    } catch (const NFileException&) {
        // The underlying stream ended or failed: the caller gets what was produced.
        fMask = 0;
        fGroupLength = 0;
        fGroupCursor = 0;
    }
    return produced;
}

void NStreamExpand::Close()
{
    // The rest of the current group was read with it, so nothing is left to skip.
    fUnderlying = nullptr;
}

int32_t NStreamExpand::Write(int32_t, const void*)
{
    return 0;
}
