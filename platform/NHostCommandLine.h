// Windows command lines: split into arguments as the host's C runtime does, and built back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class NHostCommandLine {
public:
    /// The argument vector of a command line. The program name runs to the first blank or
    /// tab outside double quotes, with the quotes removed and backslashes kept as they are.
    /// Each further argument follows the runtime's rule: 2n backslashes before a quote give n
    /// backslashes and the quote opens or closes a quoted part, 2n+1 give n and a literal
    /// quote, backslashes before anything else stay, and "" inside a quoted part is a
    /// literal quote.
    static std::vector<std::string> Split(std::string_view commandLine);
    /// The arguments of a text that holds no program name (the parameters of a shell open).
    static std::vector<std::string> SplitArguments(std::string_view text);
    /// One argument quoted, when it must be, so that the argument rule gives it back.
    static std::string Quote(std::string_view argument);
    /// Quoted arguments joined by single blanks.
    static std::string Join(const std::vector<std::string>& arguments);

    /// The Windows-1252 form of a program's own arguments (argv[1] onward), which Linux hands
    /// over in UTF-8. False when an argument holds a character outside the code page:
    /// `problem` then names the argument by its number and text, and the character.
    static bool FromUtf8Arguments(int argc, const char* const* argv, std::vector<std::string>& arguments,
                                  std::string& problem);
    /// The UTF-8 form of arguments for a program being started (every Windows-1252 text has one).
    static std::vector<std::string> ToUtf8Arguments(const std::vector<std::string>& arguments);
};
