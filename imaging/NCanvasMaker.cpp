// The surface maker interface.
#include "imaging/NCanvasMaker.h"

NCanvasMaker::~NCanvasMaker() = default;
