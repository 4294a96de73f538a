#include "engine/search.h"

bool stopRequested = false;
std::int32_t nodeCountdown = 200000;
