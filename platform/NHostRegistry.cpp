// The registry store over SQLite: schema, seeding of a new prefix, and the key and value calls.
//
// <prefix>/registry.db, in write-ahead-log mode so that readers and one writer proceed together:
//
//   keys  id      INTEGER PRIMARY KEY AUTOINCREMENT  never reused, so stale handles stay harmless
//         parent  INTEGER                            0 for the three roots (ids 1 to 3)
//         name    BLOB                               as created, Windows-1252 bytes
//         folded  BLOB                               upper-case name; unique per parent
//   vals  key     INTEGER                            the owning key's id
//         name    BLOB, folded BLOB                  as for keys; the empty name is the default
//         type    INTEGER                            kRegSz, kRegDword, ...
//         data    BLOB                               the bytes as given
//
// PRAGMA user_version is 1 once the schema exists and the fresh-system values are seeded.
#include "platform/NHostRegistry.h"

#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

static constexpr int kBusyTimeoutMs = 15000;   // longest wait for another process's write
static constexpr int kSchemaVersion = 1;
static constexpr int64_t kNoParent = 0;
static constexpr size_t kMaxKeyNameLength = 255;
static constexpr size_t kMaxValueNameLength = 16383;
static constexpr mode_t kFolderMode = 0777;   // narrowed by the umask
static constexpr unsigned kByteBits = 8;
static constexpr unsigned kByteMask = 0xFF;
static constexpr std::string_view kDatabaseName = "/registry.db";

static constexpr struct {
    uint32_t fRoot;
    int64_t fId;
    std::string_view fName;
    std::string_view fShortName;
} kRoots[] = {
    {kHKeyClassesRoot, 1, "HKEY_CLASSES_ROOT", "HKCR"},
    {kHKeyCurrentUser, 2, "HKEY_CURRENT_USER", "HKCU"},
    {kHKeyLocalMachine, 3, "HKEY_LOCAL_MACHINE", "HKLM"},
};
static constexpr int64_t kLastRootId = 3;

static constexpr std::string_view kVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
static constexpr std::string_view kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Shell folders of a fresh system, below "C:\users\<login>\".
static constexpr struct {
    std::string_view fValue;
    std::string_view fFolder;
} kShellFolders[] = {
    {"AppData", "Application Data"},
    {"Desktop", "Desktop"},
    {"Programs", "Start Menu\\Programs"},
    {"Personal", "My Documents"},
};

static constexpr const char* kCreateSchema =
    "CREATE TABLE IF NOT EXISTS keys (id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER NOT NULL, name BLOB NOT NULL, folded BLOB NOT NULL, UNIQUE (parent, folded));"
    "CREATE TABLE IF NOT EXISTS vals (key INTEGER NOT NULL, name BLOB NOT NULL,"
    " folded BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY (key, folded));";

// Prepared statement with parameters bound in order; finalised on destruction.
class NHostRegistry::Statement {
public:
    Statement(sqlite3* database, const char* sql)
    {
        fOk = sqlite3_prepare_v2(database, sql, -1, &fStatement, nullptr) == SQLITE_OK;
    }
    ~Statement() { sqlite3_finalize(fStatement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int64_t value)
    {
        fOk = fOk && sqlite3_bind_int64(fStatement, ++fParameter, value) == SQLITE_OK;
        return *this;
    }

    // Names and data are bytes, never UTF-8 text, so they are bound as blobs.
    Statement& Bind(std::string_view bytes)
    {
        // A zero-length blob must still be a blob, not NULL, so it is given a valid pointer.
        static const char sEmpty = 0;
        const char* data = bytes.empty() ? &sEmpty : bytes.data();
        fOk = fOk && sqlite3_bind_blob64(fStatement, ++fParameter, data, bytes.size(), SQLITE_TRANSIENT) ==
                         SQLITE_OK;
        return *this;
    }

    /// SQLITE_ROW, SQLITE_DONE, or an error (also for a failed preparation or binding).
    int Step() { return fOk ? sqlite3_step(fStatement) : SQLITE_ERROR; }

    int64_t Integer(int column) { return sqlite3_column_int64(fStatement, column); }

    std::string Bytes(int column)
    {
        const void* data = sqlite3_column_blob(fStatement, column);
        int size = sqlite3_column_bytes(fStatement, column);
        return data != nullptr ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                               : std::string();
    }

private:
    sqlite3_stmt* fStatement = nullptr;
    int fParameter = 0;
    bool fOk = false;
};

// One transaction: immediate for writes, so a writer waits for the write lock before it reads
// anything and can never fail later on a snapshot another writer made stale. Rolled back
// unless committed.
class NHostRegistry::Transaction {
public:
    Transaction() = default;
    ~Transaction()
    {
        if (fDatabase != nullptr && !sqlite3_get_autocommit(fDatabase))
            sqlite3_exec(fDatabase, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Begin(sqlite3* database, bool write)
    {
        bool begun = sqlite3_exec(database, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr) ==
                     SQLITE_OK;
        fDatabase = begun ? database : nullptr;
        return begun;
    }

    bool Commit() { return sqlite3_exec(fDatabase, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK; }

    /// The result of a call whose work is done: success only when the commit succeeds.
    int32_t Finish(int32_t result) { return result == kRegSuccess && !Commit() ? kRegIoFailed : result; }

private:
    sqlite3* fDatabase = nullptr;
};

static void MakeFolders(const std::string& path)
{
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/')
            mkdir(path.substr(0, at).c_str(), kFolderMode);
    }
}

static bool Execute(sqlite3* database, const char* sql)
{
    return sqlite3_exec(database, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

static std::vector<std::string_view> SplitPath(std::string_view path)
{
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        size_t end = path.find('\\');
        std::string_view part = path.substr(0, end);
        if (!part.empty())
            parts.push_back(part);
        path.remove_prefix(end == std::string_view::npos ? path.size() : end + 1);
    }
    return parts;
}

NHostRegistry& NHostRegistry::The()
{
    static NHostRegistry sRegistry;
    return sRegistry;
}

NHostRegistry::~NHostRegistry()
{
    Disconnect();
}

bool NHostRegistry::ParseRoot(std::string_view name, uint32_t& root)
{
    std::string folded = NHostCodePage::FoldUpper(name);
    for (const auto& entry : kRoots) {
        if (folded == entry.fName || folded == entry.fShortName) {
            root = entry.fRoot;
            return true;
        }
    }
    return false;
}

std::string_view NHostRegistry::RootName(uint32_t root)
{
    for (const auto& entry : kRoots) {
        if (entry.fRoot == root)
            return entry.fName;
    }
    return std::string_view();
}

NHostRegKey NHostRegistry::Root(uint32_t root)
{
    for (const auto& entry : kRoots) {
        if (entry.fRoot == root)
            return NHostRegKey {entry.fId, 0};
    }
    return NHostRegKey();
}

// Follows the prefix: a test or tool that points $LUMORA_PREFIX elsewhere and reloads the
// drive table gets that prefix's registry on its next call.
bool NHostRegistry::Connect()
{
    const std::string& prefix = NHostDrives::The().Prefix();
    if (fDatabase != nullptr && prefix == fPrefix)
        return true;
    Disconnect();
    ++fGeneration;
    MakeFolders(prefix);
    std::string path = prefix + std::string(kDatabaseName);
    if (sqlite3_open_v2(path.c_str(), &fDatabase, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        Disconnect();
        return false;
    }
    sqlite3_busy_timeout(fDatabase, kBusyTimeoutMs);
    // The mode is a property of the file; when the file system cannot share memory between
    // processes it stays in rollback mode, which is slower but just as safe.
    Execute(fDatabase, "PRAGMA journal_mode=WAL");
    // Every commit reaches the disk before the call returns.
    if (!Execute(fDatabase, "PRAGMA synchronous=FULL") || !PrepareSchema()) {
        Disconnect();
        return false;
    }
    fPrefix = prefix;
    return true;
}

void NHostRegistry::Disconnect()
{
    if (fDatabase != nullptr)
        sqlite3_close_v2(fDatabase);
    fDatabase = nullptr;
    fPrefix.clear();
}

// Several processes may open a new prefix at once; the immediate transaction lets exactly
// one of them create and seed it while the others wait and then find it done.
bool NHostRegistry::PrepareSchema()
{
    Transaction transaction;
    if (!transaction.Begin(fDatabase, true))
        return false;
    Statement version(fDatabase, "PRAGMA user_version");
    if (version.Step() != SQLITE_ROW)
        return false;
    if (version.Integer(0) >= kSchemaVersion)
        return transaction.Commit();
    if (!Execute(fDatabase, kCreateSchema))
        return false;
    for (const auto& root : kRoots) {
        Statement insert(fDatabase, "INSERT OR IGNORE INTO keys (id, parent, name, folded) VALUES (?, ?, ?, ?)");
        if (insert.Bind(root.fId).Bind(kNoParent).Bind(root.fName).Bind(root.fName).Step() != SQLITE_DONE)
            return false;
    }
    if (!Seed())
        return false;
    std::string setVersion = "PRAGMA user_version=" + std::to_string(kSchemaVersion);
    return Execute(fDatabase, setVersion.c_str()) && transaction.Commit();
}

static std::string StringData(std::string_view text)
{
    std::string data(text);
    data += '\0';
    return data;
}

// The values a fresh system has that the programs read before anything wrote them.
bool NHostRegistry::Seed()
{
    int64_t key = 0;
    if (FindPath(Root(kHKeyLocalMachine).fId, kVersionKey, true, key, nullptr) != kRegSuccess ||
        StoreValue(key, "ProgramFilesDir", kRegSz, StringData("C:\\Program Files")) != kRegSuccess)
        return false;
    if (FindPath(Root(kHKeyCurrentUser).fId, kShellFoldersKey, true, key, nullptr) != kRegSuccess)
        return false;
    const NHostDrives& drives = NHostDrives::The();
    std::string userFolder = "C:\\users\\" + drives.UserName() + "\\";
    for (const auto& folder : kShellFolders) {
        if (StoreValue(key, folder.fValue, kRegSz, StringData(userFolder + std::string(folder.fFolder))) !=
            kRegSuccess)
            return false;
    }
    // The first mapping onto drive C: makes the prefix's folders, so the values point at
    // folders that exist.
    std::string unused;
    drives.ToLinux("C:\\", unused);
    return true;
}

int32_t NHostRegistry::CheckKey(const NHostRegKey& key, int64_t& id)
{
    id = 0;
    if (!key.IsOpen() || (key.fGeneration != 0 && key.fGeneration != fGeneration))
        return kRegInvalidHandle;
    if (key.fGeneration == 0 && (key.fId < 1 || key.fId > kLastRootId))
        return kRegInvalidHandle;
    id = key.fId;
    return kRegSuccess;
}

// Connects, checks the handle and begins a transaction in which the key still exists.
int32_t NHostRegistry::Enter(const NHostRegKey& key, bool write, Transaction& transaction, int64_t& id)
{
    if (!Connect())
        return kRegIoFailed;
    if (int32_t result = CheckKey(key, id); result != kRegSuccess)
        return result;
    if (!transaction.Begin(fDatabase, write))
        return kRegIoFailed;
    int64_t same = 0;
    return FindPath(id, std::string_view(), false, same, nullptr);
}

int32_t NHostRegistry::FindChild(int64_t parent, std::string_view name, int64_t& id)
{
    Statement find(fDatabase, "SELECT id FROM keys WHERE parent = ? AND folded = ?");
    int step = find.Bind(parent).Bind(NHostCodePage::FoldUpper(name)).Step();
    if (step == SQLITE_ROW) {
        id = find.Integer(0);
        return kRegSuccess;
    }
    return step == SQLITE_DONE ? kRegFileNotFound : kRegIoFailed;
}

// Inside a transaction: walks (and with create, makes) the path below an existing key.
int32_t NHostRegistry::FindPath(int64_t parent, std::string_view subKey, bool create, int64_t& id,
                                bool* created)
{
    if (created != nullptr)
        *created = false;
    Statement exists(fDatabase, "SELECT 1 FROM keys WHERE id = ?");
    int step = exists.Bind(parent).Step();
    if (step != SQLITE_ROW)
        return step == SQLITE_DONE ? kRegKeyDeleted : kRegIoFailed;
    std::vector<std::string_view> parts = SplitPath(subKey);
    for (std::string_view part : parts) {
        if (part.size() > kMaxKeyNameLength)
            return kRegInvalidParameter;
    }
    id = parent;
    for (std::string_view part : parts) {
        int64_t child = 0;
        int32_t result = FindChild(id, part, child);
        if (result == kRegFileNotFound && create) {
            Statement insert(fDatabase, "INSERT INTO keys (parent, name, folded) VALUES (?, ?, ?)");
            if (insert.Bind(id).Bind(part).Bind(NHostCodePage::FoldUpper(part)).Step() != SQLITE_DONE)
                return kRegIoFailed;
            child = sqlite3_last_insert_rowid(fDatabase);
            if (created != nullptr)
                *created = true;
        } else if (result != kRegSuccess) {
            return result;
        }
        id = child;
    }
    return kRegSuccess;
}

int32_t NHostRegistry::StoreValue(int64_t key, std::string_view name, uint32_t type, std::string_view data)
{
    Statement store(fDatabase,
                    "INSERT INTO vals (key, name, folded, type, data) VALUES (?, ?, ?, ?, ?)"
                    " ON CONFLICT (key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
    store.Bind(key).Bind(name).Bind(NHostCodePage::FoldUpper(name)).Bind(static_cast<int64_t>(type)).Bind(data);
    return store.Step() == SQLITE_DONE ? kRegSuccess : kRegIoFailed;
}

int32_t NHostRegistry::OpenKey(const NHostRegKey& parent, std::string_view subKey, NHostRegKey& key)
{
    key = NHostRegKey();
    int64_t parentId = 0;
    Transaction transaction;
    if (int32_t result = Enter(parent, false, transaction, parentId); result != kRegSuccess)
        return result;
    int64_t id = 0;
    int32_t result = transaction.Finish(FindPath(parentId, subKey, false, id, nullptr));
    if (result == kRegSuccess)
        key = NHostRegKey {id, fGeneration};
    return result;
}

int32_t NHostRegistry::CreateKey(const NHostRegKey& parent, std::string_view subKey, NHostRegKey& key,
                                 bool* created)
{
    key = NHostRegKey();
    if (created != nullptr)
        *created = false;
    int64_t parentId = 0;
    Transaction transaction;
    if (int32_t result = Enter(parent, true, transaction, parentId); result != kRegSuccess)
        return result;
    int64_t id = 0;
    bool made = false;
    int32_t result = transaction.Finish(FindPath(parentId, subKey, true, id, &made));
    if (result == kRegSuccess) {
        key = NHostRegKey {id, fGeneration};
        if (created != nullptr)
            *created = made;
    }
    return result;
}

void NHostRegistry::CloseKey(NHostRegKey& key)
{
    key = NHostRegKey();
}

int32_t NHostRegistry::DeleteKey(const NHostRegKey& parent, std::string_view subKey)
{
    return RemoveKey(parent, subKey, false);
}

int32_t NHostRegistry::DeleteTree(const NHostRegKey& parent, std::string_view subKey)
{
    return RemoveKey(parent, subKey, true);
}

int32_t NHostRegistry::RemoveKey(const NHostRegKey& parent, std::string_view subKey, bool tree)
{
    int64_t parentId = 0;
    Transaction transaction;
    if (int32_t result = Enter(parent, true, transaction, parentId); result != kRegSuccess)
        return result;
    int64_t id = 0;
    if (int32_t result = FindPath(parentId, subKey, false, id, nullptr); result != kRegSuccess)
        return result;
    if (id <= kLastRootId)
        return kRegAccessDenied;
    if (!tree) {
        Statement children(fDatabase, "SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
        int step = children.Bind(id).Step();
        if (step != SQLITE_DONE)
            return step == SQLITE_ROW ? kRegAccessDenied : kRegIoFailed;
    }
    static constexpr const char* kSubtree =
        "WITH RECURSIVE subtree (id) AS (SELECT ? UNION ALL"
        " SELECT keys.id FROM keys JOIN subtree ON keys.parent = subtree.id) ";
    Statement values(fDatabase, (std::string(kSubtree) + "DELETE FROM vals WHERE key IN subtree").c_str());
    Statement keys(fDatabase, (std::string(kSubtree) + "DELETE FROM keys WHERE id IN subtree").c_str());
    if (values.Bind(id).Step() != SQLITE_DONE || keys.Bind(id).Step() != SQLITE_DONE)
        return kRegIoFailed;
    return transaction.Finish(kRegSuccess);
}

int32_t NHostRegistry::EnumKey(const NHostRegKey& key, uint32_t index, std::string& name)
{
    name.clear();
    int64_t id = 0;
    Transaction transaction;
    if (int32_t result = Enter(key, false, transaction, id); result != kRegSuccess)
        return result;
    Statement child(fDatabase, "SELECT name FROM keys WHERE parent = ? ORDER BY folded LIMIT 1 OFFSET ?");
    int step = child.Bind(id).Bind(static_cast<int64_t>(index)).Step();
    if (step == SQLITE_ROW)
        name = child.Bytes(0);
    return transaction.Finish(step == SQLITE_ROW ? kRegSuccess : step == SQLITE_DONE ? kRegNoMoreItems
                                                                                     : kRegIoFailed);
}

int32_t NHostRegistry::KeyPath(const NHostRegKey& key, std::string& path)
{
    path.clear();
    int64_t id = 0;
    Transaction transaction;
    if (int32_t result = Enter(key, false, transaction, id); result != kRegSuccess)
        return result;
    std::vector<std::string> names;
    while (id != kNoParent) {
        Statement step(fDatabase, "SELECT parent, name FROM keys WHERE id = ?");
        int found = step.Bind(id).Step();
        if (found != SQLITE_ROW)
            return found == SQLITE_DONE ? kRegKeyDeleted : kRegIoFailed;
        id = step.Integer(0);
        names.push_back(step.Bytes(1));
    }
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        path += (path.empty() ? "" : "\\") + *name;
    return transaction.Finish(kRegSuccess);
}

int32_t NHostRegistry::QueryValue(const NHostRegKey& key, std::string_view name, uint32_t* type, void* data,
                                  uint32_t* size)
{
    if (data != nullptr && size == nullptr)
        return kRegInvalidParameter;
    int64_t id = 0;
    Transaction transaction;
    if (int32_t result = Enter(key, false, transaction, id); result != kRegSuccess)
        return result;
    Statement value(fDatabase, "SELECT type, data FROM vals WHERE key = ? AND folded = ?");
    int step = value.Bind(id).Bind(NHostCodePage::FoldUpper(name)).Step();
    if (step != SQLITE_ROW)
        return step == SQLITE_DONE ? kRegFileNotFound : kRegIoFailed;
    std::string bytes = value.Bytes(1);
    if (type != nullptr)
        *type = static_cast<uint32_t>(value.Integer(0));
    uint32_t needed = static_cast<uint32_t>(bytes.size());
    if (data != nullptr && *size < needed) {
        *size = needed;
        return kRegMoreData;
    }
    if (data != nullptr && needed > 0)
        std::memcpy(data, bytes.data(), needed);
    if (size != nullptr)
        *size = needed;
    return transaction.Finish(kRegSuccess);
}

int32_t NHostRegistry::SetValue(const NHostRegKey& key, std::string_view name, uint32_t type, const void* data,
                                uint32_t size)
{
    if ((data == nullptr && size > 0) || name.size() > kMaxValueNameLength)
        return kRegInvalidParameter;
    int64_t id = 0;
    Transaction transaction;
    if (int32_t result = Enter(key, true, transaction, id); result != kRegSuccess)
        return result;
    std::string_view bytes = size > 0 ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
    return transaction.Finish(StoreValue(id, name, type, bytes));
}

int32_t NHostRegistry::DeleteValue(const NHostRegKey& key, std::string_view name)
{
    int64_t id = 0;
    Transaction transaction;
    if (int32_t result = Enter(key, true, transaction, id); result != kRegSuccess)
        return result;
    Statement remove(fDatabase, "DELETE FROM vals WHERE key = ? AND folded = ?");
    if (remove.Bind(id).Bind(NHostCodePage::FoldUpper(name)).Step() != SQLITE_DONE)
        return kRegIoFailed;
    return transaction.Finish(sqlite3_changes(fDatabase) > 0 ? kRegSuccess : kRegFileNotFound);
}

int32_t NHostRegistry::EnumValue(const NHostRegKey& key, uint32_t index, std::string& name, uint32_t& type,
                                 std::string& data)
{
    name.clear();
    data.clear();
    type = kRegNone;
    int64_t id = 0;
    Transaction transaction;
    if (int32_t result = Enter(key, false, transaction, id); result != kRegSuccess)
        return result;
    Statement value(fDatabase, "SELECT name, type, data FROM vals WHERE key = ? ORDER BY rowid LIMIT 1 OFFSET ?");
    int step = value.Bind(id).Bind(static_cast<int64_t>(index)).Step();
    if (step == SQLITE_ROW) {
        name = value.Bytes(0);
        type = static_cast<uint32_t>(value.Integer(1));
        data = value.Bytes(2);
    }
    return transaction.Finish(step == SQLITE_ROW ? kRegSuccess : step == SQLITE_DONE ? kRegNoMoreItems
                                                                                     : kRegIoFailed);
}

int32_t NHostRegistry::SetString(const NHostRegKey& key, std::string_view name, std::string_view text)
{
    std::string data = StringData(text);
    return SetValue(key, name, kRegSz, data.data(), static_cast<uint32_t>(data.size()));
}

int32_t NHostRegistry::SetDword(const NHostRegKey& key, std::string_view name, uint32_t value)
{
    unsigned char bytes[sizeof value];
    for (size_t at = 0; at < sizeof value; ++at)
        bytes[at] = static_cast<unsigned char>((value >> (kByteBits * at)) & kByteMask);
    return SetValue(key, name, kRegDword, bytes, sizeof bytes);
}
