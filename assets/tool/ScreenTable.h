// The Maker's screens as the contact sheets compose them: background, sprites at the
// places their files give, button captions, texts and their boxes.
#pragma once

#include "geometry/NRect.h"

#include <cstdint>
#include <vector>

constexpr int32_t kMakerApplication = 2;
// The face of a push button (its frame less the base under it) and the room a caption
// keeps from the face's rounded ends.
constexpr int16_t kButtonFaceHeight = 42;
constexpr int16_t kButtonInset = 10;

enum : int { kAnchorLeft, kAnchorRight, kAnchorCentre };

/// A text from the string table (or a literal, for what a user would type), its font's
/// string id, colours (0xRRGGBB; shadow 0 for none), place and the box it must fit in.
struct ScreenText {
    const char* fScreen = nullptr;
    int32_t fId = 0;
    int32_t fSecondId = 0;     // joined after a line break
    int32_t fFont = 0;
    uint32_t fColour = 0;
    uint32_t fShadow = 0;
    int fAnchor = kAnchorLeft;
    int16_t fX = 0;
    int16_t fY = 0;
    int32_t fWrap = 0;
    int32_t fMargin = 0;
    NRect fBox;
    const char* fLiteral = nullptr;
};

/// A sprite file of "Sprites:" showing one frame; a caption makes it a text button.
struct ScreenSprite {
    const char* fName = nullptr;
    int fFrame = 0;
    int16_t fX = 0;            // 0, 0: the place the file gives
    int16_t fY = 0;
    bool fLocalised = false;   // the language code + name is taken when it exists
    int32_t fCaption = 0;
    int32_t fCaptionFont = 0;
    uint32_t fCaptionShadow = 0;
    int fFillPercent = 0;      // a thermometer's bar, shown that far
};

struct ScreenBox {
    NRect fRect;
    uint32_t fFill = 0;
    uint32_t fBorder = 0;
};

struct ScreenLayout {
    const char* fName = nullptr;
    const char* fBackground = nullptr;
    bool fLogo = true;
    bool fPartner = false;
    int fPreview = 0;          // sample photo number + 1 shown in the progress preview
    std::vector<ScreenSprite> fSprites;
    std::vector<ScreenText> fTexts;
    std::vector<ScreenBox> fBoxes;
};

/// Every screen, in the order the Maker shows them.
const std::vector<ScreenLayout>& MakerScreens();
