// Fuzzes what another process may send: single-instance requests and text input in UTF-8.
#include "platform/NHostDisplay.h"
#include "platform/NHostInstance.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    NHostInstance::Kind kind;
    uint32_t tag = 0;
    std::string payload;
    if (NHostInstance::DecodeRequest(bytes, kind, tag, payload)) {
        // A request that decodes encodes back to the same bytes.
        if (NHostInstance::EncodeRequest(kind, tag, payload.data(), uint32_t(payload.size())) != bytes)
            std::abort();
    }
    std::string ansi = NHostUtf8ToAnsi(bytes);
    if (ansi.size() > size)
        std::abort();
    return 0;
}
