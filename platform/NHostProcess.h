// Starting Linux programs: detached from the caller, or run to the end with their output collected.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class NHostProcess {
public:
    /// A name with a slash is returned as it is when it names an executable file; a bare name
    /// is looked up along $PATH. Empty when there is no such program.
    static std::string FindProgram(std::string_view name);

    /// Starts argv[0] (a path, not looked up) with the other arguments, in the working folder
    /// when one is given, and returns as soon as the program runs: 0, or the errno of the
    /// failed start. The program runs in a session of its own and is not the caller's
    /// child, so the caller never waits and leaves no zombie behind.
    static int StartDetached(const std::vector<std::string>& argv, const std::string& workingFolder = {});

    /// Runs argv[0] (a path) with standard input from /dev/null, collects its standard output
    /// and waits for it. False when it could not be started; the exit code is -1 when the
    /// program ended by a signal.
    static bool Run(const std::vector<std::string>& argv, std::string& output, int& exitCode);
};
