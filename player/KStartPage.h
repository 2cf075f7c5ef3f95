// The start page: the albums to choose from, over the platform palette.
#pragma once

#include "framework/NPage.h"

class KStartPage : public NPage {
public:
    explicit KStartPage(int32_t id) : NPage(id) {}
    ~KStartPage() override;

    bool LoadPalette(NPalette& palette) override;
    std::unique_ptr<NPageData> CreateData() override;
};
