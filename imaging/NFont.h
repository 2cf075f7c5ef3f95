// Font records: face, size, styles and character set, with the platform font made on first use.
#pragma once

#include "platform/NHostDeviceContext.h"

#include <cstdint>
#include <memory>
#include <string>

class NHostFont;

// Character sets the default is chosen from (platform character-set numbers).
enum : int32_t {
    kCharSetAnsi = 0,
    kCharSetShiftJis = 128,
    kCharSetHangul = 129,
    kCharSetJohab = 130,
    kCharSetGb2312 = 134,
    kCharSetChineseBig5 = 136,
};

/// Copying copies every field but the platform font, which each copy makes for itself.
/// Every change clears the valid flag, so the next GetHandle makes the platform font anew.
class NFont {
public:
    static constexpr int32_t kDefaultSize = 12;
    static constexpr char kButtonFace[] = "Arial";
    static constexpr char kButtonSecondFace[] = "Helvetica";
    static constexpr int32_t kButtonSecondSize = 10;

    NFont();
    NFont(const NFont& other);
    NFont& operator=(const NFont& other);
    ~NFont();

    /// The font text buttons use when none is given.
    static NFont ButtonDefault();
    /// The character set of the system's OEM code page, decided once per process.
    static int32_t DefaultCharSet();

    /// Reads "face,size[b][i],character set,second face,second size" from the current
    /// string table. Fields that are missing keep the values of a new font.
    void FontFromString(int32_t stringId);
    /// The same from a text.
    void FontFromText(const std::string& entry);

    /// The cached platform font while valid; otherwise a new one, falling back to "arial",
    /// to the face without a family, and finally to the stock system font.
    NHostDeviceContext::FontHandle GetHandle();
    bool IsValid() const { return fValid; }
    /// The character height in pixels the platform font is asked for (negative).
    int32_t CharacterHeight() const;

    const std::string& Face() const { return fFace; }
    int32_t Size() const { return fSize; }
    bool Bold() const { return fBold; }
    bool Italic() const { return fItalic; }
    bool Underline() const { return fUnderline; }
    int32_t CharSet() const { return fCharSet; }
    const std::string& SecondFace() const { return fSecondFace; }
    int32_t SecondSize() const { return fSecondSize; }

    void SetFace(const std::string& face);
    /// Greater than 0: points at 96 dots per inch; 0 or less: minus the points at the
    /// desktop's resolution.
    void SetSize(int32_t size);
    void SetBold(bool bold);
    void SetItalic(bool italic);
    void SetUnderline(bool underline);
    void SetCharSet(int32_t charSet);
    void SetSecondFace(const std::string& face);
    void SetSecondSize(int32_t size);
    /// Multiplies the size and the second size (smoothed text renders at a multiple).
    void Scale(int32_t factor);

    bool operator==(const NFont& other) const;

private:
    void Invalidate();

    bool fValid = false;
    std::string fFace;
    int32_t fSize = kDefaultSize;
    bool fBold = false;
    bool fItalic = false;
    bool fUnderline = false;
    int32_t fCharSet = kCharSetAnsi;
    std::string fSecondFace;
    int32_t fSecondSize = 0;
    // Null with the valid flag set means the stock system font, which nobody owns.
    std::unique_ptr<NHostFont> fHandle;
};
