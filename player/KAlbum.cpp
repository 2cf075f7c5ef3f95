// Opening an album for playing and laying out its slides.
//
// Elements read (paths below the album's root):
//
//   photo:Album.nfo     chunk file "LBUM": album strings, "NUMP" photo count
//   photo:NNNN.jpg      the photos, NNNN from 0000
//   photo:NNNN.nfo      chunk file "PNFO": "CAPT", "AUXI"
//   Assets:show.txt     the theme's show description
//   Assets:@v:show.txt  the chosen variant's ("FLDR"), read over it
//   CoBrand:show.txt    the co-brand content's, read last
#include "player/KAlbum.h"

#include "imaging/NJpegSprite.h"
#include "storage/NBinderRegistry.h"
#include "storage/NChunkReader.h"
#include "storage/NFileException.h"
#include "storage/NStream.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

static constexpr int32_t kStringLengthBytes = 2;
static constexpr int32_t kIntegerBytes = 4;
static constexpr int32_t kMillisecondsPerSecond = 1000;
static constexpr int kDefaultSlideSeconds = 5;
static constexpr int kDefaultTitleSeconds = 4;
static constexpr int32_t kDamageMilliseconds = 4000;
static constexpr int32_t kMaxPhotos = 10000;
static constexpr char kPhotoFolder[] = "photo";
static constexpr int kMaxCollageBoxes = 9;

const char* KSlideKindName(KSlideKind kind)
{
    switch (kind) {
    case KSlideKind::kTitle: return "title";
    case KSlideKind::kNewborn: return "newborn";
    case KSlideKind::kPhoto: return "photo";
    case KSlideKind::kCredit: return "credit";
    case KSlideKind::kClosing: return "closing";
    case KSlideKind::kDamage: return "damage";
    }
    return "?";
}

static std::string PhotoName(int32_t number, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof name, "photo:%04d.%s", static_cast<int>(number), extension);
    return name;
}

std::string KAlbum::PhotoElement(int32_t number)
{
    return PhotoName(number, "jpg");
}

bool KAlbum::PhotoInfo(int32_t number, std::string& caption, std::string& aux) const
{
    std::map<std::string, std::string> info;
    bool read = ReadChunks(Element(PhotoName(number, "nfo")), info);
    caption = info["CAPT"];
    aux = info["AUXI"];
    return read;
}

std::vector<KSlide> KAlbum::LayOutCollage(const std::vector<KSlide>& photos) const
{
    // rotate: each photo enters the next box in turn, the others keep theirs, so every
    //         photo has its slide and the boxes fill one at a time;
    // page:   the boxes change together, a slide a page of photos.
    int count = std::clamp(fShow.Int("collage.count", 1), 1, kMaxCollageBoxes);
    bool page = fShow.Text("collage.fill", "rotate") == "page";
    std::vector<KSlide> laid;
    std::vector<int32_t> boxes(size_t(count), -1);
    size_t turn = 0;
    for (const KSlide& photo : photos) {
        if (photo.fKind != KSlideKind::kPhoto) {
            laid.push_back(photo);
            continue;
        }
        if (page) {
            if (turn == 0) {
                laid.push_back(photo);
                std::fill(boxes.begin(), boxes.end(), -1);
            }
            boxes[turn] = photo.fPhoto;
            laid.back().fCollage = boxes;
            turn = (turn + 1) % size_t(count);
            continue;
        }
        boxes[turn] = photo.fPhoto;
        turn = (turn + 1) % size_t(count);
        laid.push_back(photo);
        laid.back().fCollage = boxes;
    }
    return laid;
}

KAlbum::KAlbum()
{
    // Every album gets a mount of its own, so two albums (the start page's thumbnails and
    // the one playing) never answer for each other in the registry.
    static int sAlbums = 0;
    fMount = NFDirSpec(NFDriveSpec("\\\\lumora-album-" + std::to_string(++sAlbums) + "\\"), "");
}

KAlbum::~KAlbum()
{
    Close();
}

void KAlbum::Close()
{
    if (fRegistered)
        NBinderRegistry::The().Unregister(&fBinder);
    fRegistered = false;
    if (fBinder.IsOpen())
        (void)fBinder.Close();
}

bool KAlbum::ReadChunks(const NFileSpec& spec, std::map<std::string, std::string>& chunks)
{
    try {
        NStream in = spec.Open(NStreamMode::kRead);
        return ReadChunks(in, chunks);
    } catch (const NFileException&) {
        return false;
    }
}

bool KAlbum::ReadChunks(NStream& in, std::map<std::string, std::string>& chunks)
{
    return NChunkReader::ReadAll(in, [&chunks](const std::string& name, std::string body) {
        auto length = static_cast<int32_t>(body.size());
        auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(body[i])); };
        if (length >= kStringLengthBytes && static_cast<int32_t>(byte(0) << 8 | byte(1)) == length - kStringLengthBytes)
            chunks[name] = body.substr(kStringLengthBytes);
        else if (length == kIntegerBytes)
            chunks[name] = std::to_string(static_cast<int32_t>(byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3)));
        else if (!chunks.count(name))
            chunks[name] = std::string();
    });
}

std::string KAlbum::ReadText(const std::string& path) const
{
    std::string text;
    try {
        NStream stream = Element(path).Open(NStreamMode::kRead, true);
        text.resize(static_cast<size_t>(stream.GetLength()));
        stream.ReadFully(static_cast<int32_t>(text.size()), text.data());
    } catch (const NFileException&) {
        text.clear();
    }
    return text;
}

std::string KAlbum::AlbumString(const std::string& tag) const
{
    auto found = fStrings.find(tag);
    return found == fStrings.end() ? std::string() : found->second;
}

void KAlbum::AddDamage(const std::string& what, int32_t photo)
{
    fDamage.push_back(what);
    KSlide slide;
    slide.fKind = KSlideKind::kDamage;
    slide.fPhoto = photo;
    slide.fText = what;
    slide.fMilliseconds = kDamageMilliseconds;
    fSlides.push_back(slide);
}

bool KAlbum::Open(const NFileSpec& spec, bool quick)
{
    Close();
    fSlides.clear();
    fDamage.clear();
    fStrings.clear();
    fShow = KShowDescription();
    fPhotoCount = 0;
    fSpec = spec;
    fSealChecked = false;
    std::string name = spec.Name();
    try {
        if (fBinder.Open(spec, fMount, NBinderMode::kRead) < 0 || !fBinder.IsOpen()) {
            AddDamage("The album " + name + " cannot be read: it is no album or a part of it is missing.", -1);
            return false;
        }
    } catch (const NFileException& error) {
        AddDamage("The album " + name + " cannot be read (" + error.what() + ").", -1);
        return false;
    }
    NBinderRegistry::The().Register(&fBinder);
    fRegistered = true;
    // The seal is checked on the file by a binder of its own: an open one does not check.
    bool sealed = quick || NBinder().Verify(spec);
    if (!sealed)
        fDamage.push_back("The album's seal does not match its contents.");

    bool infoRead = ReadChunks(Element("photo:Album.nfo"), fStrings);
    if (!infoRead)
        fDamage.push_back("The album's description (photo:Album.nfo) is damaged.");
    ReadShow();
    MakeSlides();
    if (!quick)
        for (size_t i = 0; i < fSlides.size(); ++i)
            CompleteSlide(i);
    if (!infoRead)
        AddDamage("The album's description (photo:Album.nfo) is damaged; its title and credits are lost.", -1);
    if (!quick) {
        fSealChecked = true;
        if (!sealed)
            AddSealDamage();
    }
    return true;
}

void KAlbum::AddSealDamage()
{
    if (std::none_of(fSlides.begin(), fSlides.end(), [](const KSlide& s) { return s.fKind == KSlideKind::kDamage; }))
        AddDamage("The album's seal does not match its contents; some pictures may look wrong.", -1);
}

void KAlbum::CheckSeal()
{
    if (fSealChecked || !fBinder.IsOpen())
        return;
    fSealChecked = true;
    if (NBinder().Verify(fSpec))
        return;
    fDamage.push_back("The album's seal does not match its contents.");
    AddSealDamage();
}

void KAlbum::CompleteSlide(size_t index)
{
    if (index >= fSlides.size() || fSlides[index].fComplete)
        return;
    KSlide& slide = fSlides[index];
    slide.fComplete = true;
    if (!NJpegSprite::IsJpegFile(Element(slide.fPicture))) {
        slide.fKind = KSlideKind::kDamage;
        slide.fText = "Photo " + std::to_string(slide.fPhoto + 1) + " (" + slide.fPicture + ") is missing or damaged.";
        slide.fMilliseconds = kDamageMilliseconds;
        fDamage.push_back(slide.fText);
        return;
    }
    std::map<std::string, std::string> info;
    (void)ReadChunks(Element(PhotoName(slide.fPhoto, "nfo")), info);
    slide.fText = info["CAPT"];
    slide.fSecondText = info["AUXI"];
}

void KAlbum::ReadShow()
{
    fShow.Read(ReadText("Assets:show.txt"));
    fVariant = AlbumString("FLDR");
    std::vector<std::string> variants = fShow.List("variants");
    if (fVariant.empty() && !variants.empty()) {
        // An album made without the choice: the variant the album holds.
        for (const std::string& variant : variants)
            if (!ReadText("Assets:" + variant + ":show.txt").empty()) {
                fVariant = variant;
                break;
            }
    }
    if (!fVariant.empty())
        fShow.Read(ReadText("Assets:" + fVariant + ":show.txt"));
    fShow.Read(ReadText("CoBrand:show.txt"));
}

void KAlbum::MakeSlides()
{
    auto seconds = [&](const std::string& key, int otherwise) {
        return fShow.Int(key, otherwise) * kMillisecondsPerSecond;
    };
    std::vector<KSlide> photos;
    // The photo count is the larger of what the album says and what it holds, so a photo
    // whose element is lost still gets its damage slide.
    int32_t count = std::max(0, std::atoi(AlbumString("NUMP").c_str()));
    std::set<int32_t> present;
    const NBinderElement* folder = fBinder.Root() ? fBinder.Root()->FindFolder(kPhotoFolder) : nullptr;
    if (folder && folder->fFolder) {
        for (const auto& element : folder->fFolder->fElements) {
            const std::string& file = element->fName;
            if (!element->IsFile() || file.size() != 8 || file.compare(4, 4, ".jpg") != 0)
                continue;
            int32_t number = std::atoi(file.substr(0, 4).c_str());
            present.insert(number);
            count = std::max(count, number + 1);
        }
    }
    count = std::min(count, kMaxPhotos);
    fPhotoCount = count;
    for (int32_t number = 0; number < count; ++number) {
        KSlide slide;
        slide.fPhoto = number;
        slide.fPicture = PhotoName(number, "jpg");
        if (!present.count(number)) {
            slide.fKind = KSlideKind::kDamage;
            slide.fText = "Photo " + std::to_string(number + 1) + " (" + slide.fPicture + ") is missing or damaged.";
            slide.fMilliseconds = kDamageMilliseconds;
            fDamage.push_back(slide.fText);
            photos.push_back(slide);
            continue;
        }
        // Its description is read and its picture checked when the slide is completed.
        slide.fKind = KSlideKind::kPhoto;
        slide.fComplete = false;
        slide.fMilliseconds = seconds("slide.seconds", kDefaultSlideSeconds);
        photos.push_back(slide);
    }

    KSlide title;
    title.fKind = KSlideKind::kTitle;
    title.fPicture = fShow.Text("title.background");
    title.fText = AlbumString("INTt");
    title.fSecondText = AlbumString("INTd");
    title.fMilliseconds = seconds("title.seconds", kDefaultTitleSeconds);

    KSlide credit;
    credit.fKind = KSlideKind::kCredit;
    credit.fPicture = fShow.Text("credit.background", title.fPicture);
    for (const char* tag : { "CRDt", "CRDs", "CRDb" }) {
        std::string line = AlbumString(tag);
        if (line.empty())
            continue;
        credit.fText += (credit.fText.empty() ? "" : "\n") + line;
    }
    credit.fMilliseconds = seconds("credit.seconds", kDefaultSlideSeconds);

    bool newborn = fShow.Has("newborn.name.box") && !AlbumString("@1st").empty();
    KSlide announcement;
    announcement.fKind = KSlideKind::kNewborn;
    announcement.fPicture = fShow.Text("newborn.background", title.fPicture);
    announcement.fMilliseconds = seconds("newborn.seconds", kDefaultSlideSeconds);

    bool closing = fShow.Has("closing.background");
    KSlide close;
    close.fKind = KSlideKind::kClosing;
    close.fPicture = fShow.Text("closing.background");
    close.fMilliseconds = seconds("closing.seconds", kDefaultSlideSeconds);

    if (fShow.Text("photo.layout") == "collage")
        photos = LayOutCollage(photos);

    // Title, photos, credits; the newborn and closing slides follow the part they name
    // ("title", "photos", "credit"; anything else puts them at the end).
    std::string newbornAfter = fShow.Text("newborn.after", "title");
    std::string closingAfter = fShow.Text("closing.after", "credit");
    auto follow = [&](const std::string& part) {
        if (newborn && (newbornAfter == part || part.empty())) {
            fSlides.push_back(announcement);
            newborn = false;
        }
        if (closing && (closingAfter == part || part.empty())) {
            fSlides.push_back(close);
            closing = false;
        }
    };
    fSlides.push_back(title);
    follow("title");
    fSlides.insert(fSlides.end(), photos.begin(), photos.end());
    follow("photos");
    if (!credit.fText.empty())
        fSlides.push_back(credit);
    follow("credit");
    follow("");
}
