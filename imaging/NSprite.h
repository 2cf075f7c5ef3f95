// The sprite leaf: one frame of a shared sprite set at the sprite's position.
#pragma once

#include "imaging/NSpObject.h"
#include "imaging/NSpSet.h"
#include "storage/NFileSpec.h"
#include "storage/NVectorPtr.h"

#include <cstdint>
#include <string>

class NPalette;
class NSpFrame;
class NSpImage;

/// The position is not stored: it is the rectangle's top-left corner minus the current
/// frame's origin, and moving or changing frames keeps it.
class NSprite : public NSpObject {
public:
    static constexpr int kNoFrame = -1;

    NSprite();
    /// Hides the sprite (so its area is repainted) and releases its set.
    ~NSprite() override;

    // Sprite node operations
    /// Outside the rectangle false; with the children-hit flag, only opaque pixels hit.
    bool HitTest(NPoint point) const override;
    /// Visible and showing a frame.
    bool IsDrawable() const override;
    void Draw(NSpLoader& surface, const NRect& area) override;
    /// Shows the next frame of the animation range.
    void Animate() override;
    void MoveBy(int32_t dx, int32_t dy) override;
    void MoveTo(NPoint point) override;
    /// A sprite marked as taking input is listed as kind "sprite", named by its file.
    bool DescribeUi(NUiDescription& description) const override;

    // Sets
    /// Reads a sprite file into a new set; a file that cannot be read leaves the sprite
    /// without a set and with an empty rectangle, and false.
    bool LoadSpriteFile(const NFileSpec& spec);
    /// A new in-memory set of one frame at rect's x and y, its image rect's size.
    bool MakeMemory(const NRect& rect, int16_t depth, const NPalette* palette);
    /// Shares the other sprite's set and copies its frame, position, range and flags.
    void CopyFrom(const NSprite& other);
    /// Drops the set; the sprite keeps its position with an empty rectangle.
    void ReleaseSet();

    // Frames
    /// False without a set. Indexes outside the set mean frame 0.
    bool ShowFrame(int index);
    /// The index Animate goes to next; may set the finished flag.
    int NextFrameIndex();
    void SetAnimationRange(int16_t first, int16_t last, int16_t step);
    void SetPlayOnce(bool on) { fPlayOnce = on; }
    bool IsFinished() const { return fFinished; }
    void SetFinished(bool on) { fFinished = on; }
    /// Mirroring and flipping change the frame origin and how the image is drawn.
    void SetMirror(bool on);
    void SetFlipVertically(bool on);
    bool IsMirrored() const { return fMirror; }
    bool IsFlippedVertically() const { return fFlipVertically; }

    NSpFrame* CurrentFrame() const { return fFrame; }
    NSpImage* CurrentImage() const;
    int CurrentIndex() const { return fIndex; }
    NSpSet* Set() const { return fSet.Get(); }
    int16_t FirstFrame() const { return fFirst; }
    int16_t LastFrame() const { return fLast; }
    int16_t Step() const { return fStep; }
    bool FrameChanged() const { return fFrameChanged; }
    void SetFrameChanged(bool on) { fFrameChanged = on; }

    /// The name of the sprite file the set was read from; empty for other sets.
    const std::string& FileName() const { return fFileName; }
    /// Marks a sprite whose own handlers take pointer or key input, so that test tools
    /// list it; widgets describe themselves instead.
    void SetTakesInput(bool on) { fTakesInput = on; }
    bool IsMarkedTakingInput() const { return fTakesInput; }

    /// The local rectangle's corner minus the current frame's origin.
    NPoint Position() const override;
    /// The frame's offset with mirroring and flipping applied.
    NPoint FrameOrigin(const NSpFrame& frame) const;

protected:
    /// Takes a new set: range over all frames with step 1, visible, frame 0 shown.
    void AdoptSet(NVectorPtr<NSpSet> set);

private:
    /// Sets the rectangle to the current frame at the position.
    void PlaceFrame(NPoint position);

    NSpFrame* fFrame = nullptr;
    NVectorPtr<NSpSet> fSet;
    bool fFrameChanged = false;
    int fIndex = kNoFrame;
    int16_t fFirst = 0;
    int16_t fLast = 0;
    int16_t fStep = 1;
    bool fPlayOnce = false;
    bool fFinished = false;
    bool fFlipVertically = false;
    bool fMirror = false;
    bool fTakesInput = false;
    std::string fFileName;
};
