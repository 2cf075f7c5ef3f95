// Drawing the frames of transitions.
#include "player/KTransition.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

static constexpr uint32_t kOpaque = 0xFF000000;
static constexpr int kFadeSteps = 256;

KTransition KTransition::Parse(const std::string& text)
{
    static const struct {
        const char* fName;
        KTransitionKind fKind;
    } kNames[] = { { "cut", KTransitionKind::kCut },           { "crossfade", KTransitionKind::kCrossfade },
                   { "slide-left", KTransitionKind::kSlideLeft }, { "slide-right", KTransitionKind::kSlideRight },
                   { "slide-up", KTransitionKind::kSlideUp },   { "slide-down", KTransitionKind::kSlideDown },
                   { "push-left", KTransitionKind::kPushLeft }, { "wipe-right", KTransitionKind::kWipeRight },
                   { "zoom-in", KTransitionKind::kZoomIn } };
    KTransition transition;
    size_t comma = text.find(',');
    std::string name = text.substr(0, comma);
    for (const auto& entry : kNames)
        if (name == entry.fName)
            transition.fKind = entry.fKind;
    if (comma != std::string::npos)
        transition.fMilliseconds = std::max(0, std::atoi(text.c_str() + comma + 1));
    return transition;
}

void KTransition::Draw(KTransitionKind kind, double progress, const std::vector<uint32_t>& from,
                       const std::vector<uint32_t>& to, uint32_t* out, int32_t outStride, int width, int height)
{
    progress = std::clamp(progress, 0.0, 1.0);
    // An ease that starts and ends softly, for the moving kinds.
    double eased = progress * progress * (3 - 2 * progress);
    auto row = [&](const std::vector<uint32_t>& picture, int y) { return picture.data() + size_t(y) * size_t(width); };
    for (int y = 0; y < height; ++y) {
        uint32_t* line = out + size_t(y) * size_t(outStride);
        switch (kind) {
        case KTransitionKind::kCut:
            std::memcpy(line, row(to, y), size_t(width) * 4);
            break;
        case KTransitionKind::kCrossfade: {
            uint32_t a = uint32_t(progress * kFadeSteps), b = kFadeSteps - a;
            const uint32_t* f = row(from, y);
            const uint32_t* t = row(to, y);
            for (int x = 0; x < width; ++x) {
                uint32_t rb = ((f[x] & 0xFF00FF) * b + (t[x] & 0xFF00FF) * a) >> 8 & 0xFF00FF;
                uint32_t g = ((f[x] & 0xFF00) * b + (t[x] & 0xFF00) * a) >> 8 & 0xFF00;
                line[x] = kOpaque | rb | g;
            }
            break;
        }
        case KTransitionKind::kSlideLeft:
        case KTransitionKind::kSlideRight:
        case KTransitionKind::kPushLeft: {
            int shift = int(eased * width);
            for (int x = 0; x < width; ++x) {
                if (kind == KTransitionKind::kSlideRight)
                    line[x] = x < shift ? row(to, y)[x + width - shift] : row(from, y)[x];
                else if (x >= width - shift)
                    line[x] = row(to, y)[x - (width - shift)];
                else
                    line[x] = kind == KTransitionKind::kPushLeft ? row(from, y)[x + shift] : row(from, y)[x];
            }
            break;
        }
        case KTransitionKind::kSlideUp:
        case KTransitionKind::kSlideDown: {
            int shift = int(eased * height);
            bool fromBelow = kind == KTransitionKind::kSlideUp;
            bool inNext = fromBelow ? y >= height - shift : y < shift;
            int source = fromBelow ? y - (height - shift) : y + height - shift;
            std::memcpy(line, inNext ? row(to, source) : row(from, y), size_t(width) * 4);
            break;
        }
        case KTransitionKind::kWipeRight: {
            int edge = int(progress * width);
            for (int x = 0; x < width; ++x)
                line[x] = x < edge ? row(to, y)[x] : row(from, y)[x];
            break;
        }
        case KTransitionKind::kZoomIn: {
            double scale = std::max(eased, 0.001);
            int w = int(width * eased), h = int(height * eased);
            int left = (width - w) / 2, top = (height - h) / 2;
            for (int x = 0; x < width; ++x) {
                if (y >= top && y < top + h && x >= left && x < left + w) {
                    int sx = std::min(width - 1, int((x - left) / scale));
                    int sy = std::min(height - 1, int((y - top) / scale));
                    line[x] = row(to, sy)[sx];
                } else {
                    line[x] = row(from, y)[x];
                }
            }
            break;
        }
        }
    }
}
