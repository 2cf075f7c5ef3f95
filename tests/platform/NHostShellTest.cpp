// Tests of program start by command line and of the shell's open.
#include "platform/NHostShell.h"

#include "tests/support/NTestEnvironment.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class NHostShellTest : public ::testing::Test {
protected:
    NHostShellTest() : fPrefix()
    {
        fOutput = fPrefix.Root() / "echo.txt";
        fEnvironment.Set("LUMORA_ECHO_OUTPUT", fOutput.string());
        fEnvironment.Set("LUMORA_OPEN_LOG", (fPrefix.Root() / "opened.txt").string());
        fEnvironment.Set("PATH", (fPrefix.Root() / "bin").string() + ":/usr/bin:/bin");
        fPrefix.MakeFolder("bin");
    }

    // The echo program installed at a path below drive C:.
    void InstallEcho(const std::string& relative)
    {
        fs::path target = fPrefix.DriveC() / relative;
        fs::create_directories(target.parent_path());
        fs::copy_file(LUMORA_ARGUMENT_ECHO, target, fs::copy_options::overwrite_existing);
    }

    // A desktop handler that notes what it was asked to open.
    void InstallOpener()
    {
        WriteScript(fPrefix.Root() / "bin/xdg-open", "printf '%s\\n' \"$@\" > \"$LUMORA_OPEN_LOG.part\"\n"
                                                     "mv \"$LUMORA_OPEN_LOG.part\" \"$LUMORA_OPEN_LOG\"\n");
    }

    static void WriteScript(const fs::path& path, const std::string& body)
    {
        NTestPrefix::WriteFile(path, "#!/bin/sh\n" + body);
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace);
    }

    static Lines ReadLines(const fs::path& path)
    {
        Lines lines;
        if (!NTestEnvironment::WaitForFile(path))
            return {"(not written)"};
        std::istringstream in(NTestPrefix::ReadFile(path));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // The arguments the echo program saw, after its working folder.
    Lines Echoed()
    {
        Lines lines = ReadLines(fOutput);
        if (!lines.empty())
            lines.erase(lines.begin());
        return lines;
    }

    NTestPrefix fPrefix;
    NTestEnvironment fEnvironment;
    fs::path fOutput;
};

TEST_F(NHostShellTest, StartsAProgramByItsHostPathWithQuotedArguments)
{
    InstallEcho("Program Files/Echo Tool/Echo.exe");
    int32_t result = NHostShell::StartCommandLine(
        R"("c:\PROGRAM FILES\echo tool\ECHO.EXE" "C:\My Albums\a.Qip" back\\slash "say \"hi\"" "" -silent)");
    EXPECT_GE(result, kShellFirstSuccess);
    EXPECT_EQ(Echoed(), (Lines {R"(C:\My Albums\a.Qip)", R"(back\\slash)", R"(say "hi")", "", "-silent"}));
}

TEST_F(NHostShellTest, AnUnquotedPathWithBlanksAndNoExtensionIsFound)
{
    InstallEcho("Program Files/Echo Tool/Echo.exe");
    EXPECT_EQ(NHostShell::StartCommandLine(R"(C:\Program Files\Echo Tool\Echo C:\My Albums\a.Qip)"), kShellStarted);
    EXPECT_EQ(Echoed(), (Lines {R"(C:\My)", R"(Albums\a.Qip)"}));
}

TEST_F(NHostShellTest, ABareNameIsLookedUpAlongThePath)
{
    fs::copy_file(LUMORA_ARGUMENT_ECHO, fPrefix.Root() / "bin/lumora-echo");
    EXPECT_EQ(NHostShell::StartCommandLine("  lumora-echo one \"two three\""), kShellStarted);
    EXPECT_EQ(Echoed(), (Lines {"one", "two three"}));
}

TEST_F(NHostShellTest, TheCallerNeitherWaitsNorKeepsAChild)
{
    InstallEcho("Echo.exe");
    fEnvironment.Set("LUMORA_ECHO_DELAY_MS", "1500");
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(NHostShell::StartCommandLine(R"(C:\Echo.exe late)"), kShellStarted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_FALSE(fs::exists(fOutput));
    // The program is not this process's child, so nothing is left to reap, not even a zombie.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_EQ(Echoed(), (Lines {"late"}));
}

TEST_F(NHostShellTest, ProgramsThatCannotStartReportTheHostsErrors)
{
    NTestPrefix::WriteFile(fPrefix.DriveC() / "notes.txt", "text");
    NTestPrefix::WriteFile(fPrefix.DriveC() / "data.exe", "MZ but no program here");
    fs::permissions(fPrefix.DriveC() / "data.exe", fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(NHostShell::StartCommandLine(R"(C:\missing.exe a)"), kShellFileNotFound);
    EXPECT_EQ(NHostShell::StartCommandLine(R"("C:\no folder\x.exe")"), kShellPathNotFound);
    EXPECT_EQ(NHostShell::StartCommandLine(R"(C:\notes.txt)"), kShellAccessDenied);
    EXPECT_EQ(NHostShell::StartCommandLine(R"(C:\data.exe)"), kShellBadFormat);
    EXPECT_EQ(NHostShell::StartCommandLine("no-such-program-anywhere"), kShellFileNotFound);
    EXPECT_EQ(NHostShell::StartCommandLine(R"(Q:\x.exe)"), kShellPathNotFound);
    EXPECT_EQ(NHostShell::StartCommandLine(""), kShellFileNotFound);
}

TEST_F(NHostShellTest, OpenHandsFoldersDocumentsAndAddressesToTheDesktop)
{
    InstallOpener();
    fs::path log = fPrefix.Root() / "opened.txt";
    fs::create_directories(fPrefix.DriveC() / "Program Files/Lumora Maker/My Lumoras");
    EXPECT_EQ(NHostShell::Open(R"(c:\program files\lumora maker\my lumoras)"), kShellStarted);
    EXPECT_EQ(ReadLines(log), (Lines {(fPrefix.DriveC() / "Program Files/Lumora Maker/My Lumoras").string()}));

    fs::remove(log);
    EXPECT_EQ(NHostShell::Open("http://example.com/offer?a=1&b=2"), kShellStarted);
    EXPECT_EQ(ReadLines(log), (Lines {"http://example.com/offer?a=1&b=2"}));

    fs::remove(log);
    NTestPrefix::WriteFile(fPrefix.DriveC() / "users/Qip_URL1.tmp.url",
                           "[InternetShortcut]\r\nURL=https://example.com/help\r\n");
    EXPECT_EQ(NHostShell::Open(R"(C:\users\qip_url1.tmp.URL)"), kShellStarted);
    EXPECT_EQ(ReadLines(log), (Lines {"https://example.com/help"}));

    fs::remove(log);
    NTestPrefix::WriteFile(fPrefix.DriveC() / "Read this.txt", "help");
    EXPECT_EQ(NHostShell::Open(R"(C:\Read this.txt)", "ignored"), kShellStarted);
    EXPECT_EQ(ReadLines(log), (Lines {(fPrefix.DriveC() / "Read this.txt").string()}));

    NTestPrefix::WriteFile(fPrefix.DriveC() / "empty.url", "[Other]\r\nURL=x\r\n");
    EXPECT_EQ(NHostShell::Open(R"(C:\empty.url)"), kShellBadFormat);
    EXPECT_EQ(NHostShell::Open(R"(C:\missing.txt)"), kShellFileNotFound);
    EXPECT_EQ(NHostShell::Open(R"(C:\missing folder\x.txt)"), kShellPathNotFound);
}

TEST_F(NHostShellTest, OpenStartsAProgramWithItsParametersInItsWorkingFolder)
{
    InstallOpener();
    InstallEcho("Program Files/Lumora Maker/My Lumoras/QipSetup.exe");
    EXPECT_EQ(NHostShell::Open(R"(C:\Program Files\Lumora Maker\My Lumoras\QipSetup.exe)", "-silent -lang fra",
                               R"(C:\Program Files)"),
              kShellStarted);
    Lines lines = ReadLines(fOutput);
    EXPECT_EQ(lines, (Lines {fs::canonical(fPrefix.DriveC() / "Program Files").string(), "-silent", "-lang", "fra"}));
    EXPECT_FALSE(fs::exists(fPrefix.Root() / "opened.txt"));
}

TEST_F(NHostShellTest, WithoutADesktopHandlerOpenFailsClearly)
{
    fEnvironment.Set("PATH", (fPrefix.Root() / "bin").string());
    EXPECT_EQ(NHostShell::Open("http://example.com/"), kShellNoAssociation);
    fs::create_directories(fPrefix.DriveC() / "Albums");
    EXPECT_EQ(NHostShell::Open(R"(C:\Albums)"), kShellNoAssociation);
}

TEST_F(NHostShellTest, StartedProgramsReceiveHostTextAsUtf8)
{
    InstallEcho("Program Files/Echo Tool/Echo.exe");
    EXPECT_EQ(NHostShell::StartCommandLine("\"C:\\Program Files\\Echo Tool\\Echo.exe\" "
                                           "\"C:\\Fotos_\xe4\\Strand_\xe9 \x80.jpg\" -lang fra"),
              kShellStarted);
    EXPECT_EQ(Echoed(), (Lines {"C:\\Fotos_\xc3\xa4\\Strand_\xc3\xa9 \xe2\x82\xac.jpg", "-lang", "fra"}));
    std::filesystem::remove(fOutput);
    // A program in a folder with a non-English name, started by the shell's open.
    InstallEcho("Programme/M\xc3\xa4rchen/Echo.exe");
    EXPECT_EQ(NHostShell::Open("C:\\Programme\\M\xe4rchen\\Echo.exe", "\"caf\xe9\""), kShellStarted);
    EXPECT_EQ(Echoed(), (Lines {"caf\xc3\xa9"}));
}

}   // namespace
