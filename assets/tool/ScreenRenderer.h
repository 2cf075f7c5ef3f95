// What the screen, theme and setup renderers share: the manual clock, the renderer that
// composes sprites and measured texts on the headless window, and the contact sheet.
#pragma once

#include "assets/tool/ScreenTable.h"
#include "framework/NAppClock.h"
#include "framework/NStringTable.h"
#include "imaging/NCanvas.h"
#include "imaging/NDrawTransformed.h"
#include "imaging/NFont.h"
#include "imaging/NJpegSprite.h"
#include "imaging/NMemSprite.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpGroup.h"
#include "imaging/NSpImage.h"
#include "imaging/NSpText.h"
#include "imaging/NSpUniverse.h"
#include "imaging/NSprite.h"
#include "platform/NHostDrives.h"
#include "platform/NHostHeadlessWindow.h"
#include "platform/NHostPng.h"
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFileException.h"
#include "tools/ImageToolSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

constexpr int kSmoothing = 4;
constexpr int kSheetGap = 8;
constexpr uint32_t kSheetFill = 0xFF2A1D3A;
// The progress screen's preview box (drawn into its background).
constexpr int16_t kPreviewX = 364, kPreviewY = 128, kPreviewWidth = 236, kPreviewHeight = 177;

class Clock : public NAppClock::Source {
public:
    uint32_t Milliseconds() override { return fNow; }
    uint32_t fNow = 1000;
};

struct Renderer {
    NFDirSpec fAssets;
    std::string fLanguage;
    int fFaults = 0;
    int fTexts = 0;
    std::string fFontText;   // a font entry given directly instead of a string id
    std::vector<int32_t> fKnown;

    NFileSpec Spec(const std::string& path) const { return NFileSpec(fAssets, path); }
    /// Whether the archive holds the file.
    bool Holds(const std::string& path) const { return NBinderRegistry::The().SizeOf(Spec(path)) > 0; }

    uint8_t Index(uint32_t colour) const
    {
        const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
        return palette->Data()->NearestIndex(int(colour >> 16 & 0xFF), int(colour >> 8 & 0xFF), int(colour & 0xFF));
    }

    void Fault(const std::string& what)
    {
        std::printf("MISSING  %s\n", what.c_str());
        ++fFaults;
    }

    // The texts drawn on one screen, kept until it is rendered.
    std::vector<std::unique_ptr<NSpObject>> fNodes;

    NSprite& Sprite(NSpUniverse& universe, const std::string& name, int layer, int frame = 0)
    {
        auto sprite = std::make_unique<NSprite>();
        if (!sprite->LoadSpriteFile(Spec("Sprites:" + name)))
            Fault("Sprites:" + name);
        sprite->ShowFrame(frame);
        universe.AddChild(*sprite, layer);
        fNodes.push_back(std::move(sprite));
        return static_cast<NSprite&>(*fNodes.back());
    }

    /// A text at its place, measured against its box; the box's height 0 means one line.
    NSpText& Text(NSpUniverse& universe, const ScreenText& text);

    /// Composes one Maker screen and writes it as a PNG.
    void Render(const ScreenLayout& screen, const std::string& outPath, Clock& clock);

    /// Draws the whole 640 x 480 page of `universe` into its window, writes that as a PNG
    /// (failing the tool when it cannot) and forgets the page's texts and sprites.
    void SavePage(NSpUniverse& universe, NHostHeadlessWindow& window, const std::string& outPath);
};

// A contact sheet: the screens at half size on a dark board, three to a row.

/// The screens at half size on a dark board, `columns` to a row.
void ContactSheet(const std::vector<std::string>& pictures, const std::string& outPath, int columns = 3);
/// Decodes a JPEG into a 32-bit picture of the given size, running the clock until done.
std::unique_ptr<NJpegSprite> DecodeJpeg(const NFileSpec& spec, int16_t width, int16_t height, Clock& clock);

// The tool's commands besides "render".
int RenderThemes(int argc, char** argv);
int RenderSetup(int argc, char** argv);
