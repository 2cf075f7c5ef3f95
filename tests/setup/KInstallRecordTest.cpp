// The install record: its text form and how runs over one install add up.
#include "setup/KInstallRecord.h"

#include "platform/NHostRegistry.h"

#include <gtest/gtest.h>

namespace {

KRecordEntry Value(const std::string& key, const std::string& name, const std::string& written,
                   const std::string* previous)
{
    KRecordEntry entry;
    entry.fKind = KRecordEntry::Kind::kValue;
    entry.fRoot = kHKeyClassesRoot;
    entry.fPath = key;
    entry.fName = name;
    entry.fWritten = StringValue(written);
    entry.fHadPrevious = previous != nullptr;
    if (previous)
        entry.fPrevious = StringValue(*previous);
    return entry;
}

TEST(KInstallRecordTest, TextKeepsAwkwardNamesAndBytes)
{
    KInstallRecord record;
    KRecordEntry file;
    file.fPath = "C:\\Program Files\\Lumora\\100% \tfun\n.exe";
    record.Add(file);
    const std::string other = "Other.Viewer";
    record.Add(Value(".Qip", "", "Lumora.Album", &other));
    KRecordEntry flags = Value("Lumora.Album", "EditFlags", "", nullptr);
    flags.fWritten = KRawValue {kRegDword, std::string("\x00\x00\x01\x00", 4)};
    record.Add(flags);
    KRecordEntry desktop;
    desktop.fKind = KRecordEntry::Kind::kDesktop;
    desktop.fPath = "lumora-player";
    record.Add(desktop);

    std::string text = record.Text();
    EXPECT_EQ(text.find("\tfun"), std::string::npos);
    KInstallRecord read = KInstallRecord::FromText(text + "garbage\tline\nvalue\t1\tbroken\n"
                                                   "key\t99999999999999999999\tToo.Big\n");
    ASSERT_EQ(read.Entries().size(), 4u);
    EXPECT_EQ(read.Entries()[0].fPath, file.fPath);
    EXPECT_TRUE(read.Entries()[1].fHadPrevious);
    EXPECT_EQ(read.Entries()[1].fPrevious, StringValue("Other.Viewer"));
    EXPECT_FALSE(read.Entries()[2].fHadPrevious);
    EXPECT_EQ(read.Entries()[2].fWritten, flags.fWritten);
    EXPECT_EQ(read.Entries()[3].fKind, KRecordEntry::Kind::kDesktop);
    EXPECT_EQ(read.Text(), text);
}

TEST(KInstallRecordTest, LaterRunKeepsWhatTheUserHadBeforeTheFirst)
{
    const std::string user = "Other.Viewer";
    const std::string ours = "Lumora.Album";
    KInstallRecord first;
    first.Add(Value(".Qip", "", ours, &user));
    KInstallRecord second;
    second.Add(Value(".QIP", "", ours, &ours));   // names compare without regard to case
    second.Add(Value("Lumora.Album", "", "Lumora slideshow", nullptr));
    second.MergeEarlier(first);
    ASSERT_EQ(second.Entries().size(), 2u);
    EXPECT_EQ(second.Entries()[0].fPrevious, StringValue(user));
    EXPECT_EQ(second.Entries()[1].fPath, "Lumora.Album");
}

} // namespace
