// Tests of loading libraries by host path and of reading components' file versions.
#include "platform/NHostFileVersion.h"
#include "platform/NHostLibrary.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class NHostLibraryTest : public ::testing::Test {
protected:
    // The test component installed under the name the setup program gives its control.
    static void InstallComponent(const NTestPrefix& prefix)
    {
        fs::path target = prefix.DriveC() / "Program Files/Lumora/QipCtrl.dll";
        fs::create_directories(target.parent_path());
        fs::copy_file(LUMORA_TEST_COMPONENT, target);
    }

    // A version record as components carry it: signature, structure version, file version.
    static std::string Record(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision,
                              uint32_t structure = 0x00010000)
    {
        std::string bytes;
        auto put = [&](uint32_t value) {
            for (int byte = 0; byte < 4; ++byte)
                bytes += static_cast<char>((value >> (8 * byte)) & 0xFF);
        };
        put(0xFEEF04BD);
        put(structure);
        put(static_cast<uint32_t>(major) << 16 | minor);
        put(static_cast<uint32_t>(build) << 16 | revision);
        bytes.append(36, '\0');
        return bytes;
    }
};

TEST_F(NHostLibraryTest, EntryPointsAreFoundAndCalled)
{
    NTestPrefix prefix;
    InstallComponent(prefix);
    NHostLibrary library;
    ASSERT_TRUE(library.Load(R"(c:\PROGRAM FILES\lumora\qipctrl.DLL)")) << library.LastError();
    auto twice = library.Find<int (*)(int)>("LumoraTestTwice");
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice(21), 42);
    auto registerServer = library.Find<int (*)()>("DllRegisterServer");
    auto registrations = library.Find<int (*)()>("LumoraTestRegistrations");
    ASSERT_NE(registerServer, nullptr);
    ASSERT_NE(registrations, nullptr);
    EXPECT_EQ(registerServer(), 0);
    EXPECT_EQ(registrations(), 1);
    EXPECT_EQ(library.FindEntry("DllUnregisterServer"), nullptr);

    NHostLibrary moved(std::move(library));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.FindEntry("LumoraTestTwice"), nullptr);
    EXPECT_NE(moved.FindEntry("LumoraTestTwice"), nullptr);
    moved.Unload();
    EXPECT_FALSE(moved.IsLoaded());
}

TEST_F(NHostLibraryTest, WhatIsNoLibraryDoesNotLoad)
{
    NTestPrefix prefix;
    NTestPrefix::WriteFile(prefix.DriveC() / "text.dll", "not a library");
    NHostLibrary library;
    EXPECT_FALSE(library.Load(R"(C:\text.dll)"));
    EXPECT_FALSE(library.LastError().empty());
    EXPECT_FALSE(library.Load(R"(C:\missing.dll)"));
    EXPECT_FALSE(library.Load("relative.dll"));
    EXPECT_FALSE(library.IsLoaded());
}

TEST_F(NHostLibraryTest, FileVersionComesFromTheRecordInABuiltComponent)
{
    NTestPrefix prefix;
    InstallComponent(prefix);
    EXPECT_EQ(NHostFileVersion::Read(R"(C:\Program Files\Lumora\qipctrl.dll)"), (NHostVersion {3, 1, 2024, 7}));
    NTestPrefix::WriteFile(prefix.DriveC() / "plain.exe", std::string(100000, 'x'));
    EXPECT_EQ(NHostFileVersion::Read(R"(C:\plain.exe)"), NHostVersion {});
    EXPECT_EQ(NHostFileVersion::Read(R"(C:\missing.exe)"), NHostVersion {});
}

TEST_F(NHostLibraryTest, FileVersionIsFoundAnywhereAndOnlyWithItsStructureVersion)
{
    NTestPrefix prefix;
    // A record across the boundary of the reader's 64 KiB chunks, after a signature whose
    // structure version is wrong.
    std::string bytes = std::string(1000, 'a') + Record(9, 9, 9, 9, 0x00020000);
    bytes += std::string(65536 - 8 - bytes.size(), 'b') + Record(1, 2, 3, 65535) + Record(4, 4, 4, 4);
    NTestPrefix::WriteFile(prefix.DriveC() / "straddle.dll", bytes);
    EXPECT_EQ(NHostFileVersion::Read(R"(C:\straddle.dll)"), (NHostVersion {1, 2, 3, 65535}));
    EXPECT_EQ(NHostFileVersion::Find(bytes), (NHostVersion {1, 2, 3, 65535}));

    std::string cut = Record(5, 6, 7, 8).substr(0, 15);
    NTestPrefix::WriteFile(prefix.DriveC() / "cut.dll", "xy" + cut);
    EXPECT_EQ(NHostFileVersion::Read(R"(C:\cut.dll)"), NHostVersion {});
    EXPECT_EQ(NHostFileVersion::Find(Record(5, 6, 7, 8).substr(0, 16)), (NHostVersion {5, 6, 7, 8}));
}

}   // namespace
