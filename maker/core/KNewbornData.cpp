// What the newborn screen collects, and the album chunks made of it.
#include "maker/core/KNewbornData.h"

#include "maker/core/KMakerTags.h"

#include "qipbuild.h"

std::string KNewbornData::InitialsString() const
{
    std::string joined = fInitial[0] + fInitial[1] + fInitial[2];
    switch (joined.size()) {
    case 0:
        return "   ";
    case 1:
        return " " + joined + " ";
    case 2:
        return std::string(1, joined[0]) + " " + joined[1];
    default:
        return joined;
    }
}

const char* KNewbornData::KeepFolder() const
{
    return fBoy ? kBoyFolder : kGirlFolder;
}

void KNewbornData::SaveChunks(int32_t album) const
{
    QLA_SaveAlbumString(album, kTagFolder, KeepFolder());
    QLA_SaveAlbumString(album, kTagFirstName, fFirst.c_str());
    QLA_SaveAlbumString(album, kTagMiddleName, fMiddle.c_str());
    QLA_SaveAlbumString(album, kTagLastName, fLast.c_str());
    QLA_SaveAlbumString(album, kTagBirthDate, fDate.c_str());
    QLA_SaveAlbumString(album, kTagWeight, fWeight.c_str());
    QLA_SaveAlbumString(album, kTagLength, fLength.c_str());
    QLA_SaveAlbumString(album, kTagInitials, InitialsString().c_str());
}
