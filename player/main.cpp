// The album player: plays a ".Qip" album in a window, or full screen as the screen saver.
#include "player/KPlayerApp.h"
#include "platform/NHostVersionRecord.h"

void KPlayerAppSetProgramName(const char* name);

LUMORA_VERSION_RECORD(1, 0, 0, 0);

namespace {

KPlayerApp sApp;

} // namespace

int main(int argc, char** argv)
{
    KPlayerAppSetProgramName(argc > 0 ? argv[0] : nullptr);
    return NWinApp::ProgramEntry(argc, argv);
}
