// Tests of the SDL back end's pieces that need no display server: the key mapping, and the
// desktop clipboard over SDL's dummy video driver.
#include "platform/NHostSdlDisplay.h"

#include "platform/NHostClipboard.h"

#include <SDL2/SDL.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

int32_t Key(SDL_Scancode scancode, SDL_Keycode keycode)
{
    return NHostSdlDisplay::VirtualKeyOf(scancode, keycode);
}

TEST(NHostSdlDisplayTest, NavigationFunctionAndKeypadKeysGoByTheirPlace)
{
    EXPECT_EQ(Key(SDL_SCANCODE_LEFT, SDLK_LEFT), kVkLeft);
    EXPECT_EQ(Key(SDL_SCANCODE_RIGHT, SDLK_RIGHT), kVkRight);
    EXPECT_EQ(Key(SDL_SCANCODE_UP, SDLK_UP), kVkUp);
    EXPECT_EQ(Key(SDL_SCANCODE_DOWN, SDLK_DOWN), kVkDown);
    EXPECT_EQ(Key(SDL_SCANCODE_HOME, SDLK_HOME), kVkHome);
    EXPECT_EQ(Key(SDL_SCANCODE_END, SDLK_END), kVkEnd);
    EXPECT_EQ(Key(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP), kVkPrior);
    EXPECT_EQ(Key(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN), kVkNext);
    EXPECT_EQ(Key(SDL_SCANCODE_DELETE, SDLK_DELETE), kVkDelete);
    EXPECT_EQ(Key(SDL_SCANCODE_F1, SDLK_F1), kVkF1);
    EXPECT_EQ(Key(SDL_SCANCODE_F12, SDLK_F12), kVkF12);
    EXPECT_EQ(Key(SDL_SCANCODE_F13, SDLK_F13), kVkF12 + 1);
    EXPECT_EQ(Key(SDL_SCANCODE_F24, SDLK_F24), kVkF24);
    // The keypad's digits are their own keys whatever Num Lock makes of the keycode.
    EXPECT_EQ(Key(SDL_SCANCODE_KP_0, SDLK_KP_0), kVkNumpad0);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_7, SDLK_HOME), kVkNumpad0 + 7);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_9, SDLK_KP_9), kVkNumpad9);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS), kVkAdd);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS), kVkSubtract);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY), kVkMultiply);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE), kVkDivide);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD), kVkDecimal);
    EXPECT_EQ(Key(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), kVkReturn);
    EXPECT_EQ(Key(SDL_SCANCODE_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR), kVkNumLock);
}

TEST(NHostSdlDisplayTest, LettersFollowTheLayoutAndPunctuationIsNamed)
{
    // The key where a QWERTY keyboard has "A" types "q" on a French layout: the letter counts.
    EXPECT_EQ(Key(SDL_SCANCODE_A, SDLK_q), kVkA + ('Q' - 'A'));
    EXPECT_EQ(Key(SDL_SCANCODE_Z, SDLK_z), kVkZ);
    EXPECT_EQ(Key(SDL_SCANCODE_0, SDLK_0), kVk0);
    EXPECT_EQ(Key(SDL_SCANCODE_9, SDLK_9), kVk9);
    // Punctuation's characters collide with other keys' codes (the comma is 44, a code
    // near the print key's); each goes to its own key.
    EXPECT_EQ(Key(SDL_SCANCODE_COMMA, SDLK_COMMA), kVkOemComma);
    EXPECT_EQ(Key(SDL_SCANCODE_PERIOD, SDLK_PERIOD), kVkOemPeriod);
    EXPECT_EQ(Key(SDL_SCANCODE_SLASH, SDLK_SLASH), kVkOemSlash);
    EXPECT_EQ(Key(SDL_SCANCODE_MINUS, SDLK_MINUS), kVkOemMinus);
    EXPECT_EQ(Key(SDL_SCANCODE_EQUALS, SDLK_EQUALS), kVkOemPlus);
    EXPECT_EQ(Key(SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON), kVkOemSemicolon);
    EXPECT_EQ(Key(SDL_SCANCODE_APOSTROPHE, SDLK_QUOTE), kVkOemQuote);
    EXPECT_EQ(Key(SDL_SCANCODE_LEFTBRACKET, SDLK_LEFTBRACKET), kVkOemLeftBracket);
    EXPECT_EQ(Key(SDL_SCANCODE_RIGHTBRACKET, SDLK_RIGHTBRACKET), kVkOemRightBracket);
    EXPECT_EQ(Key(SDL_SCANCODE_BACKSLASH, SDLK_BACKSLASH), kVkOemBackslash);
    EXPECT_EQ(Key(SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE), kVkOemGrave);
    EXPECT_EQ(Key(SDL_SCANCODE_RETURN, SDLK_RETURN), kVkReturn);
    EXPECT_EQ(Key(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), kVkBack);
    EXPECT_EQ(Key(SDL_SCANCODE_LCTRL, SDLK_LCTRL), kVkControl);
    EXPECT_EQ(Key(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT), kVkShift);
    // Keys without one, and numbers out of SDL's range.
    EXPECT_EQ(Key(SDL_SCANCODE_MUTE, SDLK_MUTE), 0);
    EXPECT_EQ(Key(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN), 0);
    EXPECT_EQ(NHostSdlDisplay::VirtualKeyOf(-5, 0), 0);
    EXPECT_EQ(NHostSdlDisplay::VirtualKeyOf(SDL_NUM_SCANCODES + 3, SDLK_b), kVkA + 1);
}

TEST(NHostSdlDisplayTest, ClipboardCarriesWindows1252TextThroughTheDesktop)
{
    // SDL's dummy video driver keeps the desktop clipboard inside SDL.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string error;
    ASSERT_TRUE(NHostSdlDisplay::Open(error)) << error;
    const NHostClipboard* desktopClipboard = nullptr;
    {
        NHostSdlDisplay display;
        NHostClipboard& clipboard = NHostClipboard::Current();
        desktopClipboard = &clipboard;
        ASSERT_TRUE(clipboard.Open());
        EXPECT_FALSE(clipboard.Open());   // one opener at a time
        ASSERT_TRUE(clipboard.Empty());
        std::string block("caf\xE9 \x80 Stra\xDF" "e");
        block += '\0';
        block += "ignored after the end";
        ASSERT_TRUE(clipboard.SetData(kClipboardText, block));
        ASSERT_TRUE(clipboard.SetData(kClipboardDib, "pixels"));
        clipboard.Close();

        char* desktop = SDL_GetClipboardText();
        ASSERT_NE(desktop, nullptr);
        EXPECT_STREQ(desktop, "caf\xC3\xA9 \xE2\x82\xAC Stra\xC3\x9F" "e");
        SDL_free(desktop);

        // Another program's text comes in converted; what the code page lacks is dropped.
        ASSERT_EQ(SDL_SetClipboardText("Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93!"), 0);
        ASSERT_TRUE(clipboard.Open());
        std::string data;
        ASSERT_TRUE(clipboard.GetData(kClipboardText, data));
        EXPECT_EQ(data, std::string("Gr\xFC\xDF" "e !") + '\0');
        EXPECT_EQ(clipboard.EnumFormats(0), uint32_t(kClipboardText));
        EXPECT_EQ(clipboard.EnumFormats(kClipboardText), uint32_t(kClipboardDib));
        EXPECT_EQ(clipboard.EnumFormats(kClipboardDib), 0u);
        ASSERT_TRUE(clipboard.GetData(kClipboardDib, data));
        EXPECT_EQ(data, "pixels");

        // Emptied and closed without new text: the desktop's text is gone too.
        ASSERT_TRUE(clipboard.Empty());
        EXPECT_EQ(clipboard.EnumFormats(0), 0u);
        EXPECT_FALSE(clipboard.GetData(kClipboardText, data));
        clipboard.Close();
        EXPECT_FALSE(SDL_HasClipboardText());
        // Closed, nothing is reachable.
        EXPECT_FALSE(clipboard.GetData(kClipboardText, data));
        EXPECT_FALSE(clipboard.SetData(kClipboardText, std::string("x\0", 2)));
    }
    // With the window service gone, the process's own store serves again.
    EXPECT_NE(&NHostClipboard::Current(), desktopClipboard);
    NHostClipboard& local = NHostClipboard::Current();
    ASSERT_TRUE(local.Open());
    EXPECT_TRUE(local.SetData(kClipboardText, std::string("local\0", 6)));
    local.Close();
}

} // namespace
