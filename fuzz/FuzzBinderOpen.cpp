// Fuzz target: opening an archive held in memory, walking its tree and reading its elements.
#include "storage/NBinder.h"
#include "storage/NFileException.h"
#include "storage/NStreamBinder.h"
#include "storage/NStreamMem.h"

#include <cstddef>
#include <cstdint>

static void Walk(NBinder& binder, const NBinderFolder& folder, int& budget)
{
    for (const NVectorPtr<NBinderElement>& element : folder.fElements) {
        if (--budget < 0)
            return;
        if (element->IsFile()) {
            NStreamBinder stream(binder, binder.Place().fStart + element->fOffset, element->fSize,
                                 NFileSpec(binder.Mount(), "element", false));
            uint8_t block[256];
            try {
                while (stream.Read(sizeof block, block) > 0) {
                }
            } catch (const NFileException&) {
            }
        } else if (element->fFolder) {
            Walk(binder, *element->fFolder, budget);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (int index : { 0, 1 }) {
        NBinder binder;
        try {
            NStream stream(std::make_unique<NStreamMem>(const_cast<uint8_t*>(data), static_cast<int64_t>(size), NStreamMode::kRead));
            if (binder.OpenStream(std::move(stream), NFDirSpec(NFDriveSpec("\\\\fuzz\\")), index) < 0)
                continue;
        } catch (const NFileException&) {
            continue;
        }
        int budget = 1000;
        Walk(binder, *binder.Root(), budget);
        int64_t position = 0;
        int32_t length = 0;
        binder.Lookup(NFileSpec(binder.Mount(), "a:b:c.txt"), position, length);
        static_cast<void>(binder.Close());
    }
    return 0;
}
