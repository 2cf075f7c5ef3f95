// What the Maker application knows about its surroundings and its long-running work needs.
#pragma once

#include "storage/NFileSpec.h"

#include <string>

/// Filled in by the application at start-up and handed to every piece of non-screen work.
struct KMakerEnvironment {
    NFDirSpec fAppFolder;            // application folder (the disc root, or the installed copy)
    NFDirSpec fAssetsFolder;         // "Binder:Assets:" of the application folder (Qip.xpb mounted)
    NFDirSpec fLanguageFolder;       // assets sub-folder "<lang>:" or "eng:" (canary rule)
    std::string fLanguage;           // "eng", "deu", ...
    bool fLanguageFromFile = false;  // the language came from the language file
    bool fBrand = false;             // "sf.txt" in the application folder (partner brand "sf")
};
