// The one-pass tagged chunk file reader.
#include "storage/NChunkReader.h"

static constexpr char kEndTag[] = "fini";

bool NChunkReader::ReadAll(NStream& in, const std::function<void(const std::string& tag, std::string body)>& each)
{
    in.ReadInt32();   // type
    in.ReadInt32();   // version
    for (;;) {
        char tag[kTagLength];
        in.ReadFully(kTagLength, tag);
        int32_t length = in.ReadInt32();
        std::string name(tag, kTagLength);
        if (name == kEndTag)
            return true;
        if (length < 0 || length > in.GetLength() - in.GetPosition())
            return false;
        std::string body(static_cast<size_t>(length), '\0');
        if (length > 0)
            in.ReadFully(length, body.data());
        each(name, std::move(body));
    }
}
