// Iterators over drives, sub-folders and files.
#pragma once

#include "storage/NFileSpec.h"
#include "platform/NHostSearch.h"

#include <string>

// Filter bits of NFDriveIterator.
enum : int {
    kDriveSkipAB = 1,          // never visit A: and B:
    kDriveSkipNetwork = 2,     // skip remote drives
    kDriveSkipRemovable = 4,   // skip removable and CD-ROM drives, and A: and B:
};

// Start modes of NFDriveIterator.
enum : int {
    kDriveStartAtC = 0,        // C: to Z:, then A: and B:
    kDriveStartAfterZ = 1,     // only A: and B:
};

/// The common shape: a done flag, the current value and a virtual Next, which does
/// nothing once the iterator is done.
template <class T>
class NFIterator {
public:
    virtual ~NFIterator() = default;

    bool Done() const { return fDone; }
    const T& Value() const { return fValue; }
    virtual void Next() = 0;

protected:
    NFIterator() = default;
    NFIterator(NFIterator&&) noexcept = default;
    NFIterator& operator=(NFIterator&&) noexcept = default;

    bool fDone = true;
    T fValue;
};

/// Visits the ready drives. A drive is ready when the host reports its free space and
/// its type is known; drives without media are skipped silently.
class NFDriveIterator : public NFIterator<NFDriveSpec> {
public:
    explicit NFDriveIterator(int filter = 0, int startMode = kDriveStartAtC);
    void Next() override;

private:
    bool Accepts(char letter) const;

    int fFilter;
    int fIndex;   // position in the walk order C..Z, A, B
};

/// A folder and a host wildcard pattern to search it with.
struct NFDirRange {
    NFDirSpec fDir;
    std::string fPattern = "*.*";
};

/// Yields the sub-folders of a range, in the order the host lists them, without "." and "..".
/// Moving an iterator moves its host search.
class NFDirIterator : public NFIterator<NFDirSpec> {
public:
    explicit NFDirIterator(const NFDirRange& range);
    NFDirIterator(NFDirIterator&&) noexcept = default;
    NFDirIterator& operator=(NFDirIterator&&) noexcept = default;
    void Next() override;

private:
    void Settle(bool found);

    NFDirSpec fDir;
    NHostSearch fSearch;
};

/// Yields the files (not folders) of a range, in the order the host lists them.
class NFileIterator : public NFIterator<NFileSpec> {
public:
    explicit NFileIterator(const NFDirRange& range);
    NFileIterator(NFileIterator&&) noexcept = default;
    NFileIterator& operator=(NFileIterator&&) noexcept = default;
    void Next() override;

private:
    void Settle(bool found);

    NFDirSpec fDir;
    NHostSearch fSearch;
};
