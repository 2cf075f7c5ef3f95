// Fault injection for the host's changes to files.
#include "platform/NHostFaults.h"

#include <csignal>
#include <cerrno>
#include <unistd.h>

namespace {

struct FaultPlan {
    bool fArmed = false;
    int64_t fAllowed = 0;
    int64_t fChanges = 0;
    NHostFaults::Action fAction = NHostFaults::Action::kNone;
    int fError = 0;
};

// Plain data with no constructor work, so it may live at namespace scope.
FaultPlan sPlan;

} // namespace

void NHostFaults::Arm(int64_t allowed, Action action, int error)
{
    sPlan = FaultPlan { true, allowed, 0, action, error };
}

void NHostFaults::Disarm()
{
    sPlan = FaultPlan();
}

int64_t NHostFaults::Changes()
{
    return sPlan.fChanges;
}

NHostFaults::Action NHostFaults::Next(bool freesSpace)
{
    ++sPlan.fChanges;
    if (!sPlan.fArmed || sPlan.fChanges <= sPlan.fAllowed)
        return Action::kNone;
    if (freesSpace && sPlan.fAction == Action::kFail && sPlan.fError == ENOSPC)
        return Action::kNone;
    if (sPlan.fAction == Action::kFail)
        errno = sPlan.fError;
    return sPlan.fAction;
}

void NHostFaults::Kill()
{
    raise(SIGKILL);
    _exit(137);
}
