// Stopping an operation at the host's changes to files: the changes to stop it at, and a child
// process that runs it and is killed at one of them.
#pragma once

#include "platform/NHostFaults.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <functional>
#include <vector>

/// Forks a child that runs `change` with the host armed to kill it at change `n`, as a power
/// cut would stop it there, and stores the child's wait status in `status`. The child exits
/// with 0 when `change` finishes before change `n` and with 3 when it throws. Fails fatally
/// when the child cannot be started or waited for: wrap the call in ASSERT_NO_FATAL_FAILURE
/// (or EXPECT_NO_FATAL_FAILURE where the loop should go on).
inline void NRunKilledAtChange(int64_t n, const std::function<void()>& change, int& status)
{
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        NHostFaults::Arm(n, NHostFaults::Action::kKill, 0);
        try {
            change();
        } catch (...) {
            _exit(3);
        }
        _exit(0);
    }
    ASSERT_EQ(waitpid(child, &status, 0), child);
}

/// The changes to stop an operation of `changes` changes at: 0 to `changes`, spread so that
/// there are at least `minPoints` of them (every one when there are fewer changes).
inline std::vector<int64_t> NChangePoints(int64_t changes, int minPoints)
{
    std::vector<int64_t> points;
    int64_t step = std::max<int64_t>(1, changes / (2 * minPoints));
    for (int64_t n = 0; n <= changes; n += step)
        points.push_back(n);
    return points;
}

/// Whether a wait status is that of a child the armed host killed.
inline bool NKilledByHost(int status)
{
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

/// Whether a wait status is that of a child whose operation finished before the kill.
inline bool NFinishedBeforeKill(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
