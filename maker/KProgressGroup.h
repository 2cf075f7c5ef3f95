// The progress screen of the installations and of album production: thermometer and photo preview.
#pragma once

#include "maker/KSpGroup.h"
#include "maker/core/KProgressSink.h"
#include "imaging/NMemSprite.h"
#include "widgets/NThermometer.h"

#include <memory>

class KProgressGroup : public KSpGroup, public KProgressSink {
public:
    enum Mode : int { kPlayerMode = 0, kPartnerMode = 1, kAlbumMode = 2 };
    // The preview box drawn into the album background.
    static constexpr int16_t kPreviewX = 364;
    static constexpr int16_t kPreviewY = 128;
    static constexpr int16_t kPreviewWidth = 236;
    static constexpr int16_t kPreviewHeight = 177;

    explicit KProgressGroup(Mode mode = kPlayerMode) : fMode(mode) {}
    ~KProgressGroup() override;
    const char* ScreenName() const override;

    /// Another mode: background and thermometer follow.
    void SetMode(Mode mode);
    Mode CurrentMode() const { return fMode; }
    /// The preset when above 0, else the folder's ".JPG" files.
    static int32_t CountPhotos(const NFDirSpec& folder, int32_t preset, bool allowLong = false);

    // KProgressSink
    void SetSteps(int32_t steps) override;
    void Step() override;
    void Finish() override;
    void ShowPicture(const NFileSpec& jpeg) override;

    NThermometer& Thermometer() { return fBar; }
    /// The preview's rectangle in the screen; empty when none is shown.
    NRect PreviewRect() const;

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override;

private:
    void LoadBar();
    void Redraw();

    Mode fMode;
    NSprite fTrack;
    NThermometer fBar;
    std::unique_ptr<NMemSprite> fPreview;
};
