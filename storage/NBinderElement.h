// The in-memory tree of a binder: folders holding counted element records.
#pragma once

#include "storage/NVectorPtr.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class NBinderFolder;

// Bits of NBinderElement::fKind.
enum : int32_t {
    kBinderKindFile = 1,   // clear: a folder
};

/// One directory record: a file with its size and offset from the binder's start, or a
/// folder with its own listing.
class NBinderElement : public NCountedRecord {
public:
    NBinderElement(std::string name, int32_t kind);
    ~NBinderElement();

    bool IsFile() const { return (fKind & kBinderKindFile) != 0; }

    std::string fName;
    int32_t fKind;
    int32_t fSize = 0;
    int32_t fOffset = 0;
    std::unique_ptr<NBinderFolder> fFolder;   // folders only
};

class NBinderFolder {
public:
    /// The folder record of that name (compared without regard to case), or null.
    NBinderElement* FindFolder(std::string_view name) const;
    /// The file record of that name (compared without regard to case), or null.
    NBinderElement* FindFile(std::string_view name) const;

    std::vector<NVectorPtr<NBinderElement>> fElements;
    bool fCreatedHere = false;
};
