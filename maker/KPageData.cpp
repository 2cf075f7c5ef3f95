// The Maker's page group and page data.
#include "maker/KPageData.h"

#include "framework/NPage.h"
#include "maker/KApp.h"

KPageGroup::KPageGroup() = default;
KPageGroup::~KPageGroup() = default;

KPageData::KPageData(NPage& page) : NPageData(page)
{
    fGroup.SetRect(KApp::The().GetContentRect());
}

KPageData::~KPageData() = default;

void KPageData::Enter()
{
    NPageData::Enter();
    PageStart();
}

void KPageData::PageStart()
{
    fPageId = Page().Id();
    KApp::The().Universe().AddChild(fGroup, kGroupLayer);
    fGroup.MarkChanged();
}

void KPageData::Leave()
{
    fGroup.MarkChanged();
    KApp::The().Universe().RemoveChild(fGroup);
    NPageData::Leave();
}
