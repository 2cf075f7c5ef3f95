// A memory sprite whose 32-bit image is filled by decoding a JPEG file, at once or a slice
// per timer tick.
#pragma once

#include "imaging/NMemSprite.h"

#include <cstdint>
#include <memory>

class NFileSpec;
struct NIdleTask;
struct NJpegHeader;

// States of a sliced decode's timer task.
enum : int {
    kJpegTaskStart = 30000,      // first tick: wait for the start delay
    kJpegTaskDecoding = 30001,   // each tick decodes for the slice time
    kJpegTaskDone = 30002,       // decoding finished; the next tick ends the task
};
// 30000 --tick--> 30001 --tick, rows remain--> 30001
//                       --tick, finished-----> 30002 --tick--> ended
// A failure, a file exception or a cancellation ends the task from any state.

class NJpegSprite : public NMemSprite {
public:
    NJpegSprite();
    /// Removes the timer and frees the decode task, its stream and its decoder.
    ~NJpegSprite() override;

    // JPEG
    /// Called when a decode ends (finished, failed or given up); tells the current image
    /// through its second reserved hook.
    virtual void JpegDone();

    /// The decoded size of the file's picture, (0, 0, width, height); empty when the file
    /// cannot be read or its component count is neither 3 nor 1.
    static NRect JpegInfo(const NFileSpec& spec, int* components = nullptr, NJpegHeader* header = nullptr);
    /// True when the file starts with FF D8 and its header can be read; never throws.
    static bool IsJpegFile(const NFileSpec& spec);

    /// Decodes the file at 1 / scale into the current 32-bit image; with a slice time, a
    /// slice per timer tick after the start delay.
    void LoadJpeg(const NFileSpec& spec, int scale);
    /// Writes the current 32-bit image as a JPEG file, replacing it; false on failure.
    bool SaveJpeg(const NFileSpec& spec, int quality);

    /// (0, 0, width, height) of the last decode; (0, 0, 0, 0) when nothing could be decoded.
    const NRect& DecodedSize() const { return fDecodedSize; }
    void SetSliceTime(uint32_t milliseconds) { fSliceTime = milliseconds; }
    void SetStartDelay(uint32_t milliseconds) { fStartDelay = milliseconds; }
    bool IsDecoding() const { return fTask != nullptr; }
    /// True when the last decode ended with a file exception.
    bool HadFileError() const { return fFileError; }

private:
    struct DecodeTask;

    static void Tick(void* owner, NIdleTask& task);
    /// Frees the decoder and the stream of the task.
    void FreeDecoder();
    /// Removes the timer (without JpegDone) and frees the task.
    void CancelTask();
    /// Ends the task: timer id cleared, decoder and stream freed, JpegDone.
    void EndTask();

    NRect fDecodedSize;
    uint32_t fSliceTime = 0;
    uint32_t fStartDelay = 0;
    std::unique_ptr<DecodeTask> fTask;
    bool fFileError = false;
    bool fCancelling = false;
};
