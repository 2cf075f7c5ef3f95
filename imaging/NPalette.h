// The palette handle: shares one palette record by its holder count.
#pragma once

#include "imaging/NPaletteData.h"
#include "storage/NFileSpec.h"
#include "storage/NVectorPtr.h"

#include <cstdint>

/// Empty when new. Copying a handle shares the record; destroying or emptying it releases
/// the record, and the last release frees it.
class NPalette {
public:
    static constexpr int32_t kNoError = -1;

    NPalette();
    NPalette(const NPalette& other);
    NPalette& operator=(const NPalette& other);
    virtual ~NPalette();

    /// New data from the system palette.
    void FromSystem();
    /// Shares the other handle's data; nothing when both already share the same record.
    void Share(const NPalette& other);
    void Release();
    /// Shares the record cached for the same file, or reads the file into a new record
    /// and caches it. A file that cannot be read leaves the system colours and false; the
    /// file error code is kept in LastError.
    bool LoadFile(const NFileSpec& spec, bool reserveSystemColors);

    NPaletteData* Data() const { return fData.Get(); }
    bool IsEmpty() const { return !fData; }
    int32_t LastError() const { return fLastError; }

private:
    NVectorPtr<NPaletteData> fData;
    int32_t fLastError = kNoError;
};
