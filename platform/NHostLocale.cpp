// The user's default locale identifier from the Linux locale variables.
#include "platform/NHostLocale.h"

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

struct LanguageEntry {
    const char* fCode;   // ISO 639-1
    uint32_t fPrimary;
};

// Primary language numbers of the host for the languages a Linux locale names.
constexpr LanguageEntry kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"nn", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
    {"th", 0x1E}, {"tr", 0x1F}, {"id", 0x21}, {"uk", 0x22}, {"sl", 0x24}, {"et", 0x25},
    {"lv", 0x26}, {"lt", 0x27},
};

struct RegionEntry {
    const char* fLanguage;
    const char* fRegion;   // ISO 3166 country
    uint32_t fSub;
};

// Sub-languages other than 1, the primary region of each language.
constexpr RegionEntry kRegions[] = {
    {"zh", "CN", 2}, {"zh", "HK", 3}, {"zh", "SG", 4}, {"zh", "MO", 5},
    {"de", "CH", 2}, {"de", "AT", 3}, {"de", "LU", 4}, {"de", "LI", 5},
    {"en", "GB", 2}, {"en", "AU", 3}, {"en", "CA", 4}, {"en", "NZ", 5}, {"en", "IE", 6},
    {"es", "MX", 2}, {"es", "AR", 11},
    {"fr", "BE", 2}, {"fr", "CA", 3}, {"fr", "CH", 4}, {"fr", "LU", 5},
    {"it", "CH", 2}, {"nl", "BE", 2}, {"pt", "PT", 2}, {"sv", "FI", 2},
    {"nb", "NO", 1}, {"nn", "NO", 2},
};

constexpr uint32_t kDefaultSub = 1;

struct OemEntry {
    uint32_t fPrimary;
    uint32_t fCodePage;
};

// OEM code pages by primary language; every language not listed uses the Western one.
constexpr OemEntry kOemCodePages[] = {
    {0x01, 720}, {0x02, 866}, {0x05, 852}, {0x08, 737}, {0x0D, 862}, {0x0E, 852}, {0x0F, 861},
    {0x11, 932}, {0x12, 949}, {0x15, 852}, {0x18, 852}, {0x19, 866}, {0x1A, 852}, {0x1B, 852},
    {0x1C, 852}, {0x1E, 874}, {0x1F, 857}, {0x22, 866}, {0x24, 852}, {0x25, 775}, {0x26, 775},
    {0x27, 775},
};
constexpr uint32_t kPrimaryChinese = 0x04;
constexpr uint32_t kSubChinaMainland = 2;   // mainland and Singapore write simplified characters
constexpr uint32_t kSubSingapore = 4;
constexpr uint32_t kOemUnitedStates = 437;
constexpr uint32_t kOemWestern = 850;
constexpr uint32_t kOemSimplifiedChinese = 936;
constexpr uint32_t kOemTraditionalChinese = 950;

} // namespace

void NHostLocale::SetFromEnvironment()
{
    std::setlocale(LC_ALL, "");
}

uint32_t NHostLocale::UserDefaultLocaleId()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return LocaleIdOf(value);
    }
    return kLocaleEnglishUS;
}

uint32_t NHostLocale::LocaleIdOf(std::string_view localeName)
{
    // language[_REGION][.codeset][@modifier]
    size_t end = localeName.find_first_of(".@");
    std::string_view base = localeName.substr(0, end);
    size_t underscore = base.find('_');
    std::string language(base.substr(0, underscore));
    std::string region(underscore == std::string_view::npos ? std::string_view() : base.substr(underscore + 1));
    for (char& c : language)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (char& c : region)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    for (const LanguageEntry& entry : kLanguages) {
        if (language != entry.fCode)
            continue;
        uint32_t sub = kDefaultSub;
        for (const RegionEntry& regionEntry : kRegions) {
            if (language == regionEntry.fLanguage && region == regionEntry.fRegion)
                sub = regionEntry.fSub;
        }
        return (sub << kLocaleSubShift) | entry.fPrimary;
    }
    return kLocaleEnglishUS;
}

uint32_t NHostLocale::OemCodePageOf(uint32_t localeId)
{
    uint32_t primary = localeId & kLocalePrimaryMask;
    uint32_t sub = (localeId >> kLocaleSubShift) & kLocaleSubMask;
    if (primary == kPrimaryChinese)
        return sub == kSubChinaMainland || sub == kSubSingapore ? kOemSimplifiedChinese : kOemTraditionalChinese;
    if (localeId == kLocaleEnglishUS)
        return kOemUnitedStates;
    for (const OemEntry& entry : kOemCodePages) {
        if (entry.fPrimary == primary)
            return entry.fCodePage;
    }
    return kOemWestern;
}
