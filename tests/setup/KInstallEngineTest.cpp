// The install engine over a payload folder: files, registry values, shortcuts, reruns.
#include "setup/KInstallEngine.h"

#include "framework/NRegistry.h"
#include "platform/NHostFileSystem.h"
#include "platform/NHostRegistry.h"
#include "setup/KComponent.h"
#include "setup/KInstallFailed.h"
#include "tests/setup/KSetupTestSupport.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <map>

using namespace setuptest;

namespace {

constexpr int32_t kTime = 1262304000;
const NHostVersion kVersion {3, 0, 0, 1};

struct Value {
    uint32_t fRoot;
    std::string fKey, fName, fText;
};

class KInstallEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream control(LUMORA_TEST_COMPONENT, std::ios::binary);
        fControlBytes.assign(std::istreambuf_iterator<char>(control), {});
        WritePayload(kVersion);
    }

    void WritePayload(const NHostVersion& version, const std::string& flavour = "")
    {
        for (const char* name : {"Lumorad.dll", "Lumora.exe", "Lumora.scr", "mss32.dll", "mp3dec.asi", "Lumorad.xpb",
                                 "Uninstall Lumora Player.exe"}) {
            fData[name] = WithVersion(std::string(name) + flavour + std::string(1000, 'x'), version);
            WriteContainer(NFileSpec(fSource, name, false), fData[name], version, kTime, name[0] == 'm');
        }
        fData["QipCtrl.dll"] = WithVersion(fControlBytes, version);
        WriteContainer(NFileSpec(fSource, "QipCtrl.dll", false), fData["QipCtrl.dll"], version, kTime);
    }

    bool RunEngine(int* steps = nullptr, KInstallSettings settings = {})
    {
        KInstallEngine engine(fTarget, fSource, settings, true);
        int count = 0;
        engine.fAdvance = [&count] { ++count; };
        bool ok = engine.Run();
        fLog = engine.Log().Lines();
        fFailure = engine.FailureCode();
        fStage = engine.Stage();
        if (steps)
            *steps = count;
        return ok;
    }

    std::string Host(const std::string& name) const { return NFileSpec(fTarget, name, false).HostPath(); }

    static std::string Read(uint32_t root, const std::string& key, const std::string& name)
    {
        std::string text;
        NRegistry::ReadString(root, key, name, text);
        return text;
    }

    std::string UserFolder(const char* value)
    {
        return Read(kHKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", value);
    }

    NTestPrefix fPrefix;
    DesktopHome fHome;   // after the prefix, whose own desktop folders it replaces
    NFDirSpec fSource = HostDir("C:\\Payload\\");
    NFDirSpec fTarget = HostDir("C:\\Program Files\\Lumora\\");
    std::string fControlBytes;
    std::map<std::string, std::string> fData;
    std::vector<std::string> fLog;
    int32_t fFailure = 0;
    KInstallStage fStage = KInstallStage::kFiles;
};

TEST_F(KInstallEngineTest, FreshInstallWritesFilesValuesAndShortcuts)
{
    int steps = 0;
    ASSERT_TRUE(RunEngine(&steps));
    EXPECT_EQ(steps, KInstallEngine::kProgressSteps);
    EXPECT_EQ(fStage, KInstallStage::kDone);

    for (const auto& [name, bytes] : fData) {
        std::string host = name == "Lumorad.xpb" ? NFileSpec(fTarget.SubDir("Data:"), name, false).HostPath() : Host(name);
        EXPECT_EQ(ReadBytes(host), bytes) << name;
        NHostStat status;
        ASSERT_TRUE(NHostFileSystem::Stat(host, status)) << name;
        EXPECT_EQ(status.fModTime, kTime) << name;
    }

    const std::string player = "C:\\Program Files\\Lumora\\Lumora.exe";
    const std::string albums = "C:\\Program Files\\Lumora\\Lumora Maker\\My Lumoras";
    const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall Lumora Player.exe";
    const std::string appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const std::string browser = "Software\\Netscape\\Netscape Navigator\\";
    const Value expected[] = {
        { kHKeyClassesRoot, "Lumora.Album\\Version", "Player", "3,0,0,1" },
        { kHKeyClassesRoot, "Lumora.Album\\Version", "QipCtrl", "3,0,0,1" },
        { kHKeyLocalMachine, "SOFTWARE\\Veltra\\Lumora\\3.0", "", "3.0" },
        { kHKeyLocalMachine, appPaths + "Lumora.exe", "", player },
        { kHKeyLocalMachine, appPaths + "Lumora.exe", "Path", "C:\\Program Files\\Lumora" },
        { kHKeyLocalMachine, appPaths + "Lumora Player.exe", "", player },
        { kHKeyLocalMachine, appPaths + "Lumora Player.exe", "Path", "C:\\Program Files\\Lumora" },
        { kHKeyCurrentUser, browser + "User Trusted External Applications", player, "yes" },
        { kHKeyCurrentUser, browser + "Suffixes", "application/x-lumora", "qip" },
        { kHKeyCurrentUser, browser + "Viewers", "application/x-lumora", player },
        { kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", albums },
        { kHKeyClassesRoot, ".Qip", "", "Lumora.Album" },
        { kHKeyClassesRoot, ".Qip", "Content Type", "application/x-lumora" },
        { kHKeyClassesRoot, "Lumora.Album", "", "Lumora slideshow" },
        { kHKeyClassesRoot, "Lumora.Album\\DefaultIcon", "", player + ",1" },
        { kHKeyClassesRoot, "Lumora.Album\\shell\\open\\command", "", "\"" + player + "\" \"%1\"" },
        { kHKeyClassesRoot, "Lumora.Album\\QipChain", "", "" },
        { kHKeyLocalMachine, uninstall, "DisplayName", "Lumora Player" },
        { kHKeyLocalMachine, uninstall, "UninstallString",
          "\"C:\\Program Files\\Lumora\\Uninstall Lumora Player.exe\" \"Uninstall Lumora Player.exe\"" },
        { kHKeyLocalMachine, uninstall, "PlayerLnk", "Lumora Player" },
        { kHKeyLocalMachine, uninstall, "MyQip", "My Lumoras" },
        { kHKeyLocalMachine, uninstall, "Prompt", "Do you want to uninstall this program?" },
        { kHKeyLocalMachine, uninstall, "Notification", "The program has been uninstalled.  Press 'OK' to continue." },
        // The control registered itself through its entry point.
        { kHKeyClassesRoot, "QipCtrl.Control\\CLSID", "", "{51504354-524C-0000-0000-4C554D4F5241}" },
    };
    for (const Value& value : expected)
        EXPECT_EQ(Read(value.fRoot, value.fKey, value.fName), value.fText) << value.fKey << " [" << value.fName << "]";

    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    ASSERT_EQ(registry.OpenKey(NHostRegistry::Root(kHKeyClassesRoot), "Lumora.Album", key), kRegSuccess);
    uint32_t flags = 0, size = sizeof flags, type = 0;
    ASSERT_EQ(registry.QueryValue(key, "EditFlags", &type, &flags, &size), kRegSuccess);
    EXPECT_EQ(type, uint32_t(kRegDword));
    EXPECT_EQ(flags, 0x10000u);

    for (const std::string& link : {UserFolder("Desktop") + "\\Lumora Player.lnk", UserFolder("Programs") + "\\Lumora\\Lumora Player.lnk",
                                    UserFolder("Desktop") + "\\My Lumoras.lnk", UserFolder("Programs") + "\\Lumora\\My Lumoras.lnk"}) {
        std::string bytes = ReadBytes(link);
        EXPECT_GT(bytes.size(), 76u) << link;
        EXPECT_NE(bytes.find(link.find("My Lumoras") != std::string::npos ? "My Lumoras" : "Lumora.exe"), std::string::npos) << link;
    }
    EXPECT_TRUE(NFileSpec(fTarget.SubDir("Lumora Maker:My Lumoras:"), "x.xxx").Dir().Exists());
}

TEST_F(KInstallEngineTest, SecondRunOverSameVersionsReinstallsAndRewrites)
{
    ASSERT_TRUE(RunEngine());
    for (const auto& [name, bytes] : fData)
        if (name != "Lumorad.xpb")
            NHostFileSystem::SetModTime(Host(name), 1);
    NRegistry::WriteString(kHKeyClassesRoot, ".Qip", "Content Type", "text/plain");
    NRegistry::WriteString(kHKeyLocalMachine, "SOFTWARE\\Veltra\\Lumora\\3.0", "", "2.0");
    ASSERT_TRUE(RunEngine());
    for (const auto& [name, bytes] : fData) {
        if (name == "Lumorad.xpb")
            continue;
        NHostStat status;
        ASSERT_TRUE(NHostFileSystem::Stat(Host(name), status));
        EXPECT_EQ(status.fModTime, kTime) << name << " was not reinstalled";
    }
    EXPECT_EQ(Read(kHKeyClassesRoot, ".Qip", "Content Type"), "application/x-lumora");
    EXPECT_EQ(Read(kHKeyLocalMachine, "SOFTWARE\\Veltra\\Lumora\\3.0", ""), "3.0");
}

TEST_F(KInstallEngineTest, NewerInstallationKeepsItsFiles)
{
    WritePayload({3, 1, 0, 0}, "-newer");
    ASSERT_TRUE(RunEngine());
    WritePayload(kVersion, "-older");
    ASSERT_TRUE(RunEngine());
    for (const char* name : {"Lumorad.dll", "Lumora.exe", "Lumora.scr", "mss32.dll"})
        EXPECT_NE(ReadBytes(Host(name)).find("-newer"), std::string::npos) << name;
    EXPECT_EQ(Read(kHKeyClassesRoot, "Lumora.Album\\Version", "Player"), "3,1,0,0");

    // Without the support files the player library goes in by force, and so does the rest.
    NFileSpec(fTarget, "mss32.dll", false).Delete();
    ASSERT_TRUE(RunEngine());
    EXPECT_NE(ReadBytes(Host("Lumorad.dll")).find("-older"), std::string::npos);
    EXPECT_NE(ReadBytes(Host("mss32.dll")).find("-older"), std::string::npos);
}

TEST_F(KInstallEngineTest, AnotherProgramsAssociationIsChained)
{
    NRegistry::WriteString(kHKeyClassesRoot, ".Qip", "", "Other.Viewer");
    NRegistry::WriteString(kHKeyClassesRoot, "Other.Viewer\\DefaultIcon", "", "C:\\Other\\viewer.exe,3");
    NHostRegKey key;
    ASSERT_EQ(NHostRegistry::The().CreateKey(NHostRegistry::Root(kHKeyClassesRoot), "Lumora.Album", key), kRegSuccess);
    NHostRegistry::The().SetDword(key, "EditFlags", 0x1);
    ASSERT_TRUE(RunEngine());
    EXPECT_EQ(Read(kHKeyClassesRoot, "Lumora.Album\\QipChain", ""), "Other.Viewer");
    EXPECT_EQ(Read(kHKeyClassesRoot, "Lumora.Album\\DefaultIcon", ""), "C:\\Other\\viewer.exe,3");
    EXPECT_EQ(Read(kHKeyClassesRoot, ".Qip", ""), "Lumora.Album");
    uint32_t flags = 0, size = sizeof flags;
    ASSERT_EQ(NHostRegistry::The().QueryValue(key, "EditFlags", nullptr, &flags, &size), kRegSuccess);
    EXPECT_EQ(flags, 0x10001u);
}

TEST_F(KInstallEngineTest, ControlThatCannotBeWrittenGoesToTheSafetyFolderUnregistered)
{
    fTarget.SubDir(ComponentScratchName("QipCtrl.dll") + ":").Create();
    ASSERT_TRUE(RunEngine());
    EXPECT_EQ(ReadBytes(NFileSpec(fTarget.SubDir("Data:safety:"), "QipCtrl.dll", false).HostPath()), fData["QipCtrl.dll"]);
    EXPECT_FALSE(NFileSpec(fTarget, "QipCtrl.dll", false).Exists());
    EXPECT_EQ(Read(kHKeyClassesRoot, "QipCtrl.Control\\CLSID", ""), "");
    EXPECT_EQ(Read(kHKeyClassesRoot, "Lumora.Album\\Version", "QipCtrl"), "3,0,0,1");
}

TEST_F(KInstallEngineTest, ComponentThatCannotBeWrittenFailsInTheFilesStage)
{
    fTarget.SubDir("Data:" + ComponentScratchName("Lumorad.xpb") + ":").Create();
    EXPECT_FALSE(RunEngine());
    EXPECT_EQ(fFailure, kInstallNotWritten);
    EXPECT_EQ(fStage, KInstallStage::kFiles);
    EXPECT_EQ(Read(kHKeyClassesRoot, ".Qip", ""), "");   // the registry stage never ran
}

TEST_F(KInstallEngineTest, BadContainerFailsWith1000)
{
    WriteContainer(NFileSpec(fSource, "mss32.dll", false), "x", {}, kTime, false, 0x12345678);
    EXPECT_FALSE(RunEngine());
    EXPECT_EQ(fFailure, kInstallBadContainer);
    EXPECT_FALSE(NFileSpec(fTarget, "mp3dec.asi", false).Exists());   // nothing after it ran
}

TEST_F(KInstallEngineTest, LanguageCodeIsWrittenToLangTxt)
{
    KInstallSettings settings;
    settings.fLanguage = "fra";
    ASSERT_TRUE(RunEngine(nullptr, settings));
    EXPECT_EQ(ReadBytes(NFileSpec(fTarget.SubDir("Data:"), "lang.txt", false).HostPath()).substr(0, 3), "fra");
}

} // namespace
