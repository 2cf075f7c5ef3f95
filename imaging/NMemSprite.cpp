// Memory sprites.
#include "imaging/NMemSprite.h"

NMemSprite::NMemSprite() = default;

NMemSprite::~NMemSprite() = default;
