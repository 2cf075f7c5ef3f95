// The per-user desktop files of a file type and its program, through the xdg tools or written directly.
#include "platform/NHostDesktopIntegration.h"

#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"
#include "platform/NHostProcess.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr char kDefaultSection[] = "[Default Applications]";
constexpr char kAddedSection[] = "[Added Associations]";
constexpr char kMimeApps[] = "mimeapps.list";
constexpr char kLegacyDefaults[] = "defaults.list";   // where xdg-mime also writes without a desktop
constexpr char kDesktopSuffix[] = ".desktop";
constexpr char kIconTheme[] = "hicolor";
constexpr char kLegacyMimeIconPrefix[] = "gnome-mime-";
constexpr int kMagicPriority = 60;

const char* Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

std::string HomeFolder(const char* variable, const char* underHome)
{
    if (const char* value = Environment(variable))
        return value;
    const char* home = Environment("HOME");
    return std::string(home ? home : "/") + "/" + underHome;
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A string value of a desktop file: backslashes, newlines and tabs escaped.
std::string DesktopValue(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

// One argument of an Exec line: quoted when it holds a reserved character, with the
// characters that stay special inside quotes escaped, and "%" doubled.
std::string ExecArgument(const std::string& argument)
{
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    std::string out = quote ? "\"" : "";
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out += '\\';
        out += c == '%' ? std::string("%%") : std::string(1, c);
    }
    if (quote)
        out += '"';
    return out;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

// Written beside the file and renamed over it, so a reader never sees half of it.
bool WriteText(const std::string& path, const std::string& text)
{
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    std::string scratch = path + ".~" + std::to_string(getpid()) + ".tmp";
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        out.write(text.data(), std::streamsize(text.size()));
        if (!out.flush())
            return false;
    }
    fs::rename(scratch, path, error);
    if (error)
        fs::remove(scratch, error);
    return !error;
}

bool Remove(const std::string& path, std::vector<std::string>& log)
{
    std::error_code error;
    if (!fs::remove(path, error))
        return !error;
    log.push_back("desktop-removed " + path);
    return true;
}

// Runs a tool by name when it is installed; false when it is missing or fails.
bool RunTool(const std::string& name, std::vector<std::string> arguments, std::vector<std::string>& log,
             bool& missing)
{
    std::string program = NHostProcess::FindProgram(name);
    missing = program.empty();
    if (missing)
        return false;
    arguments.insert(arguments.begin(), program);
    std::string output;
    int exitCode = 0;
    bool ok = NHostProcess::Run(arguments, output, exitCode) && exitCode == 0;
    std::string line = name;
    for (size_t i = 1; i < arguments.size(); ++i)
        line += " " + arguments[i];
    log.push_back(std::string(ok ? "desktop-ran " : "desktop-failed ") + line
                  + (ok ? "" : " (exit " + std::to_string(exitCode) + ")"));
    return ok;
}

// Refreshes a cache when its program is there; a missing program is no failure.
void Refresh(const std::string& name, const std::vector<std::string>& arguments, std::vector<std::string>& log)
{
    bool missing = false;
    RunTool(name, arguments, log, missing);
}

// A key-file's lines with one section's entry for `key` replaced (value set) or removed.
std::string EditSection(const std::string& text, const std::string& section, const std::string& key,
                        const std::function<std::string(const std::string&)>& edit)
{
    std::istringstream in(text);
    std::string out;
    std::string line;
    bool inSection = false;
    bool seenSection = false;
    bool done = false;
    auto addEntry = [&](const std::string& oldValue) {
        std::string value = edit(oldValue);
        if (!value.empty())
            out += key + "=" + value + "\n";
        done = true;
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            if (inSection && !done)
                addEntry("");
            inSection = line == section;
            seenSection = seenSection || inSection;
        } else if (inSection && line.compare(0, key.size() + 1, key + "=") == 0) {
            if (!done)
                addEntry(line.substr(key.size() + 1));
            continue;
        }
        out += line + "\n";
    }
    if (inSection && !done)
        addEntry("");
    if (!seenSection) {
        std::string value = edit("");
        if (!value.empty())
            out += (out.empty() || out.back() == '\n' ? "" : "\n") + section + "\n" + key + "=" + value + "\n";
    }
    return out;
}

// A ";"-list without one item; unchanged when the item is not in it.
std::string Without(const std::string& list, const std::string& item)
{
    std::string out;
    bool found = false;
    std::istringstream in(list);
    for (std::string part; std::getline(in, part, ';');) {
        if (part == item)
            found = true;
        else if (!part.empty())
            out += part + ";";
    }
    return found ? out : list;
}

// The text without sections that hold no entries, and without blank lines around them.
std::string WithoutEmptySections(const std::string& text)
{
    std::istringstream in(text);
    std::string out;
    std::string header;
    std::vector<std::string> body;
    auto flush = [&]() {
        bool hasEntry = false;
        for (const std::string& line : body)
            hasEntry = hasEntry || (!line.empty() && line[0] != '#');
        if (header.empty() || hasEntry) {
            if (!header.empty())
                out += header + "\n";
            for (const std::string& line : body)
                if (!line.empty() || hasEntry)
                    out += line + "\n";
        }
        body.clear();
    };
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '[') {
            flush();
            header = line;
        } else {
            body.push_back(line);
        }
    }
    flush();
    return out;
}

bool SetDefault(const std::string& path, const std::string& mimeType, const std::string& desktopId)
{
    std::string text;
    ReadText(path, text);
    return WriteText(path, NHostDesktopIntegration::WithDefault(text, mimeType, desktopId));
}

// Drops the type's default when it names the entry, and the entry from added associations.
bool ClearDefault(const std::string& path, const std::string& mimeType, const std::string& desktopId,
                  std::vector<std::string>& log)
{
    std::string text;
    if (!ReadText(path, text))
        return true;
    std::string edited = NHostDesktopIntegration::WithoutDefault(text, mimeType, desktopId);
    if (edited == text)
        return true;
    log.push_back("desktop-default-cleared " + path);
    if (edited.find_first_not_of(" \t\n") == std::string::npos) {
        std::error_code error;
        return fs::remove(path, error) || !error;
    }
    return WriteText(path, edited);
}

std::string IconPath(const std::string& context, int size, const std::string& name)
{
    std::string sizes = std::to_string(size) + "x" + std::to_string(size);
    return NHostDesktopIntegration::DataHome() + "/icons/" + kIconTheme + "/" + sizes + "/" + context + "/" + name
        + ".png";
}

std::string MimeIconName(const std::string& mimeType)
{
    std::string name = mimeType;
    for (char& c : name)
        if (c == '/')
            c = '-';
    return name;
}

struct Scratch {
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "lumora-desktop-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            fFolder = pattern;
    }
    ~Scratch()
    {
        std::error_code error;
        if (!fFolder.empty())
            fs::remove_all(fFolder, error);
    }
    std::string fFolder;
};

} // namespace

std::string NHostDesktopIntegration::WithDefault(const std::string& listText, const std::string& mimeType,
                                                 const std::string& desktopId)
{
    return EditSection(listText, kDefaultSection, mimeType, [&](const std::string&) { return desktopId; });
}

std::string NHostDesktopIntegration::WithoutDefault(const std::string& listText, const std::string& mimeType,
                                                    const std::string& desktopId)
{
    std::string edited = EditSection(listText, kDefaultSection, mimeType, [&](const std::string& value) {
        return Without(value, desktopId);
    });
    edited = EditSection(edited, kAddedSection, mimeType, [&](const std::string& value) {
        return Without(value, desktopId);
    });
    return edited == listText ? listText : WithoutEmptySections(edited);
}

std::string NHostDesktopIntegration::DataHome()
{
    return HomeFolder("XDG_DATA_HOME", ".local/share");
}

std::string NHostDesktopIntegration::ConfigHome()
{
    return HomeFolder("XDG_CONFIG_HOME", ".config");
}

std::string NHostDesktopIntegration::MimePackageName(const NHostDesktopEntry& entry)
{
    return entry.fAppId + ".xml";
}

std::string NHostDesktopIntegration::MimePackageText(const NHostDesktopEntry& entry)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    text += "  <mime-type type=\"" + XmlEscaped(entry.fMimeType) + "\">\n";
    text += "    <comment>" + XmlEscaped(NHostCodePage::AnsiToUtf8(entry.fMimeComment)) + "</comment>\n";
    text += "    <icon name=\"" + MimeIconName(entry.fMimeType) + "\"/>\n";
    if (!entry.fMagic.empty()) {
        std::string value;
        for (unsigned char c : entry.fMagic) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            value += hex;
        }
        text += "    <magic priority=\"" + std::to_string(kMagicPriority) + "\">\n";
        text += "      <match type=\"string\" offset=\"" + std::to_string(entry.fMagicOffset) + "\" value=\""
            + value + "\"/>\n";
        text += "    </magic>\n";
    }
    // Globs are matched without regard to case unless they say otherwise.
    text += "    <glob pattern=\"" + XmlEscaped(entry.fGlob) + "\"/>\n";
    text += "  </mime-type>\n</mime-info>\n";
    return text;
}

std::string NHostDesktopIntegration::DesktopFileText(const NHostDesktopEntry& entry)
{
    std::string program;
    NHostDrives::The().ToLinux(entry.fProgramHostPath, program);
    std::string exec = "env " + ExecArgument("LUMORA_PREFIX=" + NHostDrives::The().Prefix()) + " "
        + ExecArgument(program) + " %f";
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + DesktopValue(NHostCodePage::AnsiToUtf8(entry.fName)) + "\n";
    text += "Comment=" + DesktopValue(NHostCodePage::AnsiToUtf8(entry.fMimeComment)) + "\n";
    text += "Exec=" + DesktopValue(exec) + "\n";
    text += "Icon=" + entry.fAppId + "\n";
    text += "MimeType=" + entry.fMimeType + ";\n";
    text += "Terminal=false\nCategories=Graphics;Viewer;\n";
    return text;
}

bool NHostDesktopIntegration::Register(const NHostDesktopEntry& entry, std::vector<std::string>& log)
{
    bool ok = true;
    Scratch scratch;
    if (scratch.fFolder.empty()) {
        log.push_back("desktop-failed no scratch folder");
        return false;
    }
    std::string data = DataHome();
    std::string desktopId = entry.fAppId + kDesktopSuffix;
    bool missing = false;

    // The type: its package, then the compiled database.
    std::string package = scratch.fFolder + "/" + MimePackageName(entry);
    if (!WriteText(package, MimePackageText(entry))) {
        log.push_back("desktop-failed " + package);
        ok = false;
    } else if (!RunTool("xdg-mime", {"install", "--mode", "user", "--novendor", package}, log, missing)) {
        std::string target = data + "/mime/packages/" + MimePackageName(entry);
        bool written = WriteText(target, MimePackageText(entry));
        log.push_back(std::string(written ? "desktop-file " : "desktop-failed ") + target);
        ok = ok && written;
        Refresh("update-mime-database", {data + "/mime"}, log);
    }

    // The program's entry.
    std::string desktopFile = data + "/applications/" + desktopId;
    bool written = WriteText(desktopFile, DesktopFileText(entry));
    log.push_back(std::string(written ? "desktop-file " : "desktop-failed ") + desktopFile);
    ok = ok && written;
    Refresh("update-desktop-database", {data + "/applications"}, log);

    // Icons: the program's, and the same art for the type. Written here: xdg-icon-resource
    // copies into the same folders, one slow script run an icon, and adds legacy copies.
    for (const auto& [size, png] : entry.fIcons) {
        for (const std::string& target : {IconPath("apps", size, entry.fAppId),
                                           IconPath("mimetypes", size, MimeIconName(entry.fMimeType))}) {
            bool copied = WriteText(target, png);
            log.push_back(std::string(copied ? "desktop-file " : "desktop-failed ") + target);
            ok = ok && copied;
        }
    }
    if (!entry.fIcons.empty()) {
        // The theme folder's time tells icon caches to look again.
        std::error_code error;
        fs::last_write_time(data + "/icons/" + kIconTheme, fs::file_time_type::clock::now(), error);
        Refresh("gtk-update-icon-cache", {"--quiet", "--ignore-theme-index", data + "/icons/" + kIconTheme}, log);
    }

    // The default program of the type.
    if (!RunTool("xdg-mime", {"default", desktopId, entry.fMimeType}, log, missing)) {
        std::string list = ConfigHome() + "/" + kMimeApps;
        bool set = SetDefault(list, entry.fMimeType, desktopId);
        log.push_back(std::string(set ? "desktop-default " : "desktop-failed ") + list + " " + entry.fMimeType + "="
                      + desktopId);
        ok = ok && set;
    }
    return ok;
}

bool NHostDesktopIntegration::Unregister(const NHostDesktopEntry& entry, std::vector<std::string>& log)
{
    bool ok = true;
    std::string data = DataHome();
    std::string desktopId = entry.fAppId + kDesktopSuffix;
    bool missing = false;

    std::string package = data + "/mime/packages/" + MimePackageName(entry);
    if (fs::exists(package)
        && !RunTool("xdg-mime", {"uninstall", "--mode", "user", "--novendor", package}, log, missing)) {
        ok = Remove(package, log) && ok;
        Refresh("update-mime-database", {data + "/mime"}, log);
    }
    // xdg-mime answers success even when it leaves the file, so make sure.
    ok = Remove(package, log) && ok;

    ok = Remove(data + "/applications/" + desktopId, log) && ok;
    Refresh("update-desktop-database", {data + "/applications"}, log);

    for (int size : kIconSizes) {
        ok = Remove(IconPath("apps", size, entry.fAppId), log) && ok;
        ok = Remove(IconPath("mimetypes", size, MimeIconName(entry.fMimeType)), log) && ok;
        // xdg-icon-resource, when an earlier install used it, left a copy under the legacy
        // name of type icons.
        ok = Remove(IconPath("mimetypes", size, kLegacyMimeIconPrefix + MimeIconName(entry.fMimeType)), log) && ok;
    }
    Refresh("gtk-update-icon-cache", {"--quiet", "--ignore-theme-index", data + "/icons/" + kIconTheme}, log);

    ok = ClearDefault(ConfigHome() + "/" + kMimeApps, entry.fMimeType, desktopId, log) && ok;
    ok = ClearDefault(data + "/applications/" + kLegacyDefaults, entry.fMimeType, desktopId, log) && ok;
    return ok;
}
