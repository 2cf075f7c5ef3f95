// LZSS compression over a binary search tree of window positions.
#include "storage/NStreamCompress.h"

#include "storage/NFileException.h"

#include <bit>
#include <cstring>

static constexpr int kWindowMask = NStreamCompress::kWindowSize - 1;
static constexpr int kTreeHead = NStreamCompress::kWindowSize;   // its larger child is the root
static constexpr int kNone = 0;                                  // 0 is never a node
static constexpr int kItemsPerGroup = 8;
static constexpr uint8_t kFirstFlagBit = 0x80;
static constexpr int kPositionShift = 5;

// The whole state in one allocation: no allocation per byte.
struct NStreamCompress::State {
    // The first kMaxMatch bytes repeat after the end, so a 33-byte comparison starting
    // anywhere reads straight on without wrapping.
    uint8_t fRing[kWindowSize + kMaxMatch] = {};
    uint16_t fParent[kWindowSize + 1] = {};
    uint16_t fSmaller[kWindowSize + 1] = {};
    uint16_t fLarger[kWindowSize + 1] = {};
    int fCurrent = 1;          // window position of the next item
    int fLookahead = 0;        // valid bytes from fCurrent on
    int fToConsume = 0;        // bytes to move past before the next item is chosen
    int fMatchLength = 0;
    int fMatchPosition = 0;
    bool fStarted = false;     // the lookahead was filled once
    // The group being built.
    uint8_t fFlags = 0;
    uint8_t fMask = kFirstFlagBit;
    int fItems = 0;
    int fItemBytes = 0;
    uint8_t fGroup[1 + 2 * kItemsPerGroup] = {};
};

NStreamCompress::NStreamCompress(NStream& underlying)
    : NStreamFilter(underlying)
    , fState(std::make_unique<State>())
{
    // Position 1 is the root before any byte arrives.
    fState->fLarger[kTreeHead] = 1;
    fState->fParent[1] = kTreeHead;
}

NStreamCompress::~NStreamCompress()
{
    try {
        Close();
    } catch (...) {
        // Nothing can be reported from a destructor; Close reports to those who call it.
    }
}

// Stores a window byte, keeping the repeated head after the end in step.
static inline void StoreRing(uint8_t* ring, int position, uint8_t byte)
{
    ring[position] = byte;
    if (position < NStreamCompress::kMaxMatch)
        ring[NStreamCompress::kWindowSize + position] = byte;
}

// How many of the kMaxMatch bytes at a and b agree, eight at a time.
static inline int MatchLength(const uint8_t* a, const uint8_t* b)
{
    constexpr int kWord = sizeof(uint64_t);
    int length = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; length + kWord <= NStreamCompress::kMaxMatch; length += kWord) {
            uint64_t x, y;
            std::memcpy(&x, a + length, kWord);
            std::memcpy(&y, b + length, kWord);
            if (uint64_t difference = x ^ y)
                return length + std::countr_zero(difference) / 8;
        }
    }
    while (length < NStreamCompress::kMaxMatch && a[length] == b[length])
        ++length;
    return length;
}

// --- the search tree ---

void NStreamCompress::InsertCurrent()
{
    State& s = *fState;
    int node = s.fCurrent;
    s.fSmaller[node] = kNone;
    s.fLarger[node] = kNone;
    int candidate = s.fLarger[kTreeHead];
    if (candidate == kNone) {
        s.fMatchLength = 0;
        s.fLarger[kTreeHead] = static_cast<uint16_t>(node);
        s.fParent[node] = kTreeHead;
        return;
    }
    const uint8_t* key = s.fRing + node;
    int bestLength = 0;
    int bestPosition = 0;
    for (;;) {
        const uint8_t* other = s.fRing + candidate;
        int length = MatchLength(key, other);
        // Ties go to the node met later, which lies deeper in the tree.
        if (length >= bestLength) {
            bestLength = length;
            bestPosition = candidate;
        }
        if (length == kMaxMatch) {
            // A full match: the new node takes the old one's place.
            int parent = s.fParent[candidate];
            s.fParent[node] = static_cast<uint16_t>(parent);
            s.fSmaller[node] = s.fSmaller[candidate];
            s.fLarger[node] = s.fLarger[candidate];
            if (s.fSmaller[node] != kNone)
                s.fParent[s.fSmaller[node]] = static_cast<uint16_t>(node);
            if (s.fLarger[node] != kNone)
                s.fParent[s.fLarger[node]] = static_cast<uint16_t>(node);
            if (s.fLarger[parent] == candidate)
                s.fLarger[parent] = static_cast<uint16_t>(node);
            else
                s.fSmaller[parent] = static_cast<uint16_t>(node);
            s.fParent[candidate] = kNone;
            break;
        }
        uint16_t* child = key[length] < other[length] ? &s.fSmaller[candidate] : &s.fLarger[candidate];
        if (*child == kNone) {
            *child = static_cast<uint16_t>(node);
            s.fParent[node] = static_cast<uint16_t>(candidate);
            break;
        }
        candidate = *child;
    }
    s.fMatchLength = bestLength;
    s.fMatchPosition = bestPosition;
}

void NStreamCompress::DeleteNode(int node)
{
    State& s = *fState;
    if (node == kNone || s.fParent[node] == kNone)
        return;
    int replacement;
    if (s.fSmaller[node] == kNone) {
        replacement = s.fLarger[node];
    } else if (s.fLarger[node] == kNone) {
        replacement = s.fSmaller[node];
    } else {
        // The largest node of the smaller subtree takes the place.
        replacement = s.fSmaller[node];
        if (s.fLarger[replacement] != kNone) {
            do {
                replacement = s.fLarger[replacement];
            } while (s.fLarger[replacement] != kNone);
            int parent = s.fParent[replacement];
            s.fLarger[parent] = s.fSmaller[replacement];
            if (s.fSmaller[replacement] != kNone)
                s.fParent[s.fSmaller[replacement]] = static_cast<uint16_t>(parent);
            s.fSmaller[replacement] = s.fSmaller[node];
            s.fParent[s.fSmaller[node]] = static_cast<uint16_t>(replacement);
        }
        s.fLarger[replacement] = s.fLarger[node];
        s.fParent[s.fLarger[node]] = static_cast<uint16_t>(replacement);
    }
    int parent = s.fParent[node];
    if (replacement != kNone)
        s.fParent[replacement] = static_cast<uint16_t>(parent);
    if (s.fLarger[parent] == node)
        s.fLarger[parent] = static_cast<uint16_t>(replacement);
    else
        s.fSmaller[parent] = static_cast<uint16_t>(replacement);
    s.fParent[node] = kNone;
}

// --- items and groups ---

void NStreamCompress::CompleteItem()
{
    State& s = *fState;
    s.fMask >>= 1;
    if (++s.fItems < kItemsPerGroup)
        return;
    s.fGroup[0] = s.fFlags;
    fUnderlying->WriteFully(1 + s.fItemBytes, s.fGroup);
    s.fFlags = 0;
    s.fMask = kFirstFlagBit;
    s.fItems = 0;
    s.fItemBytes = 0;
}

void NStreamCompress::EmitLiteral(uint8_t byte)
{
    State& s = *fState;
    s.fFlags |= s.fMask;
    s.fGroup[1 + s.fItemBytes++] = byte;
    CompleteItem();
}

void NStreamCompress::EmitReference(int position, int length)
{
    State& s = *fState;
    int word = (length - kMinMatch) | (position << kPositionShift);
    s.fGroup[1 + s.fItemBytes++] = static_cast<uint8_t>(word >> 8);
    s.fGroup[1 + s.fItemBytes++] = static_cast<uint8_t>(word);
    CompleteItem();
}

void NStreamCompress::ChooseItem()
{
    State& s = *fState;
    if (s.fMatchLength > s.fLookahead)
        s.fMatchLength = s.fLookahead;
    if (s.fMatchLength >= kMinMatch) {
        EmitReference(s.fMatchPosition, s.fMatchLength);
        s.fToConsume = s.fMatchLength;
    } else {
        EmitLiteral(s.fRing[s.fCurrent]);
        s.fToConsume = 1;
    }
}

void NStreamCompress::Advance(const uint8_t* input)
{
    State& s = *fState;
    int incoming = (s.fCurrent + kMaxMatch) & kWindowMask;
    // That position's old string is about to be overwritten (or, closing, to leave the window).
    DeleteNode(incoming);
    if (input)
        StoreRing(s.fRing, incoming, *input);
    else
        --s.fLookahead;
    s.fCurrent = (s.fCurrent + 1) & kWindowMask;
    --s.fToConsume;
    // Position 0 is never entered, so no reference can point at it.
    if (s.fLookahead > 0 && s.fCurrent != 0)
        InsertCurrent();
    else
        s.fMatchLength = 0;
}

// --- stream operations ---

int32_t NStreamCompress::Write(int32_t length, const void* buffer)
{
    CheckOpen();
    if (length < 1)
        return 0;
    State& s = *fState;
    const auto* input = static_cast<const uint8_t*>(buffer);
    const uint8_t* end = input + length;
    while (!s.fStarted) {
        if (input == end)
            return length;
        StoreRing(s.fRing, (s.fCurrent + s.fLookahead) & kWindowMask, *input++);
        if (++s.fLookahead == kMaxMatch)
            s.fStarted = true;
    }
    for (;;) {
        while (s.fToConsume > 0) {
            if (input == end)
                return length;
            Advance(input++);
        }
        ChooseItem();
    }
}

void NStreamCompress::Close()
{
    if (!fUnderlying)
        return;
    State& s = *fState;
    try {
        s.fStarted = true;
        for (;;) {
            while (s.fToConsume > 0)
                Advance(nullptr);
            if (s.fLookahead == 0)
                break;
            ChooseItem();
        }
        EmitReference(0, kMinMatch);   // the end marker, W = 0
        while (s.fItems != 0)
            EmitLiteral(kPadByte);
        fUnderlying->Flush();
    } catch (...) {
        // A stream that failed to finish cannot be finished later either.
        fUnderlying = nullptr;
        throw;
    }
    fUnderlying = nullptr;
}

int32_t NStreamCompress::Read(int32_t, void*)
{
    return 0;
}
