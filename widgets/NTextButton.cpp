// Text buttons.
#include "widgets/NTextButton.h"

#include "imaging/NImageOps.h"
#include "imaging/NSpImage.h"

NTextButton::NTextButton()
    : fButton(std::make_unique<NButton>())
    , fLabel(std::make_unique<NSpText>())
    , fLabelGroup(std::make_unique<NSpGroup>())
{
    fButton->SetLabel(this);
}

NTextButton::~NTextButton()
{
    // The button may still report a frame change while it goes.
    fButton->SetLabel(nullptr);
}

bool NTextButton::Make(const NFileSpec& spec, NPoint where, const std::string& text, const NFont* font,
                       uint32_t normalColor, int32_t smoothing, uint32_t disabledColor)
{
    bool loaded = fButton->LoadSprites(spec, NPoint(0, 0));
    const NRect& buttonRect = fButton->LocalRect();
    SetRect(NRect(where.fX, where.fY, buttonRect.fWidth, buttonRect.fHeight));
    AddChild(*fButton, 2);
    AddChild(*fLabelGroup, 1);
    fLabelGroup->SetRect(NRect(0, 0, buttonRect.fWidth, buttonRect.fHeight));
    fLabelGroup->AddChild(*fLabel, 0);

    fNormalColor = normalColor;
    fDimmedColor = disabledColor;
    NFont labelFont = font ? *font : NFont::ButtonDefault();
    if (normalColor == 0 && disabledColor == 0) {
        // Black and never recoloured: plain palette pixels.
        fLabel->SetSmoothing(false, 1);
        fLabel->SetFontAndText(labelFont, text, kLabelBlackIndex, 0, 0, true);
    } else {
        // Recolouring needs true-colour pixels; a label without a colour of its own is
        // drawn unsmoothed (factor 1) and shown black until it is dimmed.
        fLabel->SetSmoothing(true, normalColor != 0 ? smoothing : 1);
        fLabel->SetFontAndText(labelFont, text, kLabelDrawIndex, 0, 0, true);
    }
    Recolor(normalColor);
    PlaceLabel(false);
    return loaded;
}

void NTextButton::SetLabelOffset(NPoint offset)
{
    fLabelOffset = offset;
    PlaceLabel(fPressed);
}

void NTextButton::ButtonFrameChanged(int frame)
{
    bool dimmed = frame == 2 || frame == 4;
    if (dimmed != fDimmed) {
        fDimmed = dimmed;
        Recolor(dimmed ? fDimmedColor : fNormalColor);
    }
    PlaceLabel(frame == 1 || frame == 4 || frame == 5 || frame == 7);
}

void NTextButton::Recolor(uint32_t color)
{
    NSpImage* image = fLabel->CurrentImage();
    if (!image || image->Depth() != 32)
        return;
    FillMasked(*image, image->Bounds(), image->Bounds(), color != 0 ? color : kBlack, kColorMask);
    fLabel->MarkChanged();
}

void NTextButton::PlaceLabel(bool pressed)
{
    fPressed = pressed;
    const NRect& button = fButton->LocalRect();
    const NRect& label = fLabel->LocalRect();
    int32_t x = (button.fWidth - label.fWidth) / 2 + fLabelOffset.fX;
    int32_t y = (button.fHeight - label.fHeight) / 2 + fLabelOffset.fY;
    if (pressed) {
        x += fPressShift.fX;
        y += fPressShift.fY;
    }
    fLabel->SetRect(NRect(NClampCoordinate(x), NClampCoordinate(y), label.fWidth, label.fHeight));
}
