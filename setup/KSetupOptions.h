// The setup's command line: silent run, install folder, language, album to open, log file.
#pragma once

#include "storage/NFileSpec.h"

#include <string>
#include <string_view>

struct KSetupOptions {
    bool fSilent = false;
    bool fHasFolder = false;      // "-to" gave a folder that could be converted
    bool fFolderRefused = false;  // "-to" gave a folder that could not be converted
    NFDirSpec fFolder;
    std::string fLanguage;        // the three letters after "-lang", or empty
    std::string fAlbum;           // the text after "-l", or empty
    std::string fLogPath;         // the Linux or host path after "-log", or empty

    /// Options are found anywhere in the text, except "-l" and "-log", which count only as
    /// whole options (so "-lang fra" is never read as the album "ang").
    static KSetupOptions Parse(std::string_view commandLine);
};
