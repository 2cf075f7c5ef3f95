// The Maker's flow.
#include "maker/KMakerData.h"

#include "builder/include/qipbuild.h"
#include "framework/NEventCodes.h"
#include "maker/KApp.h"
#include "maker/KNewbornGroup.h"
#include "maker/KScreens.h"
#include "maker/core/KAlbumProduction.h"
#include "maker/core/KMakerFolders.h"
#include "maker/core/KOfferPage.h"
#include "maker/core/KPartnerInstall.h"
#include "maker/core/KPhotoDisc.h"
#include "maker/core/KPlayerInstall.h"
#include "platform/NHostShell.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NFIterator.h"
#include "storage/NFileException.h"

#include <cstdio>

namespace {

enum : int32_t {
    kStateWelcome = 2,          // the welcome screen; the insert-disk screen prepared
    kStateContinue = 3,         // welcome continued
    kStateInstallPlayer = 4,    // progress (player) while the setup is copied and started
    kStateFindDisc = 5,         // the photo disc is looked for; without one, the insert-disk screen
    kStatePartnerCheck = 7,     // a partner disc installs its viewer
    kStateInstallPartner = 8,   // progress (partner) while the viewer and photos are copied
    kStateChooseTheme = 9,      // the choose-theme screen
    kStateThemeChosen = 10,     // the theme taken; the newborn screen for the newborn theme
    kStateProduce = 11,         // progress (album) while the album is made
    kStatePlay = 12,            // the play screen; the viewer two seconds later
    kStateQuitChosen = 13,      // the quit screen, chosen by the user
    kStatePlayerFailed = 14,    // the quit screen after a failed player installation
    kStatePartnerFailed = 15,   // the quit screen after a failed partner installation
};
/*
    2 --1210--> 3 --> 4 --1703 ok--> 5 --disc, eng, partner--> 7 --> 8 --1704 ok--> 9
                        \--fail--> 14   \--disc otherwise-------------> 9   \--fail--> 15
                                         \--no disc: insert-disk --1215 found / 1216 samples / drop--> 9
    9 --1400--> 10 --newborn: 1340--> 11 --1700, photos--> 12 --1701, 1702--> 9
                  \--other theme---> 11 --1700, none----> 5
    9 --1401--> 13;  1211, 1242, 1241, 1290, 1291 end the program
*/

constexpr char kDropFolderFormat[] = "Lumora drop %d:";

} // namespace

KMakerData::KMakerData(NPage& page) : KPageData(page) {}

KMakerData::~KMakerData()
{
    if (fCurrent) {
        fCurrent->MarkChanged();
        fGroup.RemoveChild(*fCurrent);
        fCurrent = nullptr;
    }
}

template <class T> T& KMakerData::Prepare(std::unique_ptr<T>& screen)
{
    if (!screen) {
        screen = std::make_unique<T>();
        screen->PostBuild();
    }
    return *screen;
}

void KMakerData::Show(KSpGroup& screen)
{
    if (fCurrent == &screen)
        return;
    if (fCurrent) {
        fCurrent->MarkChanged();
        fGroup.RemoveChild(*fCurrent);
    }
    // A screen asked for before its build event arrived is built now.
    screen.Build();
    fCurrent = &screen;
    fGroup.AddChild(screen, 0);
    screen.MarkChanged();
    KApp::The().Universe().AddChange(KApp::The().GetContentRect());
}

void KMakerData::PageStart()
{
    KPageData::PageStart();
    GoToState(kStateWelcome);
}

void KMakerData::GoToState(int32_t state)
{
    if (state == fState)
        return;
    fState = state;
    KApp& app = KApp::The();
    switch (state) {
    case kStateWelcome:
        Show(Prepare(fWelcome));
        Prepare(fInsertDisk);
        break;
    case kStateContinue:
        GoToState(kStateInstallPlayer);
        break;
    case kStateInstallPlayer:
        Prepare(fProgress).SetMode(KProgressGroup::kPlayerMode);
        Show(*fProgress);
        app.Port().Post(NPortEvent(kEventInstallPlayer));
        break;
    case kStateFindDisc:
        if (FindDisc()) {
            if (app.Language() != KApp::kEnglish)
                GoToState(kStateChooseTheme);
            else
                GoToState(fPartnerDisc ? kStatePartnerCheck : kStateChooseTheme);
        } else {
            Show(Prepare(fInsertDisk));
        }
        Prepare(fChooseTheme);
        break;
    case kStatePartnerCheck:
        GoToState(fPartnerDisc ? kStateInstallPartner : kStateChooseTheme);
        break;
    case kStateInstallPartner:
        Prepare(fProgress).SetMode(KProgressGroup::kPartnerMode);
        Show(*fProgress);
        app.Port().Post(NPortEvent(kEventInstallPartner));
        break;
    case kStateChooseTheme:
        Show(Prepare(fChooseTheme));
        break;
    case kStateThemeChosen:
        TakeTheme();
        if (fNewbornTheme) {
            KNewbornGroup& screen = Prepare(fNewbornScreen);
            Show(screen);
            screen.Show(fNewborn);
        } else {
            GoToState(kStateProduce);
        }
        break;
    case kStateProduce: {
        KProgressGroup& progress = Prepare(fProgress);
        progress.SetMode(KProgressGroup::kAlbumMode);
        Show(progress);
        progress.SetSteps(KAlbumProduction::kStepsPerPhoto
                          * KProgressGroup::CountPhotos(fPhotoFolder, fSampleMode ? kSamplePhotos : 0, fDropped));
        app.Port().Post(NPortEvent(kEventProduce, kStatePlay));
        break;
    }
    case kStatePlay:
        Show(Prepare(fPlay));
        Prepare(fChooseTheme);
        app.Port().Post(NPortEvent(kEventLaunchViewer), kViewerDelay);
        break;
    case kStateQuitChosen:
    case kStatePlayerFailed:
    case kStatePartnerFailed:
        Show(Prepare(fQuit));
        break;
    default:
        break;
    }
}

bool KMakerData::FindDisc()
{
    if (fDropped) {
        fDiscFound = true;
        fPartnerDisc = false;
        fSampleMode = false;
        fPhotoFolder = fDropFolder;
        return true;
    }
    KPhotoDiscResult result = KPhotoDisc::Find(KApp::The().Environment());
    fDiscFound = result.fFound;
    if (result.fFound) {
        fPhotoFolder = result.fPhotoFolder;
        fPartnerDisc = result.fPartner;
        fSampleMode = false;
    }
    return result.fFound;
}

void KMakerData::TakeTheme()
{
    KChooseThemeGroup& screen = Prepare(fChooseTheme);
    fTheme = screen.ThemeFile();
    fAlbumName = screen.AlbumName();
    fNewbornTheme = screen.IsNewborn();
    fNoScratch = screen.IsNoScratch();
}

bool KMakerData::HandleMakerEvent(const NPortEvent& event)
{
    KApp& app = KApp::The();
    switch (event.fCode) {
    case kEventDropFinished:
        UseDrops(app.TakeDrops());
        return true;
    case kEventWelcomeContinue:
        GoToState(kStateContinue);
        return true;
    case kEventWelcomeQuit:
    case kEventQuitQuit:
        OpenAlbumFolder();
        Quit();
        return true;
    case kEventDiskOK:
        if (!FindDisc())
            Prepare(fInsertDisk).ShowError();
        else if (app.Language() == KApp::kEnglish && fPartnerDisc)
            GoToState(kStatePartnerCheck);
        else
            GoToState(kStateChooseTheme);
        return true;
    case kEventDiskSamples:
        fPhotoFolder = app.LanguageFolder().SubDir(app.Brand() ? "SFSamples:" : "Samples:");
        fSampleMode = true;
        fDropped = false;
        GoToState(kStateChooseTheme);
        return true;
    case kEventQuitOffer:
        OpenAlbumFolder();
        app.Port().Post(NPortEvent(kEventQuitOfferPage));
        return true;
    case kEventQuitOfferPage:
        OpenOfferPage();
        OpenAlbumFolder();
        Quit();
        return true;
    case kEventQuitWithOffer:
        OpenAlbumFolder();
        OpenOfferPage();
        Quit();
        return true;
    case kEventQuitPlain:
        OpenAlbumFolder();
        Quit();
        return true;
    case kEventNewbornContinue:
        if (fNewbornScreen)
            fNewbornScreen->Collect(fNewborn);
        GoToState(kStateProduce);
        return true;
    case kEventNewbornBack:
        if (fNewbornScreen)
            fNewbornScreen->Collect(fNewborn);
        GoToState(kStateChooseTheme);
        return true;
    case kEventMakeAlbum:
        GoToState(kStateThemeChosen);
        return true;
    case kEventThemeQuit:
        GoToState(kStateQuitChosen);
        return true;
    case kEventProduce:
        Produce(event.fArgument);
        return true;
    case kEventLaunchViewer:
        (void)QLA_LaunchViewer(fAlbumFile.HostPath().c_str());   // no player registered: nothing to show
        app.Port().Post(NPortEvent(kEventAfterViewer));
        return true;
    case kEventAfterViewer:
        GoToState(kStateChooseTheme);
        return true;
    case kEventInstallPlayer:
        InstallPlayer();
        return true;
    case kEventInstallPartner:
        InstallPartner();
        return true;
    default:
        if (event.fCode >= kEventThemeFirst && event.fCode <= kEventThemeLast) {
            Prepare(fChooseTheme).ThemeEvent(event.fCode);
            return true;
        }
        return false;
    }
}

void KMakerData::Produce(int32_t nextState)
{
    KAlbumRequest request;
    request.fTheme = fTheme;
    request.fAlbumName = fAlbumName;
    request.fPhotoFolder = fPhotoFolder;
    request.fSampleMode = fSampleMode;
    request.fNoScratch = fNoScratch;
    request.fNewborn = fNewbornTheme ? &fNewborn : nullptr;
    request.fAllowLongJpegNames = fDropped && !fSampleMode;
    KProgressGroup& progress = Prepare(fProgress);
    KAlbumProduction production(KApp::The().Environment(), progress);
    fPhotosAdded = production.Produce(request);
    if (fPhotosAdded > 0) {
        fAlbumFile = production.AlbumFile();
        GoToState(nextState);
    } else {
        GoToState(kStateFindDisc);
    }
}

void KMakerData::InstallPlayer()
{
    KProgressGroup& progress = Prepare(fProgress);
    KPlayerInstall install(KApp::The().Environment(), progress);
    if (install.Install()) {
        progress.Finish();
        GoToState(kStateFindDisc);
    } else {
        GoToState(kStatePlayerFailed);
    }
}

void KMakerData::InstallPartner()
{
    KProgressGroup& progress = Prepare(fProgress);
    bool done = false;
    try {
        KPartnerInstall install(KApp::The().Environment(), progress);
        done = install.Install(fPhotoFolder, fPartnerDisc);
    } catch (const NFileException&) {
        done = false;
    }
    if (done) {
        progress.Finish();
        GoToState(kStateChooseTheme);
    } else {
        GoToState(kStatePartnerFailed);
    }
}

void KMakerData::OpenAlbumFolder()
{
    if (fAlbumFolderOpened)
        return;
    fAlbumFolderOpened = true;
    (void)NHostShell::Open(KMakerFolders::AlbumFolder(true).HostPath());   // no file manager: nothing more to do
}

void KMakerData::OpenOfferPage()
{
    NFileSpec page;
    if (KOfferPage::Make(KApp::The().Environment(), page))
        (void)NHostShell::Open(page.HostPath());   // no browser: the page still lies in the album folder
}

void KMakerData::Quit()
{
    KApp::The().Port().Post(NPortEvent(kEventQuit));
}

void KMakerData::UseDrops(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return;
    NFDirSpec folder;
    bool found = false;
    // One folder: its photos, or the photos of the disc it is the root of.
    NFDirSpec dropped;
    if (paths.size() == 1 && NFDirSpec::FromHostPath(paths[0], dropped) && dropped.Exists()) {
        NFDirSpec images;
        if (KPhotoDisc::CountPhotos(dropped, 0, true) > 0) {
            folder = dropped;
            found = true;
        } else if (KPhotoDisc::Qualifies(dropped, images)) {
            folder = images;
            found = true;
        }
    } else {
        // Loose photos (and the photos of dropped folders) are gathered into a folder of
        // their own, so that the album holds exactly what was dropped.
        char name[64];
        std::snprintf(name, sizeof name, kDropFolderFormat, ++fDropCount);
        NFDirSpec gathered = NFTmpDirSpec::The().SubDir(name);
        (void)gathered.Create();
        for (NFileIterator old(NFDirRange{gathered, "*"}); !old.Done(); old.Next())
            (void)old.Value().Delete();
        auto take = [&](const NFileSpec& photo) {
            if (!KPhotoDisc::IsJpegName(photo.Name(), true))
                return;
            try {
                photo.CopyTo(NFileSpec(gathered, photo.Name(), false));
                found = true;
            } catch (const NFileException&) {
                // An unreadable photo is left out; the others still make the album.
            }
        };
        for (const std::string& path : paths) {
            NFDirSpec dir;
            NFileSpec file;
            if (NFileSpec::FromHostPath(path, file) && file.Exists()) {
                take(file);
            } else if (NFDirSpec::FromHostPath(path, dir) && dir.Exists()) {
                for (NFileIterator files(NFDirRange{dir, "*"}); !files.Done(); files.Next())
                    take(files.Value());
            }
        }
        folder = gathered;
    }
    if (!found) {
        if (fCurrent && fCurrent == fInsertDisk.get())
            fInsertDisk->ShowError();
        return;
    }
    fDropped = true;
    fDropFolder = folder;
    fPhotoFolder = folder;
    fSampleMode = false;
    fPartnerDisc = false;
    fDiscFound = true;
    // On the insert-disk screen the drop is the disc the screen waits for.
    if (fCurrent && fCurrent == fInsertDisk.get())
        GoToState(kStateChooseTheme);
}
