// Reads a whole tagged chunk file in one pass, for readers that take what they find.
#pragma once

#include "storage/NStream.h"

#include <functional>
#include <string>

/// The layout (integers big-endian): type (4 characters) | version | chunks of tag
/// (4 characters) | body length | body, ended by the tag "fini".
class NChunkReader {
public:
    static constexpr int32_t kTagLength = 4;

    /// Hands each chunk's tag and body to `each`, in file order, up to "fini". False when a
    /// chunk's length is negative or runs past the end of the stream; a file that ends
    /// before "fini" throws the stream's end-of-data exception.
    static bool ReadAll(NStream& in, const std::function<void(const std::string& tag, std::string body)>& each);
};
