// The install record: what the setup wrote, so the uninstaller removes exactly that.
#pragma once

#include "storage/NFileSpec.h"

#include <cstdint>
#include <string>
#include <vector>

/// A registry value as stored: its type and bytes.
struct KRawValue {
    uint32_t fType = 0;
    std::string fData;
    bool operator==(const KRawValue& other) const = default;
};

/// A value's type and bytes; false when the key or the value is missing.
bool ReadRawValue(uint32_t root, const std::string& key, const std::string& name, KRawValue& value);
/// Stores a value, making its key; false when it cannot.
bool WriteRawValue(uint32_t root, const std::string& key, const std::string& name, const KRawValue& value);
/// A string value as the registry stores it, with its terminating zero.
KRawValue StringValue(const std::string& text);

/// One thing the setup made.
struct KRecordEntry {
    enum class Kind {
        kFile,      // a file in the install folder (written, or kept as the newer one)
        kFolder,    // a folder of ours, removed when empty
        kLink,      // a shortcut
        kKey,       // a registry key the setup created, removed when empty
        kValue,     // a registry value: what was written, and what was there before
        kDesktop,   // the desktop was told about the type and the player
    };
    Kind fKind = Kind::kFile;
    std::string fPath;        // host path; the desktop entry's id
    uint32_t fRoot = 0;       // registry root
    std::string fName;        // value name
    KRawValue fWritten;
    bool fHadPrevious = false;
    KRawValue fPrevious;

    /// Two entries name the same thing (their texts compared without regard to case).
    bool SameTarget(const KRecordEntry& other) const;
};

/// The record file, one entry a line, fields separated by tabs, with "%", tab, CR and LF
/// written as "%25", "%09", "%0D", "%0A" and value bytes in hexadecimal:
///
///   file     PATH
///   folder   PATH
///   link     PATH
///   key      ROOT KEY
///   value    ROOT KEY NAME TYPE HEX [TYPE HEX]      the second pair: the value before
///   desktop  ID
class KInstallRecord {
public:
    static constexpr char kFileName[] = "installed.txt";

    void Add(KRecordEntry entry);
    /// Adds the entries of an earlier record that this one lacks, keeping the earlier
    /// "before" of a value written by both: that is what the user had before any setup ran.
    void MergeEarlier(const KInstallRecord& earlier);
    const std::vector<KRecordEntry>& Entries() const { return fEntries; }
    bool Empty() const { return fEntries.empty(); }

    /// False when the file is missing or cannot be read; lines it cannot parse are skipped.
    bool Load(const NFileSpec& spec);
    /// Written beside the file and renamed over it.
    bool Save(const NFileSpec& spec) const;

    std::string Text() const;
    static KInstallRecord FromText(const std::string& text);

private:
    std::vector<KRecordEntry> fEntries;
};
