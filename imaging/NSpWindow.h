// A group that can be dragged with the mouse and that cycles the keyboard focus among its
// fields with the tab key.
#pragma once

#include "framework/NPortListener.h"
#include "imaging/NSpGroup.h"

#include <cstdint>
#include <memory>
#include <vector>

class NSpWindow : public NSpGroup, public NPortListener {
public:
    static constexpr uint8_t kTabCharacter = 9;

    NSpWindow();
    ~NSpWindow() override;

    // Dragging
    void SetDraggable(bool on) { fDraggable = on; }
    bool IsDraggable() const { return fDraggable; }
    bool MouseDown(const NInputEvent& event) override;
    bool MouseUp(const NInputEvent& event) override;
    /// Pointer moves (on the pointer port) while the window holds the capture.
    bool HandleEvent(const NPortEvent& event) override;

    // Keyboard focus
    /// Tab moves the focus to the next field, shift-tab to the previous one.
    bool Char(const NInputEvent& event) override;
    /// Fields in ascending tab index; equal indexes go after those already there.
    void AddField(NSpObject& field, int32_t tabIndex);
    void RemoveField(NSpObject& field);
    int FieldCount() const { return int(fTabList.size()); }
    NSpObject* FieldAt(int index) const;
    /// The field the window last gave the focus, or null.
    NSpObject* FocusField() const;

private:
    struct TabField {
        std::unique_ptr<Guard> fField;
        int32_t fTabIndex = 0;
    };

    void StopDragging();
    void DropDeadFields();

    bool fDraggable = false;
    bool fDragging = false;
    NPoint fLastDrag;
    std::vector<TabField> fTabList;
    Guard fFocusField;
};
