// The newborn screen.
#include "maker/KNewbornGroup.h"

#include "framework/NInputState.h"
#include "framework/NStringTable.h"
#include "imaging/NFont.h"
#include "maker/KApp.h"
#include "maker/KScreens.h"
#include "platform/NHostCodePage.h"
#include "widgets/NWidgetCodes.h"

#include <cstdlib>

namespace {

enum : int32_t {
    kFontLabel = 1340,
    kFontHeading = 1341,
    kHeadingOurBaby = 1352,
    kHeadingDetails = 1353,
    kLabelInitials = 1348,
    kLabelBoyGirl = 1351,
    kCaptionContinue = 118,
    kCaptionBack = 125,
};

// The editors' faces: the first that the system has is taken.
constexpr char kEditorFont[] = "Geneva,10,0,Arial,10";
constexpr uint32_t kLabelColour = 0xFF4B2A73;
constexpr uint32_t kHeadingColour = 0xFF6B3FA0;
constexpr uint32_t kTypedColour = 0xFF3B2352;
constexpr uint32_t kSelectionColour = 0xFFD9C8F0;
constexpr int16_t kColumns[2] = {26, 330};
constexpr int16_t kTop = 140;
constexpr int16_t kInitialsTop = 238;
constexpr int16_t kInitialsX = 176;
constexpr int16_t kInitialSize = 28;
constexpr int16_t kFieldHeight = 24;
constexpr int16_t kFieldInset = 8;
constexpr int16_t kTypingTop = 4;
constexpr int16_t kTypingHeight = 17;
constexpr uint32_t kBoxFill = 0xFFFFFFFF;
constexpr uint32_t kBoxBorder = 0xFF9B72CF;

// Tab order: the names, their initials, then the birth details.
constexpr int32_t kNameTab = 0;
constexpr int32_t kInitialTab = 3;
constexpr int32_t kDetailTab = 6;

} // namespace

KNewbornGroup::KNewbornGroup() = default;
KNewbornGroup::~KNewbornGroup() = default;

void KNewbornGroup::BuildSprites()
{
    AddButton("newBack.xps", kCaptionBack, 116, kEventNewbornBack);
    AddButton("newContinue.xps", kCaptionContinue, 115, kEventNewbornContinue);

    NStringTable& table = NStringTable::The();
    auto offset = int16_t(std::atoi(table.GetString(kOffsetText).c_str()));
    if (offset <= 0)
        offset = 118;
    NFont editorFont;
    editorFont.FontFromText(kEditorFont);
    uint8_t typed = ColourIndex(kTypedColour);
    uint8_t white = ColourIndex(0xFFFFFF);
    uint8_t selection = ColourIndex(kSelectionColour);

    auto label = [&](int32_t id, int32_t font, uint32_t colour, int16_t x, int16_t y) {
        KScreenText text;
        text.fWords = table.GetString(id);
        text.fFont = font;
        text.fColour = colour;
        text.fX = x;
        text.fY = y;
        AddText(text);
    };
    label(kHeadingOurBaby, kFontHeading, kHeadingColour, 30, 112);
    label(kHeadingDetails, kFontHeading, kHeadingColour, 334, 112);

    for (int i = 0; i < kFieldCount; ++i) {
        int16_t x = kColumns[i / 3];
        auto y = int16_t(kTop + kRowHeight * (i % 3));
        AddSprite("newLeftText.xps", kTextLayer).MoveTo(NPoint(x, y));
        NSprite& panel = AddSprite("newRightText.xps", kTextLayer);
        panel.MoveTo(NPoint(int16_t(x + offset), y));
        label(kFirstLabel + i, kFontLabel, kLabelColour, int16_t(x + 12), int16_t(y + 2));
        NEditor& editor = fEditors[size_t(i)];
        int16_t width = panel.Rect().fWidth > 2 * kFieldInset ? int16_t(panel.Rect().fWidth - 2 * kFieldInset) : 140;
        // The typing line sits on the panel's middle, inside its rounded ends.
        editor.SetUp(NRect(int16_t(x + offset + kFieldInset), int16_t(y + kTypingTop), width, kTypingHeight), editorFont);
        editor.SetColors(typed, white, typed, selection);
        editor.SetNotificationPort(Port().Id());
        editor.SetUiName(std::string("newborn-") + std::to_string(i));
        AddChild(editor, kButtonLayer);
        editor.JoinWindow(*this, i < 3 ? kNameTab + i : kDetailTab + (i - 3));
    }
    for (int i = 0; i < kInitialCount; ++i) {
        auto y = int16_t(kInitialsTop + kRowHeight * i);
        label(kLabelInitials + i, kFontLabel, kLabelColour, 30, int16_t(y + 2));
        auto box = std::make_unique<NSpGroup>();
        box->SetRect(NRect(kInitialsX, y, kInitialSize, kFieldHeight));
        box->SetFill(kBoxFill);
        box->SetBorder(kBoxBorder, 1);
        AddChild(*box, kTextLayer);
        fParts.push_back(std::move(box));
        KUpperEditor& initial = fInitials[size_t(i)];
        initial.SetUp(NRect(int16_t(kInitialsX + 2), int16_t(y + kTypingTop), int16_t(kInitialSize - 4), kTypingHeight),
                      editorFont);
        initial.SetColors(typed, white, typed, selection);
        initial.SetAlignment(kEditorAlignCentre);
        initial.SetNotificationPort(Port().Id());
        initial.SetUiName(std::string("initial-") + std::to_string(i));
        AddChild(initial, kButtonLayer);
        initial.JoinWindow(*this, kInitialTab + i);
    }
    label(kLabelBoyGirl, kFontLabel, kLabelColour, 334, 274);

    fGender.SetRect(NRect(0, 0, kWidth, kHeight));
    AddChild(fGender, kButtonLayer);
    NFDirSpec sprites = KApp::The().AssetsFolder().SubDir("Sprites:");
    const char* names[2] = {"newBoy.xps", "newGirl.xps"};
    NRadioButton* buttons[2] = {&fBoy, &fGirl};
    for (int i = 0; i < 2; ++i) {
        NFileSpec spec(sprites, names[i], false);
        NSprite place;
        place.LoadSpriteFile(spec);
        buttons[i]->LoadSprites(spec, NPoint(place.Rect().fX, place.Rect().fY));
        buttons[i]->SetUiName(i == 0 ? "newBoy" : "newGirl");
        fGender.AddRadioButton(*buttons[i], 0);
    }
    fGender.Select(fBoy);
    if (fPendingShow)
        Show(fPending);
}

void KNewbornGroup::Show(const KNewbornData& data)
{
    if (!IsBuilt()) {
        fPending = data;
        fPendingShow = true;
        return;
    }
    fPendingShow = false;
    fGender.Select(data.fBoy ? fBoy : fGirl);
    const std::string* texts[kFieldCount] = {&data.fFirst, &data.fMiddle, &data.fLast,
                                             &data.fDate,  &data.fWeight, &data.fLength};
    for (int i = 0; i < kFieldCount; ++i)
        fEditors[size_t(i)].SetText(*texts[i]);
    for (int i = 0; i < kInitialCount; ++i)
        fInitials[size_t(i)].SetText(data.fInitial[i]);
}

void KNewbornGroup::Collect(KNewbornData& data) const
{
    if (!IsBuilt()) {
        if (fPendingShow)
            data = fPending;
        return;
    }
    data.fBoy = fGender.Selected() != &fGirl;
    std::string* texts[kFieldCount] = {&data.fFirst, &data.fMiddle, &data.fLast,
                                       &data.fDate,  &data.fWeight, &data.fLength};
    for (int i = 0; i < kFieldCount; ++i)
        *texts[i] = fEditors[size_t(i)].Text();
    for (int i = 0; i < kInitialCount; ++i)
        data.fInitial[i] = fInitials[size_t(i)].Text();
}

bool KNewbornGroup::HandleEvent(const NPortEvent& event)
{
    if (event.fCode != kEventEditorChar)
        return KSpGroup::HandleEvent(event);
    auto* source = event.SourceAs<NEditor>();
    for (int i = kFirst; i <= kLast; ++i) {
        if (source == &fEditors[size_t(i)]) {
            const std::string& name = fEditors[size_t(i)].Text();
            std::string initial;
            if (!name.empty())
                initial = std::string(1, NHostCodePage::FoldUpper(name[0]));
            if (fInitials[size_t(i)].Text() != initial)
                fInitials[size_t(i)].SetText(initial);
        }
    }
    PassFocus();
    return true;
}

void KNewbornGroup::PassFocus()
{
    NInputState& input = NInputState::The();
    for (int i = 0; i < kInitialCount; ++i) {
        KUpperEditor& initial = fInitials[size_t(i)];
        if (input.Focus() != &initial || initial.Text().size() != 1)
            continue;
        for (int f = 0; f < FieldCount(); ++f) {
            if (FieldAt(f) == &initial) {
                if (NSpObject* next = FieldAt((f + 1) % FieldCount()))
                    input.TakeFocus(*next, true);
                return;
            }
        }
    }
}
