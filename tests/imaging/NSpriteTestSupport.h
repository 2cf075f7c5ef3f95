// Shared pieces of the sprite-tree tests: a universe on a headless window, a manual clock
// and sprites made from pixel lists.
#pragma once

#include "framework/NAppClock.h"
#include "imaging/NMemSprite.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpImage.h"
#include "imaging/NSpUniverse.h"
#include "platform/NHostHeadlessWindow.h"
#include "tests/imaging/NImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

class NSpManualClock : public NAppClock::Source {
public:
    uint32_t Milliseconds() override { return fNow; }
    uint32_t fNow = 1000;
};

/// A 640 x 480 universe presenting into a headless window, with the test palette as the
/// application palette and a manual application clock.
class NSpSceneTest : public ::testing::Test {
protected:
    static constexpr NRect kScreen { 0, 0, 640, 480 };
    /// The universe's fill: what shows where no node draws.
    static constexpr uint32_t kBackground = 0xFF202020;

    void SetUp() override
    {
        NAppClock::The().SetSource(&fClock);
        // The test colours, but index 0 black as in every palette of the platform: text
        // and shadows take black for transparent.
        auto palette = std::make_unique<NPalette>(NTestPalette());
        palette->Data()->SetColor(0, 0, 0, 0);
        palette->Data()->BuildTables();
        palette->Data()->BuildPlatformPalette();
        NPaletteRegistry::The().SetScreenPalette(std::move(palette));
        fWindow = std::make_unique<NHostHeadlessWindow>(kScreen.fWidth, kScreen.fHeight);
        fUniverse = std::make_unique<NSpUniverse>();
        fUniverse->SetBounds(kScreen, fWindow.get());
        fUniverse->SetFill(kBackground);
    }

    void TearDown() override
    {
        fUniverse.reset();
        NAppClock::The().SetSource(nullptr);
    }

    /// Advances the clock and caches the reading, as an idle pass does.
    void Tick(uint32_t milliseconds)
    {
        fClock.fNow += milliseconds;
        NAppClock::The().Update();
    }

    /// Renders and answers the window copies of that render.
    std::vector<NHostHeadlessWindow::Copy> Render()
    {
        fWindow->ClearCopies();
        fUniverse->RenderChanges();
        return fWindow->Copies();
    }

    /// A 32-bit memory sprite of one colour, child of the universe (or parent).
    std::unique_ptr<NMemSprite> SolidSprite(const NRect& rect, uint32_t color, NEventTarget* parent = nullptr)
    {
        auto sprite = std::make_unique<NMemSprite>();
        sprite->MakeMemory(NRect(0, 0, rect.fWidth, rect.fHeight), 32, nullptr);
        sprite->CurrentImage()->FillRect(sprite->CurrentImage()->Bounds(), color);
        sprite->CurrentImage()->SetFlags(0);
        (parent ? parent : fUniverse.get())->AddChild(*sprite, 0);
        sprite->MoveTo(rect.TopLeft());
        return sprite;
    }

    NSpManualClock fClock;
    std::unique_ptr<NHostHeadlessWindow> fWindow;
    std::unique_ptr<NSpUniverse> fUniverse;
};

inline NHostHeadlessWindow::Copy NCopyOf(const NRect& rect)
{
    return { rect.fX, rect.fY, rect.fWidth, rect.fHeight };
}
