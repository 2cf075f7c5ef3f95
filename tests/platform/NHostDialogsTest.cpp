// Tests of the save dialog and message boxes on each route: answered, desktop program, headless.
#include "platform/NHostDialogs.h"

#include "tests/support/NTestEnvironment.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class NHostDialogsTest : public ::testing::Test {
protected:
    NHostDialogsTest()
    {
        fBin = fPrefix.MakeFolder("bin");
        fLog = fPrefix.Root() / "dialog.txt";
        fEnvironment.Unset("LUMORA_DIALOG_ANSWER");
        fEnvironment.Unset("DISPLAY");
        fEnvironment.Unset("WAYLAND_DISPLAY");
        fEnvironment.Set("PATH", fBin.string());
        fEnvironment.Set("LUMORA_FAKE_LOG", fLog.string());
        fs::create_directories(fPrefix.DriveC() / "Program Files/Lumora Maker/My Lumoras");
        fDialog.fTitle = "Lumora caf\xE9";
        fDialog.fFilter = "Lumora (*.Qip)|*.Qip||";
        fDialog.fDefaultExtension = "Qip";
        fDialog.fInitialFolder = R"(C:\Program Files\Lumora Maker\My Lumoras\)";
        fDialog.fInitialName = "x.xxx";
    }

    // A dialog program that notes its arguments, prints $LUMORA_FAKE_ANSWER and exits with
    // $LUMORA_FAKE_EXIT (0 by default). Only shell built-ins: the path holds nothing else.
    void InstallFake(const std::string& name)
    {
        fs::path path = fBin / name;
        NTestPrefix::WriteFile(path, "#!/bin/sh\n"
                                     "printf '%s\\n' \"$@\" > \"$LUMORA_FAKE_LOG\"\n"
                                     "[ -n \"$LUMORA_FAKE_ANSWER\" ] && printf '%s\\n' \"$LUMORA_FAKE_ANSWER\"\n"
                                     "exit ${LUMORA_FAKE_EXIT:-0}\n");
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace);
        fEnvironment.Set("DISPLAY", ":97");
    }

    Lines Logged() const
    {
        Lines lines;
        std::istringstream in(NTestPrefix::ReadFile(fLog));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    std::string MyLumoras() const { return (fPrefix.DriveC() / "Program Files/Lumora Maker/My Lumoras").string(); }

    NTestPrefix fPrefix;
    NTestEnvironment fEnvironment;
    fs::path fBin;
    fs::path fLog;
    NHostSaveDialog fDialog;
};

TEST_F(NHostDialogsTest, AnAnsweredDialogTakesTheGivenLinuxPath)
{
    std::string chosen;
    fEnvironment.Set("LUMORA_DIALOG_ANSWER", MyLumoras() + "/Summer");
    ASSERT_TRUE(NHostDialogs::SaveFile(fDialog, chosen));
    EXPECT_EQ(chosen, R"(C:\Program Files\Lumora Maker\My Lumoras\Summer.Qip)");

    fEnvironment.Set("LUMORA_DIALOG_ANSWER", MyLumoras() + "/Summer.qip");
    ASSERT_TRUE(NHostDialogs::SaveFile(fDialog, chosen));
    EXPECT_EQ(chosen, R"(C:\Program Files\Lumora Maker\My Lumoras\Summer.qip)");

    fEnvironment.Set("LUMORA_DIALOG_ANSWER", (fPrefix.Root() / "elsewhere/x.Qip").string());
    fs::create_directories(fPrefix.Root() / "elsewhere");
    ASSERT_TRUE(NHostDialogs::SaveFile(fDialog, chosen));
    std::string elsewhere = "Z:" + (fPrefix.Root() / "elsewhere/x.Qip").string();
    std::replace(elsewhere.begin(), elsewhere.end(), '/', '\\');
    EXPECT_EQ(chosen, elsewhere);

    for (const std::string& refused : {std::string("cancel"), MyLumoras() + "/missing folder/x.Qip", MyLumoras()}) {
        fEnvironment.Set("LUMORA_DIALOG_ANSWER", refused);
        EXPECT_FALSE(NHostDialogs::SaveFile(fDialog, chosen)) << refused;
        EXPECT_TRUE(chosen.empty());
    }
}

TEST_F(NHostDialogsTest, ZenityGetsTheInputsInUtf8AndItsAnswerIsTaken)
{
    InstallFake("zenity");
    fEnvironment.Set("LUMORA_FAKE_ANSWER", MyLumoras() + "/Baby");
    std::string chosen;
    ASSERT_TRUE(NHostDialogs::SaveFile(fDialog, chosen));
    EXPECT_EQ(chosen, R"(C:\Program Files\Lumora Maker\My Lumoras\Baby.Qip)");
    EXPECT_EQ(Logged(), (Lines {"--file-selection", "--save", "--title=Lumora caf\xC3\xA9",
                                "--filename=" + MyLumoras() + "/x.xxx", "--confirm-overwrite",
                                "--file-filter=Lumora (*.Qip) | *.Qip"}));

    fEnvironment.Set("LUMORA_FAKE_EXIT", "1");
    EXPECT_FALSE(NHostDialogs::SaveFile(fDialog, chosen));

    fEnvironment.Set("LUMORA_FAKE_EXIT", "0");
    NHostDialogs::MessageBox("Lumora", "Disc \x93" "A\x94 not found", kMessageIconError);
    EXPECT_EQ(Logged(), (Lines {"--error", "--title=Lumora", "--text=Disc \xE2\x80\x9C" "A\xE2\x80\x9D not found",
                                "--no-markup"}));
    NHostDialogs::MessageBox("Lumora", "Done", kMessageIconInformation);
    EXPECT_EQ(Logged()[0], "--info");
}

TEST_F(NHostDialogsTest, KdialogServesWhenZenityIsMissing)
{
    InstallFake("kdialog");
    fDialog.fFilter = std::string("Albums\0*.Qip;*.qip\0All files\0*.*\0\0", 34);
    fEnvironment.Set("LUMORA_FAKE_ANSWER", MyLumoras() + "/Baby.Qip");
    std::string chosen;
    ASSERT_TRUE(NHostDialogs::SaveFile(fDialog, chosen));
    EXPECT_EQ(chosen, R"(C:\Program Files\Lumora Maker\My Lumoras\Baby.Qip)");
    EXPECT_EQ(Logged(), (Lines {"--title", "Lumora caf\xC3\xA9", "--getsavefilename", MyLumoras() + "/x.xxx",
                                "*.Qip *.qip|Albums", "*.*|All files"}));
    NHostDialogs::MessageBox("Lumora", "Done", kMessageIconInformation);
    EXPECT_EQ(Logged(), (Lines {"--title", "Lumora", "--msgbox", "Done"}));
}

TEST_F(NHostDialogsTest, WithoutADisplayMessagesGoToStandardErrorAndDialogsCancel)
{
    InstallFake("zenity");
    fEnvironment.Unset("DISPLAY");
    std::string chosen = "old";
    EXPECT_FALSE(NHostDialogs::SaveFile(fDialog, chosen));
    EXPECT_TRUE(chosen.empty());
    testing::internal::CaptureStderr();
    NHostDialogs::MessageBox("Lumora caf\xE9", "Needs 256 colors.", kMessageIconError);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Lumora caf\xC3\xA9: Needs 256 colors.\n");
    EXPECT_FALSE(fs::exists(fLog));

    // A display without either program is no better.
    fs::remove(fBin / "zenity");
    fEnvironment.Set("WAYLAND_DISPLAY", "wayland-9");
    EXPECT_FALSE(NHostDialogs::SaveFile(fDialog, chosen));
    testing::internal::CaptureStderr();
    NHostDialogs::MessageBox("Setup", "Installed.", kMessageIconInformation);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Setup: Installed.\n");
}

TEST_F(NHostDialogsTest, AnAnswerKeepsMessagesOffTheDesktop)
{
    InstallFake("zenity");
    fEnvironment.Set("LUMORA_DIALOG_ANSWER", "cancel");
    testing::internal::CaptureStderr();
    NHostDialogs::MessageBox("Lumora", "Quiet", kMessageIconInformation);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Lumora: Quiet\n");
    EXPECT_FALSE(fs::exists(fLog));

    // A program that fails does not swallow the message either.
    fEnvironment.Unset("LUMORA_DIALOG_ANSWER");
    fEnvironment.Set("LUMORA_FAKE_EXIT", "255");
    testing::internal::CaptureStderr();
    NHostDialogs::MessageBox("Lumora", "Still seen", kMessageIconError);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Lumora: Still seen\n");
}

}   // namespace
