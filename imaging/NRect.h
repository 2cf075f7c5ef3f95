// Kept for code in flight that still includes it here: NRect and NPoint live in geometry/.
#pragma once

#include "geometry/NRect.h"
