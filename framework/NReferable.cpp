// The process-wide table of object references.
#include "framework/NReferable.h"

#include <unordered_map>

namespace {

class ReferenceTable {
public:
    ~ReferenceTable() { sGone = true; }

    uint32_t Add(NReferable* object)
    {
        // Skip 0 and, once the counter has wrapped, any reference still in use.
        do {
            ++fLast;
        } while (fLast == 0 || fObjects.count(fLast) != 0);
        fObjects.emplace(fLast, object);
        return fLast;
    }
    void Remove(uint32_t reference) { fObjects.erase(reference); }
    NReferable* Find(uint32_t reference) const
    {
        auto found = fObjects.find(reference);
        return found == fObjects.end() ? nullptr : found->second;
    }

    static bool sGone; // set at exit, after which references are neither made nor found

private:
    std::unordered_map<uint32_t, NReferable*> fObjects;
    uint32_t fLast = 0;
};

bool ReferenceTable::sGone = false;

ReferenceTable& Table()
{
    static ReferenceTable sTable;
    return sTable;
}

} // namespace

NReferable::~NReferable()
{
    DropReference();
}

uint32_t NReferable::Reference()
{
    if (fReference == 0 && !ReferenceTable::sGone)
        fReference = Table().Add(this);
    return fReference;
}

void NReferable::DropReference()
{
    if (fReference != 0 && !ReferenceTable::sGone)
        Table().Remove(fReference);
    fReference = 0;
}

NReferable* NReferable::Find(uint32_t reference)
{
    if (reference == 0 || ReferenceTable::sGone)
        return nullptr;
    return Table().Find(reference);
}
