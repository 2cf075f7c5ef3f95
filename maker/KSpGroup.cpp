// The screen base and the screens' text button.
#include "maker/KSpGroup.h"

#include "framework/NStringTable.h"
#include "imaging/NFont.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NPaletteRegistry.h"
#include "maker/KApp.h"
#include "maker/KMakerEvents.h"
#include "storage/NBinderRegistry.h"

namespace {

constexpr int32_t kSmoothing = 4;
constexpr uint32_t kCaptionColour = 0xFFFFFFFF;
constexpr int16_t kPanelX = 30;
constexpr int32_t kPanelWrap = 245;

} // namespace

KTextButton::~KTextButton() = default;

std::string KSpGroup::Words(int32_t id)
{
    return NStringTable::The().GetString(id);
}

KScreenText KSpGroup::PanelText(std::string words, int32_t font, int16_t y)
{
    KScreenText text;
    text.fWords = std::move(words);
    text.fFont = font;
    text.fColour = kPanelColour;
    text.fBackground = kClearColour;
    text.fX = kPanelX;
    text.fY = y;
    text.fWrap = kPanelWrap;
    return text;
}

KSpGroup::KSpGroup()
{
    fPort.AddListener(*this);
}

KSpGroup::~KSpGroup()
{
    fPort.RemoveListener(*this);
}

bool KSpGroup::AssetExists(const NFileSpec& spec)
{
    return NBinderRegistry::The().SizeOf(spec) > 0 || spec.Exists();
}

std::string KSpGroup::SpriteName(const std::string& name, bool localised)
{
    if (localised) {
        std::string own = KApp::The().Language() + name;
        if (AssetExists(NFileSpec(KApp::The().AssetsFolder().SubDir("Sprites:"), own, false)))
            return own;
    }
    return name;
}

uint8_t KSpGroup::ColourIndex(uint32_t colour)
{
    const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
    if (!palette || !palette->Data())
        return (colour & 0xFFFFFF) == 0 ? 10 : 245;
    return palette->Data()->NearestIndex(int(colour >> 16 & 0xFF), int(colour >> 8 & 0xFF), int(colour & 0xFF));
}

bool KSpGroup::DescribeUi(NUiDescription& description) const
{
    description.kind = "screen";
    description.name = ScreenName();
    return true;
}

bool KSpGroup::HandleEvent(const NPortEvent& event)
{
    if (event.fCode == kBuildEvent) {
        Build();
        return true;
    }
    return NSpWindow::HandleEvent(event);
}

void KSpGroup::PostBuild()
{
    fPort.Post(NPortEvent(kBuildEvent), kBuildDelay);
}

void KSpGroup::LoadBackground(const std::string& name)
{
    KApp& app = KApp::The();
    NFDirSpec pictures = app.AssetsFolder().SubDir("BGjpg:");
    std::string language = app.Language() + ":";
    NFileSpec picture(pictures.SubDir(language), name, false);
    if (!AssetExists(picture)) {
        language = std::string(KApp::kEnglish) + ":";
        picture = NFileSpec(pictures.SubDir(language), name, false);
    }
    fBackground.LoadJpeg(picture, 1);
    fBackground.MarkChanged();
    fBackgroundPicture = "BGjpg:" + language + name;
}

void KSpGroup::Build()
{
    if (fBuilt)
        return;
    fBuilt = true;
    KApp& app = KApp::The();
    SetRect(app.GetContentRect());
    fBackground.MakeMemory(NRect(0, 0, kWidth, kHeight), 32, nullptr);
    AddChild(fBackground, kBackgroundLayer);
    LoadBackground(BackgroundName());

    std::string logo;
    NFDirSpec sprites = app.AssetsFolder().SubDir("Sprites:");
    if (app.Brand()) {
        if (ShowsLogo())
            logo = "sfLogo.xps";
    } else {
        logo = "mktLogo" + app.Language() + ".xps";
        if (!AssetExists(NFileSpec(sprites, logo, false)))
            logo = "mktLogoEng.xps";
    }
    if (!logo.empty() && fLogo.LoadSpriteFile(NFileSpec(sprites, logo, false))) {
        AddChild(fLogo, kLogoLayer);
        fLogoFile = logo;
    }
    BuildSprites();
    MarkChanged();
}

NSprite& KSpGroup::AddSprite(const std::string& sprite, int32_t layer)
{
    auto part = std::make_unique<NSprite>();
    part->LoadSpriteFile(NFileSpec(KApp::The().AssetsFolder().SubDir("Sprites:"), sprite, false));
    AddChild(*part, layer);
    part->MarkChanged();
    fParts.push_back(std::move(part));
    return static_cast<NSprite&>(*fParts.back());
}

KTextButton& KSpGroup::AddButton(const std::string& sprite, int32_t caption, int32_t font, int32_t event)
{
    NFileSpec spec(KApp::The().AssetsFolder().SubDir("Sprites:"), sprite, false);
    // The sprite file places the button: its first frame's rectangle is where it goes.
    NSprite place;
    place.LoadSpriteFile(spec);
    NPoint where(place.Rect().fX, place.Rect().fY);
    auto button = std::make_unique<KTextButton>();
    NFont captionFont;
    captionFont.FontFromString(font);
    const std::string& words = NStringTable::The().GetString(caption);
    button->Make(spec, where, words, &captionFont, kCaptionColour, kSmoothing, kCaptionColour);
    button->Button().SetNotification(NNotification(KApp::The().Port().Id(), NPortEvent(event), false));
    button->Button().SetUiName(sprite.substr(0, sprite.find('.')));
    AddChild(*button, kButtonLayer);
    button->MarkChanged();
    fParts.push_back(std::move(button));
    return static_cast<KTextButton&>(*fParts.back());
}

NSpText& KSpGroup::AddText(const KScreenText& text)
{
    auto label = std::make_unique<NSpText>();
    NFont font;
    font.FontFromString(text.fFont);
    label->SetSmoothing(true, kSmoothing);
    label->SetFont(font);
    if (text.fWrap > 0) {
        label->SetWrapWidth(text.fWrap);
        label->SetWordWrap(true);
    }
    if (text.fMargin > 0)
        label->SetMargins(text.fMargin, text.fMargin);
    label->SetText(text.fWords, ColourIndex(text.fColour), 0, 0, true);
    AddChild(*label, kTextLayer);
    int16_t x = text.fX;
    if (text.fRightEdge)
        x = int16_t(text.fX - label->LocalRect().fWidth);
    label->MoveTo(NPoint(x, text.fY));
    label->MarkChanged();
    fParts.push_back(std::move(label));
    return static_cast<NSpText&>(*fParts.back());
}

void KSpGroup::Remove(NSpObject& part)
{
    part.MarkChanged();
    RemoveChild(part);
    for (auto it = fParts.begin(); it != fParts.end(); ++it) {
        if (it->get() == &part) {
            fParts.erase(it);
            return;
        }
    }
}
