// The process-wide string table: texts by numeric id, loaded from ".xst" files.
#pragma once

#include "storage/NFileSpec.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

/// Entries in load order; a lookup finds the first entry with the id.
class NStringTable {
public:
    static constexpr int32_t kMark = 0x4E526573;   // "NRes"
    static constexpr int32_t kVersion = 1;

    static NStringTable& The();

    /// Reads a table file; without merge the table is emptied first, with merge only ids
    /// not yet present (and not 0) are added. False on a file error other than the end of
    /// data; the entries read before it stay.
    bool Load(const NFileSpec& file, bool merge);
    /// The text of the id, or "!!! String ID=<id>" in a buffer the next miss overwrites.
    const std::string& GetString(int32_t id);
    void GetString(int32_t id, std::string& text) { text = GetString(id); }

    void Clear() { fEntries.clear(); }
    size_t Count() const { return fEntries.size(); }
    const std::vector<std::pair<int32_t, std::string>>& Entries() const { return fEntries; }

private:
    NStringTable() = default;
    bool Contains(int32_t id) const;

    std::vector<std::pair<int32_t, std::string>> fEntries;
    std::string fMissText;
};
