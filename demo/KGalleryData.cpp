// The widget gallery.
#include "demo/KGalleryData.h"

#include "demo/KDemoApp.h"
#include "framework/NInputState.h"
#include "imaging/NSpImage.h"
#include "widgets/NWidgetCodes.h"

namespace {

constexpr int16_t kWidth = 640;
constexpr int16_t kHeight = 480;
constexpr uint8_t kLabelColor = 10;   // black
constexpr uint32_t kButtonText = 0xFF000080;
constexpr uint32_t kButtonTextDimmed = 0xFFE0E0E0;
constexpr uint32_t kTrack = 0xFFC8C8C8;
constexpr int16_t kScrollWidth = 16;

enum : int32_t {
    kBackgroundPriority = 100,
    kWidgetPriority = 20,
    kLabelPriority = 10,
};

KDemoApp& App()
{
    return *dynamic_cast<KDemoApp*>(NApp::Current());
}

NFileSpec Art(const char* name)
{
    return NFileSpec(App().GetAppFileSpec().Dir(), std::string("demo-art:") + name);
}

NFont GalleryFont(int32_t size)
{
    NFont font;
    font.SetFace("DejaVu Sans");
    font.SetSize(size);
    return font;
}

} // namespace

void KGalleryMeter::Animate()
{
    int32_t next = Value() + kStep;
    SetValue(next > Maximum() ? Minimum() : next);
}

KGalleryData::KGalleryData(NPage& page, int32_t lines)
    : NPageData(page)
    , fLines(lines)
{
    fPort.AddListener(*this);
    fBackground.MakeMemory(NRect(0, 0, kWidth, kHeight), 32, nullptr);
    if (NSpImage* image = fBackground.CurrentImage()) {
        image->SetFlags(0);
        for (int y = 0; y < image->Height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image->GetBits() + size_t(y) * size_t(image->RowBytes()));
            for (int x = 0; x < image->Width(); ++x)
                row[x] = 0xFFE8E4DC;
        }
    }

    NSpText& title = Label("Widget gallery", 20, 10);
    title.SetFontAndText(GalleryFont(18), "Widget gallery", kLabelColor, 0, 0, true);

    static constexpr const char* kCaptions[] = { "OK", "Cancel", "Disabled" };
    static constexpr int32_t kCodes[] = { kEventOk, kEventCancel, kEventDisabled };
    for (size_t i = 0; i < fButtons.size(); ++i) {
        fButtons[i].Make(Art("gallery-button.xps"), NPoint(int16_t(20 + 140 * i), 44), kCaptions[i], nullptr,
                         kButtonText, 4, kButtonTextDimmed);
        fButtons[i].Button().SetNotification(NNotification(fPort.Id(), NPortEvent(kCodes[i]), false));
    }
    fButtons[2].Button().Enable(false);

    fGroup.SetRect(NRect(20, 92, 420, 24));
    static constexpr const char* kSizes[] = { "Small", "Medium", "Large" };
    for (size_t i = 0; i < fRadios.size(); ++i) {
        int16_t x = int16_t(140 * i);
        fRadios[i].LoadSprites(Art("gallery-radio.xps"), NPoint(x, 3));
        fGroup.AddRadioButton(fRadios[i], 0);
        Label(kSizes[i], int16_t(20 + x + 24), 93);
    }

    fSlider.SetUp(NRect(20, 132, 300, 18), Art("gallery-left.xps"), Art("gallery-right.xps"), Art("gallery-knob.xps"),
                  kTrack);
    fSlider.SetRange(0, 100);
    fSlider.SetSteps(1, 10);
    fSlider.SetValue(30);
    fSlider.SetOwnerNotification(NNotification(fPort.Id(), NPortEvent(kEventSlider), true));
    fSliderValue = &Label("Slider: 30", 336, 131);

    fMeter.LoadBar(Art("gallery-bar.xps"), NPoint(20, 166));
    fMeter.SetRange(0, 100);
    fMeter.SetValue(40);
    Label("Timer", 336, 163);

    NFont font = GalleryFont(14);
    fSingle.SetUp(NRect(20, 198, 420, 24), font);
    fSingle.SetUiName("single-line");
    fSingle.SetText("Single line");
    fMulti.SetUp(NRect(20, 236, 420, 200), font);
    fMulti.SetMultiLine(true);
    fMulti.SetUiName("multi-line");
    fMulti.AttachScrollBar(Art("gallery-up.xps"), Art("gallery-down.xps"), Art("gallery-thumb.xps"), kScrollWidth);
    std::string text;
    if (fLines > 0) {
        for (int32_t i = 1; i <= fLines; ++i)
            text += "Line " + std::to_string(i) + " of a long text that wraps in the field\n";
    } else {
        text = "A multi-line editor: type here, select with the mouse, and cut, copy and paste with "
               "Ctrl+X, Ctrl+C and Ctrl+V.\n";
    }
    fMulti.SetText(text);

    fStatus = &Label("Clicked: none", 460, 52);
}

KGalleryData::~KGalleryData() = default;

NSpText& KGalleryData::Label(const std::string& text, int16_t x, int16_t y)
{
    auto label = std::make_unique<NSpText>();
    label->SetFontAndText(GalleryFont(14), text, kLabelColor, 0, 0, true);
    label->MoveTo(NPoint(x, y));
    fLabels.push_back(std::move(label));
    return *fLabels.back();
}

void KGalleryData::Enter()
{
    NSpUniverse& universe = App().Universe();
    universe.AddChild(fBackground, kBackgroundPriority);
    for (NTextButton& button : fButtons)
        universe.AddChild(button, kWidgetPriority);
    universe.AddChild(fGroup, kWidgetPriority);
    fGroup.Select(fRadios[1]);
    universe.AddChild(fSlider, kWidgetPriority);
    universe.AddChild(fMeter, kWidgetPriority);
    if (!App().Still())
        fMeter.RunTimer(KGalleryMeter::kPeriod, 0);
    universe.AddChild(fSingle, kWidgetPriority);
    universe.AddChild(fMulti, kWidgetPriority);
    for (auto& label : fLabels)
        universe.AddChild(*label, kLabelPriority);
    // Nodes are drawn once they are marked changed; being added does not mark them.
    for (NEventTarget* child : universe.Children())
        if (NSpObject* node = NSpChild(child))
            node->MarkChanged();
    NInputState::The().TakeFocus(fMulti, true);
    // The focus selects nothing in a multi-line field: the caret goes to the end.
    fMulti.Select(int32_t(fMulti.Text().size()), int32_t(fMulti.Text().size()));
}

bool KGalleryData::HandleEvent(const NPortEvent& event)
{
    switch (event.fCode) {
    case kEventOk: ShowStatus("Clicked: OK"); return true;
    case kEventCancel: ShowStatus("Clicked: Cancel"); return true;
    case kEventDisabled: ShowStatus("Clicked: Disabled"); return true;
    // The slider reports each change with its cause as the code.
    case kEventSliderLineLess:
    case kEventSliderLineMore:
    case kEventSliderPageLess:
    case kEventSliderPageMore:
    case kEventSliderThumbDone:
    case kEventSliderChanged:
        fSliderValue->SetText("Slider: " + std::to_string(fSlider.Value()), NSpText::kKeepColor, NSpText::kKeepColor,
                              NSpText::kKeepColor, false);
        return true;
    default: return NPageData::HandleEvent(event);
    }
}

void KGalleryData::ShowStatus(const std::string& text)
{
    fStatus->SetText(text, NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
}
