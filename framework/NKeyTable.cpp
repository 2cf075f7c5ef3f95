// The 256-entry virtual-key table, built at compile time.
#include "framework/NKeyTable.h"

#include "platform/NHostVirtualKey.h"

#include <array>

namespace {

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
    { kVkOemRightBracket, kKeyRightBracket }, { kVkOemLeftBracket, kKeyLeftBracket }, { kVkOemQuote, kKeyQuote },
    { kVkOemSemicolon, kKeySemicolon },   { kVkOemBackslash, kKeyBackslash },  { kVkOemComma, kKeyComma },
    { kVkOemSlash, kKeySlash },       { kVkOemPeriod, kKeyPeriod }, { kVkOemGrave, kKeyGrave },
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
