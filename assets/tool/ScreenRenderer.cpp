// The shared parts of the renderers: saving a page, the contact sheet and JPEG decoding.
#include "assets/tool/ScreenRenderer.h"

void Renderer::SavePage(NSpUniverse& universe, NHostHeadlessWindow& window, const std::string& outPath)
{
    universe.RepaintAll(NRect(0, 0, 640, 480));
    universe.RenderChanges();
    std::string error;
    if (!window.SavePng(outPath, error))
        ToolFail(outPath + ": " + error);
    fNodes.clear();
}

void ContactSheet(const std::vector<std::string>& pictures, const std::string& outPath, int columns)
{
    constexpr int32_t kWidth = 320, kHeight = 240;
    int rows = int(pictures.size() + size_t(columns) - 1) / columns;
    NHostRgbaImage sheet;
    sheet.fWidth = columns * (kWidth + kSheetGap) + kSheetGap;
    sheet.fHeight = rows * (kHeight + kSheetGap) + kSheetGap;
    sheet.fPixels.resize(size_t(sheet.fWidth) * size_t(sheet.fHeight) * 4);
    for (size_t i = 0; i < sheet.fPixels.size(); i += 4) {
        sheet.fPixels[i] = uint8_t(kSheetFill >> 16);
        sheet.fPixels[i + 1] = uint8_t(kSheetFill >> 8);
        sheet.fPixels[i + 2] = uint8_t(kSheetFill);
        sheet.fPixels[i + 3] = 0xFF;
    }
    for (size_t n = 0; n < pictures.size(); ++n) {
        NHostRgbaImage screen = ToolReadPng(pictures[n]);
        int32_t left = kSheetGap + int32_t(n % columns) * (kWidth + kSheetGap);
        int32_t top = kSheetGap + int32_t(n / columns) * (kHeight + kSheetGap);
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < 2; ++dy)
                        for (int dx = 0; dx < 2; ++dx)
                            sum += screen.fPixels[(size_t(2 * y + dy) * size_t(screen.fWidth) + size_t(2 * x + dx)) * 4 + size_t(c)];
                    sheet.fPixels[(size_t(top + y) * size_t(sheet.fWidth) + size_t(left + x)) * 4 + size_t(c)] = uint8_t(sum / 4);
                }
            }
        }
    }
    ToolWritePng(outPath, sheet);
}


std::unique_ptr<NJpegSprite> DecodeJpeg(const NFileSpec& spec, int16_t width, int16_t height, Clock& clock)
{
    auto sprite = std::make_unique<NJpegSprite>();
    sprite->MakeMemory(NRect(0, 0, width, height), 32, nullptr);
    sprite->LoadJpeg(spec, 1);
    for (int i = 0; i < 400 && sprite->IsDecoding(); ++i) {
        clock.fNow += 50;
        NAppClock::The().Update();
    }
    return sprite;
}


NSpText& Renderer::Text(NSpUniverse& universe, const ScreenText& text)
{
    auto node = std::make_unique<NSpText>();
    NSpText& label = *node;
    universe.AddChild(label, 11);
    NFont font;
    font.FontFromText(fFontText.empty() ? NStringTable::The().GetString(text.fFont) : fFontText);
    label.SetSmoothing(true, kSmoothing);
    label.SetFont(font);
    if (text.fWrap > 0) {
        label.SetWrapWidth(text.fWrap);
        label.SetWordWrap(true);
        if (text.fAnchor == kAnchorCentre)
            label.SetAlignment(kAlignCentreTop);
    }
    if (text.fMargin > 0)
        label.SetMargins(text.fMargin, text.fMargin);
    std::string words = text.fLiteral ? text.fLiteral : NStringTable::The().GetString(text.fId);
    if (text.fSecondId)
        words += "\n" + NStringTable::The().GetString(text.fSecondId);
    label.SetText(words, Index(text.fColour), 0, text.fShadow ? Index(text.fShadow) : 0, true);
    const NRect& size = label.LocalRect();
    int16_t x = text.fX;
    if (text.fAnchor == kAnchorRight)
        x = int16_t(text.fX - size.fWidth);
    else if (text.fAnchor == kAnchorCentre)
        x = int16_t(text.fX - size.fWidth / 2);
    int16_t y = text.fY;
    if (text.fAnchor == kAnchorCentre)
        y = int16_t(text.fY - size.fHeight / 2);
    label.MoveTo(NPoint(x, y));
    bool fits = x >= text.fBox.fX && y >= text.fBox.fY && x + size.fWidth <= text.fBox.fX + text.fBox.fWidth
        && y + size.fHeight <= text.fBox.fY + text.fBox.fHeight;
    bool known = !fits && std::find(fKnown.begin(), fKnown.end(), text.fId) != fKnown.end();
    std::printf("%-8s %s %s text %d: %dx%d at (%d, %d) in box (%d, %d, %d, %d)\n",
                fits ? "fits" : known ? "KNOWN" : "OVERFLOW",
                fLanguage.c_str(), text.fScreen, text.fId, size.fWidth, size.fHeight, x, y, text.fBox.fX,
                text.fBox.fY, text.fBox.fWidth, text.fBox.fHeight);
    fFaults += fits || known ? 0 : 1;
    ++fTexts;
    fNodes.push_back(std::move(node));
    return label;
}
