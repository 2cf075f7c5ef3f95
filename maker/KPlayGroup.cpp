// The play screen shown while the player opens the album.
#include "maker/KPlayGroup.h"

#include "maker/KMakerEvents.h"

namespace {

enum : int32_t {
    kTextPlay = 144,
    kFontPlay = 1480,
};

} // namespace

void KPlayGroup::BuildSprites()
{
    AddText(PanelText(Words(kTextPlay), kFontPlay, 250));
}
