// Affine resampling: the map from three point pairs, the span of each destination row
// that falls inside the source, and the per-depth sampling loops.
#include "imaging/NDrawTransformed.h"

#include "imaging/NPaletteData.h"
#include "imaging/NSpImage.h"
#include "imaging/NSprite.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kSingularReciprocal = 1e15;   // stands in for 1 / 0 when the source points are collinear
constexpr double kSpanTolerance = 0.00001;     // widens each span's ends against rounding
constexpr double kEdgeTolerance = 0.001;       // how far an end pixel may lie outside and still be clamped in
constexpr double kFarEdgeInset = 0.0001;       // nearest sampling clamps the far edges to edge - this
constexpr double kFixedOne = 65536.0;          // 16.16 fixed point
constexpr int kFixedShift = 16;
constexpr uint32_t kFixedMask = 0xFFFF;
constexpr uint32_t kFixedHalf = 0x8000;
constexpr int64_t kFixedLimit = 2147418112;    // 0x7FFF0000: the largest coordinate carried
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColorMask = 0x00FFFFFF;
constexpr int kAlphaShift = 24;
constexpr uint32_t kMaxChannel = 255;
constexpr int kFullOpacity = 100;
constexpr int kChannelBits = 8;
constexpr double kPixelCentre = 0.5;           // pixels are sampled and mapped at their centres

struct Affine {
    double fA, fB, fC;   // x' = a x + b y + c
    double fD, fE, fF;   // y' = d x + e y + f
};

double Det3(double a, double b, double c, double d, double e, double f, double g, double h, double i)
{
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

Affine Solve(const NTransformPoint s[3], const NTransformPoint d[3])
{
    double det = Det3(s[0].fX, s[0].fY, 1, s[1].fX, s[1].fY, 1, s[2].fX, s[2].fY, 1);
    double r = det == 0 ? kSingularReciprocal : 1 / det;
    Affine m;
    m.fA = Det3(d[0].fX, s[0].fY, 1, d[1].fX, s[1].fY, 1, d[2].fX, s[2].fY, 1) * r;
    m.fB = Det3(s[0].fX, d[0].fX, 1, s[1].fX, d[1].fX, 1, s[2].fX, d[2].fX, 1) * r;
    m.fC = Det3(s[0].fX, s[0].fY, d[0].fX, s[1].fX, s[1].fY, d[1].fX, s[2].fX, s[2].fY, d[2].fX) * r;
    m.fD = Det3(d[0].fY, s[0].fY, 1, d[1].fY, s[1].fY, 1, d[2].fY, s[2].fY, 1) * r;
    m.fE = Det3(s[0].fX, d[0].fY, 1, s[1].fX, d[1].fY, 1, s[2].fX, d[2].fY, 1) * r;
    m.fF = Det3(s[0].fX, s[0].fY, d[0].fY, s[1].fX, s[1].fY, d[1].fY, s[2].fX, s[2].fY, d[2].fY) * r;
    return m;
}

// The interval of t (a destination column's centre) over which w0 + dw t lies in [lo, hi).
bool Interval(double w0, double dw, double lo, double hi, double& enter, double& exit)
{
    if (dw == 0) {
        enter = -HUGE_VAL;
        exit = HUGE_VAL;
        return w0 >= lo && w0 < hi;
    }
    enter = (dw > 0 ? lo - w0 : hi - w0) / dw;
    exit = (dw > 0 ? hi - w0 : lo - w0) / dw;
    return true;
}

int64_t ToFixed(double value)
{
    double scaled = std::round(value * kFixedOne);   // halves away from zero
    return int64_t(std::clamp(scaled, double(-kFixedLimit), double(kFixedLimit)));
}

uint32_t Channel(uint32_t pixel, int shift)
{
    return (pixel >> shift) & kMaxChannel;
}

uint32_t Lerp(uint32_t a, uint32_t b, uint32_t fraction)
{
    return (a * (kFixedMask + 1 - fraction) + b * fraction + kFixedHalf) >> kFixedShift;
}

uint32_t ScaleOpacity(uint32_t pixel, int opacity)
{
    uint32_t out = pixel & kOpaque;
    for (int shift = 0; shift < kAlphaShift; shift += kChannelBits)
        out |= std::min<uint32_t>(Channel(pixel, shift) * uint32_t(opacity) / kFullOpacity, kMaxChannel) << shift;
    return out;
}

uint32_t Blend(uint32_t destination, uint32_t sample, uint32_t alpha)
{
    uint32_t out = 0;
    for (int shift = 0; shift < kAlphaShift; shift += kChannelBits)
        out |= ((Channel(destination, shift) * (kMaxChannel - alpha) + Channel(sample, shift) * alpha) >> kChannelBits) << shift;
    return out;
}

// Stores a 32-bit sample by mode; alpha is the sample's (interpolated or copied).
void Store32(uint32_t& target, uint32_t sample, int mode)
{
    uint32_t alpha = sample >> kAlphaShift;
    switch (mode) {
    case kTransformCopy:
        target = sample;
        break;
    case kTransformKeepAlpha:
        target = (sample & kColorMask) | (target & kOpaque);
        break;
    case kTransformBlend:
        if (alpha == 0)
            break;
        if (alpha == kMaxChannel) {
            target = sample;
            break;
        }
        target = Blend(target, sample, alpha) | ((target & kOpaque) != 0 ? target & kOpaque : sample & kOpaque);
        break;
    default:
        target = sample | kOpaque;
        break;
    }
}

struct Sampler {
    const uint8_t* fBits;
    int32_t fRowBytes;
    int64_t fMinX, fMaxX, fMinY, fMaxY;   // fixed-point clamps of the coordinates

    const uint8_t* Row(int64_t y) const { return fBits + y * fRowBytes; }
};

uint32_t Bilinear(const Sampler& s, int64_t fu, int64_t fv, int32_t lastX, int32_t lastY)
{
    auto x0 = int32_t(fu >> kFixedShift), y0 = int32_t(fv >> kFixedShift);
    auto fx = uint32_t(fu) & kFixedMask, fy = uint32_t(fv) & kFixedMask;
    int32_t x1 = std::min(x0 + 1, lastX), y1 = std::min(y0 + 1, lastY);
    const auto* top = reinterpret_cast<const uint32_t*>(s.Row(y0));
    const auto* bottom = reinterpret_cast<const uint32_t*>(s.Row(y1));
    uint32_t p00 = top[x0], p01 = top[x1], p10 = bottom[x0], p11 = bottom[x1];
    if (fx == 0 && fy == 0)
        return p00;
    uint32_t out = 0;
    for (int shift = 0; shift <= kAlphaShift; shift += kChannelBits) {
        uint32_t upper = Lerp(Channel(p00, shift), Channel(p01, shift), fx);
        uint32_t lower = Lerp(Channel(p10, shift), Channel(p11, shift), fx);
        out |= Lerp(upper, lower, fy) << shift;
    }
    return out;
}

void FillSpan(NSpImage& image, int32_t y, int32_t from, int32_t to, uint32_t fill)
{
    if (fill == 0 || to <= from)
        return;
    image.FillRect(NRect(int16_t(from), int16_t(y), int16_t(to - from), 1), fill);
}

} // namespace

bool DrawTransformed(const NSpImage& source, NSpImage& destination, const NRect& sourceRect,
                     const NRect& destinationRect, const NTransformPoint sourcePoints[3],
                     const NTransformPoint destinationPoints[3], uint32_t fill, bool filter, int mode, int opacity)
{
    int16_t sourceDepth = source.Depth(), destinationDepth = destination.Depth();
    bool supported = (sourceDepth == 32 && destinationDepth == 32) || (sourceDepth == 8 && destinationDepth == 32)
                     || (sourceDepth == 8 && destinationDepth == 8);
    if (!supported || source.GetBits() == nullptr || destination.GetBits() == nullptr)
        return false;
    const uint32_t* palette = nullptr;
    if (sourceDepth == 8 && destinationDepth == 32) {
        if (source.Palette().Data() == nullptr)
            return false;
        palette = source.Palette().Data()->Table32();
    }
    NRect from = sourceRect.Intersect(source.Bounds());
    NRect to = destinationRect.Intersect(destination.Bounds());
    if (to.IsEmpty())
        return true;

    Affine m = Solve(sourcePoints, destinationPoints);
    double det = m.fA * m.fE - m.fB * m.fD;
    if (det == 0 || !std::isfinite(det)) {
        if (fill != 0)
            destination.FillRect(to, fill);
        return true;
    }
    // The inverse map: source = I (destination - (c, f)).
    double ia = m.fE / det, ib = -m.fB / det, id = -m.fD / det, ie = m.fA / det;
    filter = filter && sourceDepth == 32 && destinationDepth == 32;
    opacity = std::clamp(opacity, 0, kFullOpacity);
    double lo[2] = { double(from.fX), double(from.fY) };
    double hi[2] = { double(from.Right()), double(from.Bottom()) };
    Sampler sampler{source.GetBits(), source.RowBytes(), 0, 0, 0, 0};
    if (filter) {
        sampler.fMinX = int64_t(from.fX) << kFixedShift;
        sampler.fMaxX = int64_t(from.Right() - 1) << kFixedShift;
        sampler.fMinY = int64_t(from.fY) << kFixedShift;
        sampler.fMaxY = int64_t(from.Bottom() - 1) << kFixedShift;
    } else {
        sampler.fMinX = int64_t(from.fX) << kFixedShift;
        sampler.fMaxX = ToFixed(hi[0] - kFarEdgeInset);
        sampler.fMinY = int64_t(from.fY) << kFixedShift;
        sampler.fMaxY = ToFixed(hi[1] - kFarEdgeInset);
    }
    // Bilinear samples sit on pixel centres: pixel i's colour is exact at coordinate i + 1/2.
    double shift = filter ? kPixelCentre : 0;
    int bytes = NSpImage::BytesPerPixel(destinationDepth);
    uint8_t* destinationBits = destination.GetBits();

    for (int32_t y = to.fY; y < to.Bottom(); ++y) {
        double centreY = y + kPixelCentre;
        double u0 = ib * (centreY - m.fF) - ia * m.fC;
        double v0 = ie * (centreY - m.fF) - id * m.fC;
        int32_t first = to.Right(), last = to.fX - 1;
        double enterU, exitU, enterV, exitV;
        if (!from.IsEmpty() && Interval(u0, ia, lo[0], hi[0], enterU, exitU)
            && Interval(v0, id, lo[1], hi[1], enterV, exitV)) {
            double enter = std::max(enterU, enterV) - kPixelCentre - kSpanTolerance;
            double exit = std::min(exitU, exitV) - kPixelCentre + kSpanTolerance;
            double lowest = to.fX, highest = to.Right() - 1;
            if (enter <= exit && exit >= lowest && enter <= highest) {
                first = int32_t(std::ceil(std::clamp(enter, lowest, highest)));
                last = int32_t(std::floor(std::clamp(exit, lowest, highest)));
            }
        }
        // An end pixel well outside the source in the direction of travel counts as outside.
        auto outside = [&](int32_t x) {
            double t = x + kPixelCentre, u = u0 + ia * t, v = v0 + id * t;
            return u < lo[0] - kEdgeTolerance || u > hi[0] + kEdgeTolerance || v < lo[1] - kEdgeTolerance
                   || v > hi[1] + kEdgeTolerance;
        };
        if (first <= last && outside(first))
            ++first;
        if (first <= last && outside(last))
            --last;
        if (first > last) {
            FillSpan(destination, y, to.fX, to.Right(), fill);
            continue;
        }
        FillSpan(destination, y, to.fX, first, fill);
        FillSpan(destination, y, last + 1, to.Right(), fill);

        double t = first + kPixelCentre;
        int64_t fu = ToFixed(u0 + ia * t - shift), fv = ToFixed(v0 + id * t - shift);
        int64_t du = ToFixed(ia), dv = ToFixed(id);
        uint8_t* row = destinationBits + int64_t(y) * destination.RowBytes() + int64_t(first) * bytes;
        for (int32_t x = first; x <= last; ++x, fu += du, fv += dv, row += bytes) {
            int64_t cu = std::clamp(fu, sampler.fMinX, sampler.fMaxX);
            int64_t cv = std::clamp(fv, sampler.fMinY, sampler.fMaxY);
            auto sx = int32_t(cu >> kFixedShift), sy = int32_t(cv >> kFixedShift);
            if (filter || sourceDepth == 32) {
                uint32_t sample;
                if (filter)
                    sample = Bilinear(sampler, cu, cv, from.Right() - 1, from.Bottom() - 1);
                else
                    std::memcpy(&sample, sampler.Row(sy) + int64_t(sx) * int64_t(sizeof sample), sizeof sample);
                if (opacity < kFullOpacity)
                    sample = ScaleOpacity(sample, opacity);
                uint32_t target;
                std::memcpy(&target, row, sizeof target);
                Store32(target, sample, mode);
                std::memcpy(row, &target, sizeof target);
            } else {
                uint8_t index = sampler.Row(sy)[sx];
                if (mode == kTransformBlend && index == 0)
                    continue;
                if (destinationDepth == 8) {
                    *row = index;
                } else {
                    uint32_t colour = palette[index];
                    std::memcpy(row, &colour, sizeof colour);
                }
            }
        }
    }

    if (fill != 0 && destinationDepth == 32) {
        destination.SetFlag(kImageAlpha, fill < kOpaque);
        destination.SetFlag(kImagePremultiplied, false);
    }
    return true;
}

bool DrawTransformed(const NSprite& source, NSprite& destination, const NRect& sourceRect,
                     const NRect& destinationRect, const NTransformPoint sourcePoints[3],
                     const NTransformPoint destinationPoints[3], uint32_t fill, bool filter, int mode, int opacity)
{
    NSpImage* from = source.CurrentImage();
    NSpImage* to = destination.CurrentImage();
    if (from == nullptr || to == nullptr)
        return false;
    bool drawn = DrawTransformed(*from, *to, sourceRect, destinationRect, sourcePoints, destinationPoints, fill, filter,
                                 mode, opacity);
    destination.MarkChanged();
    return drawn;
}
