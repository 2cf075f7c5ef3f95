// The user's default locale as the host's numeric locale identifier, taken from the Linux locale.
#pragma once

#include <cstdint>
#include <string_view>

// Parts of a locale identifier: the primary language in the low 10 bits, the sub-language
// in bits 10 to 15.
enum : uint32_t {
    kLocalePrimaryMask = 0x3FF,
    kLocaleSubShift = 10,
    kLocaleSubMask = 0x3F,
    kLocaleEnglishUS = 0x0409,   // what a system without a locale reports
};

class NHostLocale {
public:
    /// Sets the C runtime's locale from the environment (all categories), as a program
    /// does before it formats or compares text by locale.
    static void SetFromEnvironment();
    /// The identifier for the first of $LC_ALL, $LC_MESSAGES and $LANG that is set and not
    /// empty ("de_CH.UTF-8" is German, Swiss); English (US) for "C", "POSIX", nothing set
    /// or a language the table does not know.
    static uint32_t UserDefaultLocaleId();
    /// The identifier of one locale name ("zh_TW", "pl_PL.UTF-8@euro").
    static uint32_t LocaleIdOf(std::string_view localeName);
    /// The OEM code page the host gives the user's default locale (437 for English (US)).
    static uint32_t OemCodePage() { return OemCodePageOf(UserDefaultLocaleId()); }
    static uint32_t OemCodePageOf(uint32_t localeId);
};
