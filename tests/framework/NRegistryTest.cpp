// Tests of reading and writing registry strings: what missing keys, missing values and long
// values read as.
#include "framework/NRegistry.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

TEST(NRegistryTest, AMissingValueReadsAsTrueAndEmptyAMissingKeyAsFalse)
{
    NTestPrefix prefix;
    std::string text = "stale";
    EXPECT_TRUE(NRegistry::ReadString(kHKeyCurrentUser, kShellFolders, "NoSuchFolder", text));
    EXPECT_EQ(text, "");
    text = "stale";
    EXPECT_FALSE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", text));
    EXPECT_EQ(text, "");
    text = "stale";
    EXPECT_FALSE(NRegistry::ReadString(0x80000005, "Software", "", text));
    EXPECT_EQ(text, "");

    // An empty value cannot be told from a missing one.
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", ""));
    text = "stale";
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "lumora.album\\lastsavedir", "", text));
    EXPECT_EQ(text, "");
}

TEST(NRegistryTest, WrittenStringsReadBackWholeHoweverLong)
{
    NTestPrefix prefix;
    const std::string album = "C:\\Program Files\\Lumora Maker\\My Lumoras";
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", album));
    std::string text;
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", text));
    EXPECT_EQ(text, album);

    for (size_t length : {259u, 260u, 261u, 5000u}) {
        std::string value(length, 'p');
        value[length - 1] = 'z';
        ASSERT_TRUE(NRegistry::WriteString(kHKeyLocalMachine, "Software\\Long", "Value", value));
        EXPECT_TRUE(NRegistry::ReadString(kHKeyLocalMachine, "Software\\Long", "Value", text));
        EXPECT_EQ(text, value) << length;
    }
    EXPECT_TRUE(NRegistry::ReadString(kHKeyCurrentUser, kShellFolders, "AppData", text));
    EXPECT_EQ(text.substr(text.size() - 17), "\\Application Data");
}

TEST(NRegistryTest, NonStringDataReadsOnlyUpToItsEnd)
{
    NTestPrefix prefix;
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    ASSERT_EQ(registry.CreateKey(NHostRegistry::Root(kHKeyClassesRoot), "Lumora.Album", key), kRegSuccess);
    const std::string unterminated(300, 'u');
    ASSERT_EQ(registry.SetValue(key, "Raw", kRegBinary, unterminated.data(), 300), kRegSuccess);
    ASSERT_EQ(registry.SetValue(key, "Short", kRegBinary, "ab", 2), kRegSuccess);
    std::string text;
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album", "Raw", text));
    EXPECT_EQ(text, unterminated);
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album", "Short", text));
    EXPECT_EQ(text, "ab");
}

TEST(NRegistryTest, WriteStringFailsWhenTheRegistryCannotBeWritten)
{
    NTestPrefix prefix;
    NTestPrefix::WriteFile(prefix.Root() / "file", "not a folder");
    setenv("LUMORA_PREFIX", (prefix.Root() / "file" / "prefix").c_str(), 1);
    NHostDrives::The().Reload();
    EXPECT_FALSE(NRegistry::WriteString(kHKeyCurrentUser, "Software\\Lumora", "x", "y"));
    std::string text = "stale";
    EXPECT_FALSE(NRegistry::ReadString(kHKeyCurrentUser, "Software", "x", text));
    EXPECT_EQ(text, "");
}

}   // namespace
