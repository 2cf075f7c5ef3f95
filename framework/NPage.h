// A page: a numbered, long-lived object that builds one screen while it is the current page.
#pragma once

#include "framework/NPortHandle.h"

#include <cstdint>
#include <memory>

class NPageData;
class NPalette;

/// Registered under its id while it lives (the first page of an id wins). The current page
/// owns a data object, made when the page is entered and destroyed when it is left.
class NPage {
public:
    explicit NPage(int32_t id);

    // Lifetime
    /// Unregisters the page; its port goes with it.
    virtual ~NPage();
    // Entering and leaving
    /// Called at the end of entering; its answer is the result of entering.
    virtual bool Entered();
    /// Called at the start of leaving.
    virtual void Leaving();
    /// Passes the idle pass on to the data object.
    virtual void Idle();
    /// Fills the empty palette and answers true to make it the current one.
    virtual bool LoadPalette(NPalette& palette);
    virtual std::unique_ptr<NPageData> CreateData();
    // Reserved
    virtual void* ReservedHook1();
    virtual void* ReservedHook2();
    virtual int32_t ReservedHook3();
    virtual void ReservedHook4();

    /// Palette offer, data creation and registration, Enter, then Entered.
    bool Enter();
    /// Page-bound idle tasks cancelled, Leaving, then the data object's Leave and end.
    void Leave();

    int32_t Id() const { return fId; }
    NPageData* Data() const { return fData.get(); }
    const NPortHandle& Port() const { return fPort; }

    NPage(const NPage&) = delete;
    NPage& operator=(const NPage&) = delete;

private:
    int32_t fId;
    std::unique_ptr<NPageData> fData;
    NPortHandle fPort;
};
