// The insert-disk screen and its error form when OK finds no photo disc.
#include "maker/KInsertDiskGroup.h"

#include "maker/KApp.h"
#include "maker/KMakerEvents.h"

#include <cstdlib>

namespace {

enum : int32_t {
    kTextInsertDisk = 151,
    kFontPanel = 1215,
    kTextNoDisc = 153,
    kTextNoDiscHelp = 154,
    kTextErrorTop = 1217,
    kCaptionOK = 120,
    kCaptionSamples = 121,
};

constexpr int16_t kInsertDiskY = 156;
constexpr int32_t kErrorMargin = 8;

} // namespace

std::string KInsertDiskGroup::BackgroundName() const
{
    return fError ? "errorBG.jpg" : "diskBG.jpg";
}

void KInsertDiskGroup::BuildSprites()
{
    BuildParts();
}

void KInsertDiskGroup::BuildParts()
{
    if (fError) {
        AddButton("errorOK.xps", kCaptionOK, 107, kEventDiskOK);
        AddButton("errorCancel.xps", kCaptionSamples, 108, kEventDiskSamples);
        KScreenText message = PanelText(Words(kTextNoDisc) + "\n" + Words(kTextNoDiscHelp), kFontPanel,
                                        int16_t(std::atoi(Words(kTextErrorTop).c_str())));
        message.fMargin = kErrorMargin;
        AddText(message);
    } else {
        AddButton("diskOK.xps", kCaptionOK, 107, kEventDiskOK);
        AddButton("diskCancel.xps", kCaptionSamples, 108, kEventDiskSamples);
        AddText(PanelText(Words(kTextInsertDisk), kFontPanel, kInsertDiskY));
    }
}

void KInsertDiskGroup::ShowError()
{
    if (fError)
        return;
    fError = true;
    if (!IsBuilt()) {
        Build();
        return;
    }
    while (!fParts.empty())
        Remove(*fParts.back());
    LoadBackground(BackgroundName());
    BuildParts();
    MarkChanged();
}
