// Sprite windows: dragging on the pointer port and tab focus.
#include "imaging/NSpWindow.h"

#include "framework/NApp.h"
#include "framework/NEventCodes.h"
#include "framework/NInputState.h"
#include "framework/NPointerPort.h"
#include "framework/NPortHandle.h"
#include "imaging/NSpUniverse.h"

#include <algorithm>

NSpWindow::NSpWindow() = default;

NSpWindow::~NSpWindow()
{
    StopDragging();
}

bool NSpWindow::MouseDown(const NInputEvent& event)
{
    if (!fDraggable)
        return false;
    // Taking the press makes the window the capture target.
    if (const NPortHandle* port = NPointerPort::Get()) {
        if (!fDragging)
            port->AddListener(*this);
    }
    fDragging = true;
    fLastDrag = event.fWhere;
    return true;
}

bool NSpWindow::MouseUp(const NInputEvent&)
{
    if (!fDraggable)
        return false;
    StopDragging();
    return true;
}

void NSpWindow::StopDragging()
{
    if (!fDragging)
        return;
    fDragging = false;
    if (const NPortHandle* port = NPointerPort::Get())
        port->RemoveListener(*this);
}

bool NSpWindow::HandleEvent(const NPortEvent& event)
{
    if (event.fCode != kEventPointerMoved || !fDragging)
        return false;
    NInputState* input = NInputState::IfAlive();
    if (!input || input->CaptureTarget() != this)
        return false;
    const NInputEventRef* moved = event.ArgumentAs<NInputEventRef>();
    if (!moved)
        return false;
    NPoint where = moved->Event().fWhere;
    NRect content;
    if (NApp* app = NApp::Current())
        content = app->GetContentRect();
    else if (NSpUniverse* universe = Universe())
        content = universe->Rect();
    // Outside the content the move is taken but the window stays, so it cannot be dragged
    // out of reach.
    if (content.Contains(where)) {
        MoveBy(int32_t(where.fX) - fLastDrag.fX, int32_t(where.fY) - fLastDrag.fY);
        fLastDrag = where;
    }
    return true;
}

void NSpWindow::DropDeadFields()
{
    std::erase_if(fTabList, [](const TabField& entry) { return !*entry.fField; });
}

void NSpWindow::AddField(NSpObject& field, int32_t tabIndex)
{
    DropDeadFields();
    auto after = std::find_if(fTabList.begin(), fTabList.end(),
                              [tabIndex](const TabField& entry) { return entry.fTabIndex > tabIndex; });
    TabField entry { std::make_unique<Guard>(&field), tabIndex };
    fTabList.insert(after, std::move(entry));
}

void NSpWindow::RemoveField(NSpObject& field)
{
    std::erase_if(fTabList, [&field](const TabField& entry) { return entry.fField->Get() == &field; });
    if (fFocusField.Get() == &field)
        fFocusField.Reset(nullptr);
    DropDeadFields();
}

NSpObject* NSpWindow::FieldAt(int index) const
{
    if (index < 0 || index >= int(fTabList.size()))
        return nullptr;
    return static_cast<NSpObject*>(fTabList[size_t(index)].fField->Get());
}

NSpObject* NSpWindow::FocusField() const
{
    return static_cast<NSpObject*>(fFocusField.Get());
}

bool NSpWindow::Char(const NInputEvent& event)
{
    if (event.fChar != kTabCharacter)
        return false;
    DropDeadFields();
    if (fTabList.empty())
        return false;
    int count = int(fTabList.size());
    int current = -1;
    for (int i = 0; i < count; ++i) {
        if (fTabList[size_t(i)].fField->Get() == fFocusField.Get() && fFocusField)
            current = i;
    }
    int next = 0;
    if (current >= 0) {
        bool backwards = (event.fFlags & kInputShift) != 0;
        next = backwards ? (current + count - 1) % count : (current + 1) % count;
    }
    NEventTarget* field = fTabList[size_t(next)].fField->Get();
    if (NInputState::The().TakeFocus(*field, true))
        fFocusField.Reset(field);
    return true;
}
