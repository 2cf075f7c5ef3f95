// The player's setup program.
#include "setup/KApp.h"

namespace {

KApp sApp;

} // namespace

int main(int argc, char** argv)
{
    return sApp.ProgramMain(argc, argv);
}
