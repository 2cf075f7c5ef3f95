// The program's language code, decided once from the language file or the user's locale.
#include "framework/NLanguage.h"

#include "platform/NHostLocale.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"

#include <cstdio>

namespace {

// Primary language numbers of the host's locale identifiers.
enum : uint32_t {
    kLangChinese = 4,
    kLangGerman = 7,
    kLangSpanish = 10,
    kLangFrench = 12,
    kLangItalian = 16,
    kLangJapanese = 17,
    kLangKorean = 18,
    kLangDutch = 19,
    kLangPortuguese = 22,
    kLangSwedish = 29,
};
constexpr uint32_t kSubChineseSimplified = 2;
constexpr int kCodeLength = 3;

struct CodeEntry {
    uint32_t fPrimary;
    const char* fCode;
};

constexpr CodeEntry kCodes[] = {
    {kLangGerman, "deu"}, {kLangSpanish, "esp"}, {kLangFrench, "fra"}, {kLangItalian, "ita"},
    {kLangJapanese, "jpn"}, {kLangKorean, "kor"}, {kLangDutch, "nld"}, {kLangPortuguese, "ptb"},
    {kLangSwedish, "sve"},
};

struct NameEntry {
    const char* fCode;
    const char* fName;
};

constexpr NameEntry kNames[] = {
    {"eng", "English"}, {"fra", "French"}, {"deu", "German"}, {"jpn", "Japanese"},
    {"nld", "Dutch"}, {"esp", "Spanish"}, {"sve", "Swedish"}, {"ita", "Italian"},
};

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

} // namespace

NLanguage& NLanguage::The()
{
    static NLanguage sInstance;
    return sInstance;
}

const std::string& NLanguage::CurrentLanguage()
{
    if (!fDecided) {
        fChoice = Decide(NFileSpec(NFAppDirSpec::The(), kLanguageFile));
        fDecided = true;
    }
    return fChoice.fCode;
}

std::string NLanguage::LanguageName()
{
    return NameForCode(CurrentLanguage());
}

NLanguage::Choice NLanguage::Decide(const NFileSpec& languageFile)
{
    Choice choice;
    try {
        NStream in = languageFile.Open(NStreamMode::kRead);
        char line[kLineCapacity] = {};
        in.ReadLine(line, kLineCapacity);
        char code[kCodeLength + 1] = {};
        int number = 0;
        std::sscanf(line, "%3s,%d", code, &number);
        choice.fCode = Lowered(code);
        choice.fFromFile = true;
        return choice;
    } catch (const NFileException&) {
        // No usable language file: the locale decides.
    }
    NHostLocale::SetFromEnvironment();
    choice.fCode = CodeForLocale(NHostLocale::UserDefaultLocaleId());
    return choice;
}

std::string NLanguage::CodeForLocale(uint32_t localeId)
{
    uint32_t primary = localeId & kLocalePrimaryMask;
    if (primary == kLangChinese)
        return ((localeId >> kLocaleSubShift) & kLocaleSubMask) == kSubChineseSimplified ? "chs" : "cht";
    for (const CodeEntry& entry : kCodes) {
        if (entry.fPrimary == primary)
            return entry.fCode;
    }
    return kDefaultCode;
}

std::string NLanguage::NameForCode(const std::string& code)
{
    std::string lowered = Lowered(code);
    for (const NameEntry& entry : kNames) {
        if (lowered == entry.fCode)
            return entry.fName;
    }
    return lowered;
}
