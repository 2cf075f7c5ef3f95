// 32-bit references to live objects, so that port events can name objects in their 32-bit words.
#pragma once

#include <cstdint>

/// An object that port events may carry as argument or source. Its reference is made on
/// first use and never given to another object, so an event still queued when the object
/// is destroyed finds nothing instead of a stale pointer.
class NReferable {
public:
    virtual ~NReferable();

    /// The object's reference (never 0), made on first use.
    uint32_t Reference();
    bool HasReference() const { return fReference != 0; }

    /// The live object with this reference, or nullptr for 0, an unknown reference or an
    /// object destroyed since.
    static NReferable* Find(uint32_t reference);
    template <class T> static T* FindAs(uint32_t reference) { return dynamic_cast<T*>(Find(reference)); }

protected:
    NReferable() = default;
    NReferable(const NReferable&) {}   // a copy is another object with a reference of its own
    NReferable& operator=(const NReferable&) { return *this; }

    /// Makes the reference unknown before the object is gone; derived destructors call it
    /// first so that nothing finds a half-destroyed object.
    void DropReference();

private:
    uint32_t fReference = 0;
};
