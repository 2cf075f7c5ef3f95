// The page data object's defaults.
#include "framework/NPageData.h"

NPageData::~NPageData() = default;
bool NPageData::HandleEvent(const NPortEvent&) { return false; }
void NPageData::Enter() {}
void NPageData::Leave() {}
void NPageData::Idle() {}
void NPageData::ReservedHook1() {}
void NPageData::ReservedHook2() {}
void NPageData::Show(bool) {}
