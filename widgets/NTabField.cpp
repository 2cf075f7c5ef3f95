// Fields in a window's tab order.
#include "widgets/NTabField.h"

#include "imaging/NSpWindow.h"

NTabField::NTabField(NSpObject& focusNode)
    : fFocusNode(focusNode)
{
}

NTabField::~NTabField()
{
    LeaveWindow();
}

void NTabField::JoinWindow(NSpWindow& window, int32_t tabIndex)
{
    LeaveWindow();
    fTabIndex = tabIndex;
    window.AddField(fFocusNode, tabIndex);
    fWindow.Reset(&window);
}

void NTabField::LeaveWindow()
{
    if (NSpWindow* window = Window())
        window->RemoveField(fFocusNode);
    fWindow.Reset(nullptr);
}

NSpWindow* NTabField::Window() const
{
    return static_cast<NSpWindow*>(fWindow.Get());
}
