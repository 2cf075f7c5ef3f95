// The demo program: a window to try the application loop by hand and to test it under a display server.
#include "demo/KDemoApp.h"

namespace {

KDemoApp sApp;

} // namespace

int main(int argc, char** argv)
{
    return NWinApp::ProgramEntry(argc, argv);
}
