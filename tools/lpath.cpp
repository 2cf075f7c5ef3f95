// lpath: shows the drive table and converts paths between Linux and host form.
#include "platform/NHostDrives.h"

#include <cstdio>
#include <cstring>
#include <string>

static const char* TypeName(int type)
{
    switch (type) {
    case kDriveRemovable: return "removable";
    case kDriveFixed: return "fixed";
    case kDriveRemote: return "remote";
    case kDriveCdrom: return "cdrom";
    case kDriveRamdisk: return "ramdisk";
    default: return "unknown";
    }
}

static const char kUsage[] =
    "usage: lpath drives            list the drive table\n"
    "       lpath host LINUXPATH    print the host form of a Linux path\n"
    "       lpath linux HOSTPATH    print the Linux path of a host path\n";

static int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0
        || (argc >= 3 && std::strcmp(argv[2], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const NHostDrives& drives = NHostDrives::The();
    if (std::strcmp(argv[1], "drives") == 0 && argc == 2) {
        std::printf("prefix %s\n", drives.Prefix().c_str());
        for (const NHostDrive& drive : drives.Drives())
            std::printf("%-20s %-10s %s\n", drive.fRoot.c_str(), TypeName(drive.fType), drive.fFolder.c_str());
        return 0;
    }
    if (std::strcmp(argv[1], "host") == 0 && argc == 3) {
        std::printf("%s\n", drives.ToHost(argv[2]).c_str());
        return 0;
    }
    if (std::strcmp(argv[1], "linux") == 0 && argc == 3) {
        std::string linux;
        if (!drives.ToLinux(argv[2], linux)) {
            std::fprintf(stderr, "lpath: %s: no such drive or not a host path\n", argv[2]);
            return 1;
        }
        std::printf("%s\n", linux.c_str());
        return 0;
    }
    return Usage();
}
