// Standard streams over POSIX.
#include "platform/NHostConsole.h"

#include <unistd.h>

bool NHostConsole::ErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}
