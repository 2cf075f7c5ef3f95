// Command-line splitting and quoting by the rules of the host's C runtime.
#include "platform/NHostCommandLine.h"

#include "platform/NHostCodePage.h"

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Parses arguments from the given position to the end.
static void ParseArguments(std::string_view text, size_t at, std::vector<std::string>& arguments)
{
    bool quoted = false;
    while (true) {
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        if (at >= text.size())
            return;
        std::string argument;
        while (true) {
            size_t slashes = 0;
            while (at < text.size() && text[at] == '\\') {
                ++slashes;
                ++at;
            }
            bool copy = true;
            if (at < text.size() && text[at] == '"') {
                if (slashes % 2 == 0) {
                    if (quoted && at + 1 < text.size() && text[at + 1] == '"') {
                        ++at;   // "" inside quotes: the second one is copied
                    } else {
                        copy = false;
                        quoted = !quoted;
                    }
                }
                slashes /= 2;
            }
            argument.append(slashes, '\\');
            if (at >= text.size() || (!quoted && IsBlank(text[at])))
                break;
            if (copy)
                argument += text[at];
            ++at;
        }
        arguments.push_back(std::move(argument));
    }
}

std::vector<std::string> NHostCommandLine::Split(std::string_view commandLine)
{
    std::vector<std::string> arguments;
    std::string program;
    bool quoted = false;
    size_t at = 0;
    for (; at < commandLine.size(); ++at) {
        char c = commandLine[at];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && IsBlank(c))
            break;
        else
            program += c;
    }
    arguments.push_back(std::move(program));
    ParseArguments(commandLine, at, arguments);
    return arguments;
}

std::vector<std::string> NHostCommandLine::SplitArguments(std::string_view text)
{
    std::vector<std::string> arguments;
    ParseArguments(text, 0, arguments);
    return arguments;
}

std::string NHostCommandLine::Quote(std::string_view argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "\"";
    size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        // Backslashes before a quote are doubled and the quote escaped; elsewhere they stay.
        quoted.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
        quoted += c;
        slashes = 0;
    }
    quoted.append(2 * slashes, '\\');   // the closing quote follows them
    quoted += '"';
    return quoted;
}

std::string NHostCommandLine::Join(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        line += Quote(argument);
    }
    return line;
}

bool NHostCommandLine::FromUtf8Arguments(int argc, const char* const* argv, std::vector<std::string>& arguments,
                                         std::string& problem)
{
    arguments.clear();
    for (int at = 1; at < argc; ++at) {
        std::string ansi;
        std::string bad;
        if (!NHostCodePage::Utf8ToAnsi(argv[at], ansi, &bad)) {
            problem = "argument " + std::to_string(at) + " \"" + argv[at] + "\" has the character \"" + bad
                + "\", which Windows-1252 does not hold";
            arguments.clear();
            return false;
        }
        arguments.push_back(std::move(ansi));
    }
    return true;
}

std::vector<std::string> NHostCommandLine::ToUtf8Arguments(const std::vector<std::string>& arguments)
{
    std::vector<std::string> utf8;
    utf8.reserve(arguments.size());
    for (const std::string& argument : arguments)
        utf8.push_back(NHostCodePage::AnsiToUtf8(argument));
    return utf8;
}
