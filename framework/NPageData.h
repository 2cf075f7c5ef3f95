// The state of the screen a page shows, alive only while its page is current.
#pragma once

#include "framework/NPortListener.h"

class NPage;

/// Listens on its page's port while the page is current.
class NPageData : public NPortListener {
public:
    explicit NPageData(NPage& page) : fPage(page) {}

    // Lifetime
    ~NPageData() override;
    // Events
    bool HandleEvent(const NPortEvent& event) override;
    // Screen
    virtual void Enter();
    virtual void Leave();
    virtual void Idle();
    virtual void ReservedHook1();
    virtual void ReservedHook2();
    virtual void Show(bool on);

    NPage& Page() const { return fPage; }

private:
    NPage& fPage;
};
