// What the palette registry tells the application object when the screen palette changes.
#pragma once

class NPalette;

/// The application object implements these; the registry calls them around each change.
class NPaletteClient {
public:
    virtual ~NPaletteClient();

    // Screen palette
    virtual void PaletteChanging(const NPalette* palette);
    virtual void PaletteChanged(const NPalette* palette);
};
