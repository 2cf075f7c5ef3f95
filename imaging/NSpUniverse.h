// The root of the sprite tree: owns the drawing surfaces and the change grid and renders
// what changed once per idle pass.
#pragma once

#include "imaging/NSpChangeGrid.h"
#include "imaging/NSpGroup.h"
#include "imaging/NSpLoader.h"

#include <memory>

class NHostWindow;

/// The universe fills the main window. Rendering redraws the tree into the 32-bit back
/// buffer inside the changed rectangles only and copies those to the window.
class NSpUniverse : public NSpGroup {
public:
    NSpUniverse();
    ~NSpUniverse() override;

    /// Remakes the back buffer over rect for the window (the main window when null) and
    /// the change grid over the application's content rectangle, and takes rect as the
    /// universe's own rectangle.
    void SetBounds(const NRect& rect, NHostWindow* window = nullptr);
    /// Collects the changes of the whole tree, draws and presents them, and resets the grid.
    void RenderChanges();
    /// Adds the rectangle and renders it at once (the window's paint).
    void RepaintAll(const NRect& rect);
    void AddChange(const NRect& rect) { fGrid.Add(rect); }

    /// On a palette display the screen goes dark while the colours change.
    void PaletteChanging(const NPalette* palette) override;
    /// The surfaces take the new colours; on a palette display everything is repainted.
    void PaletteChanged(const NPalette* palette) override;

    NSpLoader* Surface() const { return fSurface.get(); }
    NSpChangeGrid& Grid() { return fGrid; }
    /// Rectangles presented by the last render that drew anything.
    int32_t LastPresentedCount() const { return fLastPresented; }
    /// Frames presented so far: renders that drew something, repaints and palette clears.
    uint32_t PresentCount() const { return fPresents; }

private:
    void DrawTree(NSpObject& node);
    void Present();
    bool IsPaletteDisplay() const;

    std::unique_ptr<NSpLoader> fSurface;
    NSpChangeGrid fGrid;
    int32_t fLastPresented = 0;
    uint32_t fPresents = 0;
};
