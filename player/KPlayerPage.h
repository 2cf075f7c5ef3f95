// The player's one page: the show screen over the platform palette.
#pragma once

#include "framework/NPage.h"

class KPlayerPage : public NPage {
public:
    explicit KPlayerPage(int32_t id) : NPage(id) {}
    ~KPlayerPage() override;

    bool LoadPalette(NPalette& palette) override;
    std::unique_ptr<NPageData> CreateData() override;
};
