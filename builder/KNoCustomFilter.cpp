// The theme copy filter.
#include "builder/KNoCustomFilter.h"

#include "storage/NCaseFold.h"

namespace {

constexpr char kCustomFolder[] = "custom";
constexpr char kVariantMark = '@';

} // namespace

bool KNoCustomFilter::Accept(bool isFile, const NFDirSpec&, const std::string& name)
{
    if (isFile)
        return true;
    std::string lowered = LowerCase1252(name);
    if (lowered == kCustomFolder)
        return false;
    return lowered.empty() || lowered[0] != kVariantMark || lowered == fKeepFolder;
}
