// Host names for archive element names.
#include "tools/XpbNames.h"

#include "storage/NFileSpec.h"

static constexpr unsigned char kFirstPrintable = 0x20;

std::string SafeHostName(std::string_view elementName)
{
    std::string name;
    name.reserve(elementName.size() + 1);
    for (char c : elementName) {
        bool forbidden = static_cast<unsigned char>(c) < kFirstPrintable || c == 0x7F;
        for (const char* bad = NFileSpec::kForbiddenNameChars; *bad && !forbidden; ++bad)
            forbidden = c == *bad;
        name += forbidden ? '-' : c;
    }
    // "." and ".." are steps, not names; a name of dots only would be read as one.
    if (name.find_first_not_of('.') == std::string::npos)
        name.insert(name.begin(), '_');
    return name;
}
