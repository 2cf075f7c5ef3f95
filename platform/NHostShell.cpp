// Program start and shell open over NHostProcess, with host paths mapped through the drive table.
#include "platform/NHostShell.h"

#include "platform/NHostCodePage.h"
#include "platform/NHostCommandLine.h"
#include "platform/NHostDrives.h"
#include "platform/NHostFileSystem.h"
#include "platform/NHostProcess.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <vector>

static constexpr std::string_view kProgramExtension = ".exe";
static constexpr std::string_view kInternetShortcutExtension = ".url";
static constexpr std::string_view kInternetShortcutSection = "[InternetShortcut]";
static constexpr std::string_view kUrlEntry = "URL=";
static constexpr std::string_view kDesktopOpener = "xdg-open";
static constexpr std::string_view kElfMagic = "\x7f" "ELF";
static constexpr std::string_view kScriptMagic = "#!";
static constexpr size_t kMagicLength = 4;

static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

static bool EndsWithFolded(std::string_view text, std::string_view ending)
{
    if (text.size() < ending.size())
        return false;
    for (size_t at = 0; at < ending.size(); ++at) {
        if (FoldAscii(text[text.size() - ending.size() + at]) != FoldAscii(ending[at]))
            return false;
    }
    return true;
}

// "C:..." or "\\server\share...": a path that names its drive.
static bool HasRoot(std::string_view path)
{
    return (path.size() >= 2 && path[1] == ':') || (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

static bool HasExtension(std::string_view path)
{
    size_t name = path.find_last_of("\\/");
    size_t dot = path.rfind('.');
    return dot != std::string_view::npos && (name == std::string_view::npos || dot > name);
}

static std::string FolderOf(const std::string& hostPath)
{
    size_t end = hostPath.find_last_of("\\/");
    return end == std::string::npos ? std::string() : hostPath.substr(0, end);
}

static int32_t ErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT: return kShellFileNotFound;
    case ENOTDIR: return kShellPathNotFound;
    case EACCES:
    case EPERM: return kShellAccessDenied;
    case ENOMEM:
    case EAGAIN: return kShellOutOfMemory;
    case ENOEXEC: return kShellBadFormat;
    default: return kShellFileNotFound;
    }
}

// Only files the kernel can run count as programs: on media mounted without permission bits
// every photo is "executable".
static bool IsProgramFile(const std::string& linuxPath)
{
    struct stat status {};
    if (stat(linuxPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || access(linuxPath.c_str(), X_OK) != 0)
        return false;
    std::ifstream in(linuxPath, std::ios::binary);
    char magic[kMagicLength] = {};
    in.read(magic, sizeof magic);
    std::string_view start(magic, static_cast<size_t>(in.gcount()));
    return start.starts_with(kElfMagic) || start.starts_with(kScriptMagic);
}

// One candidate host path: as given, then with ".exe" when it has no extension. On failure the
// error says why: a file that exists but cannot run outweighs one that is missing.
static bool ResolveCandidate(const std::string& hostPath, std::string& linuxPath, int32_t& error)
{
    std::vector<std::string> names = {hostPath};
    if (!HasExtension(hostPath))
        names.push_back(hostPath + std::string(kProgramExtension));
    bool unusable = false;
    for (const std::string& name : names) {
        std::string path;
        struct stat status {};
        if (!NHostDrives::The().ToLinux(name, path)) {
            error = kShellPathNotFound;
        } else if (stat(path.c_str(), &status) != 0) {
            struct stat folder {};
            std::string parent = path.substr(0, path.rfind('/'));
            if (!unusable)
                error = stat(parent.empty() ? "/" : parent.c_str(), &folder) == 0 ? kShellFileNotFound
                                                                                   : kShellPathNotFound;
        } else if (!S_ISREG(status.st_mode) || access(path.c_str(), X_OK) != 0) {
            error = kShellAccessDenied;
            unusable = true;
        } else if (!IsProgramFile(path)) {
            error = kShellBadFormat;
            unusable = true;
        } else {
            linuxPath = path;
            return true;
        }
    }
    return false;
}

// A host path made absolute against the working folder: "x.exe" and "sub\x.exe" below it,
// "\x.exe" on its drive. Empty when the working folder is not known.
static std::string Absolute(const std::string& hostPath)
{
    if (HasRoot(hostPath))
        return hostPath;
    std::string current = NHostFileSystem::CurrentDirectory();
    if (current.size() < 2 || current[1] != ':')
        return std::string();
    if (!hostPath.empty() && IsSeparator(hostPath[0]))
        return current.substr(0, 2) + hostPath;
    return current + (IsSeparator(current.back()) ? "" : "\\") + hostPath;
}

bool NHostShell::FindProgram(std::string_view program, std::string& linuxPath, int32_t& error)
{
    linuxPath.clear();
    error = kShellFileNotFound;
    if (program.empty())
        return false;
    std::string name(program);
    if (HasRoot(name) || name.find_first_of("\\/") != std::string::npos) {
        std::string absolute = Absolute(name);
        return !absolute.empty() && ResolveCandidate(absolute, linuxPath, error);
    }
    // A bare name: where the host looks, then where Linux looks.
    for (const std::string& folder : {FolderOf(NHostFileSystem::ModuleFileName()), NHostFileSystem::CurrentDirectory(),
                                      NHostFileSystem::SystemDirectory()}) {
        if (!folder.empty() && ResolveCandidate(folder + "\\" + name, linuxPath, error))
            return true;
    }
    error = kShellFileNotFound;
    std::string found = NHostProcess::FindProgram(name);
    if (found.empty() || !IsProgramFile(found))
        return false;
    linuxPath = found;
    return true;
}

int32_t NHostShell::StartCommandLine(std::string_view commandLine)
{
    while (!commandLine.empty() && IsBlank(commandLine.front()))
        commandLine.remove_prefix(1);
    if (commandLine.empty())
        return kShellFileNotFound;

    std::string linuxPath;
    int32_t error = kShellFileNotFound;
    size_t argumentsAt = 0;
    if (commandLine.front() == '"') {
        size_t close = commandLine.find('"', 1);
        std::string_view program = commandLine.substr(1, close == std::string_view::npos ? close : close - 1);
        argumentsAt = close == std::string_view::npos ? commandLine.size() : close + 1;
        if (!FindProgram(program, linuxPath, error))
            return error;
    } else {
        // Unquoted, the program may contain blanks: each blank in turn ends a candidate.
        int32_t firstError = 0;
        size_t end = 0;
        while (true) {
            end = commandLine.find_first_of(" \t", end);
            std::string_view program = commandLine.substr(0, end);
            int32_t candidateError = kShellFileNotFound;
            if (FindProgram(program, linuxPath, candidateError)) {
                argumentsAt = program.size();
                break;
            }
            if (firstError == 0)
                firstError = candidateError;
            if (end == std::string_view::npos)
                return firstError;
            while (end < commandLine.size() && IsBlank(commandLine[end]))
                ++end;
        }
    }
    std::vector<std::string> argv = {linuxPath};
    // Host text is Windows-1252; the started Linux program takes UTF-8.
    std::vector<std::string> arguments = NHostCommandLine::SplitArguments(commandLine.substr(argumentsAt));
    for (std::string& argument : NHostCommandLine::ToUtf8Arguments(arguments))
        argv.push_back(std::move(argument));
    int startError = NHostProcess::StartDetached(argv);
    return startError == 0 ? kShellStarted : ErrorFromErrno(startError);
}

// "http://...", "mailto:...": a scheme of two or more characters before the colon, so
// "C:" stays a drive.
static bool IsAddress(std::string_view target)
{
    size_t colon = target.find(':');
    if (colon == std::string_view::npos || colon < 2)
        return false;
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!isLetter(target[0]))
        return false;
    for (size_t at = 1; at < colon; ++at) {
        char c = target[at];
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

static int32_t OpenWithDesktop(const std::string& target)
{
    std::string opener = NHostProcess::FindProgram(kDesktopOpener);
    if (opener.empty())
        return kShellNoAssociation;
    int error = NHostProcess::StartDetached({opener, target});
    return error == 0 ? kShellStarted : (error == ENOENT ? kShellNoAssociation : ErrorFromErrno(error));
}

// The address of an internet shortcut: the "URL=" line of its "[InternetShortcut]" section.
static bool ReadShortcutAddress(const std::string& linuxPath, std::string& address)
{
    std::ifstream in(linuxPath, std::ios::binary);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[')
            inSection = line == kInternetShortcutSection;
        else if (inSection && line.starts_with(kUrlEntry) && line.size() > kUrlEntry.size()) {
            address = line.substr(kUrlEntry.size());
            return true;
        }
    }
    return false;
}

int32_t NHostShell::Open(std::string_view target, std::string_view parameters, std::string_view workingFolder)
{
    if (target.empty())
        return kShellFileNotFound;
    if (IsAddress(target))
        return OpenWithDesktop(NHostCodePage::AnsiToUtf8(target));

    std::string hostPath = Absolute(std::string(target));
    std::string linuxPath;
    if (hostPath.empty() || !NHostDrives::The().ToLinux(hostPath, linuxPath))
        return kShellPathNotFound;
    struct stat status {};
    if (stat(linuxPath.c_str(), &status) != 0) {
        std::string parent = linuxPath.substr(0, linuxPath.rfind('/'));
        return stat(parent.empty() ? "/" : parent.c_str(), &status) == 0 ? kShellFileNotFound : kShellPathNotFound;
    }
    if (S_ISDIR(status.st_mode))
        return OpenWithDesktop(linuxPath);
    if (EndsWithFolded(linuxPath, kInternetShortcutExtension)) {
        std::string address;
        if (!ReadShortcutAddress(linuxPath, address))
            return kShellBadFormat;
        return OpenWithDesktop(NHostCodePage::AnsiToUtf8(address));
    }
    if (!IsProgramFile(linuxPath))
        return OpenWithDesktop(linuxPath);

    std::string folder;
    if (!workingFolder.empty() && !NHostDrives::The().ToLinux(workingFolder, folder))
        return kShellPathNotFound;
    std::vector<std::string> argv = {linuxPath};
    for (std::string& argument : NHostCommandLine::ToUtf8Arguments(NHostCommandLine::SplitArguments(parameters)))
        argv.push_back(std::move(argument));
    int error = NHostProcess::StartDetached(argv, folder);
    return error == 0 ? kShellStarted : ErrorFromErrno(error);
}
