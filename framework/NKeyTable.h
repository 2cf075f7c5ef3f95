// The framework's key codes and the table that maps the platform's virtual keys onto them.
#pragma once

#include <cstdint>

// Key codes of input events. Letters and digits keep their character codes.
enum : int32_t {
    kKeyBackspace = 8,
    kKeyTab = 9,
    kKeyClear = 12,
    kKeyReturn = 13,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyEquals = 33,
    kKeyMinus = 34,
    kKeyRightBracket = 35,
    kKeyLeftBracket = 36,
    kKeyQuote = 37,
    kKeySemicolon = 38,
    kKeyBackslash = 39,
    kKeyComma = 40,
    kKeySlash = 41,
    kKeyPeriod = 42,
    kKeyGrave = 43,
    kKey0 = 48,   // to kKey9 = 57
    kKey9 = 57,
    kKeyA = 65,   // to kKeyZ = 90
    kKeyZ = 90,
    kKeyPad0 = 128,   // to pad 9 = 137
    kKeyPadMultiply = 138,
    kKeyPadAdd = 139,
    kKeyPadSubtract = 140,
    kKeyPadDecimal = 141,
    kKeyPadDivide = 142,
    kKeyInsert = 144,
    kKeyDelete = 145,
    kKeyHome = 146,
    kKeyEnd = 147,
    kKeyPageUp = 148,
    kKeyPageDown = 149,
    kKeyLeft = 150,
    kKeyRight = 151,
    kKeyUp = 152,
    kKeyDown = 153,
    kKeyNumLock = 160,
    kKeyF1 = 161,   // to kKeyF12 = 172
    kKeyF12 = 172,
    kKeyPrint = 173,
    kKeyScrollLock = 174,
    kKeyPause = 175,
    kKeyShift = 177,
    kKeyCapsLock = 178,
    kKeyAlt = 179,
    kKeyControl = 180,
    kKeyNone = 255,   // unmapped: produces no key event
};

class NKeyTable {
public:
    static constexpr int32_t kTableSize = 256;

    /// The key code of a platform virtual key; kKeyNone for unmapped and out-of-range keys.
    static int32_t Map(int32_t virtualKey);
};
