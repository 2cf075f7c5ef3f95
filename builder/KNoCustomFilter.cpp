// The theme copy filter.
#include "builder/KNoCustomFilter.h"

namespace {

constexpr char kCustomFolder[] = "custom";
constexpr char kVariantMark = '@';

} // namespace

bool KNoCustomFilter::Accept(bool isFile, const NFDirSpec&, const std::string& name)
{
    if (isFile)
        return true;
    std::string lowered = name;
    for (char& c : lowered)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lowered == kCustomFolder)
        return false;
    return lowered.empty() || lowered[0] != kVariantMark || lowered == fKeepFolder;
}
