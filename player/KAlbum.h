// An album opened for playing: its strings, photos, show description and slides.
#pragma once

#include "player/KShowDescription.h"
#include "player/KSlide.h"
#include "storage/NBinder.h"
#include "storage/NFileSpec.h"
#include "storage/NStream.h"

#include <map>
#include <string>
#include <vector>

/// Opens the album (a single file or the first file of a segmented set) read-only at a
/// mount of its own and keeps it in the open-archive registry while it lives, so the
/// theme's pictures are read by the same logical paths as loose files. Whatever cannot be
/// read becomes a damage slide where it would have been shown; opening never throws.
class KAlbum {
public:
    KAlbum();
    ~KAlbum();
    KAlbum(const KAlbum&) = delete;
    KAlbum& operator=(const KAlbum&) = delete;

    /// False when nothing of the album can be read; Slides() then holds one damage slide.
    /// A quick open reads only the album's description and directory: each photo's own
    /// description and picture wait for CompleteSlide and the seal for CheckSeal, so a show
    /// starts without touching the whole file first.
    bool Open(const NFileSpec& spec, bool quick = false);
    /// Reads a photo slide's caption and checks its picture, once; a picture that is no
    /// JPEG turns the slide into its damage slide.
    void CompleteSlide(size_t index);
    /// Checks the seal, once; a broken one adds its damage slide at the end when no other
    /// damage slide says the album is damaged.
    void CheckSeal();
    void Close();

    const NFDirSpec& Mount() const { return fMount; }
    NFileSpec Element(const std::string& path) const { return NFileSpec(fMount, path); }
    /// An album string chunk ("INTt", "@1st"), empty when absent.
    std::string AlbumString(const std::string& tag) const;
    int32_t PhotoCount() const { return fPhotoCount; }
    const KShowDescription& Show() const { return fShow; }
    const std::vector<KSlide>& Slides() const { return fSlides; }
    /// The damaged parts found while opening, one line each.
    const std::vector<std::string>& Damage() const { return fDamage; }
    /// The element of a photo ("photo:0003.jpg").
    static std::string PhotoElement(int32_t number);
    /// A photo's caption and aux text from its own description; false when it has none.
    bool PhotoInfo(int32_t number, std::string& caption, std::string& aux) const;
    /// The variant folder ("@boy") or empty.
    const std::string& Variant() const { return fVariant; }

    /// Reads a tagged chunk file's string chunks (integers as decimal text); false when it
    /// is not a complete chunk file.
    static bool ReadChunks(const NFileSpec& spec, std::map<std::string, std::string>& chunks);
    /// The same over an open stream; throws NFileException on a short read.
    static bool ReadChunks(NStream& in, std::map<std::string, std::string>& chunks);

private:
    std::string ReadText(const std::string& path) const;
    void ReadShow();
    void MakeSlides();
    /// The collage layout: the photo slides become slides of several boxes.
    std::vector<KSlide> LayOutCollage(const std::vector<KSlide>& photos) const;
    void AddDamage(const std::string& what, int32_t photo);
    void AddSealDamage();

    NBinder fBinder;
    NFileSpec fSpec;
    bool fSealChecked = false;
    NFDirSpec fMount;
    bool fRegistered = false;
    std::map<std::string, std::string> fStrings;
    int32_t fPhotoCount = 0;
    KShowDescription fShow;
    std::string fVariant;
    std::vector<KSlide> fSlides;
    std::vector<std::string> fDamage;
};
