// Writes string-table files for tests, in the layout the string table reads.
#pragma once

#include "framework/NStringTable.h"
#include "storage/NFileSpec.h"
#include "storage/NStream.h"
#include "storage/NStreamCompress.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using NTestTableEntries = std::vector<std::pair<int32_t, std::string>>;

/// A table of the entries whose count word is count (the entries' number unless given).
inline void NWriteTestStringTable(const NFileSpec& spec, const NTestTableEntries& entries, int32_t count = -1)
{
    NStream file = spec.Open(NStreamMode::kWrite);
    file.WriteInt32(NStringTable::kMark);
    file.WriteInt32(NStringTable::kVersion);
    file.WriteInt32(count < 0 ? static_cast<int32_t>(entries.size()) : count);
    NStream packed(std::make_unique<NStreamCompress>(file));
    for (const auto& entry : entries) {
        packed.WriteInt32(entry.first);
        packed.WriteString(entry.second);
    }
    packed.Close();
    file.Close();
}
