// The Maker's screens besides the newborn one, for the flow that switches between them.
#pragma once

#include "maker/KChooseThemeGroup.h"
#include "maker/KInsertDiskGroup.h"
#include "maker/KMakerEvents.h"
#include "maker/KPlayGroup.h"
#include "maker/KProgressGroup.h"
#include "maker/KQuitGroup.h"
#include "maker/KWelcomeGroup.h"
