// The mix-in by which a field takes part in a window's tab order.
#pragma once

#include "framework/NEventTarget.h"

#include <cstdint>

class NSpObject;
class NSpWindow;

class NTabField {
public:
    explicit NTabField(NSpObject& focusNode);
    virtual ~NTabField();

    NTabField(const NTabField&) = delete;
    NTabField& operator=(const NTabField&) = delete;

    /// Leaves any previous window and joins the new one's tab list at the index.
    void JoinWindow(NSpWindow& window, int32_t tabIndex);
    void LeaveWindow();
    NSpWindow* Window() const;
    int32_t TabIndex() const { return fTabIndex; }

private:
    NEventTarget::Guard fWindow;   // reads null once the window is gone
    NSpObject& fFocusNode;
    int32_t fTabIndex = 0;
};
