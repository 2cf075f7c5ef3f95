// The shell: starting programs by command line and opening files, folders and addresses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Results of program start and shell open, with the host's numbers: a value of
// kShellFirstSuccess or more means the program or handler was started.
enum : int32_t {
    kShellFileNotFound = 2,
    kShellPathNotFound = 3,
    kShellAccessDenied = 5,
    kShellOutOfMemory = 8,
    kShellBadFormat = 11,      // the file is no program
    kShellNoAssociation = 31,  // no desktop handler (xdg-open is missing)
    kShellFirstSuccess = 32,
    kShellStarted = 33,
};

class NHostShell {
public:
    /// Starts a program from a Windows command line as the host's program-start call does:
    /// the program's host path (quoted, or unquoted with blanks, trying the shortest prefix
    /// that names a program first) is mapped onto a Linux executable, ".exe" being optional;
    /// a bare name is looked for in the program's own folder, the working folder, the system
    /// folder and $PATH. The arguments are split by the C runtime's rule and handed over as
    /// they are. Returns at once: kShellStarted, or an error below kShellFirstSuccess.
    static int32_t StartCommandLine(std::string_view commandLine);

    /// The shell's "open". A program file is started with the parameters; an internet
    /// shortcut file (".url") opens its address; any other file, a folder or an address
    /// ("http://...", "mailto:...") goes to the desktop's handler, xdg-open. The working
    /// folder, when given, is a host path. Returns kShellStarted or an error.
    static int32_t Open(std::string_view target, std::string_view parameters = {},
                        std::string_view workingFolder = {});

    /// The Linux executable that a program named in host form stands for, by the search of
    /// StartCommandLine; false with the error when there is none.
    static bool FindProgram(std::string_view program, std::string& linuxPath, int32_t& error);
};
