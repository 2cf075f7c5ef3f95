// Telling the Linux desktop about a file type and the program that opens it, per user.
#pragma once

#include <string>
#include <vector>

/// What the desktop is told. Texts are Windows-1252, the program a host path.
struct NHostDesktopEntry {
    std::string fAppId;             // the ".desktop" file's name and the icon's name
    std::string fName;              // shown in menus
    std::string fProgramHostPath;   // started with the chosen file
    std::string fMimeType;          // "application/x-..."
    std::string fMimeComment;       // the type's description
    std::string fGlob;              // "*.ext", matched without regard to case
    std::string fMagic;             // bytes at fMagicOffset that mark the type; empty for none
    int fMagicOffset = 0;
    std::vector<std::pair<int, std::string>> fIcons;   // square size in pixels, PNG bytes
};

/// The per-user desktop files: a shared-mime-info package in $XDG_DATA_HOME/mime/packages,
/// the program's entry in $XDG_DATA_HOME/applications, its icon in the hicolor theme and
/// the type's default in $XDG_CONFIG_HOME/mimeapps.list ($HOME/.local/share and
/// $HOME/.config when unset). xdg-mime installs the package and sets the default when it is
/// installed; otherwise those files are written here. The entry and the icons are always
/// written here: without a desktop environment xdg-desktop-menu also leaves legacy copies
/// and a placeholder menu behind, and xdg-icon-resource only copies into the same folders
/// (slowly, with legacy copies). The caches (update-mime-database, update-desktop-database,
/// gtk-update-icon-cache) are refreshed when those programs exist.
class NHostDesktopIntegration {
public:
    /// The icon sizes an entry may carry; Unregister removes these.
    static constexpr int kIconSizes[] = {48, 64, 128};

    /// Writes every part; false when one could not be written. Each action, and each
    /// failure with its reason, is appended to the log.
    static bool Register(const NHostDesktopEntry& entry, std::vector<std::string>& log);
    /// Removes what Register wrote: the package, the entry, the icons, and the type's default
    /// only when it still names this entry. Missing parts are no failure.
    static bool Unregister(const NHostDesktopEntry& entry, std::vector<std::string>& log);

    /// The ".desktop" file's text; the program is started through env with the prefix, so
    /// it finds the same drives wherever the desktop starts it from.
    static std::string DesktopFileText(const NHostDesktopEntry& entry);
    /// The shared-mime-info package's text.
    static std::string MimePackageText(const NHostDesktopEntry& entry);
    /// The package's file name ("<app id>.xml").
    static std::string MimePackageName(const NHostDesktopEntry& entry);
    /// A mimeapps.list text with the type's default set to the entry.
    static std::string WithDefault(const std::string& listText, const std::string& mimeType,
                                   const std::string& desktopId);
    /// The text without the entry as the type's default or added association; sections
    /// left empty go too. Unchanged when it does not name the entry.
    static std::string WithoutDefault(const std::string& listText, const std::string& mimeType,
                                      const std::string& desktopId);
    static std::string DataHome();
    static std::string ConfigHome();
};
