// Tests of host files and of the file-system operations by host path.
#include "platform/NHostFile.h"
#include "platform/NHostFileSystem.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

class NHostFileTest : public ::testing::Test {
protected:
    static std::string ReadAll(NHostFile& file)
    {
        std::string bytes(static_cast<size_t>(file.Size()) + 1, '\0');
        int64_t count = file.Read(bytes.data(), static_cast<int64_t>(bytes.size()));
        bytes.resize(count < 0 ? 0 : static_cast<size_t>(count));
        return bytes;
    }
};

class NHostFileSystemTest : public ::testing::Test {
protected:
    static std::set<std::string> Names(const fs::path& folder)
    {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }
};

TEST_F(NHostFileTest, DispositionsDecideWhetherTheFileMayExist)
{
    NTestPrefix prefix;
    NHostFile file;
    EXPECT_FALSE(file.Open("C:\\Notes.txt", kHostOpenExisting));
    EXPECT_EQ(file.LastError(), ENOENT);
    ASSERT_TRUE(file.Open("C:\\Notes.txt", kHostCreateNew));
    EXPECT_TRUE(file.Write("abc", 3));
    EXPECT_FALSE(file.Open("C:\\Notes.txt", kHostCreateNew));
    EXPECT_EQ(file.LastError(), EEXIST);
    EXPECT_FALSE(file.Open("c:\\NOTES.TXT", kHostCreateNew));

    ASSERT_TRUE(file.Open("C:\\notes.TXT", kHostOpenExisting));
    EXPECT_EQ(ReadAll(file), "abc");
    EXPECT_FALSE(file.Write("x", 1));   // read access only
    ASSERT_TRUE(file.Open("C:\\NOTES.txt", kHostOpenAlways));
    EXPECT_TRUE(file.Write("A", 1));
    NHostFile moved(std::move(file));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadAll(moved), "bc");
    EXPECT_TRUE(moved.Open("C:\\new.txt", kHostOpenAlways));
    EXPECT_EQ(NTestPrefix::ReadFile(prefix.DriveC() / "Notes.txt"), "Abc");
    EXPECT_TRUE(fs::exists(prefix.DriveC() / "new.txt"));
}

TEST_F(NHostFileTest, AFolderNeverOpens)
{
    NTestPrefix prefix;
    NHostFile file;
    for (int disposition : {kHostOpenExisting, kHostCreateNew, kHostOpenAlways})
        EXPECT_FALSE(file.Open("C:\\windows\\system", disposition) || file.IsOpen()) << disposition;
    EXPECT_FALSE(file.Open("C:\\", kHostOpenExisting));
    EXPECT_EQ(file.LastError(), EISDIR);
}

TEST_F(NHostFileTest, SeekReadAndSetEndWorkFromTheStart)
{
    NTestPrefix prefix;
    NHostFile file;
    ASSERT_TRUE(file.Open("C:\\digits", kHostOpenAlways));
    ASSERT_TRUE(file.Write("0123456789", 10));
    EXPECT_EQ(file.Seek(2), 2);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "2345");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 4);   // only what is left
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(file.Seek(-1), -1);
    EXPECT_TRUE(file.SetEnd(3));
    EXPECT_EQ(file.Size(), 3);
    EXPECT_TRUE(file.Write("X", 1));   // the pointer stayed at 10, so the gap reads as zeros
    EXPECT_EQ(NTestPrefix::ReadFile(prefix.DriveC() / "digits"), std::string("012\0\0\0\0\0\0\0X", 11));
}

TEST_F(NHostFileTest, SetModTimeChangesOnlyTheLastWriteTime)
{
    NTestPrefix prefix;
    constexpr int64_t kWhen = 1000000000;   // 2001-09-09
    std::string path = (prefix.DriveC() / "stamp").string();
    NHostFile file;
    ASSERT_TRUE(file.Open("C:\\stamp", kHostOpenAlways));
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    ASSERT_TRUE(file.SetModTime(kWhen));
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, kWhen);
    EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
    EXPECT_TRUE(NHostFileSystem::SetModTime("C:\\STAMP", kWhen + 1));
    NHostStat status;
    ASSERT_TRUE(NHostFileSystem::Stat("C:\\stamp", status));
    EXPECT_EQ(status.fModTime, kWhen + 1);
}

TEST_F(NHostFileSystemTest, StatReportsKindSizeAndHiddenNames)
{
    NTestPrefix prefix;
    NTestPrefix::WriteFile(prefix.DriveC() / ".settings", "12345");
    NHostStat status;
    ASSERT_TRUE(NHostFileSystem::Stat("C:\\.SETTINGS", status));
    EXPECT_TRUE(!status.fIsDirectory && status.fHidden && status.fReadable && status.fWritable);
    EXPECT_EQ(status.fSize, 5);
    ASSERT_TRUE(NHostFileSystem::Stat("C:\\Windows", status));
    EXPECT_TRUE(status.fIsDirectory && !status.fHidden);
    EXPECT_TRUE(NHostFileSystem::IsDirectory("Z:\\"));
    EXPECT_FALSE(NHostFileSystem::Stat("C:\\nothing", status));
}

TEST_F(NHostFileSystemTest, ReadOnlyAttributeRoundTrips)
{
    NTestPrefix prefix;
    const fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::path path = prefix.DriveC() / "locked.txt";
    NTestPrefix::WriteFile(path, "x");
    fs::permissions(path, kAnyWrite, fs::perm_options::add);
    ASSERT_TRUE(NHostFileSystem::SetReadOnly("C:\\LOCKED.txt", true));
    EXPECT_EQ(fs::status(path).permissions() & kAnyWrite, fs::perms::none);
    NHostStat status;
    ASSERT_TRUE(NHostFileSystem::Stat("C:\\locked.txt", status));
    EXPECT_TRUE(status.fReadOnly && status.fReadable);
    EXPECT_FALSE(status.fWritable);   // even for root, who may write anyway
    ASSERT_TRUE(NHostFileSystem::SetReadOnly("C:\\locked.txt", false));
    ASSERT_TRUE(NHostFileSystem::Stat("C:\\locked.txt", status));
    EXPECT_TRUE(!status.fReadOnly && status.fWritable);
    EXPECT_FALSE(NHostFileSystem::SetReadOnly("C:\\gone.txt", true));
}

TEST_F(NHostFileSystemTest, RenameRefusesAnExistingTarget)
{
    NTestPrefix prefix;
    NTestPrefix::WriteFile(prefix.DriveC() / "a.txt", "A");
    NTestPrefix::WriteFile(prefix.DriveC() / "b.txt", "B");
    for (std::string target : {"C:\\b.txt", "C:\\B.TXT", "C:\\windows"})
        EXPECT_FALSE(NHostFileSystem::Rename("C:\\a.txt", target)) << target;
    EXPECT_EQ(NTestPrefix::ReadFile(prefix.DriveC() / "b.txt"), "B");
    EXPECT_TRUE(NHostFileSystem::Rename("C:\\A.txt", "C:\\Windows\\Moved.txt"));
    EXPECT_EQ(NTestPrefix::ReadFile(prefix.DriveC() / "windows/Moved.txt"), "A");
    EXPECT_TRUE(NHostFileSystem::Rename("C:\\windows", "C:\\Win"));
    EXPECT_TRUE(fs::is_directory(prefix.DriveC() / "Win/system"));
    EXPECT_FALSE(NHostFileSystem::Rename("C:\\missing", "C:\\other"));
    EXPECT_FALSE(NHostFileSystem::Rename("C:\\", "C:\\elsewhere"));
}

TEST_F(NHostFileSystemTest, RenameCanChangeOnlyTheCase)
{
    NTestPrefix prefix;
    NTestPrefix::WriteFile(prefix.DriveC() / "Pics/photo.jpg", "P");
    EXPECT_TRUE(NHostFileSystem::Rename("C:\\pics\\photo.jpg", "C:\\pics\\Photo.JPG"));
    EXPECT_EQ(Names(prefix.DriveC() / "Pics"), std::set<std::string>{"Photo.JPG"});
    EXPECT_TRUE(NHostFileSystem::Rename("C:\\pics\\photo.jpg", "C:\\PICS\\Photo.JPG"));
    EXPECT_EQ(NTestPrefix::ReadFile(prefix.DriveC() / "Pics/Photo.JPG"), "P");
}

TEST_F(NHostFileSystemTest, FoldersAndFilesAreRemovedOnlyAsWhatTheyAre)
{
    NTestPrefix prefix("D=%ROOT%/d:removable");
    prefix.MakeFolder("d");
    EXPECT_TRUE(NHostFileSystem::CreateDirectory("C:\\New Folder"));
    EXPECT_FALSE(NHostFileSystem::CreateDirectory("C:\\new folder"));
    EXPECT_FALSE(NHostFileSystem::CreateDirectory("C:\\no\\parent"));
    NTestPrefix::WriteFile(prefix.DriveC() / "New Folder/f.txt", "x");
    EXPECT_FALSE(NHostFileSystem::DeleteFile("C:\\New Folder"));
    EXPECT_FALSE(NHostFileSystem::RemoveDirectory("C:\\New Folder"));
    EXPECT_FALSE(NHostFileSystem::RemoveDirectory("C:\\New Folder\\F.TXT"));
    EXPECT_TRUE(NHostFileSystem::DeleteFile("C:\\New Folder\\F.TXT"));
    EXPECT_TRUE(NHostFileSystem::RemoveDirectory("C:\\NEW FOLDER"));
    EXPECT_FALSE(fs::exists(prefix.DriveC() / "New Folder"));
    EXPECT_FALSE(NHostFileSystem::RemoveDirectory("D:\\"));   // empty, but a drive root
    EXPECT_TRUE(fs::is_directory(prefix.Root() / "d"));
}

TEST_F(NHostFileSystemTest, WellKnownFoldersAreInHostForm)
{
    NTestPrefix prefix;
    std::string temp = "C:\\users\\" + NHostDrives::The().UserName() + "\\Temp\\";
    EXPECT_EQ(NHostFileSystem::TempPath(), temp);
    fs::remove_all(prefix.DriveC() / "users");
    EXPECT_EQ(NHostFileSystem::TempPath(), temp);
    EXPECT_TRUE(NHostFileSystem::IsDirectory(temp));
    EXPECT_EQ(NHostFileSystem::SystemDirectory(), "C:\\windows\\system");
    EXPECT_TRUE(NHostFileSystem::IsDirectory(NHostFileSystem::SystemDirectory()));
    std::string module;
    ASSERT_TRUE(NHostDrives::The().ToLinux(NHostFileSystem::ModuleFileName(), module));
    EXPECT_TRUE(fs::equivalent(module, "/proc/self/exe"));

    fs::path saved = fs::current_path();
    fs::current_path(prefix.DriveC() / "Program Files");
    std::string inFolder = NHostFileSystem::CurrentDirectory();
    fs::current_path(prefix.DriveC());
    std::string atRoot = NHostFileSystem::CurrentDirectory();
    fs::current_path(saved);
    EXPECT_EQ(inFolder, "C:\\Program Files");
    EXPECT_EQ(atRoot, "C:\\");
}

TEST_F(NHostFileSystemTest, TempFileNameMakesNewEmptyFilesWithUniqueNames)
{
    NTestPrefix prefix;
    fs::path work = prefix.MakeFolder("prefix/drive_c/Work");
    constexpr size_t kCount = 40;
    std::set<std::string> names;
    for (size_t i = 0; i < kCount; ++i) {
        std::string name = NHostFileSystem::TempFileName("C:\\Work\\", "Lumora");
        ASSERT_TRUE(name.starts_with("C:\\Work\\Lum") && name.ends_with(".tmp")) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), kCount);

    // Other spellings of the next names in line count as taken and are left alone.
    std::string last = NHostFileSystem::TempFileName("C:\\Work", "Lum");
    unsigned number = std::stoul(last.substr(11, last.size() - 15), nullptr, 16);
    for (unsigned next = number + 1; next < number + 4; ++next) {
        char blocked[32];
        snprintf(blocked, sizeof blocked, "LUM%X.TMP", next);
        NTestPrefix::WriteFile(work / blocked, "keep");
    }
    ASSERT_FALSE(NHostFileSystem::TempFileName("C:\\Work", "Lum").empty());
    EXPECT_EQ(Names(work).size(), kCount + 5);
    for (const fs::directory_entry& entry : fs::directory_iterator(work)) {
        bool blocked = entry.path().filename().string().starts_with("LUM");
        EXPECT_EQ(NTestPrefix::ReadFile(entry.path()), blocked ? "keep" : "");
    }
    EXPECT_TRUE(NHostFileSystem::TempFileName("C:\\Work", "\xC3\x84rger").starts_with("C:\\Work\\\xC3\x84r"));
    EXPECT_EQ(NHostFileSystem::TempFileName("C:\\Missing", "Lum"), "");
}

}  // namespace
