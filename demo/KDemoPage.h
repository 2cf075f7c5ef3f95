// The demo's one page: the platform palette and the demo screen.
#pragma once

#include "framework/NPage.h"

class KDemoPage : public NPage {
public:
    explicit KDemoPage(int32_t id) : NPage(id) {}
    ~KDemoPage() override;

    bool LoadPalette(NPalette& palette) override;
    std::unique_ptr<NPageData> CreateData() override;
};
