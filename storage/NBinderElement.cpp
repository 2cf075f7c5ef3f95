// The in-memory tree of a binder.
#include "storage/NBinderElement.h"

#include "storage/NCaseFold.h"

NBinderElement::NBinderElement(std::string name, int32_t kind)
    : fName(std::move(name))
    , fKind(kind)
{
}

NBinderElement::~NBinderElement() = default;

NBinderElement* NBinderFolder::FindFolder(std::string_view name) const
{
    for (const NVectorPtr<NBinderElement>& element : fElements) {
        if (!element->IsFile() && EqualNoCase1252(element->fName, name))
            return element.Get();
    }
    return nullptr;
}

NBinderElement* NBinderFolder::FindFile(std::string_view name) const
{
    for (const NVectorPtr<NBinderElement>& element : fElements) {
        if (element->IsFile() && EqualNoCase1252(element->fName, name))
            return element.Get();
    }
    return nullptr;
}
