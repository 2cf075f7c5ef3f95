// Drawing surfaces over platform memory bitmaps and the shared memory context.
#include "imaging/NCanvasImage.h"

#include "imaging/NPaletteRegistry.h"
#include "platform/NHostBitmap.h"
#include "platform/NHostDeviceContext.h"

namespace {

bool sContextMade = false;

std::unique_ptr<NHostDeviceContext>& ContextHolder()
{
    static std::unique_ptr<NHostDeviceContext> sContext;
    return sContext;
}

void SelectApplicationPalette(NHostDeviceContext& context)
{
    const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
    if (palette && palette->Data() && palette->Data()->PlatformPalette()) {
        context.SelectPalette(*palette->Data()->PlatformPalette());
        context.RealizePalette();
    }
}

bool IsStaticIndex(int index)
{
    return index < NHostPalette::kLowStatic || index >= NHostPalette::kHighStatic;
}

} // namespace

NCanvasImage::NCanvasImage() = default;

NCanvasImage::~NCanvasImage() = default;

NHostDeviceContext& NCanvasImage::SharedContext()
{
    // The registry is made first, so it outlives the context at exit.
    NPaletteRegistry::The();
    std::unique_ptr<NHostDeviceContext>& holder = ContextHolder();
    if (!holder) {
        holder = NHostDeviceContext::CreateCompatible();
        sContextMade = true;
        SelectApplicationPalette(*holder);
    }
    return *holder;
}

void NCanvasImage::SelectScreenPalette()
{
    if (sContextMade && ContextHolder())
        SelectApplicationPalette(*ContextHolder());
}

std::unique_ptr<NCanvasImage> NCanvasImage::Create(int16_t width, int16_t height, int16_t depth,
                                                   const NPalette* palette)
{
    if (!palette)
        palette = NPaletteRegistry::The().GetScreenPalette();
    NHostBitmapInfo info;
    info.fWidth = width;
    info.fHeight = -int32_t(height);
    info.fBitCount = static_cast<uint16_t>(depth);
    info.fColorsImportant = NHostPalette::kEntries;
    const NPaletteData* colors = palette ? palette->Data() : nullptr;
    if (depth == 8 && colors) {
        for (int i = 0; i < NHostPalette::kEntries; ++i)
            info.fColors[i] = { colors->Blue(i), colors->Green(i), colors->Red(i),
                                uint8_t(IsStaticIndex(i) ? 0 : int(kColorTableNoCollapse)) };
    }
    std::unique_ptr<NHostBitmap> bitmap = NHostBitmap::CreateDibSection(info, SharedContext());
    if (!bitmap)
        return nullptr;
    std::unique_ptr<NCanvasImage> image(new NCanvasImage());
    image->SetBits(bitmap->Bits(), width, height, NHostBitmap::SurfaceRowBytes(width, depth), depth, palette);
    image->fBitmap = bitmap.release();
    return image;
}

void NCanvasImage::DeleteBitmap()
{
    if (!fBitmap)
        return;
    NHostDeviceContext& context = SharedContext();
    if (context.SelectedBitmap() == fBitmap)
        context.SelectBitmap(nullptr);
    delete fBitmap;
    fBitmap = nullptr;
    SetBits(nullptr, fWidth, fHeight, fRowBytes, fDepth, nullptr);
}
