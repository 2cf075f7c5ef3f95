// Highlight notices on the application's port.
#include "widgets/NHighlight.h"

#include "framework/NApp.h"
#include "framework/NPortEvent.h"

void NHighlight::Post(int32_t code, NReferable& widget)
{
    NApp* app = NApp::Current();
    if (!app)
        return;
    NPortEvent event(code);
    event.SetArgumentObject(widget);
    event.fSource = widget.Reference();
    app->Port().Post(event, 0);
}

void NHighlight::Send(int32_t code, NReferable& widget)
{
    NApp* app = NApp::Current();
    if (!app)
        return;
    NPortEvent event(code);
    event.SetArgumentObject(widget);
    event.fSource = widget.Reference();
    app->Port().Send(event);
}
