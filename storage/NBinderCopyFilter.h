// Decides which elements a binder copy takes over.
#pragma once

#include "storage/NFileSpec.h"

#include <string>

class NBinderCopyFilter {
public:
    virtual ~NBinderCopyFilter() = default;

    /// True to copy a file (isFile) or to descend into a folder, named `name` in `sourceDir`.
    virtual bool Accept(bool isFile, const NFDirSpec& sourceDir, const std::string& name) = 0;
};
