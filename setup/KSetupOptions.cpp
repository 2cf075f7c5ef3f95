// Reading the setup's command line.
#include "setup/KSetupOptions.h"

namespace {

constexpr std::string_view kSilent = "-silent";
constexpr std::string_view kTo = "-to";
constexpr std::string_view kLang = "-lang";
constexpr std::string_view kAlbum = "-l";
constexpr std::string_view kLog = "-log";
constexpr size_t kLanguageLength = 3;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The value that starts at `at`: leading blanks removed, then the text between the first
// pair of double quotes, or up to the first blank.
std::string ValueAt(std::string_view text, size_t at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at < text.size() && text[at] == '"') {
        size_t end = text.find('"', at + 1);
        return std::string(text.substr(at + 1, end == std::string_view::npos ? std::string_view::npos : end - at - 1));
    }
    size_t end = at;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    return std::string(text.substr(at, end - at));
}

// The position after a whole option: preceded by the start or a blank, followed by the end,
// a blank or a double quote. npos when absent.
size_t FindWholeOption(std::string_view text, std::string_view option)
{
    for (size_t at = text.find(option); at != std::string_view::npos; at = text.find(option, at + 1)) {
        size_t end = at + option.size();
        bool startOk = at == 0 || IsBlank(text[at - 1]);
        bool endOk = end == text.size() || IsBlank(text[end]) || text[end] == '"';
        if (startOk && endOk)
            return end;
    }
    return std::string_view::npos;
}

} // namespace

KSetupOptions KSetupOptions::Parse(std::string_view commandLine)
{
    KSetupOptions options;
    options.fSilent = commandLine.find(kSilent) != std::string_view::npos;
    if (size_t at = commandLine.find(kTo); options.fSilent && at != std::string_view::npos) {
        std::string folder = ValueAt(commandLine, at + kTo.size());
        if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
            folder.push_back('\\');
        NFileSpec placeholder;
        if (!folder.empty() && NFileSpec::FromHostPath(folder + NFileSpec::kPlaceholderName, placeholder)) {
            options.fFolder = placeholder.Dir();
            options.fHasFolder = true;
        } else {
            options.fFolderRefused = true;
        }
    }
    if (size_t at = commandLine.find(kLang); at != std::string_view::npos) {
        // Three characters after the option and its one separator.
        size_t from = at + kLang.size() + 1;
        if (from < commandLine.size())
            options.fLanguage = std::string(commandLine.substr(from, kLanguageLength));
        while (!options.fLanguage.empty() && IsBlank(options.fLanguage.back()))
            options.fLanguage.pop_back();
    }
    if (size_t end = FindWholeOption(commandLine, kAlbum); end != std::string_view::npos)
        options.fAlbum = ValueAt(commandLine, end);
    if (size_t end = FindWholeOption(commandLine, kLog); end != std::string_view::npos)
        options.fLogPath = ValueAt(commandLine, end);
    return options;
}
