// The album player: plays a ".Qip" album in a window, or full screen as the screen saver.
#include "player/KAlbum.h"
#include "player/KHtmlExport.h"
#include "player/KPlayerApp.h"
#include "platform/NHostDrives.h"
#include "platform/NHostVersionRecord.h"

#include <cstdio>
#include <cstdlib>
#include <string>

void KPlayerAppSetProgramName(const char* name);

LUMORA_VERSION_RECORD(1, 0, 0, 0);

namespace {

KPlayerApp sApp;

} // namespace

// --export-html DIR ALBUM: the gallery, without a window.
static int ExportHtml(const std::string& folder, const std::string& albumPath)
{
    NFileSpec spec;
    std::string host = !albumPath.empty() && albumPath[0] == '/' ? NHostDrives::The().ToHost(albumPath) : albumPath;
    if (!NFileSpec::FromHostPath(host, spec)) {
        std::fprintf(stderr, "lumora-player: %s is no usable path\n", albumPath.c_str());
        return 1;
    }
    KAlbum album;
    if (!album.Open(spec)) {
        std::fprintf(stderr, "lumora-player: %s\n", album.Slides().empty() ? "no album" : album.Slides()[0].fText.c_str());
        return 1;
    }
    std::string error;
    if (!KHtmlExport::Write(album, folder, error)) {
        std::fprintf(stderr, "lumora-player: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--export-html")
        return ExportHtml(argv[2], argv[3]);
    KPlayerAppSetProgramName(argc > 0 ? argv[0] : nullptr);
    // The player takes no typed text. In the C locale the window system's input method does
    // not load the compose tables of the user's locale, which cost a tenth of a second and
    // more before the first slide; the player's own texts are in its code page either way.
    setenv("LC_ALL", "C", 1);
    return NWinApp::ProgramEntry(argc, argv);
}
