// Empty notifications for clients that need only one of them.
#include "imaging/NPaletteClient.h"

NPaletteClient::~NPaletteClient() = default;

void NPaletteClient::PaletteChanging(const NPalette*) {}

void NPaletteClient::PaletteChanged(const NPalette*) {}
