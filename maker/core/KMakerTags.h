// The four-character chunk tags the Maker stores in its albums.
#pragma once

#include <cstdint>

/// A four-character code, first character in the most significant byte.
constexpr int32_t KMakerTag(const char (&text)[5])
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8) |
                                static_cast<uint32_t>(static_cast<uint8_t>(text[3])));
}

// Album chunks, in the order production stores them.
inline constexpr int32_t kTagCoBrand = KMakerTag("COBR");
inline constexpr int32_t kTagGallery = KMakerTag("GALL");
inline constexpr int32_t kTagBuilderName = KMakerTag("BLDN");
inline constexpr int32_t kTagBuilderVersion = KMakerTag("BLDV");
inline constexpr int32_t kTagShowIntro = KMakerTag("SHWI");
inline constexpr int32_t kTagIntroTitle = KMakerTag("INTt");
inline constexpr int32_t kTagIntroDescription = KMakerTag("INTd");
inline constexpr int32_t kTagShowCredits = KMakerTag("SHWC");
inline constexpr int32_t kTagCreditsTitle = KMakerTag("CRDt");
inline constexpr int32_t kTagCreditsSubtitle = KMakerTag("CRDs");
inline constexpr int32_t kTagCreditsBody = KMakerTag("CRDb");
inline constexpr int32_t kTagDiscData = KMakerTag("PSWd");
inline constexpr int32_t kTagNoScratch = KMakerTag("cSCR");

// Newborn chunks, in their order.
inline constexpr int32_t kTagFolder = KMakerTag("FLDR");
inline constexpr int32_t kTagFirstName = KMakerTag("@1st");
inline constexpr int32_t kTagMiddleName = KMakerTag("@Mid");
inline constexpr int32_t kTagLastName = KMakerTag("@Lst");
inline constexpr int32_t kTagBirthDate = KMakerTag("@Dat");
inline constexpr int32_t kTagWeight = KMakerTag("@Wgt");
inline constexpr int32_t kTagLength = KMakerTag("@Len");
inline constexpr int32_t kTagInitials = KMakerTag("@Ini");
