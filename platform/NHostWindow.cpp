// The main-window slot shared by the presenting code.
#include "platform/NHostWindow.h"

namespace {

NHostWindow* sMainWindow = nullptr;

} // namespace

NHostWindow::~NHostWindow()
{
    if (sMainWindow == this)
        sMainWindow = nullptr;
}

NHostWindow* NHostWindow::Main()
{
    return sMainWindow;
}

void NHostWindow::SetMain(NHostWindow* window)
{
    sMainWindow = window;
}
