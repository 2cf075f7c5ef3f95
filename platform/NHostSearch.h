// Directory search with Win32 wildcard semantics, over a host path pattern.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct NHostSearchState;

/// A Linux name a search left out because it has no Windows-1252 form.
struct NHostSkippedName {
    std::string fLinuxPath;
    std::string fCharacter;   // the first character without one, in UTF-8
};

/// A search such as "C:\Photos\*.jpg": the last component is the pattern, matched
/// case-insensitively against each name of the folder in the order the host lists them.
/// "." and ".." are listed as the folder gives them (never at a drive root).
class NHostSearch {
public:
    NHostSearch();
    ~NHostSearch();
    NHostSearch(NHostSearch&& other) noexcept;
    NHostSearch& operator=(NHostSearch&& other) noexcept;

    /// Starts the search; false when the folder is missing or nothing matches.
    bool First(const std::string& hostPattern);
    /// Moves to the next match; false at the end.
    bool Next();
    void Close();

    // The current entry.
    const std::string& Name() const { return fName; }
    bool IsDirectory() const { return fIsDirectory; }
    bool IsHidden() const { return fHidden; }
    int64_t Size() const { return fSize; }

    /// Names are given in their Windows-1252 form; names with a character outside it are
    /// skipped and remembered here, for the program to report. Takes and clears the list.
    static std::vector<NHostSkippedName> TakeSkippedNames();

    /// Win32 wildcard match: "*" any run, "?" one character, "*.*" every name, a trailing
    /// ".*" also matches names without that dot, case-insensitive in Windows-1252.
    static bool Matches(std::string_view pattern, std::string_view name);

private:
    bool Advance();
    static std::vector<NHostSkippedName>& SkippedNames();

    std::unique_ptr<NHostSearchState> fState;
    std::string fName;
    bool fIsDirectory = false;
    bool fHidden = false;
    int64_t fSize = 0;
};
