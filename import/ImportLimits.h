#pragma once

#include "platform/PictureLimits.h"

// The import refuses what Open refuses.
namespace ImportLimits = PictureLimits;
