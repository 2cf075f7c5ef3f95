// Reading and writing registry strings through the platform's registry store.
#include "framework/NRegistry.h"

#include <cstring>
#include <new>
#include <vector>

static constexpr uint32_t kFirstBufferSize = 260;
static constexpr uint32_t kExtraRoom = 10;
// Another process may lengthen the value between two queries; the read follows it a few
// times before it gives up.
static constexpr int kMoreDataAttempts = 4;

bool NRegistry::ReadString(uint32_t root, std::string_view subKey, std::string_view valueName, std::string& text)
{
    text.clear();
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    if (registry.OpenKey(NHostRegistry::Root(root), subKey, key) != kRegSuccess)
        return false;
    try {
        std::vector<char> buffer(kFirstBufferSize);
        uint32_t size = kFirstBufferSize;
        int32_t result = registry.QueryValue(key, valueName, nullptr, buffer.data(), &size);
        for (int attempt = 0; result == kRegMoreData && attempt < kMoreDataAttempts; ++attempt) {
            buffer.assign(size + kExtraRoom, '\0');
            size = static_cast<uint32_t>(buffer.size());
            result = registry.QueryValue(key, valueName, nullptr, buffer.data(), &size);
        }
        // Data without a terminating zero is not read past its end.
        if (result == kRegSuccess && size > 0)
            text.assign(buffer.data(), strnlen(buffer.data(), size));
    } catch (const std::bad_alloc&) {
        text.clear();
    }
    registry.CloseKey(key);
    return true;
}

bool NRegistry::WriteString(uint32_t root, std::string_view subKey, std::string_view valueName, std::string_view text)
{
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    if (registry.CreateKey(NHostRegistry::Root(root), subKey, key) != kRegSuccess)
        return false;
    bool stored = registry.SetString(key, valueName, text) == kRegSuccess;
    registry.CloseKey(key);
    return stored;
}
