// Lumora Maker.
#include "framework/NWinApp.h"
#include "maker/KApp.h"

namespace {

KApp sApp;

} // namespace

int main(int argc, char** argv)
{
    return NWinApp::ProgramEntry(argc, argv);
}
