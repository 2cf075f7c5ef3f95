// Composition of one slide into a 640 x 480 picture: background, photo, texts.
#pragma once

#include "geometry/NRect.h"
#include "player/KSlide.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class KAlbum;
class NJpegSprite;

/// A slide's pictures are decoded first (a slice per idle tick when asked, so the show
/// decodes the next slide while the current one stays on screen), then composed with its
/// texts in a sprite universe of its own over a window without a screen.
class KSlideComposer {
public:
    static constexpr int16_t kWidth = 640;
    static constexpr int16_t kHeight = 480;

    explicit KSlideComposer(const KAlbum& album);
    ~KSlideComposer();

    /// Starts decoding the slide's pictures; 0 milliseconds decodes at once.
    void Begin(const KSlide& slide, uint32_t sliceMilliseconds);
    /// True when no decode of the begun slide is running.
    bool IsReady() const;
    /// Composes the begun slide into 0xFFRRGGBB pixels, kWidth * kHeight of them; waits
    /// for decodes still running by finishing them at once.
    void Finish(std::vector<uint32_t>& pixels);
    /// Begin at once and Finish.
    void Compose(const KSlide& slide, std::vector<uint32_t>& pixels);
    /// Where the last slide's newest photo was placed (before its turn), empty for slides
    /// without one.
    const NRect& PhotoRect() const { return fPhotoRect; }
    /// The last photo's decoded pixels and size, for comparisons and the HTML export.
    bool PhotoDecoded() const { return fPhotoDecoded; }
    /// The pictures of the last composed slide that could not be read, by element name.
    const std::vector<std::string>& Failures() const { return fFailures; }
    /// A picture of the album fitted, its shape kept, into width x height 0xFFRRGGBB pixels
    /// centred over the fill colour; decoded at the smallest scale that still covers the
    /// box, so that a thumbnail is sharp whatever the photo's size. False when it cannot be
    /// read.
    static bool Fitted(const KAlbum& album, const std::string& picture, int width, int height, uint32_t fill,
                       std::vector<uint32_t>& pixels);
    /// Replaces "@1st"-style album tags by the album's strings and "\n" by line breaks.
    static std::string ExpandTags(const KAlbum& album, const std::string& text);

private:
    std::unique_ptr<NJpegSprite> StartDecode(const std::string& picture, uint32_t sliceMilliseconds);
    /// True when the picture was decoded whole; otherwise its name joins the failures.
    bool Decoded(const NJpegSprite* sprite, const std::string& picture);

    const KAlbum& fAlbum;
    KSlide fSlide;
    std::unique_ptr<NJpegSprite> fBackground;
    std::vector<std::unique_ptr<NJpegSprite>> fPhotos;   // one a box; a single photo is box 0
    std::vector<std::string> fPhotoNames;
    std::string fBackgroundName;
    std::vector<std::string> fFailures;
    NRect fPhotoRect;
    bool fPhotoDecoded = false;
};
