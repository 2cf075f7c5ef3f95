// The 256-entry virtual-key table, built at compile time.
#include "framework/NKeyTable.h"

#include <array>

namespace {

// Platform virtual-key codes.
enum : int32_t {
    kVkBack = 8,
    kVkTab = 9,
    kVkClear = 12,
    kVkReturn = 13,
    kVkShift = 16,
    kVkControl = 17,
    kVkMenu = 18,   // Alt
    kVkPause = 19,
    kVkCapital = 20,
    kVkEscape = 27,
    kVkSpace = 32,
    kVkPrior = 33,
    kVkNext = 34,
    kVkEnd = 35,
    kVkHome = 36,
    kVkLeft = 37,
    kVkUp = 38,
    kVkRight = 39,
    kVkDown = 40,
    kVkSnapshot = 42,   // Print
    kVkInsert = 45,
    kVkDelete = 46,
    kVk0 = 48,
    kVk9 = 57,
    kVkA = 65,
    kVkZ = 90,
    kVkNumpad0 = 96,
    kVkNumpad9 = 105,
    kVkMultiply = 106,
    kVkAdd = 107,
    kVkSubtract = 109,
    kVkDecimal = 110,
    kVkDivide = 111,
    kVkF1 = 112,
    kVkF12 = 123,
    kVkNumLock = 144,
    kVkScroll = 145,
    kVkOemPlus = 187,     // "="
    kVkOemComma = 188,
    kVkOemMinus = 189,
    kVkOemPeriod = 190,
    kVkOem2 = 191,        // "/"
    kVkOem3 = 192,        // "`"
    kVkOem4 = 219,        // "["
    kVkOem5 = 220,        // "\"
    kVkOem6 = 221,        // "]"
    kVkOem7 = 222,        // quote
    kVkOem1 = 186,        // ";"
};

struct KeyPair {
    int32_t fVirtualKey;
    int32_t fKey;
};

constexpr KeyPair kSingleKeys[] = {
    { kVkBack, kKeyBackspace },   { kVkTab, kKeyTab },         { kVkClear, kKeyClear },
    { kVkReturn, kKeyReturn },    { kVkEscape, kKeyEscape },   { kVkSpace, kKeySpace },
    { kVkInsert, kKeyInsert },    { kVkDelete, kKeyDelete },   { kVkHome, kKeyHome },
    { kVkEnd, kKeyEnd },          { kVkPrior, kKeyPageUp },    { kVkNext, kKeyPageDown },
    { kVkLeft, kKeyLeft },        { kVkRight, kKeyRight },     { kVkUp, kKeyUp },
    { kVkDown, kKeyDown },        { kVkOemPlus, kKeyEquals },  { kVkOemMinus, kKeyMinus },
    { kVkOem6, kKeyRightBracket }, { kVkOem4, kKeyLeftBracket }, { kVkOem7, kKeyQuote },
    { kVkOem1, kKeySemicolon },   { kVkOem5, kKeyBackslash },  { kVkOemComma, kKeyComma },
    { kVkOem2, kKeySlash },       { kVkOemPeriod, kKeyPeriod }, { kVkOem3, kKeyGrave },
    { kVkNumLock, kKeyNumLock },  { kVkMultiply, kKeyPadMultiply }, { kVkAdd, kKeyPadAdd },
    { kVkSubtract, kKeyPadSubtract }, { kVkDecimal, kKeyPadDecimal }, { kVkDivide, kKeyPadDivide },
    { kVkSnapshot, kKeyPrint },   { kVkScroll, kKeyScrollLock }, { kVkPause, kKeyPause },
    { kVkShift, kKeyShift },      { kVkCapital, kKeyCapsLock }, { kVkMenu, kKeyAlt },
    { kVkControl, kKeyControl },
};

// Runs of consecutive virtual keys onto consecutive key codes.
struct KeyRun {
    int32_t fFirstVirtualKey;
    int32_t fLastVirtualKey;
    int32_t fFirstKey;
};

constexpr KeyRun kKeyRuns[] = {
    { kVk0, kVk9, kKey0 },
    { kVkA, kVkZ, kKeyA },
    { kVkNumpad0, kVkNumpad9, kKeyPad0 },
    { kVkF1, kVkF12, kKeyF1 },
};

constexpr std::array<uint8_t, NKeyTable::kTableSize> BuildTable()
{
    std::array<uint8_t, NKeyTable::kTableSize> table {};
    table.fill(kKeyNone);
    for (const KeyPair& pair : kSingleKeys)
        table[pair.fVirtualKey] = static_cast<uint8_t>(pair.fKey);
    for (const KeyRun& run : kKeyRuns) {
        for (int32_t key = run.fFirstVirtualKey; key <= run.fLastVirtualKey; ++key)
            table[key] = static_cast<uint8_t>(run.fFirstKey + key - run.fFirstVirtualKey);
    }
    return table;
}

constexpr std::array<uint8_t, NKeyTable::kTableSize> kTable = BuildTable();

} // namespace

int32_t NKeyTable::Map(int32_t virtualKey)
{
    if (virtualKey < 0 || virtualKey >= kTableSize)
        return kKeyNone;
    return kTable[virtualKey];
}
