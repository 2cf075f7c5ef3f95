// The process-wide list of open binders that serve reads of file specifications.
#pragma once

#include "storage/NFileSpec.h"

#include <vector>

class NBinder;

class NBinderRegistry {
public:
    static NBinderRegistry& The();
    /// False once the registry is gone at exit, so late binders leave it alone.
    static bool Alive();
    ~NBinderRegistry();

    /// Enters a binder first in the list (once); registering does not open it.
    void Register(NBinder* binder);
    void Unregister(NBinder* binder);
    NBinder* LastRegistered() const { return fLast; }

    /// The first registered binder that holds the named file as one of its elements.
    NBinder* Lookup(const NFileSpec& spec, int64_t& position, int32_t& size) const;
    /// The element's size, 0 when no binder holds it.
    int32_t SizeOf(const NFileSpec& spec) const;

private:
    NBinderRegistry();

    std::vector<NBinder*> fBinders;   // most recently registered first
    NBinder* fLast = nullptr;
};
