// Fuzz target: the player's show descriptions, transitions and album info chunks from arbitrary bytes.
#include "player/KAlbum.h"
#include "player/KShowDescription.h"
#include "player/KTransition.h"
#include "storage/NFileException.h"
#include "storage/NStreamMem.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    KShowDescription show;
    show.Read(text);
    for (const char* key : { "photo.box", "photo.border", "photo.shadow", "transition", "variants", "slide.seconds" }) {
        (void)show.Numbers(key);
        (void)show.Int(key, 0);
        (void)show.Colour(key, 0);
        (void)show.List(key);
        (void)KTransition::Parse(show.Text(key));
    }
    (void)KTransition::Parse(text);
    std::vector<uint8_t> bytes(data, data + size);
    std::map<std::string, std::string> chunks;
    try {
        NStream in(std::make_unique<NStreamMem>(bytes.data(), static_cast<int64_t>(bytes.size()), NStreamMode::kRead));
        (void)KAlbum::ReadChunks(in, chunks);
    } catch (const NFileException&) {
        // A short read ends it; it must never crash or read out of bounds.
    }
    return 0;
}
