// Tests of shell-link files: their bytes, and the host format as an independent reader sees it.
#include "platform/NHostShellLink.h"

#include "platform/NHostDrives.h"
#include "platform/NHostProcess.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class NHostShellLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fLnkinfo = NHostProcess::FindProgram("lnkinfo");
        fDesktop = "C:\\users\\" + NHostDrives::The().UserName() + "\\Desktop\\";
    }

    // The "name : value" lines of lnkinfo's report on a link file.
    std::map<std::string, std::string> Report(const fs::path& link)
    {
        std::string output;
        int exitCode = -1;
        EXPECT_TRUE(NHostProcess::Run({fLnkinfo, link.string()}, output, exitCode));
        EXPECT_EQ(exitCode, 0) << output;
        std::map<std::string, std::string> fields;
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);) {
            size_t colon = line.find(": ");
            size_t start = line.find_first_not_of('\t');
            if (colon == std::string::npos || start >= colon)
                continue;
            size_t end = line.find_last_not_of("\t ", colon - 1);
            fields[line.substr(start, end + 1 - start)] = line.substr(colon + 2);
        }
        return fields;
    }

    static uint32_t U32(const std::string& bytes, size_t at)
    {
        uint32_t value = 0;
        for (size_t byte = 0; byte < 4; ++byte)
            value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + byte])) << (8 * byte);
        return value;
    }

    std::string fLnkinfo;
    std::string fDesktop;
};

TEST_F(NHostShellLinkTest, HeaderCarriesTheFormatsMarksAndTheTargetsAttributes)
{
    NTestPrefix prefix;
    fs::create_directories(prefix.DriveC() / "Program Files/Lumora Maker/My Lumoras");
    NHostShellLink link;
    link.SetPath(R"(C:\Program Files\Lumora Maker\My Lumoras)");
    link.SetDescription("My Lumoras");
    std::string bytes;
    ASSERT_TRUE(link.Build(fDesktop + "My Lumoras.lnk", bytes));
    ASSERT_GE(bytes.size(), 76u);
    EXPECT_EQ(U32(bytes, 0), 0x4Cu);
    EXPECT_EQ(bytes.substr(4, 16), std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16));
    EXPECT_EQ(U32(bytes, 20), 0x02u | 0x04u | 0x08u | 0x80u);   // link info, name, relative path, UTF-16
    EXPECT_EQ(U32(bytes, 24), 0x10u);                           // a folder
    EXPECT_NE(U32(bytes, 44) | U32(bytes, 48), 0u);             // its write time
    EXPECT_EQ(U32(bytes, 60), 1u);                              // shown normally
    EXPECT_EQ(U32(bytes, bytes.size() - 4), 0u);                // terminal block
    EXPECT_EQ(U32(bytes, 76 + 8), 1u);                          // local path with volume
    EXPECT_EQ(bytes.find(std::string("C:\\Program Files\\Lumora Maker\\My Lumoras\0", 41), 76), 76u + 28 + 17);

    EXPECT_EQ(link.Save(fDesktop + "My Lumoras.lnk"), kLinkOk);
    EXPECT_EQ(NTestPrefix::ReadFile(prefix.DriveC() / "users" / NHostDrives::The().UserName() / "Desktop/My Lumoras.lnk"),
              bytes);
}

TEST_F(NHostShellLinkTest, LnkinfoReadsBackTargetDescriptionFolderAndArguments)
{
    if (fLnkinfo.empty())
        GTEST_SKIP() << "lnkinfo (package liblnk-utils) is not installed";
    NTestPrefix prefix;
    NTestPrefix::WriteFile(prefix.DriveC() / "Program Files/PSWPorts/PSWView.exe", std::string(1234, 'x'));
    NHostShellLink link;
    link.SetPath(R"(C:\Program Files\PSWPorts\PSWView.exe)");
    link.SetDescription("Posewell caf\xE9 \x80");
    link.SetWorkingDirectory(R"(C:\Program Files\PSWPorts)");
    link.SetArguments(R"(-l "C:\My Albums\a.Qip")");
    ASSERT_EQ(link.Save(fDesktop + "Posewell.lnk"), kLinkOk);
    auto fields = Report(prefix.DriveC() / "users" / NHostDrives::The().UserName() / "Desktop/Posewell.lnk");
    EXPECT_EQ(fields["Local path"], R"(C:\Program Files\PSWPorts\PSWView.exe)");
    EXPECT_EQ(fields["Description"], "Posewell caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(fields["Relative path"], R"(..\..\..\Program Files\PSWPorts\PSWView.exe)");
    EXPECT_EQ(fields["Working directory"], R"(C:\Program Files\PSWPorts)");
    EXPECT_EQ(fields["Command line arguments"], R"(-l "C:\My Albums\a.Qip")");
    EXPECT_EQ(fields["File size"], "1234 bytes");
    EXPECT_EQ(fields["Drive type"], "Fixed (3)");

    // Saving again replaces the file; a shorter link leaves nothing of the longer one.
    NHostShellLink shorter;
    shorter.SetPath(R"(C:\Program Files\PSWPorts\PSWView.exe)");
    ASSERT_EQ(shorter.Save(fDesktop + "Posewell.lnk"), kLinkOk);
    fields = Report(prefix.DriveC() / "users" / NHostDrives::The().UserName() / "Desktop/Posewell.lnk");
    EXPECT_EQ(fields.count("Description"), 0u);
    EXPECT_EQ(fields.count("Command line arguments"), 0u);
    EXPECT_EQ(fields["Local path"], R"(C:\Program Files\PSWPorts\PSWView.exe)");
}

TEST_F(NHostShellLinkTest, LnkinfoReadsNetworkAndRemovableTargets)
{
    if (fLnkinfo.empty())
        GTEST_SKIP() << "lnkinfo (package liblnk-utils) is not installed";
    NTestPrefix prefix(R"(\\Studio\Photos=%ROOT%/net:remote;D=%ROOT%/stick:removable)");
    NTestPrefix::WriteFile(prefix.Root() / "net/Summer/a.jpg", "jpeg");
    NTestPrefix::WriteFile(prefix.Root() / "stick/Images/b.jpg", "jpeg");
    NHostShellLink network;
    network.SetPath(R"(\\studio\photos\Summer\a.jpg)");
    ASSERT_EQ(network.Save(R"(C:\a.lnk)"), kLinkOk);
    auto fields = Report(prefix.DriveC() / "a.lnk");
    EXPECT_EQ(fields["Network path"], R"(\\STUDIO\PHOTOS\Summer\a.jpg)");
    EXPECT_EQ(fields.count("Relative path"), 0u);

    NHostShellLink removable;
    removable.SetPath(R"(D:\Images\.\x\..\b.jpg)");
    ASSERT_EQ(removable.Save(R"(D:\Images\b.lnk)"), kLinkOk);
    fields = Report(prefix.Root() / "stick/Images/b.lnk");
    EXPECT_EQ(fields["Local path"], R"(D:\Images\b.jpg)");
    EXPECT_EQ(fields["Drive type"], "Removable (2)");
    EXPECT_EQ(fields["Relative path"], R"(.\b.jpg)");
}

TEST_F(NHostShellLinkTest, BadPathsAreRefusedWithTheHostsStatus)
{
    NTestPrefix prefix;
    NHostShellLink link;
    link.SetPath(R"(C:\target.exe)");
    EXPECT_EQ(link.Save(R"(C:\no such folder\x.lnk)"), kLinkPathNotFound);
    EXPECT_EQ(link.Save("relative.lnk"), kLinkInvalidArgument);
    EXPECT_EQ(link.Save(R"(C:\)"), kLinkInvalidArgument);
    fs::create_directories(prefix.DriveC() / "folder.lnk");
    EXPECT_EQ(link.Save(R"(C:\folder.lnk)"), kLinkAccessDenied);
    link.SetPath("target.exe");
    EXPECT_EQ(link.Save(R"(C:\x.lnk)"), kLinkInvalidArgument);
    EXPECT_FALSE(fs::exists(prefix.DriveC() / "x.lnk"));
}

}   // namespace
