// Radio groups.
#include "widgets/NRadioGroup.h"

#include "widgets/NRadioButton.h"
#include "widgets/NWidgetCodes.h"

NRadioGroup::NRadioGroup()
{
    fPort.AddListener(*this);
}

NRadioGroup::~NRadioGroup()
{
    fPort.RemoveListener(*this);
}

bool NRadioGroup::HandleEvent(const NPortEvent& event)
{
    if (event.fCode != kEventRadioSelect)
        return false;
    auto* button = event.ArgumentAs<NRadioButton>();
    if (!button)
        return true;
    NRadioButton* previous = Selected();
    if (previous != button) {
        fSelected.Reset(button);
        if (previous)
            previous->SetValue(0);
    }
    button->SetValue(1);
    return true;
}

void NRadioGroup::AddRadioButton(NRadioButton& button, int32_t priority)
{
    AddChild(button, priority);
    NPortEvent select(kEventRadioSelect);
    select.SetArgumentObject(button);
    button.SetGroupNotification(NNotification(fPort.Id(), select, true));
}

void NRadioGroup::Select(NRadioButton& button)
{
    NPortEvent select(kEventRadioSelect);
    select.SetArgumentObject(button);
    fPort.Send(select);
}

NRadioButton* NRadioGroup::Selected() const
{
    return static_cast<NRadioButton*>(fSelected.Get());
}
