// One slide of a show: what it shows and how long.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class KSlideKind {
    kTitle,     // the album's title ("INTt", "INTd") over the title background
    kNewborn,   // the newborn announcement from the "@" chunks
    kPhoto,     // one photo in the photo box with its caption
    kCredit,    // the credit lines ("CRDt", "CRDs", "CRDb")
    kClosing,   // the co-brand closing picture
    kDamage,    // a part of the album that could not be read, named
};

struct KSlide {
    KSlideKind fKind = KSlideKind::kPhoto;
    int32_t fPhoto = -1;          // photo number for kPhoto and kDamage of a photo
    std::string fPicture;         // element below the album root ("photo:0003.jpg", "Assets:title.jpg")
    std::string fText;            // title, caption or credit lines, or what is damaged
    std::string fSecondText;      // the title slide's "INTd", a photo's aux text
    int32_t fMilliseconds = 0;    // how long it stays
    bool fComplete = true;        // false while a photo's description is unread and its picture unchecked
    std::vector<int32_t> fCollage;   // collage layout: the photo in each box (-1 for none), fPhoto the newest
};

/// The short name tests and the UI dump use for a kind ("title", "photo", ...).
const char* KSlideKindName(KSlideKind kind);
