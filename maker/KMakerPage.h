// The Maker's one page (id 10): its palette and its data object.
#pragma once

#include "framework/NPage.h"

class KMakerPage : public NPage {
public:
    explicit KMakerPage(int32_t id) : NPage(id) {}
    ~KMakerPage() override;

    bool LoadPalette(NPalette& palette) override;
    std::unique_ptr<NPageData> CreateData() override;
};
