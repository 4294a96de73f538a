#include "engine/search.h"

bool stopRequested = false;
std::int32_t nodeCountdown = 200000;
int engineSide = Black;
std::int32_t timeBudget = 200;
char moveSeparator = '-';
std::string pvText;
int depthShown = 0;
bool extendedDraw = false;
