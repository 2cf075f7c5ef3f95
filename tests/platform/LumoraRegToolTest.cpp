// End-to-end tests of the lumora-reg tool through its command line.
#include "platform/NHostRegistry.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What one run of the tool did.
struct ToolRun {
    int fExit = -1;
    std::string fOut;
    std::string fErr;
};

class LumoraRegToolTest : public ::testing::Test {
protected:
    // One word for the shell, whatever it holds.
    static std::string Quoted(const std::string& text)
    {
        std::string quoted = "'";
        for (char c : text)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }

    // Runs the tool with the arguments, feeding it the input.
    ToolRun Reg(const std::vector<std::string>& arguments, const std::string& input = "")
    {
        fs::path in = fPrefix.Root() / "in.txt";
        fs::path out = fPrefix.Root() / "out.txt";
        fs::path err = fPrefix.Root() / "err.txt";
        NTestPrefix::WriteFile(in, input);
        std::string command = Quoted(LUMORA_REG_TOOL);
        for (const std::string& argument : arguments)
            command += " " + Quoted(argument);
        command += " <" + Quoted(in.string()) + " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
        int status = std::system(command.c_str());
        ToolRun run;
        run.fExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.fOut = NTestPrefix::ReadFile(out);
        run.fErr = NTestPrefix::ReadFile(err);
        return run;
    }

    NTestPrefix fPrefix;
};

TEST_F(LumoraRegToolTest, AddedValuesAreQueriedBackInTheToolsLayout)
{
    EXPECT_EQ(Reg({"add", R"(HKCU\Software\Lumora)", "/v", "LastSaveDir", "/d", R"(C:\My Albums)"}).fExit, 0);
    EXPECT_EQ(Reg({"add", R"(hkcu\software\LUMORA)", "/ve", "/d", "Default"}).fExit, 0);
    EXPECT_EQ(Reg({"add", R"(HKCU\Software\Lumora)", "/v", "EditFlags", "/t", "REG_DWORD", "/d", "0x10000"}).fExit, 0);
    EXPECT_EQ(Reg({"add", R"(HKCU\Software\Lumora\Sub)"}).fExit, 0);
    ToolRun query = Reg({"query", R"(HKEY_CURRENT_USER\software\lumora)"});
    EXPECT_EQ(query.fExit, 0) << query.fErr;
    EXPECT_EQ(query.fOut, "HKEY_CURRENT_USER\\Software\\Lumora\n"
                          "    LastSaveDir    REG_SZ    C:\\My Albums\n"
                          "    (Default)    REG_SZ    Default\n"
                          "    EditFlags    REG_DWORD    0x10000\n"
                          "\n"
                          "HKEY_CURRENT_USER\\Software\\Lumora\\Sub\n");
    ToolRun one = Reg({"query", R"(HKCU\Software\Lumora)", "/v", "editflags"});
    EXPECT_EQ(one.fOut, "HKEY_CURRENT_USER\\Software\\Lumora\n    EditFlags    REG_DWORD    0x10000\n");

    // What the tool wrote, this process reads.
    NHostRegKey key;
    char text[32] = {};
    uint32_t size = sizeof text;
    ASSERT_EQ(NHostRegistry::The().OpenKey(NHostRegistry::Root(kHKeyCurrentUser), "Software\\Lumora", key), kRegSuccess);
    ASSERT_EQ(NHostRegistry::The().QueryValue(key, "LastSaveDir", nullptr, text, &size), kRegSuccess);
    EXPECT_EQ(std::string(text), "C:\\My Albums");
}

TEST_F(LumoraRegToolTest, RecursiveQueryListsEveryKeyBlock)
{
    // The seeded key keeps its spelling "SOFTWARE".
    Reg({"add", R"(HKLM\Software\Veltra\Lumora\3.0)", "/ve", "/d", "3.0"});
    Reg({"add", R"(HKLM\Software\Veltra\Other)", "/v", "Path", "/d", R"(C:\x)"});
    ToolRun query = Reg({"query", R"(HKLM\Software\Veltra)", "/s"});
    EXPECT_EQ(query.fExit, 0);
    EXPECT_EQ(query.fOut, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra\n"
                          "\n"
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra\\Lumora\n"
                          "\n"
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra\\Lumora\\3.0\n"
                          "    (Default)    REG_SZ    3.0\n"
                          "\n"
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra\\Other\n"
                          "    Path    REG_SZ    C:\\x\n");
    ToolRun found = Reg({"query", R"(HKLM\Software\Veltra)", "/v", "path", "/s"});
    EXPECT_EQ(found.fOut, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra\\Other\n    Path    REG_SZ    C:\\x\n");
}

TEST_F(LumoraRegToolTest, MissingKeysAndValuesExitWithOne)
{
    Reg({"add", R"(HKCR\.Qip)", "/ve", "/d", "Lumora.Album"});
    const std::vector<std::string> failing[] = {
        {"query", R"(HKCR\Missing)"},
        {"query", R"(HKCR\.Qip)", "/v", "Nope"},
        {"delete", R"(HKCR\.Qip)", "/v", "Nope", "/f"},
        {"delete", R"(HKCR\Missing)", "/f"},
        {"export", R"(HKCR\Missing)"},
    };
    for (const std::vector<std::string>& arguments : failing) {
        ToolRun run = Reg(arguments);
        EXPECT_EQ(run.fExit, 1) << arguments[1];
        EXPECT_TRUE(run.fOut.empty()) << arguments[1];
        EXPECT_EQ(run.fErr.substr(0, 12), "lumora-reg: ") << arguments[1];
        EXPECT_EQ(run.fErr.find('\n'), run.fErr.size() - 1) << arguments[1];   // one line
    }
    EXPECT_EQ(Reg({"query", R"(HKXX\Software)"}).fErr, "lumora-reg: unknown root key \"HKXX\" (use HKCR, HKCU or HKLM)\n");
    EXPECT_EQ(Reg({"add", R"(HKCU\x)", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"}).fExit, 1);
    EXPECT_EQ(Reg({"add", R"(HKCU\x)", "/v", "n", "/t", "REG_MULTI_SZ", "/d", "a"}).fExit, 1);
    EXPECT_EQ(Reg({"frobnicate", "HKCU"}).fExit, 2);
    EXPECT_EQ(Reg({"query", "HKCU", "/q"}).fExit, 2);
    EXPECT_EQ(Reg({}).fExit, 2);
}

TEST_F(LumoraRegToolTest, OverwritingAndDeletingAskUnlessForced)
{
    Reg({"add", R"(HKCU\Software\App)", "/v", "Name", "/d", "first"});
    ToolRun refused = Reg({"add", R"(HKCU\Software\App)", "/v", "Name", "/d", "second"});   // no answer on input
    EXPECT_EQ(refused.fExit, 1);
    EXPECT_EQ(Reg({"add", R"(HKCU\Software\App)", "/v", "Name", "/d", "second"}, "yes\n").fExit, 0);
    EXPECT_EQ(Reg({"query", R"(HKCU\Software\App)", "/v", "Name"}).fOut, "HKEY_CURRENT_USER\\Software\\App\n    Name    REG_SZ    second\n");
    EXPECT_EQ(Reg({"add", R"(HKCU\Software\App)", "/v", "Name", "/d", "third", "/f"}).fExit, 0);

    Reg({"add", R"(HKCU\Software\App\Child\Deep)", "/v", "x", "/d", "y"});
    EXPECT_EQ(Reg({"delete", R"(HKCU\Software\App)"}, "no\n").fExit, 1);
    EXPECT_EQ(Reg({"query", R"(HKCU\Software\App\Child\Deep)"}).fExit, 0);
    EXPECT_EQ(Reg({"delete", R"(HKCU\Software\App)", "/v", "Name"}, "y\n").fExit, 0);
    EXPECT_EQ(Reg({"query", R"(HKCU\Software\App)", "/v", "Name"}).fExit, 1);
    EXPECT_EQ(Reg({"delete", R"(HKCU\Software\App)", "/f"}).fExit, 0);
    EXPECT_EQ(Reg({"query", R"(HKCU\Software\App)"}).fExit, 1);
    EXPECT_EQ(Reg({"delete", "HKCU", "/f"}).fExit, 1);
    EXPECT_EQ(Reg({"query", R"(HKCU\Software\Microsoft)"}).fExit, 0);
}

TEST_F(LumoraRegToolTest, ExportWritesRegistryEditorText)
{
    Reg({"add", R"(HKCR\Lumora.Album)", "/ve", "/d", R"(Lumora "slideshow")"});
    Reg({"add", R"(HKCR\Lumora.Album)", "/v", "EditFlags", "/t", "REG_DWORD", "/d", "65536"});
    Reg({"add", R"(HKCR\Lumora.Album\DefaultIcon)", "/ve", "/d", R"(C:\P\Lumora.exe,1)"});
    ToolRun run = Reg({"export", R"(HKCR\lumora.album)"});
    EXPECT_EQ(run.fExit, 0);
    EXPECT_EQ(run.fOut, "REGEDIT4\n\n"
                        "[HKEY_CLASSES_ROOT\\Lumora.Album]\n"
                        "@=\"Lumora \\\"slideshow\\\"\"\n"
                        "\"EditFlags\"=dword:00010000\n"
                        "\n"
                        "[HKEY_CLASSES_ROOT\\Lumora.Album\\DefaultIcon]\n"
                        "@=\"C:\\\\P\\\\Lumora.exe,1\"\n"
                        "\n");
    ToolRun all = Reg({"export"});
    EXPECT_EQ(all.fExit, 0);
    EXPECT_NE(all.fOut.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
                            "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"),
              std::string::npos);
    EXPECT_NE(all.fOut.find("[HKEY_CLASSES_ROOT\\Lumora.Album\\DefaultIcon]"), std::string::npos);
}

}   // namespace
