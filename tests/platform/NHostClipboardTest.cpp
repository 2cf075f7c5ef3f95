// Tests of the process's own clipboard store and of installing another clipboard.
#include "platform/NHostClipboard.h"
#include "platform/NHostLocalClipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A clipboard that stays closed, standing in for a desktop that refuses access.
class NLockedClipboard : public NHostClipboard {
public:
    bool Open() override { return false; }
    void Close() override {}
    uint32_t EnumFormats(uint32_t) override { return 0; }
    bool Empty() override { return false; }
    bool GetData(uint32_t, std::string&) override { return false; }
    bool SetData(uint32_t, std::string) override { return false; }
};

class NHostClipboardTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        NHostLocalClipboard& store = NHostLocalClipboard::The();
        if (store.Open()) {
            store.Empty();
            store.Close();
        }
    }
};

TEST_F(NHostClipboardTest, OneOpenerAtATimeAndContentsOnlyWhileOpen)
{
    NHostLocalClipboard& store = NHostLocalClipboard::The();
    EXPECT_EQ(&NHostClipboard::Current(), &store);
    std::string data;
    EXPECT_FALSE(store.SetData(kClipboardText, "early"));
    EXPECT_FALSE(store.Empty());
    ASSERT_TRUE(store.Open());
    EXPECT_FALSE(store.Open());
    EXPECT_TRUE(store.Empty());
    EXPECT_TRUE(store.SetData(kClipboardDib, "pixels"));
    EXPECT_TRUE(store.SetData(kClipboardText, std::string("hi\0", 3)));
    EXPECT_TRUE(store.SetData(kClipboardDib, "other pixels"));
    EXPECT_FALSE(store.SetData(0, "no format"));
    std::vector<uint32_t> formats;
    for (uint32_t format = store.EnumFormats(0); format != 0; format = store.EnumFormats(format))
        formats.push_back(format);
    EXPECT_EQ(formats, (std::vector<uint32_t> {kClipboardDib, kClipboardText}));
    EXPECT_TRUE(store.GetData(kClipboardDib, data));
    EXPECT_EQ(data, "other pixels");
    EXPECT_FALSE(store.GetData(kClipboardBitmap, data));
    store.Close();
    EXPECT_FALSE(store.GetData(kClipboardDib, data));
    EXPECT_EQ(store.EnumFormats(0), 0u);
    ASSERT_TRUE(store.Open());
    EXPECT_TRUE(store.GetData(kClipboardText, data));   // contents outlive the opener
    EXPECT_EQ(data, std::string("hi\0", 3));
    store.Close();
}

TEST_F(NHostClipboardTest, AnInstalledClipboardServesUntilItGoesAway)
{
    {
        NLockedClipboard locked;
        NHostClipboard::Install(&locked);
        EXPECT_EQ(&NHostClipboard::Current(), &locked);
        EXPECT_FALSE(NHostClipboard::Current().Open());
    }
    EXPECT_EQ(&NHostClipboard::Current(), &NHostLocalClipboard::The());
    NLockedClipboard other;
    NHostClipboard::Install(&other);
    NHostClipboard::Install(nullptr);
    EXPECT_EQ(&NHostClipboard::Current(), &NHostLocalClipboard::The());
}

}   // namespace
