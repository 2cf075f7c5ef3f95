// Extended text drawing: prefixes, line breaking, ellipses, alignment and one-bit glyph blits.
#include "platform/NHostText.h"

#include "platform/NHostBitmap.h"
#include "platform/NHostCodePage.h"
#include "platform/NHostDeviceContext.h"
#include "platform/NHostFont.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr char16_t kPrefix = u'&';
constexpr char16_t kSpace = u' ';
constexpr char16_t kCarriageReturn = u'\r';
constexpr char16_t kLineFeed = u'\n';
constexpr uint32_t kByteMask = 0xFF;
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 16;
constexpr int kFiveBitDrop = 3;
constexpr int kFiveBitGreenShift = 5;
constexpr int kFiveBitRedShift = 10;
constexpr uint32_t kOpaqueAlpha = 0xFF000000;
constexpr int32_t kFarthest = std::numeric_limits<int32_t>::max();

struct Cell {
    char16_t fCode;
    bool fUnderline;
};

struct Line {
    std::vector<Cell> fCells;
    int64_t fWidth = 0;
};

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), kFarthest));
}

int64_t WidthOf(const NHostFont& font, const std::vector<Cell>& cells)
{
    int64_t width = 0;
    for (const Cell& cell : cells)
        width += font.Glyph(cell.fCode).fAdvance;
    return width;
}

// The text as paragraphs of cells: prefixes resolved, line breaks (CR, LF, CRLF) taken
// out. A break that ends the text starts no further empty line; with single line, breaks
// neither break nor take space.
std::vector<std::vector<Cell>> Paragraphs(std::string_view text, uint32_t format)
{
    std::u16string units = NHostCodePage::AnsiToUtf16(text);
    bool prefixes = (format & kTextNoPrefix) == 0;
    bool singleLine = (format & kTextSingleLine) != 0;
    std::vector<std::vector<Cell>> paragraphs;
    std::vector<Cell> current;
    bool underlineNext = false;
    bool endedWithBreak = false;
    for (size_t at = 0; at < units.size(); ++at) {
        char16_t code = units[at];
        endedWithBreak = false;
        if (code == kCarriageReturn || code == kLineFeed) {
            if (code == kCarriageReturn && at + 1 < units.size() && units[at + 1] == kLineFeed)
                ++at;
            underlineNext = false;
            if (!singleLine) {
                paragraphs.push_back(std::move(current));
                current.clear();
                endedWithBreak = true;
            }
            continue;
        }
        if (prefixes && code == kPrefix) {
            if (at + 1 < units.size() && units[at + 1] == kPrefix) {
                ++at;
            } else {
                underlineNext = true;
                continue;
            }
        }
        current.push_back({ code, underlineNext });
        underlineNext = false;
    }
    if (!endedWithBreak)
        paragraphs.push_back(std::move(current));
    return paragraphs;
}

// Greedy breaking at spaces. A word wider than the line breaks inside itself when
// breakWords is set and otherwise runs past the edge on a line of its own. Spaces at a
// break belong to neither line.
void Wrap(
    const NHostFont& font, const std::vector<Cell>& cells, int64_t maxWidth, bool breakWords, std::vector<Line>& lines)
{
    size_t count = cells.size();
    size_t start = 0;
    do {
        size_t end = count;
        size_t next = count;
        size_t lastSpace = count;
        bool sawInk = false;
        int64_t width = 0;
        for (size_t at = start; at < count; ++at) {
            int64_t advance = font.Glyph(cells[at].fCode).fAdvance;
            if (cells[at].fCode == kSpace) {
                if (sawInk)
                    lastSpace = at;
                width += advance;
                continue;
            }
            if (width + advance > maxWidth && at > start) {
                if (lastSpace != count) {
                    end = lastSpace;
                    next = lastSpace;
                } else if (breakWords) {
                    end = at;
                    next = at;
                } else {
                    end = at;
                    while (end < count && cells[end].fCode != kSpace)
                        ++end;
                    next = end;
                }
                break;
            }
            sawInk = true;
            width += advance;
        }
        while (end > start && next < count && cells[end - 1].fCode == kSpace)
            --end;
        while (next < count && cells[next].fCode == kSpace)
            ++next;
        Line line;
        line.fCells.assign(cells.begin() + ptrdiff_t(start), cells.begin() + ptrdiff_t(end));
        line.fWidth = WidthOf(font, line.fCells);
        lines.push_back(std::move(line));
        start = next;
    } while (start < count);
}

// Shortens a line that is too wide until it fits together with "...", then appends that.
void AddEllipsis(const NHostFont& font, Line& line, int64_t maxWidth)
{
    std::vector<Cell> dots;
    for (const char* dot = NHostText::kEllipsis; *dot; ++dot)
        dots.push_back({ char16_t(*dot), false });
    int64_t dotsWidth = WidthOf(font, dots);
    while (!line.fCells.empty() && line.fWidth + dotsWidth > maxWidth) {
        line.fWidth -= font.Glyph(line.fCells.back().fCode).fAdvance;
        line.fCells.pop_back();
    }
    line.fCells.insert(line.fCells.end(), dots.begin(), dots.end());
    line.fWidth += dotsWidth;
}

std::vector<Line> LayOut(const NHostFont& font, std::string_view text, const NHostRect& rect, uint32_t format)
{
    int64_t maxWidth = int64_t(rect.fRight) - rect.fLeft;
    bool wrap = (format & kTextWordBreak) != 0 && (format & kTextSingleLine) == 0;
    std::vector<Line> lines;
    for (const std::vector<Cell>& paragraph : Paragraphs(text, format)) {
        if (wrap && !paragraph.empty()) {
            Wrap(font, paragraph, maxWidth, (format & kTextEditControl) != 0, lines);
        } else {
            Line line;
            line.fCells = paragraph;
            line.fWidth = WidthOf(font, paragraph);
            lines.push_back(std::move(line));
        }
    }
    if (format & kTextEndEllipsis) {
        for (Line& line : lines) {
            if (line.fWidth > maxWidth)
                AddEllipsis(font, line, maxWidth);
        }
    }
    return lines;
}

// The selected bitmap with the part of it drawing may touch.
struct Target {
    uint8_t* fBits = nullptr;
    int32_t fRowBytes = 0;
    int32_t fDepth = 0;
    int64_t fClipLeft = 0;
    int64_t fClipTop = 0;
    int64_t fClipRight = 0;
    int64_t fClipBottom = 0;
};

bool MakeTarget(const NHostDeviceContext& context, Target& target)
{
    NHostBitmap* bitmap = context.SelectedBitmap();
    if (!bitmap || !bitmap->Bits())
        return false;
    int32_t depth = bitmap->Depth();
    if (depth != 8 && depth != 16 && depth != 32)
        return false;
    target.fBits = bitmap->Bits();
    target.fRowBytes = bitmap->RowBytes();
    target.fDepth = depth;
    target.fClipRight = bitmap->Width();
    target.fClipBottom = bitmap->Height();
    return true;
}

void ClipTo(Target& target, const NHostRect& rect)
{
    target.fClipLeft = std::max<int64_t>(target.fClipLeft, rect.fLeft);
    target.fClipTop = std::max<int64_t>(target.fClipTop, rect.fTop);
    target.fClipRight = std::min<int64_t>(target.fClipRight, rect.fRight);
    target.fClipBottom = std::min<int64_t>(target.fClipBottom, rect.fBottom);
}

// One row of pixels from left to right (exclusive), clipped.
void PutRun(const Target& target, int64_t y, int64_t left, int64_t right, uint32_t value)
{
    if (y < target.fClipTop || y >= target.fClipBottom)
        return;
    left = std::max(left, target.fClipLeft);
    right = std::min(right, target.fClipRight);
    if (left >= right)
        return;
    uint8_t* row = target.fBits + y * target.fRowBytes;
    switch (target.fDepth) {
    case 8:
        std::fill(row + left, row + right, static_cast<uint8_t>(value));
        break;
    case 16:
        for (int64_t x = left; x < right; ++x) {
            row[2 * x] = static_cast<uint8_t>(value);
            row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
        }
        break;
    default:
        for (int64_t x = left; x < right; ++x) {
            uint8_t* pixel = row + 4 * x;
            pixel[0] = static_cast<uint8_t>(value);
            pixel[1] = static_cast<uint8_t>(value >> 8);
            pixel[2] = static_cast<uint8_t>(value >> 16);
            pixel[3] = static_cast<uint8_t>(value >> 24);
        }
        break;
    }
}

void FillBox(const Target& target, int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t value)
{
    for (int64_t y = std::max(top, target.fClipTop); y < std::min(bottom, target.fClipBottom); ++y)
        PutRun(target, y, left, right, value);
}

void BlitGlyph(const Target& target, const NHostGlyph& glyph, int64_t left, int64_t top, uint32_t value)
{
    if (top + glyph.fHeight <= target.fClipTop || top >= target.fClipBottom || left + glyph.fWidth <= target.fClipLeft
        || left >= target.fClipRight)
        return;
    for (int32_t y = 0; y < glyph.fHeight; ++y) {
        int32_t x = 0;
        while (x < glyph.fWidth) {
            if (!glyph.IsSet(x, y)) {
                ++x;
                continue;
            }
            int32_t runStart = x;
            while (x < glyph.fWidth && glyph.IsSet(x, y))
                ++x;
            PutRun(target, top + y, left + runStart, left + x, value);
        }
    }
}

uint8_t NearestIndex(const NHostPalette& palette, int red, int green, int blue)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int index = 0; index < NHostPalette::kEntries && bestDistance > 0; ++index) {
        const NHostColor& entry = palette.Entry(index);
        int dr = entry.fRed - red;
        int dg = entry.fGreen - green;
        int db = entry.fBlue - blue;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    return static_cast<uint8_t>(best);
}

} // namespace

uint32_t NHostText::PixelValue(const NHostDeviceContext& context, uint32_t color, int32_t depth)
{
    const NHostPalette& palette = context.SelectedPalette();
    int red = int(color & kByteMask);
    int green = int((color >> kGreenShift) & kByteMask);
    int blue = int((color >> kBlueShift) & kByteMask);
    if ((color & kColorKindMask) == kColorIndexed) {
        int index = int(color & kByteMask);
        if (depth == 8)
            return uint32_t(index);
        const NHostColor& entry = palette.Entry(index);
        red = entry.fRed;
        green = entry.fGreen;
        blue = entry.fBlue;
    }
    switch (depth) {
    case 8:
        return NearestIndex(palette, red, green, blue);
    case 16:
        return uint32_t((red >> kFiveBitDrop) << kFiveBitRedShift | (green >> kFiveBitDrop) << kFiveBitGreenShift
            | (blue >> kFiveBitDrop));
    default:
        return kOpaqueAlpha | uint32_t(red) << kBlueShift | uint32_t(green) << kGreenShift | uint32_t(blue);
    }
}

int32_t NHostText::DrawText(NHostDeviceContext& context, std::string_view text, NHostRect& rect, uint32_t format)
{
    if (text.empty())
        return 0;
    const NHostFont& font = NHostFont::FromHandle(context.SelectedFont());
    std::vector<Line> lines = LayOut(font, text, rect, format);
    int64_t lineHeight = font.Height();
    int64_t totalHeight = lineHeight * int64_t(lines.size());
    if (format & kTextCalculateRect) {
        int64_t widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, line.fWidth);
        rect.fRight = Saturate(int64_t(rect.fLeft) + widest);
        rect.fBottom = Saturate(int64_t(rect.fTop) + totalHeight);
        return Saturate(totalHeight);
    }
    Target target;
    if (!MakeTarget(context, target))
        return 0;
    ClipTo(target, rect);
    int64_t top = rect.fTop;
    if (format & kTextBottom)
        top = int64_t(rect.fBottom) - totalHeight;
    else if (format & kTextVerticalCentre)
        top = rect.fTop + (int64_t(rect.fBottom) - rect.fTop - totalHeight) / 2;
    uint32_t ink = PixelValue(context, context.TextColor(), target.fDepth);
    uint32_t paper = PixelValue(context, context.BackgroundColor(), target.fDepth);
    bool opaque = context.BackgroundMode() == kBackgroundOpaque;
    bool underlineAll = font.Request().fUnderline;
    for (size_t at = 0; at < lines.size(); ++at) {
        const Line& line = lines[at];
        int64_t y = top + int64_t(at) * lineHeight;
        if (y >= target.fClipBottom)
            break;
        if (y + lineHeight <= target.fClipTop)
            continue;
        int64_t x = rect.fLeft;
        if (format & kTextRight)
            x = int64_t(rect.fRight) - line.fWidth;
        else if (format & kTextCentre)
            x = rect.fLeft + (int64_t(rect.fRight) - rect.fLeft - line.fWidth) / 2;
        if (opaque)
            FillBox(target, x, y, x + line.fWidth, y + lineHeight, paper);
        int64_t baseline = y + font.Ascent();
        for (const Cell& cell : line.fCells) {
            if (x >= target.fClipRight)
                break;
            const NHostGlyph& glyph = font.Glyph(cell.fCode);
            BlitGlyph(target, glyph, x + glyph.fLeft, baseline - glyph.fTop, ink);
            if (cell.fUnderline || underlineAll) {
                int64_t lineTop = baseline + font.UnderlineOffset();
                FillBox(target, x, lineTop, x + glyph.fAdvance, lineTop + font.UnderlineThickness(), ink);
            }
            x += glyph.fAdvance;
        }
    }
    if (format & (kTextVerticalCentre | kTextBottom))
        return Saturate(top + totalHeight - rect.fTop);
    return Saturate(totalHeight);
}

bool NHostText::FillRect(NHostDeviceContext& context, const NHostRect& rect, uint32_t color)
{
    Target target;
    if (!MakeTarget(context, target))
        return false;
    FillBox(target, rect.fLeft, rect.fTop, rect.fRight, rect.fBottom, PixelValue(context, color, target.fDepth));
    return true;
}

NHostTextMetrics NHostText::GetTextMetrics(const NHostDeviceContext& context)
{
    const NHostFont& font = NHostFont::FromHandle(context.SelectedFont());
    return { font.Ascent(), font.Descent(), font.Height() };
}
