// Defaults of the abstract byte stream.
#include "storage/NStreamImp.h"

NStreamImp::~NStreamImp() = default;

void NStreamImp::Close()
{
}

void NStreamImp::Flush()
{
}

void NStreamImp::SetModTime(const NDateTime&)
{
}
