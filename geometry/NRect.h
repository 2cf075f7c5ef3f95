// Points and rectangles in signed 16-bit screen coordinates.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

/// Clamps a 32-bit coordinate into the 16-bit range, so that moving a rectangle far off
/// the screen pins it at the edge of the range instead of wrapping to the other side.
constexpr int16_t NClampCoordinate(int32_t value)
{
    return static_cast<int16_t>(std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

struct NPoint {
    int16_t fX = 0;
    int16_t fY = 0;

    constexpr NPoint() = default;
    constexpr NPoint(int16_t x, int16_t y) : fX(x), fY(y) {}

    constexpr bool operator==(const NPoint& other) const = default;
};

/// x, y, width and height; empty when the width or the height is 0 or less.
struct NRect {
    int16_t fX = 0;
    int16_t fY = 0;
    int16_t fWidth = 0;
    int16_t fHeight = 0;

    constexpr NRect() = default;
    constexpr NRect(int16_t x, int16_t y, int16_t width, int16_t height)
        : fX(x), fY(y), fWidth(width), fHeight(height)
    {
    }

    constexpr bool IsEmpty() const { return fWidth <= 0 || fHeight <= 0; }
    // Right and bottom edges, exclusive, computed wide so that they cannot overflow.
    constexpr int32_t Right() const { return int32_t(fX) + fWidth; }
    constexpr int32_t Bottom() const { return int32_t(fY) + fHeight; }
    constexpr NPoint TopLeft() const { return NPoint(fX, fY); }

    constexpr bool Contains(NPoint point) const
    {
        return !IsEmpty() && point.fX >= fX && point.fX < Right() && point.fY >= fY && point.fY < Bottom();
    }

    /// The common part of both rectangles; (0, 0, 0, 0) when they do not meet.
    constexpr NRect Intersect(const NRect& other) const
    {
        int32_t left = std::max<int32_t>(fX, other.fX);
        int32_t top = std::max<int32_t>(fY, other.fY);
        int32_t right = std::min(Right(), other.Right());
        int32_t bottom = std::min(Bottom(), other.Bottom());
        if (IsEmpty() || other.IsEmpty() || right <= left || bottom <= top)
            return NRect();
        return NRect(int16_t(left), int16_t(top), int16_t(right - left), int16_t(bottom - top));
    }

    /// The smallest rectangle holding both; an empty rectangle adds nothing.
    constexpr NRect Union(const NRect& other) const
    {
        if (other.IsEmpty())
            return *this;
        if (IsEmpty())
            return other;
        int32_t left = std::min<int32_t>(fX, other.fX);
        int32_t top = std::min<int32_t>(fY, other.fY);
        int32_t right = std::max(Right(), other.Right());
        int32_t bottom = std::max(Bottom(), other.Bottom());
        return NRect(int16_t(left), int16_t(top), NClampCoordinate(right - left), NClampCoordinate(bottom - top));
    }

    constexpr int64_t Area() const { return IsEmpty() ? 0 : int64_t(fWidth) * fHeight; }

    constexpr NRect Offset(int32_t dx, int32_t dy) const
    {
        return NRect(NClampCoordinate(fX + dx), NClampCoordinate(fY + dy), fWidth, fHeight);
    }

    constexpr bool operator==(const NRect& other) const = default;
};
