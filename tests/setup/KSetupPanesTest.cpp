// The setup's panes on the headless window: clicks on buttons found in the UI dump go through
// the window's message routing; every pane reached is saved as a picture.
#include "setup/KApp.h"
#include "setup/KSetupData.h"

#include "framework/NPage.h"
#include "framework/NRegistry.h"
#include "framework/NUiDump.h"
#include "platform/NHostDrives.h"
#include "platform/NHostHeadlessDisplay.h"
#include "platform/NHostHeadlessWindow.h"
#include "tests/setup/KSetupTestSupport.h"
#include "tests/support/NTestEnvironment.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

using namespace setuptest;
namespace fs = std::filesystem;

namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct UiNode {
    std::string fKind, fName, fText;
    int fX = 0, fY = 0, fW = 0, fH = 0;
};

class KSetupPanesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::path run = fPrefix.MakeFolder("run");
        fs::permissions(run, fs::perms::owner_all);
        fEnv.Set("XDG_RUNTIME_DIR", run.string());
        fEnv.Unset("LUMORA_UI_DUMP");
        fEnv.Unset("LUMORA_SETUP_SNAPSHOTS");
        fEnv.Unset("LUMORA_DIALOG_ANSWER");
        fs::create_directories(LUMORA_SETUP_SHOTS);
    }

    void TearDown() override
    {
        if (fApp) {
            fApp->Shutdown();
            fApp->CloseDisplay();
        }
    }

    /// Starts the setup's window over the built program's payload; false when it did not.
    bool Start(const std::string& commandLine, const std::string& firstButton = "Install")
    {
        fApp = std::make_unique<KApp>();
        auto display = std::make_unique<NHostHeadlessDisplay>(640, 480, 32);
        fDisplay = display.get();
        fApp->SetDisplay(std::move(display));
        NFileSpec program;
        NFileSpec::FromHostPath(NHostDrives::The().ToHost(LUMORA_QIPSETUP), program);
        fApp->SetProgramFile(program);
        fApp->SetCommandLine(commandLine);
        if (!fApp->Main())
            return false;
        fDisplay->SetForeground(false);   // so a raise shows in the count
        return WaitFor([&] { return Find("button", firstButton) != nullptr; });
    }

    KSetupData* Data() { return dynamic_cast<KSetupData*>(fApp->CurrentPage()->Data()); }

    // The dump's visible nodes, one a line: {"kind": "...", "name": "...", "text": "...", ...}.
    std::vector<UiNode> Nodes()
    {
        NUiDump::Frame frame;
        std::string json = NUiDump::Json(frame, fApp->Universe());
        std::vector<UiNode> nodes;
        std::istringstream lines(json);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("{\"kind\": ") == std::string::npos || line.find("\"visible\": true") == std::string::npos)
                continue;
            auto text = [&line](const std::string& field) {
                size_t at = line.find("\"" + field + "\": \"");
                if (at == std::string::npos)
                    return std::string();
                at += field.size() + 5;
                return line.substr(at, line.find('"', at) - at);
            };
            auto number = [&line](const std::string& field) {
                size_t at = line.find("\"" + field + "\": ");
                return at == std::string::npos ? 0 : std::atoi(line.c_str() + at + field.size() + 4);
            };
            nodes.push_back({text("kind"), text("name"), text("text"), number("x"), number("y"), number("w"),
                             number("h")});
        }
        return nodes;
    }

    const UiNode* Find(const std::string& kind, const std::string& name)
    {
        fNodes = Nodes();
        for (const UiNode& node : fNodes)
            if (node.fKind == kind && node.fName == name)
                return &node;
        return nullptr;
    }

    bool HasText(const std::string& prefix)
    {
        for (const UiNode& node : Nodes())
            if (node.fKind == "text" && node.fText.rfind(prefix, 0) == 0)
                return true;
        return false;
    }

    /// Runs the loop as the program does until the condition holds (or ten seconds pass).
    bool WaitFor(const std::function<bool()>& condition)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end && !fApp->QuitFlag()) {
            fApp->ProcessMessages();
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return condition();
    }

    /// A press and a release in the middle of a button, through the window's messages.
    void Click(const std::string& name)
    {
        const UiNode* button = Find("button", name);
        ASSERT_NE(button, nullptr) << name;
        int x = button->fX + button->fW / 2;
        int y = button->fY + button->fH / 2;
        fDisplay->PushScreenPointer(NHostMessageType::kMouseMove, x, y);
        fDisplay->PushScreenPointer(NHostMessageType::kButtonDown, x, y);
        fDisplay->PushScreenPointer(NHostMessageType::kButtonUp, x, y);
    }

    void Shot(const std::string& name)
    {
        std::string error;
        ASSERT_TRUE(fDisplay->HeadlessMain()->SavePng(std::string(LUMORA_SETUP_SHOTS) + "/" + name + ".png", error))
            << error;
    }

    bool Installed() { return fs::exists(LinuxPath("C:\\Program Files\\Lumora\\Lumora.exe")); }

    NTestPrefix fPrefix;
    DesktopHome fHome;   // after the prefix, whose own desktop folders it replaces
    NTestEnvironment fEnv;
    std::unique_ptr<KApp> fApp;
    NHostHeadlessDisplay* fDisplay = nullptr;
    std::vector<UiNode> fNodes;
};

TEST_F(KSetupPanesTest, InstallRunsTheThermometerThroughThirteenStepsToSuccessWithQuitOnly)
{
    ASSERT_TRUE(Start(""));
    Shot("choice");
    Click("Install");
    ASSERT_TRUE(WaitFor([this] { return HasText("Installing Lumora Player"); }));
    // The install ran inside the click's event: the progress pane stands, its bar full.
    ASSERT_NE(Data()->Pane()->Thermometer(), nullptr);
    EXPECT_EQ(Data()->Pane()->Thermometer()->Value(), KInstallEngine::kProgressSteps);
    EXPECT_TRUE(Installed());
    EXPECT_EQ(Find("button", "Install"), nullptr);
    Shot("progress");

    ASSERT_TRUE(WaitFor([this] { return HasText("Installation Successful"); }));
    EXPECT_TRUE(HasText("Your Lumora Player 3.0 has been successfully installed."));
    EXPECT_NE(Find("button", "Quit"), nullptr);
    EXPECT_EQ(Find("button", "Run Now"), nullptr);
    EXPECT_EQ(fDisplay->Raises(), 1);   // brought forward before the success pane
    Shot("success");
    Click("Quit");
    EXPECT_TRUE(WaitFor([this] { return fApp->QuitFlag(); }));
    EXPECT_EQ(int(fApp->LastOutcome().fResult), 0);
}

TEST_F(KSetupPanesTest, AlbumGivenWithLOffersRunNow)
{
    ASSERT_TRUE(Start("-lang fra -l \"C:\\My Albums\\Summer.Qip\"", "Installer"));
    EXPECT_EQ(fApp->Options().fAlbum, "C:\\My Albums\\Summer.Qip");
    Click("Installer");
    ASSERT_TRUE(WaitFor([this] { return Find("button", "Lancer") != nullptr; }));
    EXPECT_NE(Find("button", "Quitter"), nullptr);
    Shot("success-run-now-fra");
}

TEST_F(KSetupPanesTest, CancelledFolderChooserEndsOnTheFailurePaneWithoutComingForward)
{
    fEnv.Set("LUMORA_DIALOG_ANSWER", "cancel");
    ASSERT_TRUE(Start(""));
    Click("Install To...");
    ASSERT_TRUE(WaitFor([this] { return HasText("Installation Failed"); }));
    EXPECT_TRUE(HasText("There was a problem during the installation. Lumora Player was not installed."));
    EXPECT_EQ(fDisplay->Raises(), 0);
    EXPECT_FALSE(Installed());
    EXPECT_EQ(fApp->LastOutcome().fResult, KRunResult::kCancelled);
    Shot("failure-cancelled");
}

TEST_F(KSetupPanesTest, FolderChosenWithInstallToIsUsed)
{
    fs::path chosen = LinuxPath("C:\\Apps");
    fs::create_directories(chosen);
    fEnv.Set("LUMORA_DIALOG_ANSWER", (chosen / "x.xxx").string());
    ASSERT_TRUE(Start(""));
    Click("Install To...");
    ASSERT_TRUE(WaitFor([this] { return HasText("Installation Successful"); }));
    EXPECT_TRUE(fs::exists(LinuxPath("C:\\Apps\\Lumora\\Lumora.exe")));
}

TEST_F(KSetupPanesTest, FilesThatCannotBeReplacedGiveTheAdviceText)
{
    // Something in the way of the archive's new copy: the files stage fails (1001).
    fs::create_directories(LinuxPath("C:\\Program Files\\Lumora\\Data\\Lumorad.xpb.qipnew"));
    ASSERT_TRUE(Start(""));
    Click("Install");
    ASSERT_TRUE(WaitFor([this] { return HasText("Installation Failed"); }));
    EXPECT_EQ(fApp->LastOutcome().fResult, KRunResult::kNotWritten);
    EXPECT_EQ(fApp->LastOutcome().fStage, KInstallStage::kFiles);
    EXPECT_TRUE(HasText("There was a problem during the installation. Lumora Player was not installed. Please quit"));
    EXPECT_EQ(fDisplay->Raises(), 1);
    Shot("failure-files");
}

TEST_F(KSetupPanesTest, FailureAfterTheFilesGivesThePlainText)
{
    // No desktop folder to put the albums shortcut in: the registry stage ends in failure.
    NRegistry::WriteString(kHKeyCurrentUser, kShellFolders, "Desktop", "");
    ASSERT_TRUE(Start(""));
    Click("Install");
    ASSERT_TRUE(WaitFor([this] { return HasText("Installation Failed"); }));
    EXPECT_EQ(fApp->LastOutcome().fStage, KInstallStage::kRegistry);
    EXPECT_TRUE(HasText("There was a problem during the installation. Lumora Player was not installed."));
    EXPECT_FALSE(HasText("There was a problem during the installation. Lumora Player was not installed. Please quit"));
    Shot("failure-registry");
}

} // namespace
