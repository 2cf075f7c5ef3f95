// JPEG sprites: header queries, decoding at once or by a timer task, and saving.
#include "imaging/NJpegSprite.h"

#include "imaging/NJpeg.h"
#include "imaging/NSpImage.h"
#include "framework/NAppClock.h"
#include "framework/NIdleTaskRegistry.h"
#include "storage/NFileException.h"
#include "storage/NFileSpec.h"
#include "storage/NStream.h"

namespace {

constexpr uint8_t kStartOfImage[] = { 0xFF, 0xD8 };
constexpr int32_t kBytesPerPixel = 4;

// The timer task's record in the registry.
struct TimerState : NIdleTask {
    int fState = kJpegTaskStart;
};

} // namespace

struct NJpegSprite::DecodeTask {
    std::unique_ptr<NJpegDecoder> fDecoder;
    std::unique_ptr<NStream> fStream;
    uint32_t fTimerId = 0;   // 0 when no timer runs
};

NJpegSprite::NJpegSprite() = default;

NJpegSprite::~NJpegSprite()
{
    CancelTask();
}

void NJpegSprite::JpegDone()
{
    if (NSpImage* image = CurrentImage())
        image->ReservedHook2();
}

NRect NJpegSprite::JpegInfo(const NFileSpec& spec, int* components, NJpegHeader* header)
{
    NRect rect;
    int count = 0;
    try {
        NStream stream = spec.Open(NStreamMode::kRead);
        int64_t position = stream.GetPosition();
        if (!ReadJpegHeader(stream, rect, count, header))
            rect = NRect();
        stream.Seek(position);
    } catch (const NFileException&) {
        rect = NRect();
    }
    if (components != nullptr)
        *components = count;
    return count == kJpegColorComponents || count == kJpegGrayComponents ? rect : NRect();
}

bool NJpegSprite::IsJpegFile(const NFileSpec& spec)
{
    try {
        NStream stream = spec.Open(NStreamMode::kRead);
        int64_t position = stream.GetPosition();
        uint8_t start[sizeof kStartOfImage] = {};
        int32_t count = stream.Read(sizeof start, start);
        bool jpeg = count == int32_t(sizeof start) && start[0] == kStartOfImage[0] && start[1] == kStartOfImage[1];
        if (jpeg) {
            stream.Seek(position);
            NRect rect;
            int components = 0;
            jpeg = ReadJpegHeader(stream, rect, components);
        }
        stream.Seek(position);
        return jpeg;
    } catch (const NFileException&) {
        return false;
    }
}

void NJpegSprite::LoadJpeg(const NFileSpec& spec, int scale)
{
    NSpImage* image = CurrentImage();
    if (image == nullptr || image->Depth() != 32 || image->GetBits() == nullptr) {
        fDecodedSize = NRect();
        return;
    }
    image->SetFlag(kImageTransparent, false);
    CancelTask();
    fFileError = false;
    fTask = std::make_unique<DecodeTask>();
    fTask->fDecoder = std::make_unique<NJpegDecoder>();
    bool started = false;
    try {
        fTask->fStream = std::make_unique<NStream>(spec.Open(NStreamMode::kRead));
        started = BeginJpegDecode(*fTask->fDecoder, *fTask->fStream, reinterpret_cast<uint32_t*>(image->GetBits()),
                                  image->RowBytes() / kBytesPerPixel, fDecodedSize, image, image->Bounds(), scale);
    } catch (const NFileException&) {
        fFileError = true;
    }
    if (!started) {
        fDecodedSize = NRect();
        EndTask();
        return;
    }
    if (fSliceTime == 0) {
        try {
            ContinueJpegDecode(*fTask->fDecoder, NAppClock::The().Now() + kJpegDecodeAtOnceMs);
        } catch (const NFileException&) {
            fFileError = true;
        }
        bool finished = fTask->fDecoder->IsFinished();
        EndTask();
        if (finished)
            MarkChanged();
        return;
    }
    if (fTask->fTimerId == 0)
        fTask->fTimerId = NIdleTaskRegistry::The().Add(Tick, this, std::make_unique<TimerState>());
}

bool NJpegSprite::SaveJpeg(const NFileSpec& spec, int quality)
{
    NSpImage* image = CurrentImage();
    if (image == nullptr || image->Depth() != 32 || image->HasFlag(kImageRunLength))
        return false;
    try {
        if (spec.Exists())
            spec.Delete();
        NStream stream = spec.Open(NStreamMode::kWrite);
        bool written = WriteJpeg(stream, *image, quality);
        stream.Close();
        return written;
    } catch (const NFileException&) {
        return false;
    }
}

void NJpegSprite::Tick(void* owner, NIdleTask& task)
{
    auto& sprite = *static_cast<NJpegSprite*>(owner);
    auto& timer = static_cast<TimerState&>(task);
    if (task.fFinished) {
        // Cancelled: by CancelTask, which frees the task itself, or by someone else.
        if (!sprite.fCancelling && sprite.fTask) {
            sprite.fTask->fTimerId = 0;
            sprite.EndTask();
        }
        return;
    }
    uint32_t now = NAppClock::The().Now();
    if (sprite.fTask && timer.fState == kJpegTaskStart) {
        // 0 would mean "every pass"; a start that lands on it waits one millisecond more.
        task.fNextDue = (now + sprite.fStartDelay == 0) ? 1 : now + sprite.fStartDelay;
        timer.fState = kJpegTaskDecoding;
        return;
    }
    if (sprite.fTask && sprite.fTask->fDecoder && timer.fState == kJpegTaskDecoding) {
        bool ok = false;
        try {
            ok = ContinueJpegDecode(*sprite.fTask->fDecoder, now + sprite.fSliceTime);
        } catch (const NFileException&) {
            sprite.fFileError = true;
        }
        // Each slice shows: the rows decoded so far are on screen while the rest loads.
        sprite.MarkChanged();
        if (ok && sprite.fTask->fDecoder->IsFinished()) {
            timer.fState = kJpegTaskDone;
            sprite.FreeDecoder();
        }
        if (ok)
            return;
    }
    task.fFinished = true;
    if (sprite.fTask) {
        sprite.fTask->fTimerId = 0;
        sprite.EndTask();
    }
}

void NJpegSprite::FreeDecoder()
{
    if (fTask) {
        fTask->fDecoder.reset();
        fTask->fStream.reset();
    }
}

void NJpegSprite::CancelTask()
{
    if (!fTask)
        return;
    if (fTask->fTimerId != 0) {
        if (NIdleTaskRegistry* registry = NIdleTaskRegistry::IfAlive()) {
            fCancelling = true;
            registry->Cancel(fTask->fTimerId);
            fCancelling = false;
        }
    }
    fTask.reset();
}

void NJpegSprite::EndTask()
{
    if (fTask && fTask->fTimerId != 0) {
        if (NIdleTaskRegistry* registry = NIdleTaskRegistry::IfAlive()) {
            fCancelling = true;
            registry->Cancel(fTask->fTimerId);
            fCancelling = false;
        }
    }
    fTask.reset();
    JpegDone();
}
