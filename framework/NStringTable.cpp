// Loading and looking up the string table.
//
// A ".xst" file (integers big-endian):
//
//   offset  size  field
//   0       4     mark "NRes" (not checked)
//   4       4     version 1 (not checked)
//   8       4     count N (0 or less: no entries)
//   12      rest  compressed data that expands to N entries of
//                 id (4) | length L (2, signed) | L bytes of Windows-1252 text
#include "framework/NStringTable.h"

#include "storage/NFileException.h"
#include "storage/NStreamExpand.h"

#include <cstdio>
#include <memory>

namespace {

constexpr char kMissFormat[] = "!!! String ID=%d";
constexpr size_t kMissCapacity = 32;

} // namespace

NStringTable& NStringTable::The()
{
    static NStringTable sInstance;
    return sInstance;
}

bool NStringTable::Contains(int32_t id) const
{
    for (const auto& entry : fEntries) {
        if (entry.first == id)
            return true;
    }
    return false;
}

bool NStringTable::Load(const NFileSpec& file, bool merge)
{
    if (!merge)
        fEntries.clear();
    try {
        NStream in = file.Open(NStreamMode::kRead, true);
        in.ReadInt32();
        in.ReadInt32();
        int32_t count = in.ReadInt32();
        NStream expanded(std::make_unique<NStreamExpand>(in));
        for (int32_t i = 0; i < count; ++i) {
            int32_t id = expanded.ReadInt32();
            std::string text = expanded.ReadString();
            if (!merge || (id != 0 && !Contains(id)))
                fEntries.emplace_back(id, std::move(text));
        }
        return true;
    } catch (const NFileException& error) {
        // A table that ends early keeps what was complete.
        return error.IsEndOfData();
    }
}

const std::string& NStringTable::GetString(int32_t id)
{
    if (id != 0) {
        for (const auto& entry : fEntries) {
            if (entry.first == id)
                return entry.second;
        }
    }
    char text[kMissCapacity];
    std::snprintf(text, sizeof text, kMissFormat, id);
    fMissText = text;
    return fMissText;
}
