// Run-length row decoding (codes as described in NSpriteFile.h). One template walks the
// codes; the writers are per destination, with mirroring a template argument, so runs
// become whole fills and no pixel is dispatched on.
#include "imaging/NRunLength.h"

#include "imaging/NPixelOps.h"
#include "imaging/NSpImage.h"
#include "imaging/NSpriteFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kAlphaMask = 0xFF000000;
constexpr uint32_t kRedBlueMask = 0x00FF00FF;
constexpr uint32_t kGreenMask = 0x0000FF00;
constexpr uint32_t kFullCoverage = 255;
constexpr int kShadowShift = 8;

template <class Writer>
void Decode(const NRunLengthRow& row, Writer& writer)
{
    const uint8_t* at = row.fCodes;
    const uint8_t* end = row.fEnd;
    int32_t skip = std::max(row.fSkip, 0);
    int32_t count = row.fCount;
    while (count > 0 && end - at >= 2) {
        uint8_t first = at[0];
        uint8_t second = at[1];
        at += 2;
        int32_t length;
        const uint8_t* literal = nullptr;
        if (first != kRunEscape) {
            length = first;
        } else {
            if (second == kRunEndOfRow || second == kRunEndOfImage)
                return;
            length = second;
            if (end - at < length)
                return;
            literal = at;
            at += length;
        }
        if (skip >= length) {
            skip -= length;
            continue;
        }
        int32_t take = std::min(length - skip, count);
        if (literal)
            writer.Literal(literal + skip, take);
        else
            writer.Run(take, second);
        skip = 0;
        count -= take;
    }
}

// Moves a destination cursor by whole pixels in the writing direction.
template <int kBytes, bool kMirror>
struct Cursor {
    uint8_t* fAt;

    void Advance(int32_t pixels) { fAt += (kMirror ? -pixels : pixels) * kBytes; }
    // The lowest address of the next n pixels, where a run is filled.
    uint8_t* Span(int32_t pixels) const { return kMirror ? fAt - (pixels - 1) * kBytes : fAt; }
};

template <bool kMirror>
struct Writer8 : Cursor<1, kMirror> {
    bool fTransparent;
    uint8_t fKey;

    void Run(int32_t n, uint8_t value)
    {
        if (!(fTransparent && value == fKey))
            std::memset(this->Span(n), value, size_t(n));
        this->Advance(n);
    }
    void Literal(const uint8_t* values, int32_t n)
    {
        if (!kMirror) {
            std::memcpy(this->fAt, values, size_t(n));
        } else {
            for (int32_t i = 0; i < n; ++i)
                this->fAt[-i] = values[i];
        }
        this->Advance(n);
    }
};

template <bool kMirror>
struct Writer16 : Cursor<2, kMirror> {
    bool fTransparent;
    uint8_t fKey;
    const uint16_t* fTable;

    void Run(int32_t n, uint8_t value)
    {
        if (!(fTransparent && value == fKey)) {
            uint8_t* span = this->Span(n);
            uint16_t pixel = fTable[value];
            for (int32_t i = 0; i < n; ++i)
                NStore16(span + i * 2, pixel);
        }
        this->Advance(n);
    }
    void Literal(const uint8_t* values, int32_t n)
    {
        for (int32_t i = 0; i < n; ++i, this->Advance(1))
            NStore16(this->fAt, fTable[values[i]]);
    }
};

template <bool kMirror>
struct Writer32 : Cursor<4, kMirror> {
    bool fTransparent;
    uint8_t fKey;
    const uint32_t* fTable;

    void Run(int32_t n, uint8_t value)
    {
        if (!(fTransparent && value == fKey)) {
            uint8_t* span = this->Span(n);
            uint32_t pixel = fTable[value];
            for (int32_t i = 0; i < n; ++i)
                NStore32(span + i * 4, pixel);
        }
        this->Advance(n);
    }
    void Literal(const uint8_t* values, int32_t n)
    {
        for (int32_t i = 0; i < n; ++i, this->Advance(1))
            NStore32(this->fAt, fTable[values[i]]);
    }
};

inline void Shade(uint8_t* at, uint32_t coverage)
{
    if (coverage == 0)
        return;
    if (coverage == kFullCoverage) {
        NStore32(at, 0);
        return;
    }
    uint32_t keep = kFullCoverage - coverage;
    uint32_t pixel = NLoad32(at);
    uint32_t redBlue = ((pixel & kRedBlueMask) * keep >> kShadowShift) & kRedBlueMask;
    uint32_t green = ((pixel & kGreenMask) * keep >> kShadowShift) & kGreenMask;
    NStore32(at, (pixel & kAlphaMask) | redBlue | green);
}

template <bool kMirror>
struct WriterShadow : Cursor<4, kMirror> {
    bool fTransparent;
    uint8_t fKey;

    void Run(int32_t n, uint8_t value)
    {
        if (!(fTransparent && value == fKey) && value != 0) {
            uint8_t* span = this->Span(n);
            for (int32_t i = 0; i < n; ++i)
                Shade(span + i * 4, value);
        }
        this->Advance(n);
    }
    void Literal(const uint8_t* values, int32_t n)
    {
        for (int32_t i = 0; i < n; ++i, this->Advance(1))
            Shade(this->fAt, values[i]);
    }
};

template <int kMode>
struct WriterMask {
    uint8_t* fAt;
    int fBytes;
    const uint8_t* fScale;

    void Put(uint8_t value)
    {
        uint8_t v = fScale[value];
        if (kMode == kMaskCopy)
            *fAt = v;
        else if (v)
            *fAt = kMode == kMaskCovered ? v : 0;
        fAt += fBytes;
    }
    void Run(int32_t n, uint8_t value)
    {
        uint8_t v = fScale[value];
        if (kMode != kMaskCopy && v == 0) {
            fAt += ptrdiff_t(n) * fBytes;
            return;
        }
        for (int32_t i = 0; i < n; ++i)
            Put(value);
    }
    void Literal(const uint8_t* values, int32_t n)
    {
        for (int32_t i = 0; i < n; ++i)
            Put(values[i]);
    }
};

template <template <bool> class Writer, class... Extra>
void DecodeWith(const NRunLengthRow& row, uint8_t* destination, Extra... extra)
{
    if (row.fMirror) {
        Writer<true> writer { { destination }, row.fTransparent, row.fKey, extra... };
        Decode(row, writer);
    } else {
        Writer<false> writer { { destination }, row.fTransparent, row.fKey, extra... };
        Decode(row, writer);
    }
}

} // namespace

void NDecodeRow8(const NRunLengthRow& row, uint8_t* destination)
{
    DecodeWith<Writer8>(row, destination);
}

void NDecodeRow16(const NRunLengthRow& row, uint8_t* destination, const uint16_t* table)
{
    DecodeWith<Writer16>(row, destination, table);
}

void NDecodeRow32(const NRunLengthRow& row, uint8_t* destination, const uint32_t* table)
{
    DecodeWith<Writer32>(row, destination, table);
}

void NDecodeRowShadow32(const NRunLengthRow& row, uint8_t* destination)
{
    DecodeWith<WriterShadow>(row, destination);
}

void NDecodeRowMask(const NRunLengthRow& row, uint8_t* destination, int bytesPerPixel, int mode,
                    const uint8_t* scale)
{
    switch (mode) {
    case kMaskCopy: {
        WriterMask<kMaskCopy> writer { destination, bytesPerPixel, scale };
        Decode(row, writer);
        break;
    }
    case kMaskCovered: {
        WriterMask<kMaskCovered> writer { destination, bytesPerPixel, scale };
        Decode(row, writer);
        break;
    }
    case kMaskClearCovered: {
        WriterMask<kMaskClearCovered> writer { destination, bytesPerPixel, scale };
        Decode(row, writer);
        break;
    }
    default:
        break;
    }
}
