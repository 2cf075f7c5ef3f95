// The Maker's event numbers on the application port, and the screens' text colours.
#pragma once

#include <cstdint>

// Events the screens' buttons post on the application port.
enum : int32_t {
    kEventWelcomeContinue = 1210,
    kEventWelcomeQuit = 1211,
    kEventDiskOK = 1215,
    kEventDiskSamples = 1216,
    kEventQuitOffer = 1240,
    kEventQuitOfferPage = 1241,
    kEventQuitQuit = 1242,
    kEventQuitWithOffer = 1290,
    kEventQuitPlain = 1291,
    kEventNewbornContinue = 1340,
    kEventNewbornBack = 1341,
    kEventMakeAlbum = 1400,
    kEventThemeQuit = 1401,
    kEventThemeFirst = 1402,
    kEventThemeLast = 1409,
    kEventProduce = 1700,
    kEventLaunchViewer = 1701,
    kEventAfterViewer = 1702,
    kEventInstallPlayer = 1703,
    kEventInstallPartner = 1704,
};

// The screens' text colours (0xAARRGGBB).
constexpr uint32_t kPanelColour = 0xFFC3BCFC;
constexpr uint32_t kWelcomeColour = 0xFFCDB7DD;
constexpr uint32_t kClearColour = 0xFFFFFF;
