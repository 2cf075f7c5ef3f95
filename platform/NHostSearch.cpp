// Directory search over opendir and readdir, with Win32 wildcard matching.
#include "platform/NHostSearch.h"

#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <utility>

struct NHostSearchState {
    ~NHostSearchState()
    {
        if (fDir != nullptr)
            closedir(fDir);
    }

    DIR* fDir = nullptr;
    std::string fFolder;    // the Linux folder, for naming skipped entries
    std::string fPattern;
    bool fAtRoot = false;   // "." and ".." are left out at a drive root
};

static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static bool IsDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

// "*" and "?" against the whole name. On a mismatch only the latest "*" takes one more
// character, which finds a match whenever one exists, in at most pattern * name steps.
static bool Glob(std::string_view pattern, std::string_view name)
{
    size_t patternAt = 0;
    size_t nameAt = 0;
    size_t starAt = std::string_view::npos;   // the latest "*" and the name position it took
    size_t starNameAt = 0;
    while (nameAt < name.size()) {
        char wanted = patternAt < pattern.size() ? pattern[patternAt] : '\0';
        if (patternAt < pattern.size() && wanted == '*') {
            starAt = patternAt++;
            starNameAt = nameAt;
        } else if (patternAt < pattern.size() &&
                   (wanted == '?' || NHostCodePage::FoldUpper(wanted) == NHostCodePage::FoldUpper(name[nameAt]))) {
            ++patternAt;
            ++nameAt;
        } else if (starAt != std::string_view::npos) {
            patternAt = starAt + 1;
            nameAt = ++starNameAt;
        } else {
            return false;
        }
    }
    while (patternAt < pattern.size() && pattern[patternAt] == '*')
        ++patternAt;
    return patternAt == pattern.size();
}

NHostSearch::NHostSearch() = default;
NHostSearch::~NHostSearch() = default;
NHostSearch::NHostSearch(NHostSearch&& other) noexcept = default;
NHostSearch& NHostSearch::operator=(NHostSearch&& other) noexcept = default;

bool NHostSearch::Matches(std::string_view pattern, std::string_view name)
{
    if (Glob(pattern, name))
        return true;
    // "foo.*" also finds "foo", and so "*.*" finds every name.
    if (pattern.ends_with(".*"))
        return Glob(pattern.substr(0, pattern.size() - 2), name);
    // "foo." and "*." find names without an extension.
    if (pattern.ends_with('.') && name.find('.') == std::string_view::npos) {
        while (pattern.ends_with('.'))
            pattern.remove_suffix(1);
        return Glob(pattern, name);
    }
    return false;
}

bool NHostSearch::First(const std::string& hostPattern)
{
    Close();
    size_t split = hostPattern.size();
    while (split > 0 && !IsSeparator(hostPattern[split - 1]))
        --split;
    if (split == 0 || split == hostPattern.size())
        return false;
    std::string folderHost = hostPattern.substr(0, split);
    std::string folder;
    std::string parent;
    const NHostDrives& drives = NHostDrives::The();
    if (!drives.ToLinux(folderHost, folder) || !drives.ToLinux(folderHost + "..", parent))
        return false;

    auto state = std::make_unique<NHostSearchState>();
    state->fDir = opendir(folder.c_str());
    if (state->fDir == nullptr)
        return false;
    state->fFolder = folder;
    state->fPattern = hostPattern.substr(split);
    // ".." never climbs above a drive root, so only at a root does it map to the same folder.
    state->fAtRoot = parent == folder;
    fState = std::move(state);
    return Advance();
}

std::vector<NHostSkippedName>& NHostSearch::SkippedNames()
{
    static std::vector<NHostSkippedName> sSkipped;
    return sSkipped;
}

std::vector<NHostSkippedName> NHostSearch::TakeSkippedNames()
{
    return std::exchange(SkippedNames(), {});
}

bool NHostSearch::Next()
{
    return fState != nullptr && Advance();
}

void NHostSearch::Close()
{
    fState.reset();
}

bool NHostSearch::Advance()
{
    std::string name;
    while (const dirent* entry = readdir(fState->fDir)) {
        std::string bad;
        if (!NHostDrives::HostName(entry->d_name, name, &bad)) {
            SkippedNames().push_back({ fState->fFolder + "/" + entry->d_name, bad });
            continue;
        }
        if ((fState->fAtRoot && IsDotEntry(name)) || !Matches(fState->fPattern, name))
            continue;
        // Links are followed as opening the name would; a dangling one is listed as itself.
        struct stat status {};
        int folder = dirfd(fState->fDir);
        if (fstatat(folder, entry->d_name, &status, 0) != 0 &&
            fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        fName = name;
        fIsDirectory = S_ISDIR(status.st_mode);
        // "." and ".." stand for folders, not for names someone chose to hide.
        fHidden = name[0] == '.' && !IsDotEntry(name);
        fSize = fIsDirectory ? 0 : static_cast<int64_t>(status.st_size);
        return true;
    }
    Close();
    return false;
}
