// The registry: keys and values kept in an SQLite database in the prefix, shared by every process.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;

// The predefined root keys, numbered as the host numbers their handles.
enum : uint32_t {
    kHKeyClassesRoot = 0x80000000,
    kHKeyCurrentUser = 0x80000001,
    kHKeyLocalMachine = 0x80000002,
};

// Value types.
enum : uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
};

// Results of the registry calls, with the host's numbers.
enum : int32_t {
    kRegSuccess = 0,
    kRegFileNotFound = 2,        // no such key or value
    kRegAccessDenied = 5,        // a root cannot be deleted; a key with sub-keys needs DeleteTree
    kRegInvalidHandle = 6,       // the key is not open (or belongs to another prefix's registry)
    kRegInvalidParameter = 87,
    kRegMoreData = 234,          // the buffer is too small; the size says how much is needed
    kRegNoMoreItems = 259,       // enumeration index past the end
    kRegIoFailed = 1016,         // the database could not be opened, read or written
    kRegKeyDeleted = 1018,       // the open key was deleted (possibly by another process)
};

/// An open key. Keys are never closed for the database's sake: the handle only names the
/// key's row, which is never reused, so a handle to a deleted key stays harmless.
struct NHostRegKey {
    int64_t fId = 0;
    uint64_t fGeneration = 0;   // the connection it was opened on; 0 for the roots
    bool IsOpen() const { return fId != 0; }
};

/// The registry store of the prefix in use, at <prefix>/registry.db, made and seeded as a
/// fresh system's on first use. Every write is one immediate transaction and every read
/// one snapshot, so processes sharing the prefix never see half a write nor lose one; a
/// busy database is waited on for a bounded time. Key and value names compare without
/// regard to case and keep the case they were created with. No call throws.
class NHostRegistry {
public:
    static NHostRegistry& The();
    ~NHostRegistry();
    NHostRegistry(const NHostRegistry&) = delete;
    NHostRegistry& operator=(const NHostRegistry&) = delete;

    /// "HKEY_CURRENT_USER" or "HKCU" (any case); false for anything else.
    static bool ParseRoot(std::string_view name, uint32_t& root);
    /// "HKEY_CURRENT_USER" for kHKeyCurrentUser; empty for a number that is no root.
    static std::string_view RootName(uint32_t root);
    /// A handle to a predefined root; not open for a number that is no root.
    static NHostRegKey Root(uint32_t root);

    // Keys. A sub-key path is backslash-separated; empty steps are ignored, so an empty
    // path opens the key itself.
    int32_t OpenKey(const NHostRegKey& parent, std::string_view subKey, NHostRegKey& key);
    int32_t CreateKey(const NHostRegKey& parent, std::string_view subKey, NHostRegKey& key,
                      bool* created = nullptr);
    void CloseKey(NHostRegKey& key);
    /// Deletes a key without sub-keys, with its values.
    int32_t DeleteKey(const NHostRegKey& parent, std::string_view subKey);
    /// Deletes a key with everything below it.
    int32_t DeleteTree(const NHostRegKey& parent, std::string_view subKey);
    /// The name of the index-th sub-key, in order of their upper-case names.
    int32_t EnumKey(const NHostRegKey& key, uint32_t index, std::string& name);
    /// The key's full path in stored case: "HKEY_CURRENT_USER\Software\Lumora".
    int32_t KeyPath(const NHostRegKey& key, std::string& path);

    // Values. The empty name is the key's default value.
    /// As the host's query: data may be null to ask for the size only; when the buffer is
    /// too small the result is kRegMoreData and *size the size needed. Type and size are
    /// optional (size is required with data).
    int32_t QueryValue(const NHostRegKey& key, std::string_view name, uint32_t* type, void* data,
                       uint32_t* size);
    int32_t SetValue(const NHostRegKey& key, std::string_view name, uint32_t type, const void* data,
                     uint32_t size);
    int32_t DeleteValue(const NHostRegKey& key, std::string_view name);
    /// The index-th value in order of creation.
    int32_t EnumValue(const NHostRegKey& key, uint32_t index, std::string& name, uint32_t& type,
                      std::string& data);

    // Conveniences over the calls above for strings (stored with their terminating zero)
    // and 32-bit integers (stored little-endian, as the host does).
    int32_t SetString(const NHostRegKey& key, std::string_view name, std::string_view text);
    int32_t SetDword(const NHostRegKey& key, std::string_view name, uint32_t value);

private:
    class Statement;
    class Transaction;

    NHostRegistry() = default;
    bool Connect();
    void Disconnect();
    bool PrepareSchema();
    bool Seed();
    int32_t CheckKey(const NHostRegKey& key, int64_t& id);
    int32_t Enter(const NHostRegKey& key, bool write, Transaction& transaction, int64_t& id);
    int32_t FindPath(int64_t parent, std::string_view subKey, bool create, int64_t& id, bool* created);
    int32_t FindChild(int64_t parent, std::string_view name, int64_t& id);
    int32_t StoreValue(int64_t key, std::string_view name, uint32_t type, std::string_view data);
    int32_t RemoveKey(const NHostRegKey& parent, std::string_view subKey, bool tree);

    sqlite3* fDatabase = nullptr;
    std::string fPrefix;          // the prefix whose database is open
    uint64_t fGeneration = 0;     // counts connections, so handles of an earlier one are refused
};
