// LZSS filter that compresses everything written through it into a stream holder.
#pragma once

#include "storage/NStreamFilter.h"

#include <memory>

/// The compressed format, a sequence of groups:
///
///   flag byte   bit 7 first: 1 = the next item is a literal, 0 = a reference
///   8 items     literal: 1 byte
///               reference: 16-bit big-endian W; W >> 5 = absolute window position
///               (1-2047), (W & 0x1F) + 2 = copy length (2-33); W = 0 ends the stream
///
/// The window is a 2048-byte ring that both sides fill from position 1, initially zero.
/// After the end marker the group is completed with literal 0x11 bytes. The filter does
/// not own the holder it writes to; closing it finishes the data and leaves that open.
class NStreamCompress : public NStreamFilter {
public:
    static constexpr int kWindowSize = 2048;
    static constexpr int kMaxMatch = 33;
    static constexpr int kMinMatch = 2;
    static constexpr uint8_t kPadByte = 0x11;

    explicit NStreamCompress(NStream& underlying);
    ~NStreamCompress() override;

    // Lifetime
    void Close() override;

    // Transfer
    int32_t Read(int32_t length, void* buffer) override;
    int32_t Write(int32_t length, const void* buffer) override;

private:
    struct State;

    void ChooseItem();
    // Moves the current position on by one, taking a new lookahead byte when there is one.
    void Advance(const uint8_t* input);
    void InsertCurrent();
    void DeleteNode(int node);
    void EmitLiteral(uint8_t byte);
    void EmitReference(int position, int length);
    void CompleteItem();

    std::unique_ptr<State> fState;
};
