// The palette handle and its loading through the palette file cache.
#include "imaging/NPalette.h"

#include "imaging/NPaletteRegistry.h"

NPalette::NPalette() = default;

NPalette::NPalette(const NPalette& other)
    : fData(other.fData)
{
}

NPalette& NPalette::operator=(const NPalette& other)
{
    Share(other);
    return *this;
}

NPalette::~NPalette() = default;

void NPalette::FromSystem()
{
    fData = NVectorPtr<NPaletteData>(new NPaletteData());
}

void NPalette::Share(const NPalette& other)
{
    if (fData.Get() != other.fData.Get())
        fData = other.fData;
}

void NPalette::Release()
{
    fData.Release();
}

bool NPalette::LoadFile(const NFileSpec& spec, bool reserveSystemColors)
{
    Release();
    fLastError = kNoError;
    NPaletteRegistry& registry = NPaletteRegistry::The();
    if (NPaletteData* cached = registry.FindFile(spec)) {
        fData = NVectorPtr<NPaletteData>(cached);
        return true;
    }
    fData = NVectorPtr<NPaletteData>(new NPaletteData());
    int32_t errorCode = kNoError;
    if (!fData->ReadFile(spec, reserveSystemColors, errorCode)) {
        // A failed read is not cached, so that a repaired file is read again next time.
        fLastError = errorCode;
        return false;
    }
    registry.AddFile(spec, fData.Get());
    return true;
}
