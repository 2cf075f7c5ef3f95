// The library's version record.
#include "platform/NHostVersionRecord.h"

LUMORA_VERSION_RECORD(1, 0, 0, 0);
