// Tests of the registry store: seeding, names, values, deletion, and sharing between processes.
#include "platform/NHostRegistry.h"

#include "platform/NHostDrives.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

class NHostRegistryTest : public ::testing::Test {
protected:
    NHostRegistry& fRegistry = NHostRegistry::The();

    NHostRegKey Create(uint32_t root, const std::string& path)
    {
        NHostRegKey key;
        EXPECT_EQ(fRegistry.CreateKey(NHostRegistry::Root(root), path, key), kRegSuccess) << path;
        return key;
    }

    std::string String(const NHostRegKey& key, const std::string& name)
    {
        std::string text(1024, '\0');
        uint32_t size = static_cast<uint32_t>(text.size());
        uint32_t type = kRegNone;
        if (fRegistry.QueryValue(key, name, &type, text.data(), &size) != kRegSuccess || type != kRegSz)
            return "(none)";
        text.resize(size);
        return text.substr(0, text.find('\0'));
    }

    std::string Value(uint32_t root, const std::string& path, const std::string& name)
    {
        NHostRegKey key;
        if (fRegistry.OpenKey(NHostRegistry::Root(root), path, key) != kRegSuccess)
            return "(no key)";
        return String(key, name);
    }

    std::vector<std::string> SubKeys(const NHostRegKey& key)
    {
        std::vector<std::string> names;
        std::string name;
        for (uint32_t index = 0; fRegistry.EnumKey(key, index, name) == kRegSuccess; ++index)
            names.push_back(name);
        return names;
    }

    static int Wait(pid_t child)
    {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(NHostRegistryTest, NewPrefixIsSeededAsAFreshSystem)
{
    NTestPrefix prefix;
    std::string user = NHostDrives::The().UserName();
    EXPECT_EQ(Value(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"),
              "C:\\Program Files");
    const std::string folders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const struct {
        const char* fValue;
        std::string fFolder;
    } expected[] = {
        {"AppData", "C:\\users\\" + user + "\\Application Data"},
        {"Desktop", "C:\\users\\" + user + "\\Desktop"},
        {"Programs", "C:\\users\\" + user + "\\Start Menu\\Programs"},
        {"Personal", "C:\\users\\" + user + "\\My Documents"},
    };
    for (const auto& entry : expected) {
        EXPECT_EQ(Value(kHKeyCurrentUser, folders, entry.fValue), entry.fFolder);
        std::string linux;
        ASSERT_TRUE(NHostDrives::The().ToLinux(entry.fFolder, linux));
        EXPECT_TRUE(fs::is_directory(linux)) << linux;
    }
    EXPECT_TRUE(fs::exists(prefix.Prefix() / "registry.db"));
}

TEST_F(NHostRegistryTest, NamesCompareWithoutCaseAndKeepTheCaseTheyWereCreatedWith)
{
    NTestPrefix prefix;
    NHostRegKey created = Create(kHKeyCurrentUser, "Software\\Lumora\\Caf\xE9 Settings");
    bool made = true;
    NHostRegKey again;
    ASSERT_EQ(fRegistry.CreateKey(NHostRegistry::Root(kHKeyCurrentUser), "SOFTWARE\\LUMORA\\CAF\xC9 SETTINGS\\", again,
                                  &made),
              kRegSuccess);
    EXPECT_FALSE(made);
    EXPECT_EQ(again.fId, created.fId);
    NHostRegKey opened;
    ASSERT_EQ(fRegistry.OpenKey(NHostRegistry::Root(kHKeyCurrentUser), "software\\\\lumora\\caf\xE9 settings", opened),
              kRegSuccess);
    EXPECT_EQ(opened.fId, created.fId);
    std::string path;
    ASSERT_EQ(fRegistry.KeyPath(opened, path), kRegSuccess);
    EXPECT_EQ(path, "HKEY_CURRENT_USER\\Software\\Lumora\\Caf\xE9 Settings");

    ASSERT_EQ(fRegistry.SetString(created, "LastSaveDir", "C:\\Albums"), kRegSuccess);
    ASSERT_EQ(fRegistry.SetString(opened, "LASTSAVEDIR", "D:\\Albums"), kRegSuccess);
    EXPECT_EQ(String(created, "lastsavedir"), "D:\\Albums");
    std::string name;
    std::string data;
    uint32_t type = kRegNone;
    ASSERT_EQ(fRegistry.EnumValue(created, 0, name, type, data), kRegSuccess);
    EXPECT_EQ(name, "LastSaveDir");
    EXPECT_EQ(fRegistry.EnumValue(created, 1, name, type, data), kRegNoMoreItems);

    // The roots are the same keys under either name; other roots differ.
    uint32_t root = 0;
    ASSERT_TRUE(NHostRegistry::ParseRoot("hkcu", root));
    EXPECT_EQ(Value(root, "software\\lumora\\CAF\xC9 SETTINGS", "LastSaveDir"), "D:\\Albums");
    ASSERT_TRUE(NHostRegistry::ParseRoot("Hkey_Local_Machine", root));
    EXPECT_EQ(root, kHKeyLocalMachine);
    EXPECT_EQ(Value(kHKeyLocalMachine, "Software\\Lumora\\Caf\xE9 Settings", "LastSaveDir"), "(no key)");
    EXPECT_FALSE(NHostRegistry::ParseRoot("HKEY_USERS", root));
}

TEST_F(NHostRegistryTest, QueryAsksForMoreRoomAndReportsTheSizeNeeded)
{
    NTestPrefix prefix;
    NHostRegKey key = Create(kHKeyClassesRoot, "Lumora.Album\\shell\\open\\command");
    std::string command = "\"C:\\Program Files\\Lumora\\Lumora.exe\" \"%1\"" + std::string(300, 'x');
    ASSERT_EQ(fRegistry.SetString(key, "", command), kRegSuccess);

    std::vector<char> buffer(260);
    uint32_t size = static_cast<uint32_t>(buffer.size());
    uint32_t type = kRegNone;
    EXPECT_EQ(fRegistry.QueryValue(key, "", &type, buffer.data(), &size), kRegMoreData);
    EXPECT_EQ(size, command.size() + 1);
    uint32_t sizeOnly = 0;
    EXPECT_EQ(fRegistry.QueryValue(key, "", nullptr, nullptr, &sizeOnly), kRegSuccess);
    EXPECT_EQ(sizeOnly, command.size() + 1);
    buffer.resize(size);
    ASSERT_EQ(fRegistry.QueryValue(key, "", &type, buffer.data(), &size), kRegSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(std::string(buffer.data()), command);

    EXPECT_EQ(fRegistry.QueryValue(key, "Missing", &type, buffer.data(), &size), kRegFileNotFound);
    EXPECT_EQ(fRegistry.QueryValue(key, "", &type, buffer.data(), nullptr), kRegInvalidParameter);
}

TEST_F(NHostRegistryTest, DwordsAndOtherTypesKeepTheirTypeAndBytes)
{
    NTestPrefix prefix;
    NHostRegKey key = Create(kHKeyClassesRoot, "Lumora.Album");
    ASSERT_EQ(fRegistry.SetDword(key, "EditFlags", 0x10000), kRegSuccess);
    unsigned char bytes[8] = {};
    uint32_t size = sizeof bytes;
    uint32_t type = kRegNone;
    ASSERT_EQ(fRegistry.QueryValue(key, "editflags", &type, bytes, &size), kRegSuccess);
    EXPECT_EQ(type, kRegDword);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24, 0x10000);

    const char binary[] = {'\0', '\x01', '\xFF'};
    ASSERT_EQ(fRegistry.SetValue(key, "Blob", kRegBinary, binary, sizeof binary), kRegSuccess);
    ASSERT_EQ(fRegistry.SetValue(key, "Empty", kRegSz, nullptr, 0), kRegSuccess);
    std::string name;
    std::string data;
    ASSERT_EQ(fRegistry.EnumValue(key, 1, name, type, data), kRegSuccess);
    EXPECT_EQ(name, "Blob");
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(data, std::string(binary, sizeof binary));
    size = sizeof bytes;
    EXPECT_EQ(fRegistry.QueryValue(key, "Empty", &type, bytes, &size), kRegSuccess);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(fRegistry.SetValue(key, "Bad", kRegBinary, nullptr, 4), kRegInvalidParameter);

    // Setting a value again replaces its type and keeps its place in the order.
    ASSERT_EQ(fRegistry.SetString(key, "EditFlags", "text"), kRegSuccess);
    ASSERT_EQ(fRegistry.EnumValue(key, 0, name, type, data), kRegSuccess);
    EXPECT_EQ(name, "EditFlags");
    EXPECT_EQ(type, kRegSz);
}

TEST_F(NHostRegistryTest, SubKeysEnumerateInNameOrder)
{
    NTestPrefix prefix;
    NHostRegKey parent = Create(kHKeyLocalMachine, "Software\\Order");
    for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2"})
        Create(kHKeyLocalMachine, std::string("Software\\Order\\") + name);
    EXPECT_EQ(SubKeys(parent), (std::vector<std::string> {"Alpha", "ALPHA2", "beta", "gamma"}));
    std::string name;
    EXPECT_EQ(fRegistry.EnumKey(parent, 4, name), kRegNoMoreItems);
}

TEST_F(NHostRegistryTest, DeletingKeysAndValues)
{
    NTestPrefix prefix;
    NHostRegKey root = NHostRegistry::Root(kHKeyCurrentUser);
    NHostRegKey app = Create(kHKeyCurrentUser, "Software\\App");
    NHostRegKey child = Create(kHKeyCurrentUser, "Software\\App\\Child\\Grandchild");
    ASSERT_EQ(fRegistry.SetString(child, "Name", "x"), kRegSuccess);
    ASSERT_EQ(fRegistry.SetString(app, "Keep", "y"), kRegSuccess);

    EXPECT_EQ(fRegistry.DeleteValue(app, "keep"), kRegSuccess);
    EXPECT_EQ(fRegistry.DeleteValue(app, "keep"), kRegFileNotFound);
    EXPECT_EQ(fRegistry.DeleteKey(root, "Software\\App"), kRegAccessDenied);   // has sub-keys
    EXPECT_EQ(fRegistry.DeleteKey(root, "Software\\App\\Child\\Grandchild"), kRegSuccess);
    EXPECT_EQ(fRegistry.QueryValue(child, "Name", nullptr, nullptr, nullptr), kRegKeyDeleted);
    Create(kHKeyCurrentUser, "Software\\App\\Child\\Grandchild\\Deeper");
    EXPECT_EQ(fRegistry.DeleteTree(root, "software\\app"), kRegSuccess);
    EXPECT_EQ(Value(kHKeyCurrentUser, "Software\\App\\Child", ""), "(no key)");
    EXPECT_EQ(fRegistry.SetString(app, "Late", "z"), kRegKeyDeleted);
    EXPECT_EQ(fRegistry.DeleteTree(root, "Software\\App"), kRegFileNotFound);

    // A new key of the same name is another key: the old handle stays dead.
    NHostRegKey reborn = Create(kHKeyCurrentUser, "Software\\App");
    EXPECT_NE(reborn.fId, app.fId);
    EXPECT_EQ(fRegistry.QueryValue(app, "", nullptr, nullptr, nullptr), kRegKeyDeleted);

    EXPECT_EQ(fRegistry.DeleteTree(root, ""), kRegAccessDenied);
    EXPECT_EQ(Value(kHKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    "Desktop")
                  .substr(0, 9),
              "C:\\users\\");
}

TEST_F(NHostRegistryTest, HandlesAreRefusedWhenNotOpenOrFromAnotherPrefix)
{
    NHostRegKey closed;
    NTestPrefix first;
    NHostRegKey key = Create(kHKeyCurrentUser, "Software\\First");
    ASSERT_EQ(fRegistry.SetString(key, "Where", "first"), kRegSuccess);
    EXPECT_EQ(fRegistry.SetString(closed, "x", "y"), kRegInvalidHandle);
    EXPECT_EQ(fRegistry.OpenKey(NHostRegistry::Root(0x80000003), "x", closed), kRegInvalidHandle);
    {
        NTestPrefix second;
        EXPECT_EQ(fRegistry.SetString(key, "Where", "second"), kRegInvalidHandle);
        EXPECT_EQ(Value(kHKeyCurrentUser, "Software\\First", "Where"), "(no key)");
    }
    // Back in the first prefix the registry file still holds its values, but the handle
    // belonged to a connection that has ended.
    EXPECT_EQ(Value(kHKeyCurrentUser, "Software\\First", "Where"), "first");
    fRegistry.CloseKey(key);
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(NHostRegistryTest, ADatabaseThatCannotBeMadeFailsEveryCall)
{
    NTestPrefix prefix;
    NTestPrefix::WriteFile(prefix.Root() / "file", "not a folder");
    setenv("LUMORA_PREFIX", (prefix.Root() / "file" / "prefix").c_str(), 1);
    NHostDrives::The().Reload();
    NHostRegKey key;
    EXPECT_EQ(fRegistry.CreateKey(NHostRegistry::Root(kHKeyCurrentUser), "Software", key), kRegIoFailed);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(fRegistry.OpenKey(NHostRegistry::Root(kHKeyCurrentUser), "Software", key), kRegIoFailed);
}

TEST_F(NHostRegistryTest, TwoProcessesWritingAtOnceLoseNoWrite)
{
    NTestPrefix prefix;
    constexpr int kCount = 300;
    NHostRegKey greeting = Create(kHKeyCurrentUser, "Software\\FromTest");
    ASSERT_EQ(fRegistry.SetString(greeting, "Greeting", "hello"), kRegSuccess);

    std::vector<pid_t> writers;
    for (const char* name : {"alpha", "beta"}) {
        std::string count = std::to_string(kCount);
        char* argv[] = {const_cast<char*>(LUMORA_REGISTRY_WRITER), const_cast<char*>(name), count.data(),
                        const_cast<char*>("2"), nullptr};
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, LUMORA_REGISTRY_WRITER, nullptr, nullptr, argv, environ), 0);
        writers.push_back(child);
    }
    for (pid_t child : writers)
        EXPECT_EQ(Wait(child), 0);

    for (const std::string name : {"alpha", "beta"}) {
        NHostRegKey own;
        ASSERT_EQ(fRegistry.OpenKey(NHostRegistry::Root(kHKeyCurrentUser), "Software\\Writers\\" + name, own),
                  kRegSuccess);
        std::set<std::string> seen;
        std::string value;
        std::string data;
        uint32_t type = kRegNone;
        for (uint32_t index = 0; fRegistry.EnumValue(own, index, value, type, data) == kRegSuccess; ++index)
            seen.insert(value + "=" + data.substr(0, data.size() - 1));
        EXPECT_EQ(seen.size(), static_cast<size_t>(kCount)) << name;
        for (int at = 0; at < kCount; at += 37)
            EXPECT_EQ(seen.count("Value" + std::to_string(at) + "=" + name + std::to_string(at)), 1u) << at;
    }
    NHostRegKey shared;
    ASSERT_EQ(fRegistry.OpenKey(NHostRegistry::Root(kHKeyCurrentUser), "Software\\Shared", shared), kRegSuccess);
    std::vector<std::string> keys = SubKeys(shared);
    EXPECT_EQ(keys.size(), static_cast<size_t>(kCount));
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size());
    NHostRegKey last;
    ASSERT_EQ(fRegistry.OpenKey(shared, "KEY" + std::to_string(kCount - 1), last), kRegSuccess);
    for (const char* name : {"alpha", "beta"}) {
        uint32_t size = 0;
        EXPECT_EQ(fRegistry.QueryValue(last, name, nullptr, nullptr, &size), kRegSuccess) << name;
        EXPECT_EQ(size, 4u);
    }
}

TEST_F(NHostRegistryTest, AWriterThatCannotReadTheTestsValueFails)
{
    // The writer checks the greeting first, so the test above cannot pass on writers that
    // ignore the shared database.
    NTestPrefix prefix;
    char* argv[] = {const_cast<char*>(LUMORA_REGISTRY_WRITER), const_cast<char*>("solo"), const_cast<char*>("1"),
                    const_cast<char*>("1"), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, LUMORA_REGISTRY_WRITER, nullptr, nullptr, argv, environ), 0);
    EXPECT_EQ(Wait(child), 3);
}

}   // namespace
