// The bouncing ball.
#include "demo/KDemoBall.h"

#include "framework/NApp.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpImage.h"

KDemoBall::KDemoBall(uint8_t color, int16_t x, int16_t y, int16_t dx, int16_t dy)
    : fDx(dx)
    , fDy(dy)
{
    MakeMemory(NRect(x, y, kSize, kSize), 8, NPaletteRegistry::The().GetScreenPalette());
    NSpImage* image = CurrentImage();
    if (!image)
        return;
    int radius = kSize / 2;
    for (int row = 0; row < kSize; ++row) {
        uint8_t* bits = image->GetBits() + size_t(row) * size_t(image->RowBytes());
        for (int column = 0; column < kSize; ++column) {
            int ox = column - radius;
            int oy = row - radius;
            int distance = ox * ox + oy * oy;
            bits[column] = distance > radius * radius ? 0 : distance > (radius - 2) * (radius - 2) ? 10 : color;
        }
    }
}

KDemoBall::~KDemoBall() = default;

void KDemoBall::Animate()
{
    NRect content = NApp::Current() ? NApp::Current()->GetContentRect() : NRect(0, 0, 640, 480);
    NRect rect = LocalRect();
    if (rect.fX + fDx < 0 || rect.fX + rect.fWidth + fDx > content.fWidth)
        fDx = int16_t(-fDx);
    if (rect.fY + fDy < 0 || rect.fY + rect.fHeight + fDy > content.fHeight)
        fDy = int16_t(-fDy);
    MoveBy(fDx, fDy);
}
