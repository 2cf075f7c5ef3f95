// A drawing surface: an image whose pixels belong to a platform memory bitmap.
#pragma once

#include "imaging/NSpMemImage.h"

#include <memory>

class NHostBitmap;
class NHostDeviceContext;

/// Made by Create (the canvas's CreateCanvas); the bitmap belongs to whoever made the
/// image, who deletes it with DeleteBitmap before or after deleting the image.
class NCanvasImage : public NSpMemImage {
public:
    ~NCanvasImage() override;

    /// A top-down surface of the size and depth; 8-bit surfaces get the palette's colours
    /// (the application palette when none is given). Null when the platform cannot make
    /// the bitmap.
    static std::unique_ptr<NCanvasImage> Create(int16_t width, int16_t height, int16_t depth, const NPalette* palette);

    NHostBitmap* Bitmap() const { return fBitmap; }
    /// Deletes the bitmap (deselecting it from the shared context first) and forgets the
    /// pixels.
    void DeleteBitmap();

    /// The program's one memory context, made on first use with the application palette
    /// selected and realised, released at exit.
    static NHostDeviceContext& SharedContext();
    /// Selects the current application palette into the shared context, if it exists.
    static void SelectScreenPalette();

private:
    NCanvasImage();

    NHostBitmap* fBitmap = nullptr;
};
