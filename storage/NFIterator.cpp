// Iterators over drives, sub-folders and files.
#include "storage/NFIterator.h"

#include "platform/NHostDrives.h"

static constexpr char kWalkOrder[] = "CDEFGHIJKLMNOPQRSTUVWXYZAB";
static constexpr int kWalkLength = sizeof kWalkOrder - 1;
static constexpr int kFirstAfterZ = kWalkLength - 2;   // index of "A"

// --- NFDriveIterator ---

NFDriveIterator::NFDriveIterator(int filter, int startMode)
    : fFilter(filter)
    , fIndex(startMode == kDriveStartAfterZ ? kFirstAfterZ - 1 : -1)
{
    fDone = false;
    Next();
}

bool NFDriveIterator::Accepts(char letter) const
{
    bool floppyLetter = letter == 'A' || letter == 'B';
    if (floppyLetter && (fFilter & (kDriveSkipAB | kDriveSkipRemovable)))
        return false;
    std::string root = std::string(1, letter) + ":\\";
    uint64_t freeBytes = 0;
    if (!NHostDrives::The().FreeSpace(root, freeBytes))
        return false;
    int type = NHostDrives::The().DriveType(root);
    if (type == kDriveUnknown || type == kDriveNoRootDir)
        return false;
    if ((fFilter & kDriveSkipRemovable) && (type == kDriveRemovable || type == kDriveCdrom))
        return false;
    if ((fFilter & kDriveSkipNetwork) && type == kDriveRemote)
        return false;
    return true;
}

void NFDriveIterator::Next()
{
    if (fDone)
        return;
    while (++fIndex < kWalkLength) {
        if (Accepts(kWalkOrder[fIndex])) {
            fValue = NFDriveSpec(std::string(1, kWalkOrder[fIndex]) + ":\\");
            return;
        }
    }
    fDone = true;
}

// --- NFDirIterator ---

NFDirIterator::NFDirIterator(const NFDirRange& range)
    : fDir(range.fDir)
{
    fDone = false;
    Settle(fSearch.First(fDir.HostPath() + range.fPattern));
}

void NFDirIterator::Settle(bool found)
{
    for (; found; found = fSearch.Next()) {
        const std::string& name = fSearch.Name();
        if (fSearch.IsDirectory() && name != "." && name != "..") {
            fValue = fDir.SubDir(name + ":");
            return;
        }
    }
    fDone = true;
    fSearch.Close();
}

void NFDirIterator::Next()
{
    if (!fDone)
        Settle(fSearch.Next());
}

// --- NFileIterator ---

NFileIterator::NFileIterator(const NFDirRange& range)
    : fDir(range.fDir)
{
    fDone = false;
    Settle(fSearch.First(fDir.HostPath() + range.fPattern));
}

void NFileIterator::Settle(bool found)
{
    for (; found; found = fSearch.Next()) {
        if (!fSearch.IsDirectory()) {
            fValue = NFileSpec(fDir, fSearch.Name(), false);
            return;
        }
    }
    fDone = true;
    fSearch.Close();
}

void NFileIterator::Next()
{
    if (!fDone)
        Settle(fSearch.Next());
}
