// The demo screen.
#include "demo/KDemoData.h"

#include "demo/KDemoApp.h"
#include "framework/NInputState.h"
#include "imaging/NSpImage.h"

namespace {

constexpr int16_t kWidth = 640;
constexpr int16_t kHeight = 480;
constexpr uint8_t kLabelColor = 10;   // black
constexpr size_t kMaxTyped = 40;

enum : int32_t {
    kBackgroundPriority = 100,
    kBallPriority = 50,
    kButtonPriority = 20,
    kLabelPriority = 10,
};

KDemoApp& App()
{
    return *dynamic_cast<KDemoApp*>(NApp::Current());
}

NFont LabelFont()
{
    NFont font;
    font.SetFace("DejaVu Sans");
    font.SetSize(16);
    return font;
}

} // namespace

KDemoData::KDemoData(NPage& page)
    : NPageData(page)
{
    fBackground.MakeMemory(NRect(0, 0, kWidth, kHeight), 32, nullptr);
    if (NSpImage* image = fBackground.CurrentImage()) {
        image->SetFlags(0);
        for (int y = 0; y < image->Height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image->GetBits() + size_t(y) * size_t(image->RowBytes()));
            for (int x = 0; x < image->Width(); ++x)
                row[x] = 0xFF000000u | uint32_t(0xC0 + x * 0x3F / kWidth) << 16 | uint32_t(0xD0 + y * 0x2F / kHeight) << 8
                    | 0xF0;
        }
    }
    struct Start {
        uint8_t fColor;
        int16_t fX, fY, fDx, fDy;
    };
    static constexpr Start kBalls[] = {
        { 0x23, 40, 300, 4, -3 },
        { 0xB4, 500, 60, -3, 5 },
        { 0x6B, 300, 400, 5, 2 },
    };
    for (const Start& start : kBalls)
        fBalls.push_back(std::make_unique<KDemoBall>(start.fColor, start.fX, start.fY, start.fDx, start.fDy));

    NFileSpec art(App().GetAppFileSpec().Dir(), "demo-art:button.xps");
    fButton.LoadSpriteFile(art);
    fButton.MoveTo(NPoint(260, 200));
    fButton.fClicked = [this] { UpdateStatus(); };
    fButton.fTyped = [this](uint8_t c) { Typed(c); };
    // The key code of the last key, as the framework's key table gave it.
    fButton.fKeyed = [this](int32_t key) {
        fKeyLabel.SetText("Key: " + std::to_string(key), NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor,
                          false);
    };

    NFont font = LabelFont();
    fTyped.SetFontAndText(font, "Typed: ", kLabelColor, 0, 0, true);
    fTyped.MoveTo(NPoint(20, 20));
    fStatus.SetFontAndText(font, "Clicks: 0", kLabelColor, 0, 0, true);
    fStatus.MoveTo(NPoint(20, 44));
    fReceived.SetFontAndText(font, "Received: ", kLabelColor, 0, 0, true);
    fReceived.MoveTo(NPoint(20, 440));
    fBackdropLabel.SetFontAndText(font, "Backdrop clicks: 0", kLabelColor, 0, 0, true);
    fBackdropLabel.MoveTo(NPoint(20, 68));
    fKeyLabel.SetFontAndText(font, "Key: none", kLabelColor, 0, 0, true);
    fKeyLabel.MoveTo(NPoint(440, 20));
}

KDemoData::~KDemoData() = default;

void KDemoData::Enter()
{
    NSpUniverse& universe = App().Universe();
    universe.AddChild(fBackground, kBackgroundPriority);
    bool still = App().Still();
    bool one = App().OneSprite();
    for (size_t i = 0; i < fBalls.size(); ++i) {
        if (one && i > 0)
            break;
        universe.AddChild(*fBalls[i], kBallPriority);
        if (!still)
            fBalls[i]->RunTimer(kFramePeriod, 0);
    }
    universe.AddChild(fButton, kButtonPriority);
    universe.AddChild(fTyped, kLabelPriority);
    universe.AddChild(fStatus, kLabelPriority);
    universe.AddChild(fReceived, kLabelPriority);
    universe.AddChild(fKeyLabel, kLabelPriority);
    if (App().BackdropMode())
        universe.AddChild(fBackdropLabel, kLabelPriority);
    // Nodes are drawn once they are marked changed; being added does not mark them.
    for (NEventTarget* child : universe.Children())
        if (NSpObject* node = NSpChild(child))
            node->MarkChanged();
    NInputState::The().TakeFocus(fButton, true);
    if (!App().Received().empty())
        ShowReceived(App().Received());
    if (App().BackdropClicks() > 0)
        ShowBackdropClicks(App().BackdropClicks());
}

void KDemoData::Typed(uint8_t c)
{
    if (c < 0x20)
        return;   // controls (return, tab, backspace) are not shown
    if (fTypedText.size() >= kMaxTyped)
        fTypedText.erase(0, 1);
    fTypedText.push_back(char(c));
    fTyped.SetText("Typed: " + fTypedText, NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
}

void KDemoData::UpdateStatus()
{
    fStatus.SetText("Clicks: " + std::to_string(fButton.Clicks()), NSpText::kKeepColor, NSpText::kKeepColor,
                    NSpText::kKeepColor, false);
}

void KDemoData::ShowReceived(const std::string& text)
{
    fReceived.SetText("Received: " + text, NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
}

void KDemoData::ShowBackdropClicks(int32_t clicks)
{
    fBackdropLabel.SetText("Backdrop clicks: " + std::to_string(clicks), NSpText::kKeepColor, NSpText::kKeepColor,
                           NSpText::kKeepColor, false);
}
