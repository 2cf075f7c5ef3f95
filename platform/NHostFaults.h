// Fault injection for the host's changes to files: a countdown that fails or kills at one of them.
#pragma once

#include <cstdint>

/// Every change the platform makes to the file system (a write, a truncation, a sync, a
/// deletion, a rename) asks this first. Unarmed it only counts, so a test can learn how
/// many changes an operation makes and then stop a child process at each one of them.
class NHostFaults {
public:
    enum class Action {
        kNone,   // the change happens
        kFail,   // the change and every later one fail with the armed error
        kKill,   // the process is killed; a write is torn, its first half reaching the file
    };

    /// After `allowed` more changes, apply `action` (kFail keeps failing from then on).
    static void Arm(int64_t allowed, Action action, int error);
    static void Disarm();
    /// Changes seen since the last Arm or Disarm.
    static int64_t Changes();

    /// For the platform: the action for the change about to be made. kFail sets errno.
    /// A change that only frees space (a deletion, a cut) does not fail for want of space,
    /// as a full disk never refuses one.
    static Action Next(bool freesSpace = false);
    /// Kills the process at once, as a power cut or `kill -9` would stop it.
    [[noreturn]] static void Kill();
};
