// The setup screen and its panes.
#include "setup/KSetupData.h"

#include "framework/NEventCodes.h"
#include "framework/NStringTable.h"
#include "imaging/NFont.h"
#include "platform/NHostHeadlessDisplay.h"
#include "platform/NHostShell.h"
#include "setup/KApp.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int16_t kWidth = 640;
constexpr int16_t kHeight = 480;
constexpr int16_t kTextX = 170;
constexpr int16_t kButtonX = 8;
constexpr uint8_t kInk = 10;   // black
constexpr uint32_t kLabelColor = 0xFFFFFFFF;
constexpr uint32_t kSuccessDelay = 3000;
constexpr uint32_t kSuccessPaneDelay = 4000;
constexpr char kSnapshotVariable[] = "LUMORA_SETUP_SNAPSHOTS";

enum : int32_t {
    kBackgroundPriority = 100,
    kTitlePriority = 50,
    kPanePriority = 20,
};

enum : int32_t {
    kTextTitle = 100,
    kFontBody = 277,
    kFontTitle = 278,
    kFontLabel = 280,
    kTextSuccessTitle = 310,
    kTextSuccessBody = 311,
    kFontSuccess = 312,
    kTextFailureTitle = 320,
    kTextFailureBody = 321,
    kTextFailureFiles = 322,
    kFontFailure = 323,
    kFontChoice = 340,
    kTextChoiceHeading = 341,
    kTextChoiceFirst = 342,
    kTextProgress = 490,
    kTextInstall = 270,
    kTextInstallTo = 272,
    kTextQuit = 275,
    kTextRunNow = 276,
};

KApp& App()
{
    return *dynamic_cast<KApp*>(NApp::Current());
}

NFont FontFor(int32_t id)
{
    NFont font;
    font.FontFromString(id);
    return font;
}

void PostSetup(int32_t code, uint32_t delay = 0)
{
    App().Port().Post(NPortEvent(code), delay);
}

} // namespace

KSetupPane::KSetupPane(std::string name) : fName(std::move(name))
{
    SetRect(NRect(kBandX, kBandY, kBandWidth, kBandHeight));
}

KSetupPane::~KSetupPane() = default;

void KSetupPane::AddText(int32_t textId, int32_t fontId, int16_t x, int16_t y, int32_t width)
{
    auto text = std::make_unique<NSpText>();
    text->SetWrapWidth(width);
    text->SetWordWrap(true);
    text->SetFontAndText(FontFor(fontId), NStringTable::The().GetString(textId), kInk, 0, 0, true);
    AddChild(*text, 0);
    text->MoveTo(NPoint(x, y));
    text->MarkChanged();
    fTexts.push_back(std::move(text));
}

NTextButton& KSetupPane::AddButton(int32_t labelId, int32_t event, int16_t x, int16_t y)
{
    auto button = std::make_unique<NTextButton>();
    NFont font = FontFor(kFontLabel);
    button->Make(NFileSpec(App().AssetsFolder(), "button.xps", false), NPoint(x, y),
                 NStringTable::The().GetString(labelId), &font, kLabelColor, 4, kLabelColor);
    button->Button().SetNotification(NNotification(App().Port().Id(), NPortEvent(event), false));
    button->Button().SetUiName(NStringTable::The().GetString(labelId));
    AddChild(*button, 0);
    button->MarkChanged();
    fButtons.push_back(std::move(button));
    return *fButtons.back();
}

void KSetupPane::AddProgress()
{
    fPicture = std::make_unique<NSprite>();
    fPicture->LoadSpriteFile(NFileSpec(App().AssetsFolder(), "name.xps", false));
    AddChild(*fPicture, 1);
    fPicture->MoveTo(NPoint(kTextX, 59));
    fThermometer = std::make_unique<NThermometer>();
    AddChild(*fThermometer, 0);
    fThermometer->LoadBar(NFileSpec(App().AssetsFolder(), "therm.xps", false), NPoint(kTextX, 59));
    fThermometer->SetRange(0, KInstallEngine::kProgressSteps);
    fThermometer->SetValue(0);
}

KSetupData::KSetupData(NPage& page)
    : NPageData(page)
{
    fBackground.MakeMemory(NRect(0, 0, kWidth, kHeight), 32, nullptr);
    fBackground.SetSliceTime(0);
    fBackground.LoadJpeg(NFileSpec(App().AssetsFolder(), "theme.jpg", false), 1);
    fTitle.SetWrapWidth(180);
    fTitle.SetWordWrap(true);
    fTitle.SetFontAndText(FontFor(kFontTitle), NStringTable::The().GetString(kTextTitle), kInk, 0, 0, true);
    fTitle.MoveTo(NPoint(14, 146));
}

KSetupData::~KSetupData() = default;

void KSetupData::Enter()
{
    NSpUniverse& universe = App().Universe();
    universe.AddChild(fBackground, kBackgroundPriority);
    universe.AddChild(fTitle, kTitlePriority);
    fBackground.MarkChanged();
    fTitle.MarkChanged();
    PostSetup(kSetupShowChoice);
}

void KSetupData::ShowPane(std::unique_ptr<KSetupPane> pane)
{
    NSpUniverse& universe = App().Universe();
    if (fPane) {
        fPane->MarkChanged();
        universe.RemoveChild(*fPane);
    }
    fPane = std::move(pane);
    universe.AddChild(*fPane, kPanePriority);
    fPane->MarkChanged();
    universe.AddChange(NRect(0, 0, kWidth, kHeight));
    universe.RenderChanges();
    Snapshot();
}

void KSetupData::Snapshot()
{
    const char* folder = std::getenv(kSnapshotVariable);
    auto* headless = dynamic_cast<NHostHeadlessDisplay*>(App().Display());
    if (!folder || !headless || !headless->HeadlessMain())
        return;
    std::string error;
    std::string path = std::string(folder) + "/setup-" + fPane->Name() + ".png";
    if (!headless->HeadlessMain()->SavePng(path, error))
        std::fprintf(stderr, "qipsetup: %s: %s\n", path.c_str(), error.c_str());
}

std::unique_ptr<KSetupPane> KSetupData::MakeChoice()
{
    auto pane = std::make_unique<KSetupPane>("choice");
    pane->AddText(kTextChoiceHeading, kFontChoice, kTextX, 0, 240);
    const int32_t labels[] = {kTextInstall, kTextInstallTo, kTextQuit};
    const int32_t events[] = {kSetupInstall, kSetupInstallTo, kSetupQuit};
    for (int i = 0; i < 3; ++i) {
        auto y = int16_t(30 + 38 * i);
        pane->AddButton(labels[i], events[i], kButtonX, y);
        pane->AddText(kTextChoiceFirst + i, kFontBody, kTextX, y, 241);
    }
    return pane;
}

std::unique_ptr<KSetupPane> KSetupData::MakeProgress()
{
    auto pane = std::make_unique<KSetupPane>("progress");
    pane->AddText(kTextProgress, kFontBody, kTextX, 0, 430);
    pane->AddProgress();
    return pane;
}

std::unique_ptr<KSetupPane> KSetupData::MakeMessage(bool success)
{
    auto pane = std::make_unique<KSetupPane>(success ? "success" : "failure");
    if (success) {
        pane->AddText(kTextSuccessTitle, kFontBody, kTextX, 0, 240);
        pane->AddText(kTextSuccessBody, kFontSuccess, kTextX, 32, 430);
    } else {
        bool files = App().LastOutcome().fStage == KInstallStage::kFiles
            && App().LastOutcome().fResult != KRunResult::kCancelled;
        pane->AddText(kTextFailureTitle, kFontBody, kTextX, 0, 242);
        pane->AddText(files ? kTextFailureFiles : kTextFailureBody, kFontFailure, kTextX, 32, 430);
    }
    NTextButton& quit = pane->AddButton(kTextQuit, kEventQuit, kButtonX, 30);
    (void)quit;
    if (success && !App().Options().fAlbum.empty())
        pane->AddButton(kTextRunNow, kSetupRunNow, kButtonX, 68);
    return pane;
}

bool KSetupData::HandleSetupEvent(int32_t code)
{
    switch (code) {
    case kSetupShowChoice:
        ShowPane(MakeChoice());
        return true;
    case kSetupInstall:
    case kSetupInstallTo: {
        ShowPane(MakeProgress());
        NThermometer* bar = fPane->Thermometer();
        KInstallOutcome outcome = App().RunInstall(code == kSetupInstallTo, [bar] {
            bar->SetValue(bar->Value() + 1);
            App().Universe().RenderChanges();
        });
        Snapshot();
        if (outcome.fResult == KRunResult::kSuccess) {
            PostSetup(kSetupToFront, kSuccessDelay);
            PostSetup(kSetupShowSuccess, kSuccessPaneDelay);
        } else {
            if (outcome.fResult != KRunResult::kCancelled)
                App().BringToFront();
            PostSetup(kSetupShowFailure);
        }
        return true;
    }
    case kSetupShowSuccess:
        ShowPane(MakeMessage(true));
        return true;
    case kSetupShowFailure:
        ShowPane(MakeMessage(false));
        return true;
    case kSetupQuit:
        PostSetup(kEventQuit);
        return true;
    case kSetupRunNow:
        NHostShell::StartCommandLine("\"" + App().LastOutcome().fPlayer.HostPath() + "\" \"" + App().Options().fAlbum + "\"");
        PostSetup(kEventQuit);
        return true;
    case kSetupToFront:
        App().BringToFront();
        return true;
    default:
        return false;
    }
}
