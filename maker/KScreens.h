// The Maker's screens: welcome, insert-disk (with its error form), choose-theme, progress,
// play and quit.
#pragma once

#include "maker/KSpGroup.h"
#include "maker/core/KProgressSink.h"
#include "imaging/NMemSprite.h"
#include "widgets/NRadioButton.h"
#include "widgets/NRadioGroup.h"
#include "widgets/NThermometer.h"

#include <array>

// Events the screens' buttons post on the application port.
enum : int32_t {
    kEventWelcomeContinue = 1210,
    kEventWelcomeQuit = 1211,
    kEventDiskOK = 1215,
    kEventDiskSamples = 1216,
    kEventQuitOffer = 1240,
    kEventQuitOfferPage = 1241,
    kEventQuitQuit = 1242,
    kEventQuitWithOffer = 1290,
    kEventQuitPlain = 1291,
    kEventNewbornContinue = 1340,
    kEventNewbornBack = 1341,
    kEventMakeAlbum = 1400,
    kEventThemeQuit = 1401,
    kEventThemeFirst = 1402,
    kEventThemeLast = 1409,
    kEventProduce = 1700,
    kEventLaunchViewer = 1701,
    kEventAfterViewer = 1702,
    kEventInstallPlayer = 1703,
    kEventInstallPartner = 1704,
};

// The screens' text colours (0xAARRGGBB).
constexpr uint32_t kPanelColour = 0xFFC3BCFC;
constexpr uint32_t kWelcomeColour = 0xFFCDB7DD;
constexpr uint32_t kClearColour = 0xFFFFFF;

class KWelcomeGroup : public KSpGroup {
public:
    const char* ScreenName() const override { return "welcome"; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override;
};

class KInsertDiskGroup : public KSpGroup {
public:
    const char* ScreenName() const override { return fError ? "insert-disk-error" : "insert-disk"; }
    /// Turns the screen into its error form (once).
    void ShowError();
    bool ShowsError() const { return fError; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override;

private:
    void BuildParts();
    bool fError = false;
};

class KChooseThemeGroup : public KSpGroup {
public:
    static constexpr int kThemeCount = 8;
    static constexpr int kNewbornIndex = 3;
    static constexpr int kNoScratchIndex = 2;
    static constexpr int32_t kAlbumNameText = 1400;

    KChooseThemeGroup();
    ~KChooseThemeGroup() override;
    const char* ScreenName() const override { return "choose-theme"; }

    /// A theme button's event: the index it stands for (clamped into 0-7) is remembered.
    void ThemeEvent(int32_t code);
    int Index() const { return fIndex; }
    /// The chosen theme's file in "LMx:" of the assets.
    NFileSpec ThemeFile() const;
    std::string AlbumName() const;
    bool IsNewborn() const { return fIndex == kNewbornIndex; }
    bool IsNoScratch() const { return fIndex == kNoScratchIndex; }
    static const char* ThemeFileName(int index);

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override { return "chooseBG.jpg"; }

private:
    int fIndex = 0;
    NRadioGroup fGroup;
    std::array<NRadioButton, kThemeCount> fThemes;
};

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

class KPlayGroup : public KSpGroup {
public:
    const char* ScreenName() const override { return "play"; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override { return "playBG.jpg"; }
};

class KQuitGroup : public KSpGroup {
public:
    const char* ScreenName() const override { return "quit"; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override { return "quitbg.jpg"; }
};
