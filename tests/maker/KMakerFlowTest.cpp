// The Maker's whole flow with scripted input.
#include "tests/maker/KMakerAppSupport.h"
