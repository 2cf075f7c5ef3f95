// The newborn screen: boy or girl, the baby's names and birth details, and three initials
// that fill themselves from the names.
#pragma once

#include "maker/KSpGroup.h"
#include "maker/core/KNewbornData.h"
#include "maker/core/KUpperEditor.h"
#include "widgets/NEditor.h"
#include "widgets/NRadioButton.h"
#include "widgets/NRadioGroup.h"

#include <array>

class KNewbornGroup : public KSpGroup {
public:
    enum Field : int { kFirst, kMiddle, kLast, kDate, kWeight, kLength, kFieldCount };
    static constexpr int kInitialCount = 3;
    static constexpr int32_t kFirstLabel = 1342;
    static constexpr int32_t kOffsetText = 1354;
    static constexpr int16_t kRowHeight = 28;

    KNewbornGroup();
    ~KNewbornGroup() override;
    const char* ScreenName() const override { return "newborn"; }

    /// Editor notifications: the initials follow the names, a filled initial moves on.
    bool HandleEvent(const NPortEvent& event) override;

    /// The data into the screen: the boy or girl button and the nine texts.
    void Show(const KNewbornData& data);
    /// The screen into the data.
    void Collect(KNewbornData& data) const;

    NEditor& Editor(Field field) { return fEditors[size_t(field)]; }
    KUpperEditor& Initial(int index) { return fInitials[size_t(index)]; }
    NRadioButton& Boy() { return fBoy; }
    NRadioButton& Girl() { return fGirl; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override { return "newbornBG.jpg"; }

private:
    void PassFocus();

    NRadioGroup fGender;
    NRadioButton fBoy;
    NRadioButton fGirl;
    std::array<NEditor, kFieldCount> fEditors;
    std::array<KUpperEditor, kInitialCount> fInitials;
    KNewbornData fPending;
    bool fPendingShow = false;
};
