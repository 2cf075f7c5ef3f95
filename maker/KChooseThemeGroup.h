// The choose-theme screen: eight theme buttons, the index remembered for the run.
#pragma once

#include "maker/KSpGroup.h"
#include "widgets/NRadioButton.h"
#include "widgets/NRadioGroup.h"

#include <array>

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
