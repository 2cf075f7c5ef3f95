// The save dialog and message boxes through the desktop's dialog programs, with answered and
// headless back ends.
#include "platform/NHostDialogs.h"

#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"
#include "platform/NHostFileSystem.h"
#include "platform/NHostProcess.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

static constexpr const char* kAnswerVariable = "LUMORA_DIALOG_ANSWER";
static constexpr std::string_view kCancelAnswer = "cancel";
static constexpr std::string_view kZenity = "zenity";
static constexpr std::string_view kKdialog = "kdialog";
static constexpr int kDialogAccepted = 0;
static constexpr int kDialogClosed = 1;   // cancelled, or a message closed by its window button

// Where a dialog goes.
enum class Route {
    kAnswered,   // $LUMORA_DIALOG_ANSWER decides
    kZenity,     // a display and zenity
    kKdialog,    // a display and kdialog, no zenity
    kHeadless,   // nothing to show it with
};

namespace {
struct FilterEntry {
    std::string fDescription;
    std::vector<std::string> fPatterns;
};
}   // namespace

static const char* Environment(const char* name)
{
    const char* value = getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

static Route ChooseRoute(std::string& program)
{
    program.clear();
    if (Environment(kAnswerVariable) != nullptr)
        return Route::kAnswered;
    if (Environment("DISPLAY") == nullptr && Environment("WAYLAND_DISPLAY") == nullptr)
        return Route::kHeadless;
    if (program = NHostProcess::FindProgram(kZenity); !program.empty())
        return Route::kZenity;
    if (program = NHostProcess::FindProgram(kKdialog); !program.empty())
        return Route::kKdialog;
    return Route::kHeadless;
}

// "Desc|*.a;*.b|Other|*.c||" (or with zero bytes) into entries; an empty part ends the list.
static std::vector<FilterEntry> ParseFilter(std::string_view filter)
{
    std::vector<std::string_view> parts;
    while (!filter.empty()) {
        size_t end = filter.find_first_of(std::string_view("|\0", 2));
        std::string_view part = filter.substr(0, end);
        if (part.empty())
            break;
        parts.push_back(part);
        filter.remove_prefix(end == std::string_view::npos ? filter.size() : end + 1);
    }
    std::vector<FilterEntry> entries;
    for (size_t at = 0; at + 1 < parts.size(); at += 2) {
        FilterEntry entry {NHostCodePage::AnsiToUtf8(parts[at]), {}};
        std::string_view patterns = parts[at + 1];
        while (!patterns.empty()) {
            size_t end = patterns.find(';');
            if (end != 0)
                entry.fPatterns.emplace_back(patterns.substr(0, end));
            patterns.remove_prefix(end == std::string_view::npos ? patterns.size() : end + 1);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

static std::string Joined(const std::vector<std::string>& parts, std::string_view separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : std::string(separator)) + part;
    return text;
}

// The Linux path the dialog starts at: the initial folder with the initial name in it.
static std::string StartPath(const NHostSaveDialog& dialog)
{
    std::string folder;
    if (dialog.fInitialFolder.empty() || !NHostDrives::The().ToLinux(dialog.fInitialFolder, folder))
        return dialog.fInitialName;
    return folder + (folder.back() == '/' ? "" : "/") + dialog.fInitialName;
}

static bool HasExtension(std::string_view hostPath)
{
    size_t name = hostPath.find_last_of("\\/");
    size_t dot = hostPath.rfind('.');
    return dot != std::string_view::npos && (name == std::string_view::npos || dot > name + 1);
}

// The chosen Linux path as the dialog's result; false when it cannot be one.
static bool Accept(const NHostSaveDialog& dialog, const std::string& linuxPath, std::string& chosenHostPath)
{
    if (linuxPath.empty() || linuxPath.back() == '/')
        return false;
    std::string host = NHostDrives::The().ToHost(linuxPath);
    if (host.empty() || NHostFileSystem::IsDirectory(host))
        return false;
    if (!dialog.fDefaultExtension.empty() && !HasExtension(host))
        host += "." + dialog.fDefaultExtension;
    size_t folderEnd = host.find_last_of('\\');
    if (folderEnd == std::string::npos || !NHostFileSystem::IsDirectory(host.substr(0, folderEnd + 1)) ||
        NHostFileSystem::IsDirectory(host))
        return false;   // a folder chosen, or one named like the file with its extension
    chosenHostPath = std::move(host);
    return true;
}

static bool RunChooser(const std::vector<std::string>& argv, std::string& linuxPath)
{
    std::string output;
    int exitCode = 0;
    if (!NHostProcess::Run(argv, output, exitCode) || exitCode != kDialogAccepted)
        return false;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    linuxPath = std::move(output);
    return true;
}

bool NHostDialogs::SaveFile(const NHostSaveDialog& dialog, std::string& chosenHostPath)
{
    chosenHostPath.clear();
    std::string program;
    std::string linuxPath;
    std::string title = NHostCodePage::AnsiToUtf8(dialog.fTitle);
    std::vector<FilterEntry> filters = ParseFilter(dialog.fFilter);
    switch (ChooseRoute(program)) {
    case Route::kAnswered:
        linuxPath = Environment(kAnswerVariable);
        if (linuxPath == kCancelAnswer)
            return false;
        break;
    case Route::kZenity: {
        std::vector<std::string> argv = {program, "--file-selection", "--save", "--title=" + title,
                                         "--filename=" + StartPath(dialog)};
        if (dialog.fPromptOverwrite)
            argv.push_back("--confirm-overwrite");
        for (const FilterEntry& entry : filters)
            argv.push_back("--file-filter=" + entry.fDescription + " | " + Joined(entry.fPatterns, " "));
        if (!RunChooser(argv, linuxPath))
            return false;
        break;
    }
    case Route::kKdialog: {
        // kdialog's own save dialog always asks before replacing a file.
        std::vector<std::string> lines;
        for (const FilterEntry& entry : filters)
            lines.push_back(Joined(entry.fPatterns, " ") + "|" + entry.fDescription);
        std::vector<std::string> argv = {program, "--title", title, "--getsavefilename", StartPath(dialog)};
        if (!lines.empty())
            argv.push_back(Joined(lines, "\n"));
        if (!RunChooser(argv, linuxPath))
            return false;
        break;
    }
    case Route::kHeadless:
        return false;
    }
    return Accept(dialog, linuxPath, chosenHostPath);
}

static void WriteToStandardError(std::string_view caption, std::string_view text)
{
    std::string line = NHostCodePage::AnsiToUtf8(caption) + ": " + NHostCodePage::AnsiToUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

bool NHostDialogs::Ask(std::string_view caption, std::string_view text)
{
    std::string program;
    std::vector<std::string> argv;
    std::string utf8Caption = NHostCodePage::AnsiToUtf8(caption);
    std::string utf8Text = NHostCodePage::AnsiToUtf8(text);
    switch (ChooseRoute(program)) {
    case Route::kAnswered: {
        std::string_view answer = Environment(kAnswerVariable);
        return answer != kCancelAnswer && answer != "no";
    }
    case Route::kZenity:
        argv = {program, "--question", "--title=" + utf8Caption, "--text=" + utf8Text, "--no-markup"};
        break;
    case Route::kKdialog:
        argv = {program, "--title", utf8Caption, "--yesno", utf8Text};
        break;
    case Route::kHeadless:
        // Nobody to say yes: the question is not taken as answered.
        WriteToStandardError(caption, text);
        return false;
    }
    std::string output;
    int exitCode = 0;
    return NHostProcess::Run(argv, output, exitCode) && exitCode == kDialogAccepted;
}

void NHostDialogs::MessageBox(std::string_view caption, std::string_view text, int icon)
{
    std::string program;
    std::vector<std::string> argv;
    std::string utf8Caption = NHostCodePage::AnsiToUtf8(caption);
    std::string utf8Text = NHostCodePage::AnsiToUtf8(text);
    bool error = icon == kMessageIconError;
    switch (ChooseRoute(program)) {
    case Route::kZenity:
        argv = {program, error ? "--error" : "--info", "--title=" + utf8Caption, "--text=" + utf8Text, "--no-markup"};
        break;
    case Route::kKdialog:
        argv = {program, "--title", utf8Caption, error ? "--error" : "--msgbox", utf8Text};
        break;
    case Route::kAnswered:
    case Route::kHeadless:
        WriteToStandardError(caption, text);
        return;
    }
    // A program that cannot reach the display must not swallow the message.
    std::string output;
    int exitCode = 0;
    if (!NHostProcess::Run(argv, output, exitCode) || (exitCode != kDialogAccepted && exitCode != kDialogClosed))
        WriteToStandardError(caption, text);
}
