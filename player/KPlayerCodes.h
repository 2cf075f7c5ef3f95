// The player's own port events and the places of its art.
#pragma once

#include <cstdint>

// Events the player's buttons post on the application port.
enum : int32_t {
    kEventFirstSlide = 1500,      // control bar: the first slide
    kEventPreviousSlide = 1501,   // control bar: one slide back
    kEventPause = 1502,           // control bar: pause
    kEventPlay = 1503,            // control bar: resume
    kEventNextSlide = 1504,       // control bar: one slide on
    kEventLastSlide = 1505,       // control bar: the last slide
    kEventFullScreen = 1506,      // control bar: full screen on or off
    kEventQuitPlayer = 1507,      // control bar and start page: quit
    kEventPlayAlbum = 1510,       // start page: argument = the album's place in the list
};

/// The player's own art: "Lumorad.xpb" in the program's "Data" folder (where the setup
/// puts it), else beside the program, mounted here.
inline constexpr char kPlayerArtArchive[] = "Lumorad.xpb";
inline constexpr char kPlayerDataFolder[] = "Data:";
inline constexpr char kPlayerArtMount[] = "Binder:Player:";
inline constexpr char kPlayerSprites[] = "Sprites:";
