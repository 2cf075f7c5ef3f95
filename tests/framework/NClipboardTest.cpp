// Tests of the clipboard accessor: nesting, text exchange, and clipboards that refuse access.
#include "framework/NClipboard.h"

#include "platform/NHostLocalClipboard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A clipboard that counts how often it is opened, or refuses to open.
class NCountingClipboard : public NHostClipboard {
public:
    bool Open() override
    {
        if (fRefuse || fOpen)
            return false;
        fOpen = true;
        ++fOpens;
        return true;
    }
    void Close() override { fOpen = false; }
    uint32_t EnumFormats(uint32_t format) override { return fOpen && format == 0 ? uint32_t {kClipboardText} : 0u; }
    bool Empty() override { return fOpen; }
    bool GetData(uint32_t format, std::string& data) override
    {
        data = "held";
        return fOpen && format == kClipboardText;
    }
    bool SetData(uint32_t, std::string) override { return fOpen; }

    bool fRefuse = false;
    bool fOpen = false;
    int fOpens = 0;
};

// A clipboard that says when it is closed.
class NReportingClipboard : public NCountingClipboard {
public:
    void Close() override
    {
        NCountingClipboard::Close();
        std::fprintf(stderr, "closed at exit\n");
    }
};

class NClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(NClipboard::The().OpenCount(), 0); }
    void TearDown() override
    {
        while (NClipboard::The().OpenCount() > 0)
            NClipboard::The().Close();
        NHostClipboard::Install(nullptr);
        NHostLocalClipboard& store = NHostLocalClipboard::The();
        if (store.Open()) {
            store.Empty();
            store.Close();
        }
    }
};

TEST_F(NClipboardTest, TextSetIsTextGot)
{
    NClipboard& clipboard = NClipboard::The();
    EXPECT_EQ(clipboard.GetText(), "");
    EXPECT_FALSE(clipboard.HasFormat(kClipboardText));
    for (const std::string text : {"Sunset at the beach", "caf\xE9 \x80 \x93quoted\x94", ""}) {
        ASSERT_TRUE(clipboard.SetText(text));
        EXPECT_TRUE(clipboard.HasFormat(kClipboardText));
        EXPECT_EQ(clipboard.GetText(), text);
    }
    size_t size = 0;
    ASSERT_TRUE(clipboard.SetText("abc"));
    auto data = clipboard.GetData(kClipboardText, size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data.get()), size), std::string("abc\0", 4));
    EXPECT_EQ(clipboard.OpenCount(), 0);
    EXPECT_FALSE(NHostLocalClipboard::The().IsOpen());
}

TEST_F(NClipboardTest, APictureAloneGivesEmptyTextAndTextUpToItsFirstZero)
{
    NHostLocalClipboard& store = NHostLocalClipboard::The();
    ASSERT_TRUE(store.Open());
    store.Empty();
    store.SetData(kClipboardDib, "BM....");
    store.Close();
    NClipboard& clipboard = NClipboard::The();
    EXPECT_TRUE(clipboard.HasFormat(kClipboardDib));
    EXPECT_FALSE(clipboard.HasFormat(kClipboardText));
    EXPECT_EQ(clipboard.GetText(), "");
    size_t size = 99;
    EXPECT_EQ(clipboard.GetData(kClipboardText, size), nullptr);
    EXPECT_EQ(size, 0u);

    // A block longer than its text, as the desktop may hand one over.
    ASSERT_TRUE(store.Open());
    store.SetData(kClipboardText, std::string("hi\0junk after\0", 14));
    store.Close();
    EXPECT_EQ(clipboard.GetText(), "hi");
    EXPECT_EQ(clipboard.GetData(kClipboardText, size)[3], 'j');
    EXPECT_EQ(size, 14u);
    ASSERT_TRUE(clipboard.SetText("replaced"));
    EXPECT_FALSE(clipboard.HasFormat(kClipboardDib));
}

TEST_F(NClipboardTest, NestedOperationsOpenTheClipboardOnce)
{
    NCountingClipboard counting;
    NHostClipboard::Install(&counting);
    NClipboard& clipboard = NClipboard::The();
    ASSERT_TRUE(clipboard.Open());
    ASSERT_TRUE(clipboard.Open());
    EXPECT_EQ(clipboard.OpenCount(), 2);
    EXPECT_TRUE(clipboard.HasFormat(kClipboardText));
    EXPECT_EQ(clipboard.GetText(), "held");
    EXPECT_TRUE(clipboard.SetText("x"));
    EXPECT_TRUE(counting.fOpen);
    EXPECT_EQ(counting.fOpens, 1);
    clipboard.Close();
    EXPECT_TRUE(counting.fOpen);
    clipboard.Close();
    EXPECT_FALSE(counting.fOpen);
    clipboard.Close();   // unbalanced: nothing happens
    EXPECT_EQ(clipboard.OpenCount(), 0);
    EXPECT_EQ(clipboard.GetText(), "held");
    EXPECT_EQ(counting.fOpens, 2);
    EXPECT_FALSE(counting.fOpen);
}

TEST_F(NClipboardTest, AClipboardThatCannotBeOpenedGivesFalseAndNothing)
{
    NCountingClipboard counting;
    counting.fRefuse = true;
    NHostClipboard::Install(&counting);
    NClipboard& clipboard = NClipboard::The();
    EXPECT_FALSE(clipboard.Open());
    EXPECT_EQ(clipboard.OpenCount(), 0);
    EXPECT_FALSE(clipboard.HasFormat(kClipboardText));
    EXPECT_FALSE(clipboard.SetText("lost"));
    EXPECT_EQ(clipboard.GetText(), "");
    size_t size = 7;
    EXPECT_EQ(clipboard.GetData(kClipboardText, size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(NClipboardTest, AnAccessorLeftOpenClosesTheClipboardAtExit)
{
    // In a process of its own, so that the exit is real. The clipboard is never destroyed:
    // it has to outlive the accessor that closes it.
    EXPECT_EXIT(
        {
            static NReportingClipboard* sReporting = new NReportingClipboard;
            NHostClipboard::Install(sReporting);
            NClipboard::The().Open();
            NClipboard::The().Open();
            std::exit(0);
        },
        testing::ExitedWithCode(0), "closed at exit");
}

}   // namespace
