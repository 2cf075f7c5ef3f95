// Tests of the window service's shared part and the single-instance requests.
#include "platform/NHostDisplay.h"

#include "platform/NHostBitmap.h"
#include "platform/NHostDeviceContext.h"
#include "platform/NHostHeadlessDisplay.h"
#include "platform/NHostHeadlessWindow.h"
#include "platform/NHostInstance.h"
#include "tests/support/NTestEnvironment.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <thread>
#include <utility>

namespace {

TEST(NHostDisplayTest, TextInputBecomesWindows1252AndWhatItLacksIsDropped)
{
    EXPECT_EQ(NHostUtf8ToAnsi("a\xC3\xA9 \xC3\x9F"), "a\xE9 \xDF");
    // The euro sign, curly quotes and the trade mark live in the code page's high half.
    EXPECT_EQ(NHostUtf8ToAnsi("\xE2\x82\xAC\xE2\x80\x9C\xE2\x84\xA2"), "\x80\x93\x99");
    // Katakana, an emoji and the C1 controls have no place in it.
    EXPECT_EQ(NHostUtf8ToAnsi("x\xE3\x82\xA2y\xF0\x9F\x98\x80z\xC2\x81"), "xyz");
    // Malformed input: a lone continuation, a cut sequence, an overlong slash.
    EXPECT_EQ(NHostUtf8ToAnsi("\x80q\xC3"), "q");
    EXPECT_EQ(NHostUtf8ToAnsi("\xC0\xAF\xE0\x80\xAFok"), "ok");
    EXPECT_EQ(NHostUtf8ToAnsi("\xC3(b"), "(b");
}

TEST(NHostDisplayTest, BackdropFallsBackToCoveringWhereTheWindowManagerMovesIt)
{
    const NHostRect whole { 0, 0, 1024, 768 };
    // Before it is shown, only the setting and the window system decide.
    EXPECT_FALSE(NHostBackdropNeedsCovering(nullptr, "x11", nullptr, 1024, 768));
    EXPECT_TRUE(NHostBackdropNeedsCovering(nullptr, "wayland", nullptr, 1024, 768));
    EXPECT_TRUE(NHostBackdropNeedsCovering("cover", "x11", &whole, 1024, 768));
    EXPECT_FALSE(NHostBackdropNeedsCovering("window", "wayland", nullptr, 1024, 768));
    EXPECT_FALSE(NHostBackdropNeedsCovering("bogus", "x11", &whole, 1024, 768));
    // Shown, it must cover the whole screen from its corner.
    EXPECT_FALSE(NHostBackdropNeedsCovering(nullptr, "x11", &whole, 1024, 768));
    const NHostRect belowPanel { 0, 24, 1024, 768 };
    const NHostRect cascaded { 40, 40, 1064, 808 };
    const NHostRect shrunk { 0, 0, 1024, 744 };
    EXPECT_TRUE(NHostBackdropNeedsCovering(nullptr, "x11", &belowPanel, 1024, 768));
    EXPECT_TRUE(NHostBackdropNeedsCovering(nullptr, "x11", &cascaded, 1024, 768));
    EXPECT_TRUE(NHostBackdropNeedsCovering(nullptr, "x11", &shrunk, 1024, 768));
    EXPECT_FALSE(NHostBackdropNeedsCovering("window", "x11", &cascaded, 1024, 768));
}

TEST(NHostDisplayTest, OverridesAndScale)
{
    NTestEnvironment env;
    env.Unset("LUMORA_SCALE");
    env.Unset("LUMORA_DISPLAY_DEPTH");
    env.Set("LUMORA_SCREEN_SIZE", "3840x2160");
    NHostHeadlessDisplay display(1024, 768, 24);
    EXPECT_EQ(display.ScreenWidth(), 3840);
    EXPECT_EQ(display.ScaleFor(640, 480), 4);
    display.SetScale(display.ScaleFor(640, 480));
    EXPECT_EQ(display.ScreenWidth(), 960);
    EXPECT_EQ(display.ScreenHeight(), 540);
    EXPECT_EQ(display.ScreenDepth(), 24);
    for (const char* depth : { "4", "8", "16", "24", "32" }) {
        env.Set("LUMORA_DISPLAY_DEPTH", depth);
        EXPECT_EQ(display.ScreenDepth(), std::atoi(depth));
    }
    env.Set("LUMORA_DISPLAY_DEPTH", "12");
    EXPECT_EQ(display.ScreenDepth(), 24);
    env.Set("LUMORA_SCALE", "2");
    EXPECT_EQ(display.ScaleFor(640, 480), 2);
    env.Set("LUMORA_SCALE", "0");
    EXPECT_EQ(display.ScaleFor(640, 480), 4);

    // Pointer positions come back in content pixels, rounding towards minus infinity.
    NHostHeadlessDisplay scaled(1280, 960);
    scaled.SetScale(2);
    scaled.PushScreenPointer(NHostMessageType::kMouseMove, 5, -1);
    NHostMessage message;
    ASSERT_TRUE(scaled.PollMessage(message));
    EXPECT_EQ(message.fX, 2);
    EXPECT_EQ(message.fY, -1);
}

TEST(NHostDisplayTest, CoveringTheScreenCentresTheEnlargedContentAndMapsThePointerBack)
{
    NTestEnvironment env;
    env.Unset("LUMORA_SCALE");
    env.Unset("LUMORA_SCREEN_SIZE");
    // The cover scale is the largest whole factor that fits, never below the display's.
    EXPECT_EQ(NHostHeadlessDisplay(1920, 1080).CoverScaleFor(640, 480), 2);
    EXPECT_EQ(NHostHeadlessDisplay(2560, 1440).CoverScaleFor(640, 480), 3);
    EXPECT_EQ(NHostHeadlessDisplay(800, 600).CoverScaleFor(640, 480), 1);
    NHostHeadlessDisplay squeezed(1000, 700);
    squeezed.SetScale(2);
    EXPECT_EQ(squeezed.CoverScaleFor(640, 480), 2);

    NHostHeadlessDisplay display(1300, 1000);
    ASSERT_TRUE(display.CreateMain("t", 30, 40, 640, 480, NHostWindowStyle()));
    display.SetBackdropColor(0x102030);
    NHostHeadlessWindow& window = *display.HeadlessMain();
    // A frame presented with a mark in two corners.
    auto context = NHostDeviceContext::CreateCompatible();
    NHostBitmapInfo info;
    info.fWidth = 640;
    info.fHeight = -480;
    info.fBitCount = 32;
    std::unique_ptr<NHostBitmap> bitmap = NHostBitmap::CreateDibSection(info, *context);
    ASSERT_NE(bitmap, nullptr);
    auto* bits = reinterpret_cast<uint32_t*>(bitmap->Bits());
    std::fill(bits, bits + 640 * 480, 0x808080u);
    bits[0] = 0xFF0000;
    bits[479 * 640 + 639] = 0x00FF00;
    context->SelectBitmap(bitmap.get());
    window.CopyFrom(*context, 0, 0, 0, 0, 640, 480);
    context->SelectBitmap(nullptr);

    display.CoverScreen(true, display.CoverScaleFor(640, 480));
    EXPECT_TRUE(display.IsCoveringScreen());
    EXPECT_EQ(display.ShownScale(), 2);
    EXPECT_EQ(display.Scale(), 1);
    int32_t x = 0, y = 0;
    display.ContentOffset(x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    display.MainPosition(x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    // The content's corners land centred and doubled, the surround is the backdrop colour.
    for (auto [sx, sy] : { std::pair { 10, 20 }, { 11, 21 } })
        EXPECT_EQ(display.ScreenPixel(sx, sy), 0xFFFF0000u);
    for (auto [sx, sy] : { std::pair { 1288, 978 }, { 1289, 979 } })
        EXPECT_EQ(display.ScreenPixel(sx, sy), 0xFF00FF00u);
    for (auto [sx, sy] : { std::pair { 0, 0 }, { 9, 500 }, { 1290, 500 }, { 650, 19 }, { 1299, 999 } })
        EXPECT_EQ(display.ScreenPixel(sx, sy), 0xFF102030u) << sx << "," << sy;

    // Screen pixels map back to content pixels; a press around the content is the backdrop's.
    // Covering asks for a paint of the content.
    NHostMessage message;
    ASSERT_TRUE(display.PollMessage(message));
    EXPECT_EQ(message.fType, NHostMessageType::kPaint);
    display.PushScreenPointer(NHostMessageType::kMouseMove, 10 + 2 * 320 + 1, 20 + 2 * 240 + 1);
    display.PushScreenPointer(NHostMessageType::kButtonDown, 1289, 979);
    display.PushScreenPointer(NHostMessageType::kButtonDown, 5, 5);
    ASSERT_TRUE(display.PollMessage(message));
    EXPECT_EQ(message.fX, 320);
    EXPECT_EQ(message.fY, 240);
    ASSERT_TRUE(display.PollMessage(message));
    EXPECT_EQ(message.fType, NHostMessageType::kButtonDown);
    EXPECT_EQ(message.fX, 639);
    EXPECT_EQ(message.fY, 479);
    ASSERT_TRUE(display.PollMessage(message));
    EXPECT_EQ(message.fType, NHostMessageType::kBackdropClick);

    // Leaving gives the window back its place and the display's own scale.
    display.CoverScreen(false, 0);
    EXPECT_FALSE(display.IsCoveringScreen());
    EXPECT_EQ(display.ShownScale(), 1);
    display.MainPosition(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    ASSERT_TRUE(display.PollMessage(message));
    EXPECT_EQ(message.fType, NHostMessageType::kPaint);
    display.PushScreenPointer(NHostMessageType::kButtonDown, 5, 5);
    ASSERT_TRUE(display.PollMessage(message));
    EXPECT_EQ(message.fType, NHostMessageType::kButtonDown);
    EXPECT_EQ(message.fX, 5);
}

TEST(NHostDisplayTest, InstanceRequestsRoundTripAndMalformedOnesAreRefused)
{
    std::string bytes = NHostInstance::EncodeRequest(NHostInstance::Kind::kData, 0x01020304, "CMDLINE=x", 9);
    ASSERT_EQ(bytes.size(), 13u + 9u);
    NHostInstance::Kind kind;
    uint32_t tag = 0;
    std::string data;
    ASSERT_TRUE(NHostInstance::DecodeRequest(bytes, kind, tag, data));
    EXPECT_EQ(kind, NHostInstance::Kind::kData);
    EXPECT_EQ(tag, 0x01020304u);
    EXPECT_EQ(data, "CMDLINE=x");

    EXPECT_FALSE(NHostInstance::DecodeRequest(bytes.substr(0, bytes.size() - 1), kind, tag, data));
    EXPECT_FALSE(NHostInstance::DecodeRequest(bytes + "!", kind, tag, data));
    std::string wrongKind = bytes;
    wrongKind[4] = 3;
    EXPECT_FALSE(NHostInstance::DecodeRequest(wrongKind, kind, tag, data));
    std::string wrongMagic = bytes;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(NHostInstance::DecodeRequest(wrongMagic, kind, tag, data));
    std::string huge = NHostInstance::EncodeRequest(NHostInstance::Kind::kRaise, 0, nullptr, 0);
    huge[12] = char(0x7F);   // claims 2 GB
    EXPECT_FALSE(NHostInstance::DecodeRequest(huge, kind, tag, data));
}

TEST(NHostDisplayTest, OnlyOneClaimPerClassAndTheListenerWakesAWait)
{
    char folder[] = "/tmp/lumora-instance-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    NTestEnvironment env;
    env.Set("XDG_RUNTIME_DIR", folder);
    {
        NHostInstance first;
        NHostInstance second;
        ASSERT_EQ(first.ClaimFor("Some Program"), NHostInstance::Claim::kFirst);
        EXPECT_EQ(second.ClaimFor("Some Program"), NHostInstance::Claim::kRunning);
        EXPECT_EQ(second.ClaimFor("Other Program"), NHostInstance::Claim::kFirst);

        NHostHeadlessDisplay display;
        display.WatchDescriptor(first.Descriptor());
        NHostMessage message;
        EXPECT_FALSE(display.PollMessage(message));
        int32_t answer = 0;
        std::thread sender([&] { NHostInstance::Send("Some Program", NHostInstance::Kind::kRaise, 0, nullptr, 0, answer); });
        ASSERT_TRUE(display.WaitMessage(message, 10000));
        EXPECT_EQ(message.fType, NHostMessageType::kWake);
        int raises = 0;
        EXPECT_EQ(first.Serve([&](NHostInstance::Kind kind, uint32_t, const std::string&) {
            raises += kind == NHostInstance::Kind::kRaise;
            return 42;
        }), 1);
        sender.join();
        EXPECT_EQ(raises, 1);
        EXPECT_EQ(answer, 42);
    }
    // Both claims are given up with their owners: the next start is the first again.
    NHostInstance again;
    EXPECT_EQ(again.ClaimFor("Some Program"), NHostInstance::Claim::kFirst);
    std::filesystem::remove_all(folder);
}

} // namespace
