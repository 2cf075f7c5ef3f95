// The setup's one page: the theme palette and the setup screen.
#pragma once

#include "framework/NPage.h"

class KSetupPage : public NPage {
public:
    explicit KSetupPage(int32_t id) : NPage(id) {}
    ~KSetupPage() override;

    bool LoadPalette(NPalette& palette) override;
    std::unique_ptr<NPageData> CreateData() override;
};
