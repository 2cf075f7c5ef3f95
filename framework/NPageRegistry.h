// The live pages of the process, sorted by id.
#pragma once

#include <cstdint>
#include <vector>

class NPage;

class NPageRegistry {
public:
    static NPageRegistry& The();
    /// The registry, or nullptr once it has been destroyed at exit.
    static NPageRegistry* IfAlive();

    /// False when a page of the same id is registered already.
    bool Add(NPage& page);
    void Remove(const NPage& page);
    NPage* Find(int32_t id) const;
    const std::vector<NPage*>& Pages() const { return fPages; }

    ~NPageRegistry();
    NPageRegistry(const NPageRegistry&) = delete;
    NPageRegistry& operator=(const NPageRegistry&) = delete;

private:
    NPageRegistry() = default;

    std::vector<NPage*> fPages;   // ascending ids
};
