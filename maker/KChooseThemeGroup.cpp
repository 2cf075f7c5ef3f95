// The choose-theme screen.
#include "maker/KChooseThemeGroup.h"

#include "maker/KApp.h"
#include "maker/KMakerEvents.h"

#include <algorithm>

namespace {

enum : int32_t {
    kCaptionQuit = 119,
    kCaptionMake = 117,
};

struct ThemeEntry {
    const char* fFile;
    const char* fSprite;
};

constexpr ThemeEntry kThemes[KChooseThemeGroup::kThemeCount] = {
    {"holidays.lmx", "themeHolidays.xps"}, {"birthday.lmx", "themeBirthday.xps"}, {"cats.lmx", "themeKitty.xps"},
    {"newborn.lmx", "themeNewborn.xps"},   {"iloveyou.lmx", "themeLove.xps"},     {"fall.lmx", "themeFall.xps"},
    {"photoalb.lmx", "themeAlbum.xps"},    {"collage.lmx", "themeCollage.xps"},
};

} // namespace

KChooseThemeGroup::KChooseThemeGroup() = default;
KChooseThemeGroup::~KChooseThemeGroup() = default;

const char* KChooseThemeGroup::ThemeFileName(int index)
{
    return kThemes[std::clamp(index, 0, kThemeCount - 1)].fFile;
}

void KChooseThemeGroup::BuildSprites()
{
    AddButton("choosePlay.xps", kCaptionMake, 105, kEventMakeAlbum);
    AddButton("chooseQuit.xps", kCaptionQuit, 106, kEventThemeQuit);
    fGroup.SetRect(NRect(0, 0, kWidth, kHeight));
    AddChild(fGroup, kButtonLayer);
    NFDirSpec sprites = KApp::The().AssetsFolder().SubDir("Sprites:");
    for (int i = 0; i < kThemeCount; ++i) {
        std::string name = SpriteName(kThemes[i].fSprite, true);
        NFileSpec spec(sprites, name, false);
        NSprite place;
        place.LoadSpriteFile(spec);
        NRadioButton& button = fThemes[size_t(i)];
        button.LoadSprites(spec, NPoint(place.Rect().fX, place.Rect().fY));
        button.SetNotification(NNotification(KApp::The().Port().Id(), NPortEvent(kEventThemeFirst + i), false));
        button.SetUiName(std::string(kThemes[i].fSprite).substr(0, std::string(kThemes[i].fSprite).find('.')));
        fGroup.AddRadioButton(button, 0);
    }
    fGroup.Select(fThemes[size_t(fIndex)]);
}

void KChooseThemeGroup::ThemeEvent(int32_t code)
{
    fIndex = std::clamp(code - kEventThemeFirst, 0, kThemeCount - 1);
    if (IsBuilt() && fGroup.Selected() != &fThemes[size_t(fIndex)])
        fGroup.Select(fThemes[size_t(fIndex)]);
}

NFileSpec KChooseThemeGroup::ThemeFile() const
{
    return NFileSpec(KApp::The().AssetsFolder().SubDir("LMx:"), kThemes[fIndex].fFile, false);
}

std::string KChooseThemeGroup::AlbumName() const
{
    return Words(kAlbumNameText + fIndex);
}
