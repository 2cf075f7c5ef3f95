// Albums for the player tests, made by the album tool in the test's own prefix.
#pragma once

#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

inline std::string PlayerQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

/// Makes an album of the theme with the three sample photos (captions "Harbour//Morning//",
/// then the plain caption for the others) and the given extra arguments; returns its path.
inline std::string MakeAlbum(const NTestPrefix& prefix, const std::string& name, const std::string& theme,
                             const std::string& extra, int photos = 3)
{
    std::string out = (prefix.Root() / name).string();
    std::string command = std::string(LUMORA_QIPALBUM) + " make --out " + PlayerQuote(out) + " --theme "
        + PlayerQuote(std::string(LUMORA_THEMES) + "/" + theme + ".lmx") + " --string INTt='Summer at the Lake'"
        + " --string CRDt='Made with love' --string CRDs='Lumora Photo Studio' --caption 'Harbour//Morning//' " + extra;
    const char* names[] = { "harbour.jpg", "meadow.jpg", "sunrise.jpg" };
    for (int i = 0; i < photos; ++i)
        command += " " + PlayerQuote(std::string(LUMORA_PHOTOS) + "/" + names[i % 3]);
    std::string output;
    int status = NRunCommand(command, output);
    EXPECT_EQ(status, 0) << output;
    return out;
}
