// What the newborn screen collects: boy or girl, the baby's names and details, three initials.
#pragma once

#include <cstdint>
#include <string>

struct KNewbornData {
    static constexpr char kBoyFolder[] = "@boy";
    static constexpr char kGirlFolder[] = "@girl";

    bool fBoy = true;
    std::string fFirst;
    std::string fMiddle;
    std::string fLast;
    std::string fDate;
    std::string fWeight;
    std::string fLength;
    std::string fInitial[3];   // first, middle, last

    /// The three initials joined: empty gives three spaces, one letter " X ", two "X Y",
    /// three or more the joined text.
    std::string InitialsString() const;
    /// The theme's variant folder that goes into the album.
    const char* KeepFolder() const;
    /// Appends "FLDR" and the "@" chunks to the open album, in their fixed order.
    void SaveChunks(int32_t album) const;
};
