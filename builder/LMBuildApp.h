// The builder library's application object, made when the library is loaded.
#pragma once

#include "framework/NApp.h"

/// Exists so that the framework services that expect an application object work inside
/// the library; it has no window and no behaviour of its own.
class LMBuildApp : public NApp {
public:
    LMBuildApp() = default;
    // Lifetime
    ~LMBuildApp() override;
    // Window
    void BringToFront() override;
};
