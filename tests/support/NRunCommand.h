// Runs a command line for a tool test, collecting what it prints on both outputs.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

/// Runs `command` through the shell with standard error joined to standard output, appends
/// everything it prints to `output`, and returns its exit status (-1 when it could not run
/// or did not exit normally).
inline int NRunCommand(const std::string& command, std::string& output)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char block[4096];
    while (size_t count = fread(block, 1, sizeof block, pipe))
        output.append(block, count);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
