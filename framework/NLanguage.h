// The program's language: a three-letter code from "Data:Lang.txt" or else from the user's locale.
#pragma once

#include "storage/NFileSpec.h"

#include <cstdint>
#include <string>

/// Decided once per process, on the first call of CurrentLanguage, and fixed afterwards.
class NLanguage {
public:
    static constexpr char kLanguageFile[] = "Data:Lang.txt";
    static constexpr int32_t kLineCapacity = 100;
    static constexpr char kDefaultCode[] = "eng";

    /// What one decision found: the code and whether it came from the language file.
    struct Choice {
        std::string fCode;
        bool fFromFile = false;
    };

    static NLanguage& The();

    /// The lower-case language code ("eng", "deu", ...).
    const std::string& CurrentLanguage();
    /// True when the code came from the language file (meaningful after CurrentLanguage).
    bool LanguageCameFromFile() const { return fChoice.fFromFile; }
    /// The folder name of the language's help texts: "English", "German", ... for the
    /// languages that have one, otherwise the code itself.
    std::string LanguageName();

    /// The decision itself, from a given language file: its first line read with the
    /// pattern "%3s,%d", else the user's default locale.
    static Choice Decide(const NFileSpec& languageFile);
    /// The code for a host locale identifier.
    static std::string CodeForLocale(uint32_t localeId);
    /// The help folder name for a code.
    static std::string NameForCode(const std::string& code);

private:
    NLanguage() = default;

    Choice fChoice;
    bool fDecided = false;
};
