// The universe: surfaces, change collection and rendering.
#include "imaging/NSpUniverse.h"

#include "framework/NApp.h"
#include "imaging/NPalette.h"
#include "platform/NHostWindow.h"

NSpUniverse::NSpUniverse()
{
    fIsRoot = true;
}

NSpUniverse::~NSpUniverse() = default;

void NSpUniverse::SetBounds(const NRect& rect, NHostWindow* window)
{
    fSurface.reset();
    auto surface = std::make_unique<NSpLoader>();
    if (surface->Create(rect, NSpLoader::kTrueColorDepth, window ? window : NHostWindow::Main()))
        fSurface = std::move(surface);
    NApp* app = NApp::Current();
    fGrid.Reset(app ? app->GetContentRect() : rect);
    SetRect(rect);
}

bool NSpUniverse::IsPaletteDisplay() const
{
    return fSurface && fSurface->Window() && fSurface->Window()->DisplayDepth() == NHostWindow::kPaletteDepth;
}

void NSpUniverse::DrawTree(NSpObject& node)
{
    if (!node.IsVisible())
        return;
    node.SetDrawnRect(node.Rect());
    if (node.IsDrawable()) {
        for (const NRect& area : fGrid.Rects())
            node.Draw(*fSurface, area);
    }
    const std::vector<NEventTarget*>& children = node.Children();
    for (size_t i = children.size(); i-- > 0;) {
        if (NSpObject* child = NSpChild(children[i]))
            DrawTree(*child);
    }
}

void NSpUniverse::Present()
{
    if (fGrid.AddedCount() > 0 && fSurface) {
        fGrid.Build();
        bool meets = false;
        for (const NRect& area : fGrid.Rects())
            meets = meets || !area.Intersect(fSurface->Rect()).IsEmpty();
        if (meets) {
            DrawTree(*this);
            fSurface->BeginPresent();
            for (const NRect& area : fGrid.Rects())
                fSurface->Present(area);
            fSurface->EndPresent();
            fLastPresented = int32_t(fGrid.Rects().size());
            ++fPresents;
        }
    }
    fGrid.Clear();
}

void NSpUniverse::RenderChanges()
{
    CollectChanges(fGrid);
    Present();
}

void NSpUniverse::RepaintAll(const NRect& rect)
{
    AddChange(rect);
    Present();
}

void NSpUniverse::PaletteChanging(const NPalette*)
{
    if (!IsPaletteDisplay())
        return;
    fSurface->Image().FillRect(fSurface->Image().Bounds(), NSpLoader::kClear8);
    fSurface->BeginPresent();
    fSurface->Present(fGrid.Content());
    fSurface->EndPresent();
    ++fPresents;
}

void NSpUniverse::PaletteChanged(const NPalette* palette)
{
    if (!fSurface || !palette)
        return;
    fSurface->SetColors(*palette);
    // The screen was cleared for the change, and every 8-bit pixel now means another
    // colour: the next render draws the whole content again.
    if (IsPaletteDisplay())
        AddChange(fGrid.Content());
}
