// The Maker's page group and page data: the data object puts its group into the
// application's universe when the page starts.
#pragma once

#include "framework/NPageData.h"
#include "imaging/NSpWindow.h"

class KPageGroup : public NSpWindow {
public:
    KPageGroup();
    ~KPageGroup() override;
};

class KPageData : public NPageData {
public:
    static constexpr int32_t kGroupLayer = 12;

    explicit KPageData(NPage& page);
    ~KPageData() override;

    void Enter() override;
    void Leave() override;
    /// Page start: records the page and puts the group into the universe.
    virtual void PageStart();

    int32_t PageId() const { return fPageId; }
    KPageGroup& Group() { return fGroup; }

protected:
    KPageGroup fGroup;
    int32_t fPageId = 0;
};
