// String values of the registry, as the framework and the programs read and write them.
#pragma once

#include "platform/NHostRegistry.h"

#include <cstdint>
#include <string>
#include <string_view>

class NRegistry {
public:
    /// The text of a value under a root (kHKeyClassesRoot, kHKeyCurrentUser,
    /// kHKeyLocalMachine). False only when the key cannot be opened: a missing value reads
    /// as true with the empty text, so callers cannot tell it from an empty one. The text
    /// is the data up to its first zero byte, however long the value is.
    static bool ReadString(uint32_t root, std::string_view subKey, std::string_view valueName, std::string& text);
    /// Stores a string value (the default value for an empty name), making the key and its
    /// parents when they are missing. True when both steps succeed.
    static bool WriteString(uint32_t root, std::string_view subKey, std::string_view valueName,
                            std::string_view text);
};
