// The offer page: an HTML page and its pictures placed in the album folder for the browser.
#pragma once

#include "maker/core/KMakerEnvironment.h"

class KOfferPage {
public:
    static constexpr char kStorePage[] = "mktOffer.htm";
    static constexpr char kPartnerPage[] = "sfOffer.htm";
    static constexpr char kImagesFolder[] = "..:Data:imgw:";
    static constexpr char kSharedImages[] = "imghttp:";
    static constexpr const char* kSharedImageNames[] = {"bb.gif", "b.gif", "990000.gif", "logo-qip.gif"};
    static constexpr const char* kLanguageImageNames[] = {"click.gif", "specoff.gif"};
    static constexpr int32_t kPageNameText = 182;

    /// Makes the page in the album folder; false (page not made) on any file exception.
    static bool Make(const KMakerEnvironment& environment, NFileSpec& pageOut);
};
