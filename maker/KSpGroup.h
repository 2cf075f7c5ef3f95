// The base of every Maker screen: its own port, the build on event 1230, the background
// by language and the logo; and the screens' text button.
#pragma once

#include "framework/NPortHandle.h"
#include "imaging/NJpegSprite.h"
#include "imaging/NSpText.h"
#include "imaging/NSpWindow.h"
#include "imaging/NSprite.h"
#include "widgets/NTextButton.h"

#include <memory>
#include <string>
#include <vector>

class KTextButton : public NTextButton {
public:
    KTextButton() = default;
    ~KTextButton() override;
};

/// A text of a screen: words, font entry, colour and where it goes.
struct KScreenText {
    std::string fWords;
    int32_t fFont = 0;
    uint32_t fColour = 0;       // 0xAARRGGBB
    uint32_t fBackground = 0;   // 0xAARRGGBB of the box behind it (drawn clear)
    int16_t fX = 0;
    int16_t fY = 0;
    int32_t fWrap = 0;          // 0: one line
    int32_t fMargin = 0;
    bool fRightEdge = false;    // fX is the right edge
};

class KSpGroup : public NSpWindow {
public:
    static constexpr int32_t kBuildEvent = 1230;
    static constexpr uint32_t kBuildDelay = 10;
    static constexpr int32_t kBackgroundLayer = 16;
    static constexpr int32_t kLogoLayer = 15;
    static constexpr int32_t kButtonLayer = 11;
    static constexpr int32_t kTextLayer = 12;
    static constexpr int16_t kWidth = 640;
    static constexpr int16_t kHeight = 480;

    KSpGroup();
    ~KSpGroup() override;

    /// The UI dump lists a screen as kind "screen" under its name.
    bool DescribeUi(NUiDescription& description) const override;
    /// Event 1230 on the screen's own port builds it; other events go to the window.
    bool HandleEvent(const NPortEvent& event) override;
    /// Posts the build to the screen's port, due in 10 ms.
    void PostBuild();
    /// Builds at once unless built already.
    void Build();
    bool IsBuilt() const { return fBuilt; }
    bool BackgroundDecoding() const { return fBackground.IsDecoding(); }
    const NPortHandle& Port() const { return fPort; }
    /// The background picture and the logo sprite the build chose ("" before it, or no logo).
    const std::string& BackgroundPicture() const { return fBackgroundPicture; }
    const std::string& LogoFile() const { return fLogoFile; }
    /// The name the UI dump and screenshots use.
    virtual const char* ScreenName() const = 0;

    /// A sprite of "Sprites:" in the assets, localised ("deu" + name) when asked and there.
    static std::string SpriteName(const std::string& name, bool localised);
    static bool AssetExists(const NFileSpec& spec);
    /// The palette index nearest to a 0xRRGGBB colour.
    static uint8_t ColourIndex(uint32_t colour);

protected:
    // The screen's own parts, in this order.
    virtual void BuildSprites() = 0;
    virtual std::string BackgroundName() const = 0;
    virtual bool ShowsLogo() const { return true; }

    /// A text of the string table.
    static std::string Words(int32_t id);
    /// A text in a screen's dark panel: x 30, wrap width 245, the panel colours.
    static KScreenText PanelText(std::string words, int32_t font, int16_t y);
    /// A text button from "Sprites:" at the place its file gives; clicks post the event
    /// on the application port.
    KTextButton& AddButton(const std::string& sprite, int32_t caption, int32_t font, int32_t event);
    NSpText& AddText(const KScreenText& text);
    /// A plain sprite of "Sprites:" at the place its file gives.
    NSprite& AddSprite(const std::string& sprite, int32_t layer);
    /// Replaces the background picture (the error form of the insert-disk screen).
    void LoadBackground(const std::string& name);
    void Remove(NSpObject& part);

    std::vector<std::unique_ptr<NSpObject>> fParts;

private:
    NPortHandle fPort;
    NJpegSprite fBackground;
    NSprite fLogo;
    std::string fBackgroundPicture;
    std::string fLogoFile;
    bool fBuilt = false;
};
