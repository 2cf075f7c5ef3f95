// The theme copy filter: leaves out "custom" folders and every "@" folder but the kept one.
#pragma once

#include "storage/NBinderCopyFilter.h"

#include <string>
#include <utility>

class KNoCustomFilter : public NBinderCopyFilter {
public:
    /// The keep folder is compared as given, so callers pass it lower-case.
    explicit KNoCustomFilter(std::string keepFolder) : fKeepFolder(std::move(keepFolder)) {}

    // Filtering
    bool Accept(bool isFile, const NFDirSpec& sourceDir, const std::string& name) override;

private:
    std::string fKeepFolder;
};
