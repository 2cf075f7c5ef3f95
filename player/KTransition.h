// The moves from one slide to the next: a crossfade and the moving kinds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class KTransitionKind {
    kCut,         // the next slide at once
    kCrossfade,   // the next slide fades in over the last
    kSlideLeft,   // the next slide moves in from the right over the last
    kSlideRight,  // ... from the left
    kSlideUp,     // ... from below
    kSlideDown,   // ... from above
    kPushLeft,    // both move left together
    kWipeRight,   // an edge moving right uncovers the next slide
    kZoomIn,      // the next slide grows from the centre
};

struct KTransition {
    KTransitionKind fKind = KTransitionKind::kCrossfade;
    int32_t fMilliseconds = 1000;

    /// "kind,milliseconds" as a show description gives it; unknown kinds are crossfades.
    static KTransition Parse(const std::string& text);
    /// Draws the frame at progress (0 to 1) from `from` to `to` into `out`; all three are
    /// width * height 0xFFRRGGBB pixels.
    static void Draw(KTransitionKind kind, double progress, const std::vector<uint32_t>& from,
                     const std::vector<uint32_t>& to, uint32_t* out, int32_t outStride, int width, int height);
};
